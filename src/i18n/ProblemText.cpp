#include "i18n/ProblemText.h"

QString problemText(const Problem &problem, Language language)
{
    const QString text = translate(language, problem.text);
    const QStringList &d = problem.details;
    // All values in one pass, so a value that holds "%2" is shown as it is.
    switch (d.size()) {
    case 0:
        return text;
    case 1:
        return text.arg(d[0]);
    case 2:
        return text.arg(d[0], d[1]);
    default:
        return text.arg(d[0], d[1], d[2]);
    }
}
