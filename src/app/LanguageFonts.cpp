#include "app/LanguageFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace LanguageFonts {

namespace {
// Families with the glyphs of each script, the platform's own first.
QStringList cjkFallbacks(bool traditional)
{
    const QStringList candidates =
        traditional
            ? QStringList{"Microsoft JhengHei", "PMingLiU",          "Noto Sans CJK TC", "Noto Sans TC",
                          "Noto Sans CJK HK",   "WenQuanYi Zen Hei", "Noto Sans CJK SC"}
            : QStringList{"SimSun",       "Microsoft YaHei",   "Noto Sans CJK SC",
                          "Noto Sans SC", "WenQuanYi Zen Hei", "Noto Sans CJK TC"};
    QStringList found;
    const QStringList installed = QFontDatabase::families();
    for (const QString &family : candidates) {
        if (installed.contains(family, Qt::CaseInsensitive))
            found << family;
    }
    return found;
}
} // namespace

QFont fontFor(Language language)
{
    QStringList families;
    if (language == Language::SimplifiedChinese) {
        families << QStringLiteral("SimSun") << cjkFallbacks(false);
        // With SimSun missing, the first CJK family leads, so Latin text matches the Chinese.
        if (!QFontDatabase::families().contains(QStringLiteral("SimSun"), Qt::CaseInsensitive) &&
            families.size() > 1)
            families.removeFirst();
    } else {
        families << QStringLiteral("Arial");
        if (language == Language::TraditionalChinese)
            families << cjkFallbacks(true);
    }
    QFont font;
    font.setFamilies(families);
    font.setPointSize(10);
    font.setBold(true);
    return font;
}

} // namespace LanguageFonts
