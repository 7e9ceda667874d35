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

// A value a tag command sends or a read fills: one control of one page (a slider's position is the
// raw number on the wire; a check box is 0 or 1; the power-key radio group is the index of its
// first checked button, -1 for none).
enum class TagValue
{
    None,
    ActiveCount,    // active time, count (sbTime on "TAG")
    ActiveInterval, // active time, interval code (sbRange on "TAG")
    ReceiveCount,   // shared by the four pages
    BeepTime,       // tenths of a second, shared by the four pages
    LedTime,        // tenths of a second, per page
    PaLevel,        // shared by the four pages
    Led1,           // check box
    Led2,           // check box
    Flash,          // check box
    PowerKeyRadio,  // the power-key radio group
    Version,        // a read's target that is no control: the version text
    IrDetectTimes,
    IrDetectInterval,
    TempDifference,
    AlarmCount,
    StandardTemp,
    TopLevel,
    HighLevel,
    LowLevel,
    BottomLevel
};

Q_DECLARE_METATYPE(TagValue)

// Values by the control they belong to, as the panel or a script gives them.
using TagValueMap = std::map<TagValue, int>;

// One slider of a page: names of the slider and its read-out, the name a script uses, range,
// start value, how its read-out shows a position, its hint and the label under it.
struct TagValueSpec
{
    enum class Readout
    {
        Number,          // "%d"
        TagPageInterval, // the "TAG" page's 16-entry interval table
        FullInterval,    // the 21-entry interval table
        Tenths,          // 0.1 x position, "%2.1f" + " ℃"
        Degrees,         // "%d" + " ℃"
        AboveStandard,   // standard + 0.1 x position, "%2.1f" + " ℃"
        BelowStandard    // standard - 0.1 x (101 - position), "%2.1f" + " ℃"
    };
    enum class Hint
    {
        None,
        Position,       // the decimal position
        FromOneAboveTop // 101 - position
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
    // Moves with the sliders of the same value on the other pages (receive count, beep time, PA).
    bool shared = false;
    // Shown until the slider first changes; nullptr when the read-out is computed from the start.
    const char *initialText = nullptr;
    Hint hint = Hint::None;
    const char *label = nullptr; // the label under the slider: "X 0.1 second"
    bool hidden = false;         // the PA row is not shown unless hidden controls are
    bool tenthsOfSecond = false; // the position counts tenths of a second

    int clamp(int position) const { return position < low ? low : (position > high ? high : position); }
    bool contains(int position) const { return position >= low && position <= high; }
    // The read-out text of a position after a change: "1", "2.5 Sec", "40.0 ℃". `standard` is the
    // Standard Temp position the alarm levels count from.
    QString readoutText(int position, int standard = 36) const;
    // The read-out before the slider first changes: the fixed initial text where there is one.
    QString initialReadout() const;
    // The hover hint of a position; empty for sliders without one.
    QString hintText(int position) const;
    // What a position means in the user's units, for scripts: "2.5 Sec", "0.5 Sec", "40.0 ℃".
    QString explain(int position, int standard = 36) const;
};

namespace TagValues {
// The slider of `value` on `page`, or nullptr when the page has none.
const TagValueSpec *find(TagPage page, TagValue value);
// Every slider of every page.
const std::vector<TagValueSpec> &all();
} // namespace TagValues
