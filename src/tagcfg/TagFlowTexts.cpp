#include "tagcfg/TagFlowTexts.h"

#include "i18n/LanguageTable.h"

namespace TagFlowTexts {
QString progress(Progress kind, Language language, int count)
{
    const QString n = QString::number(count);
    switch (kind) {
    case Progress::SettingTranslated:
        return translate(language, QStringLiteral("Setting TAG")) + QStringLiteral(" ......") + n;
    case Progress::Seting:
        return QStringLiteral("Seting TAG......") + n;
    case Progress::Getting:
        break;
    }
    return QStringLiteral("Getting TAG......") + n;
}

QString pleaseWait()
{
    return QStringLiteral("Please Wait!!");
}

QString guard(Language language, bool translated)
{
    const QString text = QStringLiteral("Please Read TAG First !");
    return translated ? translate(language, text) : text;
}

QString cancelled(Language language)
{
    return translate(language, QStringLiteral("Cancelled"));
}

QString invalidUid(Language language, const QString &uid)
{
    return translate(language, QStringLiteral("Invalid TAG ID (16 characters 0-9 A-F, not all 0): ")) +
           QLatin1Char('"') + uid + QLatin1Char('"');
}

QString valueNotHexNote(Language language, const QByteArray &valueText)
{
    return translate(language, QStringLiteral(" (TAG answered a value that is no hex number: ")) +
           QString::fromLatin1(valueText.toPercentEncoding()) + QLatin1Char(')');
}

QString wrongValueNote(Language language, const QByteArray &sent, const QByteArray &acknowledged)
{
    return translate(language, QStringLiteral(" (TAG acknowledged %2 instead of %1)"))
        .arg(QString::fromLatin1(sent), QString::fromLatin1(acknowledged.toPercentEncoding()));
}

} // namespace TagFlowTexts
