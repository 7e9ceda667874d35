#include "ReadCommand.h"

#include "BellTonePlayer.h"
#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "i18n/ProblemText.h"
#include "link/ReplayReadingLinks.h"
#include "link/SerialReadingLinks.h"
#include "link/TcpClientReadingLinks.h"
#include "link/TcpListenerReadingLinks.h"
#include "link/UdpReadingLinks.h"

#include <cstdio>

ReadCommand::ReadCommand(const ReadOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_clock(std::make_unique<SystemClock>()),
      m_tones(options.table.beep() ? std::unique_ptr<TonePlayer>(std::make_unique<BellTonePlayer>())
                                   : std::make_unique<SilentTonePlayer>()),
      m_tables(*m_clock, *m_tones),
      m_writer(stdout, options.format == ReadOptions::Format::Csv ? ReportWriter::Format::Csv
                                                                  : ReportWriter::Format::JsonLines)
{
    m_timing.replyWaitMs = options.replyWaitMs;
    m_session.setTiming(m_timing);
    m_decoder.setTypeSwitches(options.types);
    connect(&m_session, &ReadingSession::frameReady, &m_decoder, &ReportDecoder::decodeReport);
    connect(&m_decoder, &ReportDecoder::reportDecoded, &m_tables, &TagTables::applyReport);
    connect(&m_tables, &TagTables::reportEntered, this, &ReadCommand::handleReport);
    connect(&m_tables, &TagTables::problem, this,
            [this](const Problem &problem) { diagnostic(problemText(problem, Language::English)); });
    connect(m_tables.csvLog(), &CsvLog::linesNotWritten, this, &ReadCommand::handleLinesNotWritten);
    connect(&m_decoder, &ReportDecoder::tamperChanged, this, [this](bool shown, int countdown) {
        if (shown && countdown == ReportDecoder::kNoCountdown)
            diagnostic(QStringLiteral("tamper alarm"));
    });
    connect(&m_session, &ReadingSession::problem, this, &ReadCommand::diagnostic);
    connect(&m_session, &ReadingSession::logLine, this, [this](const QString &line) {
        if (m_options.verbose)
            diagnostic(line);
    });
    connect(&m_session, &ReadingSession::ended, this, &ReadCommand::handleEnded);
    m_flushTimer.setInterval(200);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] { m_writer.flush(); });
    m_durationTimer.setSingleShot(true);
    connect(&m_durationTimer, &QTimer::timeout, this, &ReadCommand::requestStop);
}

ReadCommand::~ReadCommand() = default;

std::unique_ptr<ReadingLinks> ReadCommand::makeLinks()
{
    if (m_options.network.kinds() > 0)
        return makeNetworkLinks();
    if (!m_options.replayPath.isEmpty()) {
        auto replay = std::make_unique<ReplayReadingLinks>(m_options.replayPath, m_options.replayLabel);
        connect(replay.get(), &ReplayReadingLinks::inputFinished, this, &ReadCommand::requestStop);
        return replay;
    }
    SerialPortMap map;
    QList<int> numbers;
    for (const auto &[number, device] : std::as_const(m_options.comPorts)) {
        numbers.append(number);
        if (!device.isEmpty())
            map.setDevice(number, device);
    }
    auto serial = std::make_unique<SerialReadingLinks>(map, numbers, m_timing);
    SerialReadingLinks *raw = serial.get();
    connect(raw, &ReadingLinks::opened, this, [this, raw] {
        if (raw->openPorts().isEmpty()) {
            diagnostic(QStringLiteral("no serial port could be opened; stopping"));
            m_exitCode = 1;
            requestStop();
        }
    });
    return serial;
}

// Network links whose endpoint cannot be had, or whose readers are all gone, end the session: nothing
// more can come (the links do not reconnect by themselves).
std::unique_ptr<ReadingLinks> ReadCommand::makeNetworkLinks()
{
    auto links = m_options.network.createLinks(m_timing);
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

void ReadCommand::stopWithFailure(const QString &why)
{
    if (m_stopRequested)
        return;
    diagnostic(why);
    m_exitCode = 1;
    requestStop();
}

void ReadCommand::start()
{
    QString error;
    if (!m_options.table.applyTo(m_tables, &error)) {
        diagnostic(error);
        QMetaObject::invokeMethod(
            this, [this] { emit finished(2); }, Qt::QueuedConnection);
        return;
    }
    m_tables.startSession();
    m_links = makeLinks();
    m_flushTimer.start();
    if (m_options.durationSec > 0)
        m_durationTimer.start(int(m_options.durationSec * 1000));
    m_session.start(m_links.get());
}

void ReadCommand::requestStop()
{
    if (m_stopRequested)
        return;
    m_stopRequested = true;
    m_session.stop();
}

void ReadCommand::handleReport(const TTagReport &report, const QString &label)
{
    if (m_options.count > 0 && qint64(m_writer.written()) >= m_options.count)
        return;
    m_writer.write(report, label);
    if (m_options.count > 0 && qint64(m_writer.written()) >= m_options.count)
        requestStop();
}

void ReadCommand::handleLinesNotWritten(quint64 total, const QString &reason)
{
    // Every lost line is counted; the reason is printed when it changes, not once per line.
    if (reason == m_lastCsvProblem)
        return;
    m_lastCsvProblem = reason;
    diagnostic(QStringLiteral("CSV line not written (%1 so far): %2").arg(total).arg(reason));
}

void ReadCommand::handleEnded()
{
    m_flushTimer.stop();
    if (!m_options.table.finish(m_tables))
        m_exitCode = 1; // CSV lines were lost; the summary says how many and why
    if (!m_writer.flush() && m_writer.written() > 0) {
        diagnostic(QStringLiteral("standard output could not be written"));
        m_exitCode = 1;
    }
    if (m_options.verbose)
        diagnostic(QStringLiteral("%1 reports, %2 frames, %3 bytes")
                       .arg(m_writer.written())
                       .arg(m_session.framesCut())
                       .arg(m_session.bytesRead()));
    diagnostic(ReadTableOptions::summary(m_tables));
    emit finished(m_exitCode);
}

void ReadCommand::diagnostic(const QString &text)
{
    std::fprintf(stderr, "talvo-cli: %s\n", qPrintable(text));
    std::fflush(stderr);
}
