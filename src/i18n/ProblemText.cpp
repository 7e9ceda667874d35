#include "i18n/ProblemText.h"

QString problemText(const Problem &problem, Language language)
{
    return Problem::filledIn(translate(language, problem.text), problem.details);
}
