#pragma once

#include "ReadOptions.h"
#include "ReportWriter.h"
#include "reading/ReadingPipeline.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class Clock;
class CoverageMatrix;
class MqttReadingLinks;
class PublishingBinding;
class WebView;
class ReadingLinks;
class TonePlayer;

// `talvo-cli read`: one reading session on the links the options name, through the same reading
// pipeline as the window. Decoded reports go through the tag tables (filters, selection, CSV logs); every
// report entered into the all-tags table is printed on standard output, diagnostics and a closing summary on
// standard error, each line with a time stamp. Ends on --count, --duration, the end of a replay, or
// SIGINT/SIGTERM; in every case the readers are told to stop and the links close first, then the
// closers run. With --reconnect lost serial ports and --tcp readers are tried again instead of ending
// the session, and each attempt and each success is logged. A failure that loses the session's input or
// output (a replay that can't be read, standard output refused, every serial port gone, CSV lines lost) ends
// it with status 1.
class ReadCli : public QObject
{
    Q_OBJECT
public:
    explicit ReadCli(const ReadOptions &options, QObject *parent = nullptr);
    ~ReadCli() override;

    // Something that must finish before the program exits, once the readers have been told to stop
    // and the links are closed (e.g. a publisher sending what it still holds). It is called with
    // `done`, which it calls once finished.
    using Closer = std::function<void(std::function<void()> done)>;
    // How long the closers are waited for at most; the program exits then anyway.
    static constexpr int kCloserWaitMs = 10000;

    // Starts the session; finished(exitCode) follows when it has ended.
    void start();
    void requestStop();
    // Closers run in the order added, all at once, after the session ended; finished() follows when
    // the last one is done.
    void addCloser(Closer closer) { m_closers.push_back(std::move(closer)); }

    // The time stamp in front of every log line: ISO 8601 local time with milliseconds and the offset
    // from UTC ("2026-03-01T14:05:09.042+01:00").
    static QString timeStamp(const QDateTime &time);
    // Sends what the publisher (--mqtt) still holds, waiting at most its flush time, says "offline"
    // and disconnects; `done` follows (at once without a publisher). Added as a closer at the start.
    void closePublisher(const std::function<void()> &done);

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
    void connectReconnectLog(ReadingLinks *links);
    void runClosers();
    void finish();
    void diagnostic(const QString &text);
    bool startPublisher();
    bool startWebView(QString *error);
    void reportPublished();
    QString summary();
    void writeCoverage();

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

    std::vector<Closer> m_closers;
    int m_closersRunning = 0;
    QTimer m_closerTimer;
    bool m_finished = false;
    std::unique_ptr<PublishingBinding> m_publishing; // --mqtt
    QPointer<MqttReadingLinks> m_mqttIn;             // --mqtt-in, while its links live
    std::unique_ptr<WebView> m_webView;              // --http
    std::unique_ptr<CoverageMatrix> m_coverage;      // --coverage
};
