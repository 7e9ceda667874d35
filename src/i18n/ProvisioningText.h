#pragma once

#include "base/Language.h"
#include "tagcfg/ProvisioningPlan.h"

#include <QString>
#include <QStringList>

// The texts a provisioning run shows, in the language: its progress, its end, a plan refused before anything
// was sent, and the result table's column names (the result file's header fields).
namespace ProvisioningText {
// "7/10 rows done, 1 failed, about 12 s left"
QString progress(Language language, int done, int total, int failures, int secondsLeft);
// "10/10 rows done, 2 failed"
QString summary(Language language, int done, int total, int failures);
// `why` names the file, the line and the reason.
QString planRefused(Language language, const QString &why);
QStringList columnHeaders(Language language);
// Why a plan cannot run: the file's own problem, or "plan.csv:3: " and the row's.
QString planProblem(const ProvisioningPlan::Problem &problem, Language language);
// The text of a row an interrupted run never reached.
QString notRun(Language language);
} // namespace ProvisioningText
