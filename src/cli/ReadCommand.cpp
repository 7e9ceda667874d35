#include "ReadCommand.h"

#include "BellTonePlayer.h"
#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "link/ReplayReadingLinks.h"
#include "link/SerialReadingLinks.h"
#include "link/TcpClientReadingLinks.h"
#include "link/TcpListenerReadingLinks.h"
#include "link/UdpReadingLinks.h"

#include <algorithm>
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
    connect(&m_tables, &TagTables::problem, this, &ReadCommand::diagnostic);
    connect(m_tables.csvLog(), &CsvLog::linesNotWritten, this, &ReadCommand::handleLinesNotWritten);
    connect(&m_decoder, &ReportDecoder::tamperAlarmChanged, this, [this](bool shown, const QString &caption) {
        if (shown && caption == QLatin1String("Tamper Alarm"))
            diagnostic(QStringLiteral("tamper alarm"));
    });
    connect(&m_session, &ReadingSession::problem, this, &ReadCommand::diagnostic);
    connect(&m_session, &ReadingSession::logLine, this, [this](const QString &line) {
        if (m_options.verbose)
            diagnostic(line);
    });
    connect(&m_session, &ReadingSession::ended, this, &ReadCommand::handleEnded);
    connect(m_tables.csvLog(), &CsvLog::fallbackUsed, this,
            [this](const QString &wanted, const QString &used) {
                diagnostic(CsvLog::fallbackText().arg(wanted, used));
            });
    m_flushTimer.setInterval(200);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] {
        m_writer.flush();
        checkOutput();
    });
    m_durationTimer.setSingleShot(true);
    connect(&m_durationTimer, &QTimer::timeout, this, &ReadCommand::armDurationTimer);
}

ReadCommand::~ReadCommand() = default;

std::unique_ptr<ReadingLinks> ReadCommand::makeLinks()
{
    if (m_options.network.kinds() > 0)
        return makeNetworkLinks();
    if (!m_options.replayPath.isEmpty()) {
        auto replay = std::make_unique<ReplayReadingLinks>(m_options.replayPath, m_options.replayLabel);
        connect(replay.get(), &ReplayReadingLinks::inputFinished, this, &ReadCommand::requestStop);
        // The replay's only problems are an input that can't be opened or read (the session prints them).
        connect(replay.get(), &ReadingLinks::problem, this, [this] { m_exitCode = 1; });
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
    QStringList notes;
    const QStringList inputs{m_options.replayPath, m_options.table.selectionFile()};
    const bool ready = m_options.table.applyTo(m_tables, &error, &notes) &&
                       m_options.table.startSession(m_tables, inputs, &error, &notes);
    for (const QString &note : std::as_const(notes))
        diagnostic(note);
    if (!ready) {
        diagnostic(error);
        QMetaObject::invokeMethod(
            this, [this] { emit finished(2); }, Qt::QueuedConnection);
        return;
    }
    m_links = makeLinks();
    m_flushTimer.start();
    if (m_options.durationSec > 0) {
        m_deadline = QDeadlineTimer(qint64(m_options.durationSec * 1000));
        armDurationTimer();
    }
    m_session.start(m_links.get());
}

// A timer takes at most 24.8 days (int milliseconds): longer durations run in slices up to the deadline.
void ReadCommand::armDurationTimer()
{
    constexpr qint64 kSliceMs = 24 * 3600 * 1000;
    const qint64 left = m_deadline.remainingTime();
    if (left <= 0)
        requestStop();
    else
        m_durationTimer.start(int(std::min(left, kSliceMs)));
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
    checkOutput();
    if (m_options.count > 0 && qint64(m_writer.written()) >= m_options.count)
        requestStop();
}

// Standard output that refuses bytes (a closed pipe, a full disk) loses every report from then on.
void ReadCommand::checkOutput()
{
    if (!m_writer.failed() || m_outputFailureReported)
        return;
    m_outputFailureReported = true;
    diagnostic(QStringLiteral("standard output could not be written: %1; stopping").arg(m_writer.error()));
    m_exitCode = 1;
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
    m_writer.flush();
    checkOutput();
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
