#pragma once

#include "readercfg/ReaderCommandSequence.h"
#include "readercfg/RunReaderCommand.h"

#include <QList>
#include <QObject>
#include <QTimer>

// Runs the steps of a reader setting one after another, each as a whole reader command (open,
// attempts, close) on the given executor, with the pauses and conditions the steps name.
class ReaderSequenceRunner : public QObject
{
    Q_OBJECT
public:
    explicit ReaderSequenceRunner(RunReaderCommand &executor, QObject *parent = nullptr);

    // Starts the steps; finished() follows (never from inside this call). Ignored while running.
    void start(const ReaderCommandSequence &steps);
    void cancel();
    bool isRunning() const { return m_running; }

signals:
    void stepStarted(int index, const QByteArray &command);
    void stepFinished(int index, const RunReaderCommand::Result &result);
    // `ok`: every step ran and succeeded.
    void finished(const QList<RunReaderCommand::Result> &results, bool ok);

private:
    void startStep();
    void handleCommandFinished(const RunReaderCommand::Result &result);
    void finish(bool ok);
    bool allOk() const;

    RunReaderCommand &m_executor;
    ReaderCommandSequence m_steps;
    QList<RunReaderCommand::Result> m_results;
    QTimer m_pause;
    int m_index = 0;
    bool m_running = false;
};
