#pragma once

#include "TagOptions.h"

#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "tagcfg/ProvisioningRun.h"

#include <QFile>
#include <QObject>

// `talvo-cli tag LINK --plan PLAN.csv --result RESULT.csv` (or `--retry-failed OLD.csv`): runs the
// plan's rows one after the other and writes each row's result as it ends. Progress (rows done /
// total, failures, estimated time left) goes to standard error. finished(0) when every row
// succeeded, 1 otherwise, 2 when the plan or the result file cannot be used.
class TagPlanCli : public QObject
{
    Q_OBJECT
public:
    explicit TagPlanCli(const TagOptions &options, QObject *parent = nullptr);

    void start();
    void requestStop();

signals:
    void finished(int exitCode);

private:
    void fail(const QString &text);
    void handleRowFinished(int index, const ProvisioningRow &row);
    void handleProgress(int done, int total, int failures, int secondsLeft);

    TagOptions m_options;
    SilentTonePlayer m_tones;
    SystemClock m_clock;
    ProvisioningRun m_run;
    QFile m_result;
};
