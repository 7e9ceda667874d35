#pragma once

#include "ReadOptions.h"
#include "ReportWriter.h"
#include "reading/ReadingPipeline.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>
#include <memory>

class Clock;
class PublishingBinding;
class ReadingLinks;
class TonePlayer;

// `talvo-cli read`: one reading session on the links the options name, through the same reading
// pipeline as the window. Decoded reports go through the tag tables (filters, selection, CSV logs); every
// report entered into the all-tags table is printed on standard output, diagnostics and a closing summary on
// standard error. Ends on --count,
// --duration, the end of a replay, or SIGINT/SIGTERM; in every case the readers are told to stop and
// the links close first. A failure that loses the session's input or output (a replay that can't be
// read, standard output refused, every serial port gone, CSV lines lost) ends it with status 1.
class ReadCommand : public QObject
{
    Q_OBJECT
public:
    explicit ReadCommand(const ReadOptions &options, QObject *parent = nullptr);
    ~ReadCommand() override;

    // Starts the session; finished(exitCode) follows when it has ended.
    void start();
    void requestStop();
    // The last step of every ending: sends what the publisher (--mqtt) still holds, waiting at most its
    // flush time, says "offline" and disconnects; finished() follows. At once without a publisher.
    void closePublisher();

signals:
    void finished(int exitCode);

private:
    std::unique_ptr<ReadingLinks> makeLinks();
    std::unique_ptr<ReadingLinks> makeNetworkLinks();
    void stopWithFailure(const QString &why);
    void checkOutput();
    void armDurationTimer();
    void handleReport(const TTagReport &report, const QString &label);
    void handleProblem(const Problem &problem);
    void handleLinesNotWritten(const QString &total, const QString &reason);
    void handleEnded();
    void diagnostic(const QString &text);
    bool startPublisher();
    void finish();

    ReadOptions m_options;
    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<TonePlayer> m_tones;
    ReadingPipeline m_pipeline;
    QString m_lastCsvProblem;
    ReportWriter m_writer;
    QTimer m_flushTimer;
    QTimer m_durationTimer;
    QDeadlineTimer m_deadline;
    bool m_outputFailureReported = false;
    int m_exitCode = 0;
    bool m_stopRequested = false;
    std::unique_ptr<PublishingBinding> m_publishing; // --mqtt
};
