#include "tagcfg/TagButtons.h"

namespace TagButtons {
namespace {

using P = TagFlowTexts::Progress;

std::vector<TagButton> makeButtons()
{
    std::vector<TagButton> b;
    // "TAG" page, active time: register 40 holds the interval code, 41 the count.
    b.push_back({TagButton::Id::SetActiveTime,
                 TagPage::Tag,
                 "btnSetTagTime",
                 "Set TAG Active Time",
                 "set-active-time",
                 {{'w', 0x40, TagValue::ActiveInterval, 0}, {'w', 0x41, TagValue::ActiveCount, 0}},
                 "Set TAG Ok",
                 true,
                 "Set TAG Active Time Error!",
                 P::SettingTranslated,
                 P::SettingTranslated});
    b.push_back({TagButton::Id::GetActiveTime,
                 TagPage::Tag,
                 "btnGetTagTime",
                 "Get TAG Active Time",
                 "get-active-time",
                 {{'r', 0x40, TagValue::ActiveInterval, 0}, {'r', 0x41, TagValue::ActiveCount, 0}},
                 "Set TAG Ok",
                 true,
                 "Get TAG Active Time Error!",
                 P::Getting,
                 P::Getting});
    return b;
}

} // namespace

const std::vector<TagButton> &all()
{
    static const std::vector<TagButton> kButtons = makeButtons();
    return kButtons;
}

const TagButton &get(TagButton::Id id)
{
    for (const TagButton &button : all())
        if (button.id == id)
            return button;
    return all().front();
}

const TagButton *findByCliName(const QString &name)
{
    for (const TagButton &button : all())
        if (name == QLatin1String(button.cliName))
            return &button;
    return nullptr;
}

} // namespace TagButtons
