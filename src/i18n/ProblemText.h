#pragma once

#include "base/Problem.h"
#include "i18n/LanguageTable.h"

// A problem as the user reads it, in `language`.
QString problemText(const Problem &problem, Language language);
