#pragma once

// The three user-interface languages; the value is the one kept as "LanguageIndex".
enum class Language
{
    English = 0,
    TraditionalChinese = 1,
    SimplifiedChinese = 2,
};

// Number of languages; valid values run from 0 to kLanguageCount - 1.
constexpr int kLanguageCount = 3;

inline bool isValidLanguage(int language)
{
    return language >= 0 && language < kLanguageCount;
}
