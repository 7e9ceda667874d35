#include "readercfg/SerialConfigLink.h"

#include "readercfg/SerialMode.h"

#include <QSerialPort>

SerialConfigLink::SerialConfigLink(const QString &device, const QString &mode, QObject *parent)
    : ConfigLink(LinkKind::Serial, parent), m_device(device), m_mode(mode)
{
}

SerialConfigLink::~SerialConfigLink()
{
    close();
}

bool SerialConfigLink::open()
{
    close();
    const std::optional<SerialMode> mode = SerialMode::parse(m_mode);
    if (!mode) {
        setError(QStringLiteral("Cannot open %1: line settings \"%2\" are not valid"), {m_device, m_mode});
        return false;
    }
    m_port = std::make_unique<QSerialPort>(m_device);
    // Qt's own buffer never holds much more than the queue limit; the rest waits in the driver.
    m_port->setReadBufferSize(2 * kMaxQueued);
    if (!m_port->open(QIODevice::ReadWrite)) {
        setError(QStringLiteral("Cannot open %1: %2"), {m_device, m_port->errorString()});
        m_port.reset();
        return false;
    }
    const bool set = m_port->setBaudRate(mode->baud) && m_port->setParity(mode->parity) &&
                     m_port->setDataBits(mode->dataBits) && m_port->setStopBits(mode->stopBits) &&
                     m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!set) {
        setError(QStringLiteral("Cannot set %1 to \"%2\": %3"), {m_device, m_mode, m_port->errorString()});
        m_port.reset();
        return false;
    }
    m_port->clear(QSerialPort::AllDirections);
    connect(m_port.get(), &QSerialPort::readyRead, this, &SerialConfigLink::handleReadyRead);
    connect(m_port.get(), &QSerialPort::errorOccurred, this, &SerialConfigLink::handleError);
    clearError();
    becomeReady();
    return true;
}

void SerialConfigLink::close()
{
    if (!m_port)
        return;
    disconnect(m_port.get(), nullptr, this, nullptr);
    m_port->close();
    m_port.reset();
    setState(State::Closed);
}

bool SerialConfigLink::send(const QByteArray &bytes)
{
    if (state() != State::Ready)
        return false;
    return m_port->write(bytes) == bytes.size();
}

void SerialConfigLink::discardPending()
{
    // Only what came in: a stale reply must not answer the next command. Output is left alone: a
    // frame still queued goes out whole, and dropping the port's write queue while it is being
    // written leaves the port with a queue it no longer writes, so the next command never leaves.
    if (m_port)
        m_port->clear(QSerialPort::Input);
}

void SerialConfigLink::handleReadyRead()
{
    if (m_port->bytesAvailable() > kMaxQueued) {
        m_port->clear(QSerialPort::Input);
        m_port->readAll();
        return;
    }
    const QByteArray bytes = m_port->readAll();
    if (!bytes.isEmpty())
        emit bytesReceived(bytes);
}

void SerialConfigLink::handleError()
{
    const QSerialPort::SerialPortError error = m_port->error();
    // A device that went away (unplugged adapter) ends the link; other errors are per operation.
    if (error != QSerialPort::ResourceError && error != QSerialPort::PermissionError)
        return;
    setError(QStringLiteral("%1: %2"), {m_device, m_port->errorString()});
    const QString why = errorText();
    disconnect(m_port.get(), nullptr, this, nullptr);
    m_port->close();
    m_port.release()->deleteLater(); // it is still inside its own signal
    setState(State::Closed);
    emit failed(why);
}
