#pragma once

#include <QMetaType>
#include <QString>

#include <map>
#include <vector>

// The pages of the tag settings panel, one per tag type.
enum class TagPage
{
    Tag, // "TAG", standard tag
    Wk,  // "WK", wristband tag
    Rq,  // "RQ", temperature/humidity tag
    Fz,  // "FZ", flashlight tag
    PvPj // "PV/PJ", temperature-alarm and anti-tamper tag
};

// A value a tag command sends or a read fills: one slider of one page (its position is the raw
// number on the wire).
enum class TagValue
{
    None,
    ActiveCount,   // active time, count (sbTime on "TAG")
    ActiveInterval // active time, interval code (sbRange on "TAG")
};

Q_DECLARE_METATYPE(TagValue)

// Values by the control they belong to, as the panel or a script gives them.
using TagValueMap = std::map<TagValue, int>;

// One slider of a page: names of the slider and its read-out, the name a script uses, range,
// start value and how its read-out shows a position.
struct TagValueSpec
{
    enum class Readout
    {
        Number,          // "%d"
        TagPageInterval, // the "TAG" page's 16-entry interval table
        FullInterval     // the 21-entry interval table
    };

    TagPage page;
    TagValue value;
    const char *slider;  // objectName of the slider: "sbTime"
    const char *readout; // objectName of its read-out: "pnlTime1"
    const char *name;    // option name in scripts: "count"
    int low;
    int high;
    int initial;
    Readout readoutKind;

    int clamp(int position) const { return position < low ? low : (position > high ? high : position); }
    bool contains(int position) const { return position >= low && position <= high; }
    // The read-out text of a position: "1", "2.5 Sec".
    QString readoutText(int position) const;
};

namespace TagValues {
// The slider of `value` on `page`, or nullptr when the page has none.
const TagValueSpec *find(TagPage page, TagValue value);
// Every slider of every page.
const std::vector<TagValueSpec> &all();
} // namespace TagValues
