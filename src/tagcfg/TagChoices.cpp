#include "tagcfg/TagChoices.h"

namespace TagChoices {
namespace {

std::vector<TagCheckSpec> makeChecks()
{
    std::vector<TagCheckSpec> c;
    const TagPage pages[] = {TagPage::Tag, TagPage::Wk, TagPage::Rq, TagPage::Fz};
    static const char *const kNames[4][3] = {{"chkLED11", "chkLED12", "chkLED13"},
                                             {"chkLED21", "chkLED22", "chkLED23"},
                                             {"chkLED31", "chkLED32", "chkLED33"},
                                             {"chkLED41", "chkLED42", "chkLED43"}};
    for (int i = 0; i < 4; ++i) {
        const bool flashPage = pages[i] == TagPage::Fz; // only the flashlight tag offers "Flash"
        c.push_back({pages[i], TagValue::Led1, kNames[i][0], "LED1", true, true});
        c.push_back({pages[i], TagValue::Led2, kNames[i][1], "LED2", true, true});
        c.push_back({pages[i], TagValue::Flash, kNames[i][2], "Flash", flashPage, flashPage});
    }
    return c;
}

} // namespace

const std::vector<TagCheckSpec> &checks()
{
    static const std::vector<TagCheckSpec> kChecks = makeChecks();
    return kChecks;
}

const TagCheckSpec *findCheck(TagPage page, TagValue value)
{
    for (const TagCheckSpec &control : checks())
        if (control.page == page && control.value == value)
            return &control;
    return nullptr;
}

const std::vector<TagRadioSpec> &powerKeyRadios()
{
    static const std::vector<TagRadioSpec> kRadios = {
        {0, "rbtn01", "Key CanNot On/Off", false},
        {1, "rbtn02", "Key Press 5 Sec Off TAG", false},
        {2, "rbtn03", "Key Press On TAG", false},
        {3, "rbtn04", "Key Press On/Off TAG", true},
    };
    return kRadios;
}

} // namespace TagChoices
