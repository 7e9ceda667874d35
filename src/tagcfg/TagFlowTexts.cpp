#include "tagcfg/TagFlowTexts.h"

#include "i18n/LanguageTable.h"

namespace TagFlowTexts {
namespace {

// English, Traditional Chinese, Simplified Chinese.
QString pick(int language, const char *english, const char *traditional, const char *simplified)
{
    if (language == LanguageTable::kTraditionalChinese)
        return QString::fromUtf8(traditional);
    if (language == LanguageTable::kSimplifiedChinese)
        return QString::fromUtf8(simplified);
    return QString::fromUtf8(english);
}

} // namespace

QString progress(Progress kind, int language, int count)
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

QString guard(int language, bool translated)
{
    const QString text = QStringLiteral("Please Read TAG First !");
    return translated ? translate(language, text) : text;
}

QString cancelled(int language)
{
    return pick(language, "Cancelled", "已取消", "已取消");
}

QString invalidUid(int language, const QString &uid)
{
    return pick(language, "Invalid TAG ID (16 characters 0-9 A-F, not all 0): ",
                "標籤序號錯誤 (須為 16 個字元 0-9 A-F, 不可全為 0): ",
                "标签序号错误 (须为 16 个字符 0-9 A-F, 不可全为 0): ") +
           QLatin1Char('"') + uid + QLatin1Char('"');
}

QString valueNotHexNote(int language, const QByteArray &valueText)
{
    return pick(language, " (TAG answered a value that is no hex number: ",
                " (標籤回覆的數值不是十六進位數字: ", " (标签回复的数值不是十六进制数字: ") +
           QString::fromLatin1(valueText.toPercentEncoding()) + QLatin1Char(')');
}

QString closeNotConfirmedNote(int language)
{
    return pick(language, " (end of TAG session not confirmed)", " (標籤未確認結束)", " (标签未确认结束)");
}

} // namespace TagFlowTexts
