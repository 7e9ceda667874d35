#pragma once

#include "tagcfg/ProvisioningCsv.h"
#include "tagcfg/TagButtonRun.h"

#include <QElapsedTimer>
#include <QObject>

#include <functional>

// Runs a provisioning plan: each row's command on its tag, one after the other, over one
// configuration link setting. A row whose tag does not answer (or whose command is malformed)
// is recorded as failed and the run goes on. Progress after each row: rows done, failures so far,
// and the time left estimated from the mean time per row so far. A row's result text (kept in the
// result file) is the end of its message line in the words the caller gives (setWording).
class ProvisioningRun : public QObject
{
    Q_OBJECT
public:
    ProvisioningRun(TonePlayer &tones, const Clock &clock, QObject *parent = nullptr);

    void setTiming(const Timing &timing) { m_runner.setTiming(timing); }
    using Wording = std::function<QString(const TagFlowMessage &)>;
    void setWording(Wording wording) { m_wording = std::move(wording); }
    void setRequest(const ConfigLinkRequest &request) { m_runner.setRequest(request); }

    // finished() follows, never from inside this call. Ignored while running.
    void start(const std::vector<ProvisioningRow> &rows);
    // Ends the run after the row under way (which is cancelled: its tag hears "X0000").
    void cancel();
    bool isRunning() const { return m_running; }

    const std::vector<ProvisioningRow> &rows() const { return m_rows; }
    // What runs each row (its links, its sequence's progress).
    TagButtonRun &buttonRun() { return m_runner; }
    int failures() const { return m_failures; }

signals:
    void rowStarted(int index, const ProvisioningRow &row);
    void messageChanged(const TagFlowMessage &message);
    void rowFinished(int index, const ProvisioningRow &row);
    void progress(int done, int total, int failures, int secondsLeft);
    // allOk: every row succeeded (and the run was not cancelled).
    void finished(bool allOk);

private:
    void next();
    void handleFinished(const TagButtonRun::Result &result);
    void record(bool ok, const QString &text, const std::map<int, int> &values);

    TagButtonRun m_runner;
    Wording m_wording;
    std::vector<ProvisioningRow> m_rows;
    size_t m_index = 0;
    int m_failures = 0;
    bool m_running = false;
    bool m_cancelled = false;
    QElapsedTimer m_rowTimer;
    QElapsedTimer m_runTimer;
};
