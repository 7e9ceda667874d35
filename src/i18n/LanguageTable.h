#pragma once

#include "base/Language.h"

#include <QString>

// The built-in text table of the three user-interface languages: 0 English, 1 Traditional Chinese,
// 2 Simplified Chinese. Every row is keyed by its English text; the rows keep their fixed order and the
// lookup takes the first row whose key matches exactly.
class LanguageTable
{
public:
    static constexpr int kRowCount = 102;
    static constexpr int kEnglish = 0;
    static constexpr int kTraditionalChinese = 1;
    static constexpr int kSimplifiedChinese = 2;
    static constexpr int kLanguageCount = ::kLanguageCount;

    struct Row
    {
        const char *key;         // English text, the lookup key
        const char *english;     // English display text (never shown: English returns the key)
        const char *traditional; // UTF-8
        const char *simplified;  // UTF-8
    };

    // Row `index` (0..kRowCount-1).
    static const Row &row(int index);
    // Index of the first row whose key equals `key`, or -1.
    static int find(const QString &key);
    // The run-time messages beyond the table (problem texts, tooltips), looked up after the rows.
    static int messageCount();
    static QString messageKey(int index);
    // The text in `language`: English and unknown texts come back unchanged.
    static QString translate(int language, const QString &english);
    static bool isValidLanguage(int language) { return ::isValidLanguage(language); }
};

// Shorthand used by every caller that writes a run-time text.
inline QString translate(int language, const QString &english)
{
    return LanguageTable::translate(language, english);
}

inline QString translate(Language language, const QString &english)
{
    return LanguageTable::translate(int(language), english);
}
