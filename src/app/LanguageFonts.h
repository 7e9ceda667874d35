#pragma once

#include "i18n/LanguageTable.h"

#include <QFont>

// The window font of each language: bold 10 point, "Arial" for English and Traditional Chinese,
// "SimSun" for Simplified Chinese. Where the named family is missing (or has no Chinese glyphs), an
// installed family with CJK glyphs follows it, so Chinese never shows as boxes.
namespace LanguageFonts {
QFont fontFor(Language language);
} // namespace LanguageFonts
