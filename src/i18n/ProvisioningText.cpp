#include "i18n/ProvisioningText.h"

#include "i18n/LanguageTable.h"
#include "i18n/TagFlowText.h"
#include "tagcfg/ProvisioningCsv.h"

namespace ProvisioningText {

QString progress(Language language, int done, int total, int failures, int secondsLeft)
{
    return translate(language, QStringLiteral("%1/%2 rows done, %3 failed, about %4 s left"))
        .arg(done)
        .arg(total)
        .arg(failures)
        .arg(secondsLeft);
}

QString summary(Language language, int done, int total, int failures)
{
    return translate(language, QStringLiteral("%1/%2 rows done, %3 failed"))
        .arg(done)
        .arg(total)
        .arg(failures);
}

QString planRefused(Language language, const QString &why)
{
    return translate(language, QStringLiteral("The plan was not run: %1")).arg(why);
}

QString planProblem(const ProvisioningPlan::Problem &problem, Language language)
{
    if (problem.line <= 0)
        return problem.reason;
    const QString why =
        problem.invalidUid ? TagFlowText::invalidUid(language, *problem.invalidUid) : problem.reason;
    return QStringLiteral("%1:%2: %3").arg(problem.path).arg(problem.line).arg(why);
}

QString notRun(Language language)
{
    return translate(language, QStringLiteral("Not run"));
}

QStringList columnHeaders(Language language)
{
    QStringList headers = ProvisioningCsv::splitLine(ProvisioningCsv::resultHeader());
    for (QString &h : headers)
        h = translate(language, h);
    return headers;
}

} // namespace ProvisioningText
