#pragma once

#include "TagOptions.h"

#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "tagcfg/ProvisioningRun.h"

#include <QFile>
#include <QObject>

// `talvo-cli tag LINK --plan PLAN.csv --result RESULT.csv` (or `--retry-failed OLD.csv`): checks
// every row of the plan before the first one is sent (--skip-bad-rows lets bad rows fail on their
// own), then runs the rows one after the other and writes each row's result as it ends. A run that
// is stopped writes the rows it never reached as not run (ok 0), so a retry runs them. Progress
// (rows done / total, failures, estimated time left) goes to standard error. finished(0) when every
// row succeeded, 1 otherwise or when the result could not be written (the rows written before stay),
// 2 when the plan or the result file cannot be used (nothing sent).
class TagPlanCli : public QObject
{
    Q_OBJECT
public:
    explicit TagPlanCli(const TagOptions &options, QObject *parent = nullptr);

    // Reads and checks the plan and opens the result, before anything is sent (and before Ctrl-C is
    // taken over, so that it ends a long read at once): 0 when the run can start, else the exit
    // status (a message was printed).
    int prepare();
    void start();
    void requestStop();

signals:
    void finished(int exitCode);

private:
    QString inputPath() const;
    bool readRows(std::vector<ProvisioningRow> *rows, QString *error) const;
    bool openResult(QString *error);
    bool writeLine(const QString &line);
    void handleRowFinished(int index, const ProvisioningRow &row);
    void handleProgress(int done, int total, int failures, int secondsLeft);
    void handleRunFinished(bool allOk);
    int writeRowsNotRun();

    TagOptions m_options;
    SilentTonePlayer m_tones;
    SystemClock m_clock;
    ProvisioningRun m_run;
    std::vector<ProvisioningRow> m_rows;
    QFile m_result;
    qint64 m_resultSize = 0; // bytes of whole lines written
    QString m_writeError;    // why the result could not be written; empty while all is well
    int m_rowsDone = 0;
};
