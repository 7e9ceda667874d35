#include "ReadCli.h"

#include "BellTonePlayer.h"
#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "http/WebView.h"
#include "link/ReplayReadingLinks.h"
#include "link/SerialReadingLinks.h"
#include "link/TcpClientReadingLinks.h"
#include "link/TcpListenerReadingLinks.h"
#include "link/UdpReadingLinks.h"
#include "publish/MqttReading.h"
#include "publish/PublishingBinding.h"
#include "publish/ReportPublisher.h"
#include "reading/CoverageCsv.h"
#include "reading/CoverageMatrix.h"

#include <algorithm>
#include <cstdio>
#include <utility>

ReadCli::ReadCli(const ReadOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_clock(std::make_unique<SystemClock>()),
      m_tones(options.table.beep() ? std::unique_ptr<TonePlayer>(std::make_unique<BellTonePlayer>())
                                   : std::make_unique<SilentTonePlayer>()),
      m_pipeline(*m_clock, *m_tones),
      m_writer(stdout, options.format == ReadOptions::Format::Csv ? ReportWriter::Format::Csv
                                                                  : ReportWriter::Format::JsonLines)
{
    if (!options.coverageFile.isEmpty())
        m_coverage = std::make_unique<CoverageMatrix>(*m_clock);
    Timing timing;
    timing.replyWaitMs = options.replyWaitMs;
    timing.idleTimeoutMs = options.idleTimeoutMs;
    m_pipeline.setTiming(timing);
    m_pipeline.decoder().setTypeSwitches(options.types);
    connect(&m_pipeline.tables(), &TagTables::reportEntered, this, &ReadCli::handleReport);
    connect(&m_pipeline, &ReadingPipeline::problem, this, &ReadCli::handleProblem);
    connect(&m_pipeline.decoder(), &ReportDecoder::tamperChanged, this, [this](bool shown, int countdown) {
        if (shown && countdown == ReportDecoder::kNoCountdown)
            diagnostic(QStringLiteral("tamper alarm"));
    });
    connect(&m_pipeline.session(), &ReadingSession::logLine, this, [this](const QString &line) {
        if (m_options.verbose)
            diagnostic(line);
    });
    connect(&m_pipeline, &ReadingPipeline::ended, this, &ReadCli::handleEnded);
    connect(&m_pipeline.tables(), &TagTables::tagLimitReached, this, [this](int maxTags) {
        diagnostic(QStringLiteral("%1 tags in the table (--max-tags): from now on the least recently seen "
                                  "tags leave it")
                       .arg(maxTags));
    });
    m_flushTimer.setInterval(200);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] {
        m_writer.flush();
        checkOutput();
    });
    m_durationTimer.setSingleShot(true);
    connect(&m_durationTimer, &QTimer::timeout, this, &ReadCli::armDurationTimer);
    m_closerTimer.setSingleShot(true);
    connect(&m_closerTimer, &QTimer::timeout, this, [this] {
        diagnostic(
            QStringLiteral("shutdown steps still running after %1 s; exiting").arg(kCloserWaitMs / 1000));
        finish();
    });
}

ReadCli::~ReadCli() = default;

std::unique_ptr<ReadingLinks> ReadCli::makeLinks()
{
    if (m_options.mqtt.subscribe) {
        auto links = MqttReading::makeLinks(m_pipeline, *m_options.mqtt.subscribe);
        m_mqttIn = links.get();
        return links;
    }
    if (m_options.network.kinds() > 0)
        return makeNetworkLinks();
    if (!m_options.replayPath.isEmpty()) {
        auto replay = std::make_unique<ReplayReadingLinks>(m_options.replayPath, m_options.replayLabel);
        connect(replay.get(), &ReplayReadingLinks::inputFinished, this, &ReadCli::requestStop);
        // The replay's only problems are an input that can't be opened or read (the session prints them).
        connect(replay.get(), &ReadingLinks::problem, this, [this] { m_exitCode = 1; });
        return replay;
    }
    LinkRequest request;
    request.kind = LinkKind::Serial;
    request.comPorts = m_options.comPorts;
    request.timing = m_pipeline.timing();
    request.reconnect = m_options.reconnect;
    std::unique_ptr<ReadingLinks> serial = ReadingPipeline::makeLinks(request);
    if (m_options.reconnect)
        return serial; // ports that are gone are waited for
    auto *raw = static_cast<SerialReadingLinks *>(serial.get());
    connect(raw, &ReadingLinks::opened, this, [this, raw] {
        if (raw->openPorts().isEmpty()) {
            diagnostic(QStringLiteral("no serial port could be opened; stopping"));
            m_exitCode = 1;
            requestStop();
        }
    });
    // A failed port is still listed while it says it is going: look again once it has gone.
    connect(raw, &ReadingLinks::sourceRemoved, this, [this, raw] {
        QMetaObject::invokeMethod(
            raw,
            [this, raw] {
                if (!m_stopRequested && raw->openPorts().isEmpty())
                    stopWithFailure(QStringLiteral("every serial port has failed; stopping"));
            },
            Qt::QueuedConnection);
    });
    return serial;
}

// Network links whose endpoint cannot be had, or whose readers are all gone, end the session: nothing
// more can come (readers are only tried again with --reconnect, and then never all gone).
std::unique_ptr<ReadingLinks> ReadCli::makeNetworkLinks()
{
    LinkRequest request = m_options.network.linkRequest();
    request.timing = m_pipeline.timing();
    request.reconnect = m_options.reconnect;
    auto links = ReadingPipeline::makeLinks(request);
    if (auto *tcp = qobject_cast<TcpClientReadingLinks *>(links.get())) {
        connect(tcp, &TcpClientReadingLinks::allReadersDown, this,
                [this] { stopWithFailure(QStringLiteral("no reader left to read from; stopping")); });
    } else if (auto *listener = qobject_cast<TcpListenerReadingLinks *>(links.get())) {
        connect(listener, &ReadingLinks::opened, this, [this, listener] {
            if (listener->serverPort() == 0)
                stopWithFailure(QStringLiteral("not listening; stopping"));
        });
    } else if (auto *udp = qobject_cast<UdpReadingLinks *>(links.get())) {
        connect(udp, &ReadingLinks::opened, this, [this, udp] {
            if (udp->localPort() == 0)
                stopWithFailure(QStringLiteral("UDP port not open; stopping"));
        });
    }
    return links;
}

void ReadCli::stopWithFailure(const QString &why)
{
    if (m_stopRequested)
        return;
    diagnostic(why);
    m_exitCode = 1;
    requestStop();
}

void ReadCli::start()
{
    QString error;
    QStringList notes;
    const QStringList inputs{m_options.replayPath, m_options.table.selectionFile()};
    TagTables &tables = m_pipeline.tables();
    bool ready = m_options.table.applyTo(tables, &error, &notes) &&
                 m_options.table.startSession(tables, inputs, &error, &notes);
    for (const QString &note : std::as_const(notes))
        diagnostic(note);
    if (ready && !startPublisher()) {
        ready = false;
        error = QStringLiteral("MQTT publishing cannot start");
    }
    if (ready && !startWebView(&error))
        ready = false;
    if (!ready) {
        diagnostic(error);
        QMetaObject::invokeMethod(
            this, [this] { emit finished(2); }, Qt::QueuedConnection);
        return;
    }
    std::unique_ptr<ReadingLinks> links = makeLinks();
    connectReconnectLog(links.get());
    m_flushTimer.start();
    if (m_options.durationSec > 0) {
        m_deadline = QDeadlineTimer(qint64(m_options.durationSec * 1000));
        armDurationTimer();
    }
    m_pipeline.start(std::move(links));
}

// A timer takes at most 24.8 days (int milliseconds): longer durations run in slices up to the deadline.
void ReadCli::armDurationTimer()
{
    constexpr qint64 kSliceMs = 24 * 3600 * 1000;
    const qint64 left = m_deadline.remainingTime();
    if (left <= 0)
        requestStop();
    else
        m_durationTimer.start(int(std::min(left, kSliceMs)));
}

void ReadCli::requestStop()
{
    if (m_stopRequested)
        return;
    m_stopRequested = true;
    m_pipeline.stop();
}

void ReadCli::handleReport(const TTagReport &report, const QString &label)
{
    if (m_options.count > 0 && qint64(m_writer.written()) >= m_options.count)
        return;
    m_writer.write(report, label);
    if (m_coverage)
        m_coverage->add(report, label);
    checkOutput();
    if (m_options.count > 0 && qint64(m_writer.written()) >= m_options.count)
        requestStop();
}

// Standard output that refuses bytes (a closed pipe, a full disk) loses every report from then on.
void ReadCli::checkOutput()
{
    if (!m_writer.failed() || m_outputFailureReported)
        return;
    m_outputFailureReported = true;
    diagnostic(QStringLiteral("standard output could not be written: %1; stopping").arg(m_writer.error()));
    m_exitCode = 1;
    requestStop();
}

void ReadCli::handleProblem(const Problem &problem)
{
    if (problem.kind == Problem::Kind::CsvLinesNotWritten)
        handleLinesNotWritten(problem.details.value(0), problem.details.value(1));
    else
        diagnostic(problem.englishText());
}

void ReadCli::handleLinesNotWritten(const QString &total, const QString &reason)
{
    // Every lost line is counted; the reason is printed when it changes, not once per line.
    if (reason == m_lastCsvProblem)
        return;
    m_lastCsvProblem = reason;
    diagnostic(QStringLiteral("CSV line not written (%1 so far): %2").arg(total).arg(reason));
}

void ReadCli::handleEnded()
{
    m_flushTimer.stop();
    if (!m_options.table.finish(m_pipeline.tables()))
        m_exitCode = 1; // CSV lines were lost; the summary says how many and why
    m_writer.flush();
    checkOutput();
    if (m_options.verbose)
        diagnostic(QStringLiteral("%1 reports, %2 frames, %3 bytes")
                       .arg(m_writer.written())
                       .arg(m_pipeline.session().framesCut())
                       .arg(m_pipeline.session().bytesRead()));
    diagnostic(summary());
    writeCoverage();
    runClosers();
}

QString ReadCli::summary()
{
    QString line = ReadTableOptions::summary(m_pipeline.tables());
    if (m_mqttIn)
        line += QStringLiteral(", broker reports received %1, bad broker messages %2")
                    .arg(m_mqttIn->receivedReports())
                    .arg(m_mqttIn->badMessages());
    return line;
}

void ReadCli::writeCoverage()
{
    if (!m_coverage)
        return;
    if (m_coverage->refusedReports() > 0) {
        diagnostic(
            QStringLiteral("coverage: %1 reports of tags or readers beyond the matrix's bound not counted")
                .arg(m_coverage->refusedReports()));
    }
    QString error;
    if (!CoverageCsv::write(*m_coverage, m_options.coverageFile, &error)) {
        diagnostic(
            QStringLiteral("coverage file %1 could not be written: %2").arg(m_options.coverageFile, error));
        m_exitCode = 1;
    }
}

// The broker is never waited for while reading: reports queue in the publisher and its problems
// are printed as they come (each once, not on every reconnection attempt).
bool ReadCli::startPublisher()
{
    if (!m_options.mqtt.publish)
        return true;
    m_publishing = std::make_unique<PublishingBinding>(m_pipeline, *m_options.mqtt.publish);
    connect(m_publishing.get(), &PublishingBinding::problem, this,
            [this](const MqttProblem &problem) { diagnostic(problem.text()); });
    connect(m_publishing.get(), &PublishingBinding::connected, this, [this] {
        diagnostic(QStringLiteral("MQTT broker connected: %1, publishing to %2/")
                       .arg(m_options.mqtt.publish->url, m_publishing->publisher().prefix()));
    });
    addCloser([this](std::function<void()> done) { closePublisher(done); });
    return m_publishing->start();
}

// The web view listens before the links open, so that a page or script sees the session from its
// first report; an address or port that cannot be had is a usage error (status 2).
bool ReadCli::startWebView(QString *error)
{
    if (!m_options.http.settings)
        return true;
    m_webView = std::make_unique<WebView>(m_pipeline, *m_options.http.settings);
    if (!m_webView->start(error))
        return false;
    diagnostic(QStringLiteral("web view: %1").arg(m_webView->url().toString()));
    return true;
}

void ReadCli::closePublisher(const std::function<void()> &done)
{
    if (!m_publishing) {
        done();
        return;
    }
    connect(m_publishing.get(), &PublishingBinding::closed, this, [this, done] {
        reportPublished();
        done();
    });
    m_publishing->close();
}

// Reports that never reached the broker are lost output, as lost CSV lines are: status 1.
void ReadCli::reportPublished()
{
    const ReportPublisher &publisher = m_publishing->publisher();
    if (publisher.droppedReports() > 0)
        m_exitCode = 1;
    if (m_options.verbose || publisher.droppedReports() > 0)
        diagnostic(QStringLiteral("MQTT: %1 reports published, %2 not sent")
                       .arg(publisher.sentReports())
                       .arg(publisher.droppedReports()));
}

void ReadCli::connectReconnectLog(ReadingLinks *links)
{
    if (!links)
        return;
    connect(links, &ReadingLinks::reconnectScheduled, this,
            [this](const QString &endpoint, int delayMs, const QString &reason) {
                QString line =
                    QStringLiteral("reconnecting to %1 in %2 s").arg(endpoint).arg(delayMs / 1000.0);
                if (!reason.isEmpty())
                    line += QStringLiteral(" (%1)").arg(reason);
                diagnostic(line);
            });
    connect(links, &ReadingLinks::reconnected, this,
            [this](const QString &endpoint) { diagnostic(QStringLiteral("reconnected: ") + endpoint); });
}

void ReadCli::runClosers()
{
    if (m_closers.empty()) {
        finish();
        return;
    }
    m_closersRunning = int(m_closers.size());
    m_closerTimer.start(kCloserWaitMs);
    const std::vector<Closer> closers = std::move(m_closers);
    m_closers.clear();
    for (const Closer &closer : closers) {
        auto once = std::make_shared<bool>(false);
        closer([this, once] {
            if (std::exchange(*once, true))
                return;
            if (--m_closersRunning == 0)
                finish();
        });
    }
}

void ReadCli::finish()
{
    if (std::exchange(m_finished, true))
        return;
    m_closerTimer.stop();
    emit finished(m_exitCode);
}

QString ReadCli::timeStamp(const QDateTime &time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

void ReadCli::diagnostic(const QString &text)
{
    const QString stamp = timeStamp(QDateTime::currentDateTime());
    std::fprintf(stderr, "%s talvo-cli: %s\n", qPrintable(stamp), qPrintable(text));
    std::fflush(stderr);
}
