#include "tagcfg/TagButton.h"

#include "i18n/LanguageTable.h"

std::optional<TagCommand> TagStep::command(const TagValueMap &values) const
{
    if (isRead())
        return TagCommand::read(reg);
    if (value == TagValue::None)
        return TagCommand{letter, reg, fixedValue};
    const auto it = values.find(value);
    if (it == values.end() || it->second < 0 || it->second > 0xFF)
        return std::nullopt;
    return TagCommand{letter, reg, quint8(it->second)};
}

QString TagButton::success(int language) const
{
    const QString text = QString::fromLatin1(successText);
    return successTranslated ? translate(language, text) : text;
}
