#include "i18n/ProblemText.h"

namespace {
// The English text of each kind; its translations are rows of the message table.
QString englishTemplate(Problem::Kind kind)
{
    switch (kind) {
    case Problem::Kind::NoReadingLinks:
        return QStringLiteral("No reading links for this link kind");
    case Problem::Kind::SelectionListNotSaved:
        return QStringLiteral("The selection list %1 could not be saved: %2");
    case Problem::Kind::CsvLinesNotWritten:
        return QStringLiteral("%1 CSV line(s) not written: %2");
    case Problem::Kind::Message:
        break;
    }
    return QStringLiteral("%1");
}
} // namespace

QString problemText(const Problem &problem, Language language)
{
    QString text =
        problem.kind == Problem::Kind::Message ? problem.details.value(0) : englishTemplate(problem.kind);
    text = translate(language, text);
    if (problem.kind == Problem::Kind::Message)
        return text;
    const QStringList &d = problem.details;
    // All values in one pass, so a value that holds "%2" is shown as it is.
    switch (d.size()) {
    case 0:
        return text;
    case 1:
        return text.arg(d[0]);
    default:
        return text.arg(d[0], d[1]);
    }
}
