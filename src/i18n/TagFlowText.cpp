#include "i18n/TagFlowText.h"

#include "i18n/LanguageTable.h"
#include "tagcfg/TagButton.h"
#include "tagcfg/TagCodes.h"
#include "tagcfg/TagUid.h"

namespace TagFlowText {
namespace {

QString guard(const TagButton &button, Language language)
{
    const QString text = QStringLiteral("Please Read TAG First !");
    return button.guardTranslated ? translate(language, text) : text;
}

// The button's failure text, with why the acknowledgement did not do.
QString failure(const TagFlowMessage &m, Language language)
{
    QString text = m.button->failure();
    if (!m.badValue.isEmpty())
        text += translate(language, QStringLiteral(" (TAG answered a value that is no hex number: ")) +
                QString::fromLatin1(m.badValue.toPercentEncoding()) + QLatin1Char(')');
    if (m.wrongValue)
        text += translate(language, QStringLiteral(" (TAG acknowledged %2 instead of %1)"))
                    .arg(QString::fromLatin1(m.sentValue),
                         QString::fromLatin1(m.acknowledgedValue.toPercentEncoding()));
    return text;
}

} // namespace

QString message(const TagFlowMessage &m, Language language)
{
    using Kind = TagFlowMessage::Kind;
    switch (m.kind) {
    case Kind::None:
        return {};
    case Kind::PleaseWait:
        return QStringLiteral("Please Wait!!");
    case Kind::Progress:
        return progress(m.progress, language, m.count);
    case Kind::Action:
        return QString::fromLatin1(m.button->actionMessage);
    case Kind::Success:
        return m.version ? TagCodes::versionText(*m.version) : success(*m.button, language);
    case Kind::NotChosen:
        return guard(*m.button, language);
    case Kind::InvalidUid:
        return invalidUid(language, m.uid);
    case Kind::Cancelled:
        return cancelled(language);
    case Kind::Failure:
        break;
    }
    return failure(m, language);
}

QString progress(TagProgress kind, Language language, int count)
{
    const QString n = QString::number(count);
    switch (kind) {
    case TagProgress::SettingTranslated:
        return translate(language, QStringLiteral("Setting TAG")) + QStringLiteral(" ......") + n;
    case TagProgress::Seting:
        return QStringLiteral("Seting TAG......") + n;
    case TagProgress::Getting:
        break;
    }
    return QStringLiteral("Getting TAG......") + n;
}

QString success(const TagButton &button, Language language)
{
    const QString text = QString::fromLatin1(button.successText);
    return button.successTranslated ? translate(language, text) : text;
}

QString cancelled(Language language)
{
    return translate(language, QStringLiteral("Cancelled"));
}

QString invalidUid(Language language, const QString &uid)
{
    if (TagUid::isValid(uid))
        return {};
    return translate(language, QStringLiteral("Invalid TAG ID (16 characters 0-9 A-F, not all 0): ")) +
           QLatin1Char('"') + uid + QLatin1Char('"');
}

} // namespace TagFlowText
