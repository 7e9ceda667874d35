#include "tagcfg/TagValue.h"

#include "tagcfg/TagIntervals.h"

namespace {

using Readout = TagValueSpec::Readout;

const std::vector<TagValueSpec> kSpecs = {
    {TagPage::Tag, TagValue::ActiveCount, "sbTime", "pnlTime1", "count", 1, 255, 1, Readout::Number},
    {TagPage::Tag, TagValue::ActiveInterval, "sbRange", "pnRange", "interval", 0, 15, 10,
     Readout::TagPageInterval},
};

} // namespace

QString TagValueSpec::readoutText(int position) const
{
    switch (readoutKind) {
    case Readout::TagPageInterval:
        return TagIntervals::tagPageText(position);
    case Readout::FullInterval:
        return TagIntervals::fullText(position);
    case Readout::Number:
        break;
    }
    return QString::number(position);
}

namespace TagValues {

const std::vector<TagValueSpec> &all()
{
    return kSpecs;
}

const TagValueSpec *find(TagPage page, TagValue value)
{
    for (const TagValueSpec &spec : kSpecs)
        if (spec.page == page && spec.value == value)
            return &spec;
    return nullptr;
}

} // namespace TagValues
