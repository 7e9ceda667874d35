#include "tagcfg/TagButton.h"

#include "tagcfg/TagCodes.h"

#include <algorithm>

namespace {

std::optional<int> valueOf(const TagValueMap &values, TagValue value, int low, int high)
{
    const auto it = values.find(value);
    if (it == values.end() || it->second < low || it->second > high)
        return std::nullopt;
    return it->second;
}

} // namespace

std::optional<TagCommand> TagStep::command(const TagValueMap &values) const
{
    if (isRead())
        return TagCommand::read(reg);
    if (code == Code::LedMode) {
        const auto led1 = valueOf(values, TagValue::Led1, 0, 1);
        const auto led2 = valueOf(values, TagValue::Led2, 0, 1);
        if (!led1 || !led2)
            return std::nullopt;
        return TagCommand{letter, reg, quint8(TagCodes::ledModeCode(*led1, *led2))};
    }
    if (code == Code::PowerKey) {
        const auto radio = valueOf(values, TagValue::PowerKeyRadio, -1, 3);
        if (!radio)
            return std::nullopt;
        std::array<bool, 4> checked{};
        if (*radio >= 0)
            checked[size_t(*radio)] = true;
        return TagCommand{letter, reg, quint8(TagCodes::powerKeyCode(checked))};
    }
    if (value == TagValue::None)
        return TagCommand{letter, reg, fixedValue};
    const auto v = valueOf(values, value, 0, 0xFF);
    if (!v)
        return std::nullopt;
    return TagCommand{letter, reg, quint8(*v)};
}

std::vector<TagValue> TagButton::inputs() const
{
    std::vector<TagValue> in;
    auto add = [&in](TagValue v) {
        if (std::find(in.begin(), in.end(), v) == in.end())
            in.push_back(v);
    };
    switch (kind) {
    case Kind::BeepAction:
        add(TagValue::BeepTime);
        return in;
    case Kind::LedAction:
        add(TagValue::Led1);
        add(TagValue::Led2);
        add(TagValue::Flash);
        add(TagValue::LedTime);
        return in;
    case Kind::Sequence:
        break;
    }
    for (const TagStep &step : steps) {
        if (step.isRead())
            continue;
        if (step.code == TagStep::Code::LedMode) {
            add(TagValue::Led1);
            add(TagValue::Led2);
        } else if (step.code == TagStep::Code::PowerKey) {
            add(TagValue::PowerKeyRadio);
        } else if (step.value != TagValue::None) {
            add(step.value);
        }
    }
    return in;
}

std::optional<QByteArray> TagButton::actionText(const TagValueMap &values) const
{
    if (kind == Kind::BeepAction) {
        const auto time = valueOf(values, TagValue::BeepTime, 0, 0xFF);
        return time ? std::optional(TagCodes::beepAction(*time)) : std::nullopt;
    }
    const auto led1 = valueOf(values, TagValue::Led1, 0, 1);
    const auto led2 = valueOf(values, TagValue::Led2, 0, 1);
    const auto time = valueOf(values, TagValue::LedTime, 0, 0xFF);
    if (kind != Kind::LedAction || !led1 || !led2 || !time)
        return std::nullopt;
    const bool flash = valueOf(values, TagValue::Flash, 1, 1).has_value();
    return TagCodes::ledAction(flash, *led1, *led2, *time);
}
