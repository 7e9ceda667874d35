#include "tagcfg/TagValue.h"

#include "tagcfg/TagIntervals.h"

namespace {

using Readout = TagValueSpec::Readout;
using Hint = TagValueSpec::Hint;

const QString kDegrees = QStringLiteral(" \u2103");

struct PageNames
{
    TagPage page;
    const char *count, *countOut, *interval, *intervalOut, *recv, *recvOut, *beep, *beepOut, *led, *ledOut,
        *pa, *paOut;
};

const PageNames kPageNames[] = {
    {TagPage::Tag, "sbTime", "pnlTime1", "sbRange", "pnRange", "sbTagRecv1", "pnTagRecv1", "sbTagBeepSecond1",
     "pnTagBeepSec1", "sbTagLED", "pnTagLED", "sbTagPA1", "pnTagPA1"},
    {TagPage::Wk, "sbTime2", "pnTime2", "sbRange2", "pnRange2", "sbTagRecv2", "pnTagRecv2",
     "sbTagBeepSecond2", "pnTagBeepSec2", "sbTagLED2", "pnTagLED2", "sbTagPA2", "pnTagPA2"},
    {TagPage::Rq, "sbTime3", "pnTime3", "sbRange3", "pnRange3", "sbTagRecv3", "pnTagRecv3",
     "sbTagBeepSecond3", "pnTagBeepSec3", "sbTagLED3", "pnTagLED3", "sbTagPA3", "pnTagPA3"},
    {TagPage::Fz, "sbTime4", "pnTime4", "sbRange4", "pnRange4", "sbTagRecv4", "pnTagRecv4",
     "sbTagBeepSecond4", "pnTagBeepSec4", "sbTagLED4", "pnTagLED4", "sbTagPA4", "pnTagPA4"},
};

// The sliders of the four pages that share one layout, in the order they stand on a page.
void addParameterPages(std::vector<TagValueSpec> &s)
{
    for (const PageNames &n : kPageNames) {
        const bool tagPage = n.page == TagPage::Tag;
        s.push_back(
            {n.page, TagValue::ActiveCount, n.count, n.countOut, "count", 1, 255, 1, Readout::Number});
        s.push_back({n.page, TagValue::ActiveInterval, n.interval, n.intervalOut, "interval", 0,
                     tagPage ? 15 : 20, 10, tagPage ? Readout::TagPageInterval : Readout::FullInterval});
        s.push_back({n.page, TagValue::ReceiveCount, n.recv, n.recvOut, "count", 0, 255, 10, Readout::Number,
                     true, nullptr, Hint::None, "0-255 (0=No Receive)"});
        s.push_back({n.page, TagValue::BeepTime, n.beep, n.beepOut, "time", 1, 255, 1, Readout::Number, true,
                     nullptr, Hint::None, "X 0.1 second", false, true});
        s.push_back({n.page, TagValue::LedTime, n.led, n.ledOut, "time", 1, 255, 1, Readout::Number, false,
                     nullptr, Hint::None, "X 0.1 second", false, true});
        s.push_back({n.page, TagValue::PaLevel, n.pa, n.paOut, "level", 1, 100, 100, Readout::Number, true,
                     nullptr, Hint::None, "default 100", true});
    }
}

// The "PV/PJ" page: anti-tamper group, then temperature-alarm group, top to bottom.
void addAlarmPage(std::vector<TagValueSpec> &s)
{
    const TagPage p = TagPage::PvPj;
    s.push_back(
        {p, TagValue::IrDetectTimes, "sbPV00", "pnlPV00", "times", 0, 10, 2, Readout::Number, false, "2"});
    s.push_back({p, TagValue::IrDetectInterval, "sbPV01", "pnlPV01", "code", 0, 20, 9, Readout::FullInterval,
                 false, "1.2 Sec"});
    s.push_back({p, TagValue::TempDifference, "sbPV02", "pnlPV02", "tenths", 1, 100, 7, Readout::Tenths,
                 false, "0.7 \u2103"});
    s.push_back(
        {p, TagValue::AlarmCount, "sbPV03", "pnlPV03", "count", 0, 255, 15, Readout::Number, false, "15"});
    s.push_back({p, TagValue::TopLevel, "sbPV07", "pnlPV07", "tenths", 1, 100, 40, Readout::AboveStandard,
                 false, "40 \u2103", Hint::Position});
    s.push_back({p, TagValue::HighLevel, "sbPV08", "pnlPV08", "tenths", 1, 100, 15, Readout::AboveStandard,
                 false, "37.5 \u2103", Hint::Position});
    s.push_back({p, TagValue::StandardTemp, "sbPV06", "pnlPV06", "degrees", 20, 50, 36, Readout::Degrees,
                 false, "36 \u2103", Hint::Position});
    s.push_back({p, TagValue::LowLevel, "sbPV09", "pnlPV09", "position", 1, 100, 86, Readout::BelowStandard,
                 false, "34.5 \u2103", Hint::FromOneAboveTop});
    s.push_back({p, TagValue::BottomLevel, "sbPVA", "pnlPVA", "position", 1, 100, 61, Readout::BelowStandard,
                 false, "32 \u2103", Hint::FromOneAboveTop});
}

std::vector<TagValueSpec> makeSpecs()
{
    std::vector<TagValueSpec> s;
    addParameterPages(s);
    addAlarmPage(s);
    return s;
}

QString tenths(int tenthsValue)
{
    return QString::asprintf("%2.1f", tenthsValue * 0.1) + kDegrees;
}

} // namespace

QString TagValueSpec::readoutText(int position, int standard) const
{
    switch (readoutKind) {
    case Readout::TagPageInterval:
        return TagIntervals::tagPageText(position);
    case Readout::FullInterval:
        return TagIntervals::fullText(position);
    case Readout::Tenths:
        return tenths(position);
    case Readout::Degrees:
        return QString::number(position) + kDegrees;
    case Readout::AboveStandard:
        return tenths(standard * 10 + position);
    case Readout::BelowStandard:
        return tenths(standard * 10 - (101 - position));
    case Readout::Number:
        break;
    }
    return QString::number(position);
}

QString TagValueSpec::initialReadout() const
{
    return initialText ? QString::fromUtf8(initialText) : readoutText(initial);
}

QString TagValueSpec::hintText(int position) const
{
    switch (hint) {
    case Hint::Position:
        return QString::number(position);
    case Hint::FromOneAboveTop:
        return QString::number(101 - position);
    case Hint::None:
        break;
    }
    return {};
}

QString TagValueSpec::explain(int position, int standard) const
{
    if (tenthsOfSecond)
        return QString::asprintf("%2.1f Sec", position * 0.1);
    if (value == TagValue::ReceiveCount && position == 0)
        return QStringLiteral("0 (No Receive)");
    return readoutText(position, standard);
}

namespace TagValues {

const std::vector<TagValueSpec> &all()
{
    static const std::vector<TagValueSpec> kSpecs = makeSpecs();
    return kSpecs;
}

const TagValueSpec *find(TagPage page, TagValue value)
{
    for (const TagValueSpec &control : all())
        if (control.page == page && control.value == value)
            return &control;
    return nullptr;
}

} // namespace TagValues
