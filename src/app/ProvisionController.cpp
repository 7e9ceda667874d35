#include "app/ProvisionController.h"

#include "app/ProvisionPanel.h"
#include "i18n/ProvisioningText.h"
#include "i18n/TagFlowText.h"
#include "tagcfg/ProvisioningPlan.h"

#include <QDir>
#include <QFileInfo>

ProvisionController::ProvisionController(ProvisionPanel *panel, TonePlayer &tones, const Clock &clock,
                                         RequestSource request, QObject *parent)
    : QObject(parent), m_panel(panel), m_run(tones, clock), m_request(std::move(request))
{
    panel->setModel(&m_model);
    connect(panel, &ProvisionPanel::planChosen, this, &ProvisionController::startProvisioning);
    connect(panel, &ProvisionPanel::retryRequested, this, &ProvisionController::retryFailed);
    connect(panel, &ProvisionPanel::resultFileChosen, this, &ProvisionController::saveResult);
    connect(panel, &ProvisionPanel::saveRequested, this,
            [this] { m_panel->askResultFile(suggestedResultPath()); });
    connect(&m_run, &ProvisioningRun::messageChanged, this, [this](const TagFlowMessage &message) {
        emit messageChanged(TagFlowText::message(message, m_language));
    });
    // A row's result text is kept in the language of the moment it ended, as the table shows it.
    m_run.setWording(
        [this](const TagFlowMessage &message) { return TagFlowText::message(message, m_language); });
    connect(&m_run, &ProvisioningRun::rowStarted, this,
            [this](int index, const ProvisioningRow &) { handleRowStarted(index); });
    connect(&m_run, &ProvisioningRun::rowFinished, this, &ProvisionController::handleRowFinished);
    connect(&m_run, &ProvisioningRun::progress, this, &ProvisionController::handleProgress);
    connect(&m_run, &ProvisioningRun::finished, this, &ProvisionController::handleFinished);
    setLanguage(m_language);
}

void ProvisionController::setLanguage(Language language)
{
    m_language = language;
    m_model.setHeaders(ProvisioningText::columnHeaders(language));
    m_panel->setLanguage(language);
    if (m_total > 0 && !isRunning())
        showSummary(ProvisioningText::summary(m_language, m_done, m_total, m_failures));
}

void ProvisionController::setStartAllowed(bool allowed)
{
    m_startAllowed = allowed;
    updateActions();
}

void ProvisionController::updateActions()
{
    const bool idle = m_startAllowed && !isRunning();
    m_panel->setActions(idle, idle && !m_model.failedRows().empty(), idle && !m_model.finishedRows().empty());
}

void ProvisionController::startProvisioning(const QString &planPath)
{
    if (!m_startAllowed || isRunning())
        return;
    std::vector<ProvisioningRow> rows;
    QString error;
    ProvisioningPlan::Problem problem;
    if (!ProvisioningPlan::load(planPath, &rows, &problem))
        error = ProvisioningText::planProblem(problem, m_language);
    else if (rows.empty())
        error = QStringLiteral("%1: the plan has no rows").arg(planPath);
    if (!error.isEmpty()) {
        const QString text = ProvisioningText::planRefused(m_language, error);
        m_panel->showSummary(text);
        emit planRefused(text);
        return;
    }
    m_planPath = planPath;
    m_model.setPlan(rows);
    std::vector<int> all(rows.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    runRows(all);
}

void ProvisionController::retryFailed()
{
    if (!m_startAllowed || isRunning())
        return;
    const std::vector<int> failed = m_model.failedRows();
    if (failed.empty())
        return;
    m_model.clearResults(failed);
    runRows(failed);
}

void ProvisionController::runRows(const std::vector<int> &indexes)
{
    m_runIndexes = indexes;
    m_cancelled = false;
    m_done = 0;
    m_total = int(indexes.size());
    m_failures = 0;
    m_panel->showProgress(0, m_total);
    showSummary(ProvisioningText::summary(m_language, 0, m_total, 0));
    m_run.setRequest(m_request());
    m_run.start(m_model.planRows(indexes));
    updateActions();
    emit runningChanged(true);
}

void ProvisionController::cancel()
{
    if (!isRunning())
        return;
    m_cancelled = true;
    m_run.cancel();
}

void ProvisionController::cancelForClose()
{
    if (!isRunning())
        return;
    m_closing = true;
    cancel();
}

void ProvisionController::handleRowStarted(int index)
{
    if (index >= 0 && index < int(m_runIndexes.size()))
        m_panel->followRow(m_runIndexes[size_t(index)]);
}

void ProvisionController::handleRowFinished(int index, const ProvisioningRow &row)
{
    if (index >= 0 && index < int(m_runIndexes.size()))
        m_model.setResult(m_runIndexes[size_t(index)], row);
}

void ProvisionController::handleProgress(int done, int total, int failures, int secondsLeft)
{
    m_done = done;
    m_failures = failures;
    m_panel->showProgress(done, total);
    showSummary(ProvisioningText::progress(m_language, done, total, failures, secondsLeft));
}

// The summary stays; the result file is offered as soon as the run ends.
void ProvisionController::handleFinished(bool)
{
    QString text = ProvisioningText::summary(m_language, m_done, m_total, m_failures);
    if (m_cancelled)
        text += QStringLiteral(" - ") + TagFlowText::cancelled(m_language);
    showSummary(text);
    updateActions();
    const bool closing = std::exchange(m_closing, false);
    if (closing)
        m_closeSaveError = writeResult(unusedResultPath());
    emit runningChanged(false);
    if (!closing && !m_model.finishedRows().empty())
        m_panel->askResultFile(suggestedResultPath());
}

// "plan.csv" suggests "plan-result.csv" beside it.
QString ProvisionController::suggestedResultPath() const
{
    const QFileInfo plan(m_planPath);
    return plan.absoluteDir().filePath(plan.completeBaseName() + QStringLiteral("-result.csv"));
}

QString ProvisionController::unusedResultPath() const
{
    const QString suggested = suggestedResultPath();
    QString path = suggested;
    for (int n = 2; QFileInfo::exists(path) && n < 10000; ++n)
        path = suggested.chopped(4) + QStringLiteral("-%1.csv").arg(n);
    return path;
}

void ProvisionController::showSummary(const QString &text)
{
    m_summary = text;
    m_panel->showSummary(text);
}

void ProvisionController::saveResult(const QString &path)
{
    writeResult(path);
}

// The result never replaces the plan it came from; the summary stays above the outcome.
QString ProvisionController::writeResult(const QString &path)
{
    QString error;
    if (!m_planPath.isEmpty() &&
        QFileInfo(path).absoluteFilePath() == QFileInfo(m_planPath).absoluteFilePath())
        error = translate(m_language, QStringLiteral("%1 is the plan file")).arg(path);
    else
        ProvisioningCsv::writeResult(path, m_model.finishedRows(), &error);
    const QString outcome =
        error.isEmpty()
            ? translate(m_language, QStringLiteral("Result saved to %1")).arg(path)
            : translate(m_language, QStringLiteral("The result could not be saved: %1")).arg(error);
    m_panel->showSummary(m_summary + QLatin1Char('\n') + outcome);
    return error.isEmpty() ? QString() : outcome;
}
