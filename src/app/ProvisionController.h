#pragma once

#include "i18n/LanguageTable.h"
#include "readercfg/ConfigLinkRequest.h"
#include "tagcfg/ProvisioningResultModel.h"
#include "tagcfg/ProvisioningRun.h"

#include <QObject>

#include <functional>
#include <utility>
#include <vector>

class ProvisionPanel;

// Provisions tags from a plan file in the tag settings panel: the plan is read and every row
// checked before anything is sent, then its rows run one after the other over the panel's
// configuration link (the core's ProvisioningRun), while the panel shows the progress, a summary
// and each row's result. At the end the result file is offered; "Retry failed" runs the failed
// rows again, and their new results replace the old ones in the table.
class ProvisionController : public QObject
{
    Q_OBJECT
public:
    using RequestSource = std::function<ConfigLinkRequest()>;

    ProvisionController(ProvisionPanel *panel, TonePlayer &tones, const Clock &clock, RequestSource request,
                        QObject *parent = nullptr);

    void setTiming(const Timing &timing) { m_run.setTiming(timing); }
    void setLanguage(Language language);
    // The panel's link is free (no tag command, no read loop): a run may start.
    void setStartAllowed(bool allowed);

    bool isRunning() const { return m_run.isRunning(); }
    ProvisioningRun &run() { return m_run; }
    ProvisioningResultModel *model() { return &m_model; }
    // Why the rows of a run ended for the window's close could not be written (empty when they
    // were), said once: it is forgotten as it is taken.
    QString takeCloseSaveError() { return std::exchange(m_closeSaveError, QString()); }

public slots:
    // Reads and checks the plan at `planPath` and runs it (what choosing it in the dialog does).
    void startProvisioning(const QString &planPath);
    void retryFailed();
    // Writes the rows that have run to `path` in the result file's format.
    void saveResult(const QString &path);
    // Ends the run after telling the tag under way that its session is over.
    void cancel();
    // Ends the run because the window closes: as cancel(), and instead of being offered, the rows
    // done so far are written to a new result file beside the plan before runningChanged(false).
    void cancelForClose();

signals:
    void runningChanged(bool running);
    // The panel's message line: the row under way's progress and result texts.
    void messageChanged(const QString &text);
    // The plan could not be used (file, line and reason); nothing was sent.
    void planRefused(const QString &text);

private:
    void runRows(const std::vector<int> &indexes);
    void handleRowStarted(int index);
    void handleRowFinished(int index, const ProvisioningRow &row);
    void handleProgress(int done, int total, int failures, int secondsLeft);
    void handleFinished(bool allOk);
    void updateActions();
    void showSummary(const QString &text);
    QString suggestedResultPath() const;
    // The suggested result file, or "plan-result-2.csv" and so on when it is there already.
    QString unusedResultPath() const;
    // Writes the rows that have run to `path`; the outcome joins the summary. Empty or why not.
    QString writeResult(const QString &path);

    ProvisionPanel *m_panel;
    ProvisioningRun m_run;
    ProvisioningResultModel m_model;
    RequestSource m_request;
    Language m_language = Language::English;
    bool m_startAllowed = true;
    QString m_planPath;
    QString m_summary;
    std::vector<int> m_runIndexes; // plan row of each row of the run under way
    bool m_cancelled = false;
    bool m_closing = false; // the run ends because the window closes
    QString m_closeSaveError;
    int m_done = 0;
    int m_total = 0;
    int m_failures = 0;
};
