#include "link/SerialReadingLinks.h"

#include "link/CommandFrame.h"
#include "link/ReadingSource.h"

#include <QSerialPort>
#include <algorithm>

struct SerialReadingLinks::Port
{
    int number = 0;
    std::unique_ptr<QSerialPort> serial;
    std::unique_ptr<ReadingSource> source;
    bool failed = false;
};

SerialReadingLinks::SerialReadingLinks(const SerialPortMap &map, const QList<int> &portNumbers,
                                       const Timing &timing, QObject *parent)
    : ReadingLinks(parent), m_map(map), m_requested(portNumbers), m_timing(timing)
{
    std::sort(m_requested.begin(), m_requested.end());
    m_requested.erase(std::unique(m_requested.begin(), m_requested.end()), m_requested.end());
    m_replyTimer.setSingleShot(true);
    m_gapTimer.setSingleShot(true);
    connect(&m_replyTimer, &QTimer::timeout, this, [this] { finishCommand(false); });
    connect(&m_gapTimer, &QTimer::timeout, this, &SerialReadingLinks::runNextCommand);
}

SerialReadingLinks::~SerialReadingLinks()
{
    // Ports close (and get their earlier settings back) as they are destroyed.
    m_ports.clear();
}

QList<int> SerialReadingLinks::openPorts() const
{
    QList<int> numbers;
    for (const auto &entry : m_ports)
        numbers.append(entry.first);
    return numbers;
}

int SerialReadingLinks::highestOpenPort() const
{
    return m_ports.empty() ? 0 : m_ports.rbegin()->first;
}

void SerialReadingLinks::open()
{
    if (m_phase != Phase::Closed)
        return;
    m_phase = Phase::Opening;
    for (int number : std::as_const(m_requested)) {
        if (number < 1 || number > SerialPortMap::kMaxPort)
            continue;
        QString why;
        if (openPort(number, &why))
            continue;
        raiseProblem(QStringLiteral("%1 (%2) could not be opened: %3"),
                     {SerialPortMap::label(number), m_map.device(number), why});
        if (m_reconnect)
            retryLater(number, why);
    }
    if (m_ports.empty() && !m_requested.isEmpty() && !m_reconnect)
        raiseProblem(QStringLiteral("No serial port could be opened; nothing will be read."));
    enqueue("M0");
    enqueue("A3");
}

bool SerialReadingLinks::openPort(int number, QString *why)
{
    const QString device = m_map.device(number);
    auto port = std::make_unique<Port>();
    port->number = number;
    port->serial = std::make_unique<QSerialPort>();
    port->serial->setPortName(device);
    if (!port->serial->open(QIODevice::ReadWrite)) {
        *why = port->serial->errorString();
        return false;
    }
    QSerialPort &s = *port->serial;
    s.setBaudRate(QSerialPort::Baud115200);
    s.setDataBits(QSerialPort::Data8);
    s.setParity(QSerialPort::NoParity);
    s.setStopBits(QSerialPort::OneStop);
    s.setFlowControl(QSerialPort::NoFlowControl);
    s.setReadBufferSize(0); // unbounded: the session takes everything queued
    s.clear();              // stale bytes from before the session
    port->source = std::make_unique<ReadingSource>(SerialPortMap::label(number));
    Port *raw = port.get();
    connect(&s, &QSerialPort::readyRead, this, [this, raw] { handleReadyRead(*raw); });
    connect(&s, &QSerialPort::errorOccurred, this, [this, raw](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError)
            handlePortError(*raw);
    });
    ReadingSource *source = port->source.get();
    m_ports[number] = std::move(port);
    emit sourceAdded(number, source);
    return true;
}

QString SerialReadingLinks::endpointText(int number) const
{
    return SerialPortMap::label(number) + QStringLiteral(" (") + m_map.device(number) + QLatin1Char(')');
}

void SerialReadingLinks::retryLater(int number, const QString &reason)
{
    std::unique_ptr<ReconnectSchedule> &retry = m_retries[number];
    if (!retry) {
        retry = std::make_unique<ReconnectSchedule>(m_timing);
        connect(retry.get(), &ReconnectSchedule::due, this, [this, number] { handleRetryDue(number); });
    }
    const int delay = retry->schedule();
    emit reconnectScheduled(endpointText(number), delay, reason);
}

void SerialReadingLinks::handleRetryDue(int number)
{
    if ((m_phase != Phase::Open && m_phase != Phase::Opening) || m_ports.count(number))
        return;
    QString why;
    if (!openPort(number, &why)) {
        retryLater(number, why);
        return;
    }
    m_retries[number]->reset();
    emit reconnected(endpointText(number));
    // The start commands go to the lowest open port: a port that is now the lowest hears them again
    // (while the links still open, after the ones queued at the start).
    if (m_ports.begin()->first == number) {
        enqueue("M0");
        enqueue("A3");
    }
}

void SerialReadingLinks::handleReadyRead(Port &port)
{
    const QByteArray bytes = port.serial->readAll();
    if (bytes.isEmpty())
        return;
    if (m_commandRunning && port.number == m_replyPort && !m_reply.isComplete()) {
        if (m_reply.feed(bytes))
            QMetaObject::invokeMethod(
                this, [this] { finishCommand(CommandFrame::checkReplyBcc(m_reply.reply())); },
                Qt::QueuedConnection);
    }
    port.source->appendBytes(bytes);
}

void SerialReadingLinks::handlePortError(Port &port)
{
    if (port.failed)
        return;
    port.failed = true;
    const QString why = port.serial->errorString();
    if (m_reconnect)
        raiseProblem(QStringLiteral("%1 (%2) failed: %3."),
                     {SerialPortMap::label(port.number), port.serial->portName(), why});
    else
        raiseProblem(QStringLiteral("%1 (%2) failed: %3; no more reports from this port."),
                     {SerialPortMap::label(port.number), port.serial->portName(), why});
    const int number = port.number;
    // Leave the error handler before the port object goes away.
    QMetaObject::invokeMethod(
        this,
        [this, number, why] {
            dropPort(number);
            if (m_reconnect && (m_phase == Phase::Open || m_phase == Phase::Opening))
                retryLater(number, why);
        },
        Qt::QueuedConnection);
}

void SerialReadingLinks::dropPort(int number)
{
    auto it = m_ports.find(number);
    if (it == m_ports.end())
        return;
    if (it->second->serial->isOpen()) {
        const QByteArray rest = it->second->serial->readAll();
        it->second->source->appendBytes(rest);
    }
    emit sourceRemoved(number);
    if (m_commandRunning && m_replyPort == number)
        finishCommand(false);
    m_ports.erase(it);
}

void SerialReadingLinks::broadcastCommand(const QByteArray &command)
{
    if (m_phase == Phase::Open || m_phase == Phase::Opening)
        enqueue(command);
}

void SerialReadingLinks::enqueue(const QByteArray &command)
{
    m_queue.append(command);
    if (!m_commandRunning && !m_gapTimer.isActive())
        runNextCommand();
}

void SerialReadingLinks::runNextCommand()
{
    if (m_commandRunning)
        return;
    if (m_queue.isEmpty()) {
        handleQueueEmpty();
        return;
    }
    m_current = m_queue.takeFirst();
    m_commandRunning = true;
    m_reply.reset();
    // Only the lowest open port is told: one reader on it answers for the installation.
    auto lowest =
        std::find_if(m_ports.begin(), m_ports.end(), [](const auto &e) { return !e.second->failed; });
    if (lowest == m_ports.end()) {
        m_replyPort = 0;
        finishCommand(true);
        return;
    }
    m_replyPort = lowest->first;
    QSerialPort &s = *lowest->second->serial;
    const QByteArray frame = CommandFrame::buildCommandFrame(m_current);
    if (s.write(frame) != frame.size()) {
        raiseProblem(QStringLiteral("%1: the command %2 could not be sent: %3"),
                     {SerialPortMap::label(m_replyPort), QString::fromLatin1(m_current), s.errorString()});
        finishCommand(false);
        return;
    }
    m_replyTimer.start(m_timing.replyWaitMs);
}

void SerialReadingLinks::finishCommand(bool ok)
{
    if (!m_commandRunning)
        return;
    m_replyTimer.stop();
    m_commandRunning = false;
    m_reply.reset();
    const QByteArray command = std::exchange(m_current, QByteArray());
    if (!ok && m_replyPort)
        emit logged(LinkLogEvent::of(LinkLogEvent::Kind::NoValidReply, SerialPortMap::label(m_replyPort), 0,
                                     QString::fromLatin1(command)));
    emit commandFinished(command, ok);
    m_gapTimer.start(m_timing.commandGapMs);
}

void SerialReadingLinks::handleQueueEmpty()
{
    if (m_phase == Phase::Opening) {
        m_phase = Phase::Open;
        emit opened();
    } else if (m_phase == Phase::Closing) {
        closePorts();
    }
}

void SerialReadingLinks::close()
{
    if (m_phase == Phase::Closed || m_phase == Phase::Closing)
        return;
    m_phase = Phase::Closing;
    for (auto &entry : m_retries)
        entry.second->cancel();
    enqueue("A0");
}

void SerialReadingLinks::closePorts()
{
    while (!m_ports.empty())
        dropPort(m_ports.begin()->first);
    m_phase = Phase::Closed;
    emit closed();
}
