#pragma once

#include "tagcfg/TagValue.h"

#include <vector>

// The check boxes and radio buttons of the tag settings pages, as data the window builds its
// controls from.
struct TagCheckSpec
{
    TagPage page;
    TagValue value; // Led1, Led2 or Flash
    const char *objectName;
    const char *caption;
    bool initiallyChecked;
    bool visible;
};

// One button of the power-key radio group; the group is one panel (`pnlONOFFMode`) that moves
// onto whichever of the four parameter pages is shown.
struct TagRadioSpec
{
    int index; // 0..3, the code it gives when it is the first checked one
    const char *objectName;
    const char *caption;
    bool initiallyChecked;
};

namespace TagChoices {
constexpr const char *kPowerKeyPanel = "pnlONOFFMode";
const std::vector<TagCheckSpec> &checks();
const TagCheckSpec *findCheck(TagPage page, TagValue value);
const std::vector<TagRadioSpec> &powerKeyRadios();
} // namespace TagChoices
