#include "sim/SerialTransport.h"

#include <QSerialPort>

SerialTransport::SerialTransport(const QString &device, int baud, QObject *parent)
    : SimTransport(parent), m_device(device), m_baud(baud)
{
}

SerialTransport::~SerialTransport()
{
    close();
}

bool SerialTransport::open()
{
    close();
    m_port = std::make_unique<QSerialPort>(m_device);
    m_port->setBaudRate(m_baud);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        setErrorText(QStringLiteral("cannot open %1: %2").arg(m_device, m_port->errorString()));
        m_port.reset();
        return false;
    }
    connect(m_port.get(), &QSerialPort::readyRead, this, &SerialTransport::handleReadyRead);
    return true;
}

void SerialTransport::close()
{
    if (m_port)
        m_port->close();
    m_port.reset();
}

bool SerialTransport::hasPeer() const
{
    return m_port && m_port->isOpen();
}

void SerialTransport::handleReadyRead()
{
    const QByteArray bytes = m_port->readAll();
    if (!bytes.isEmpty())
        emit bytesReceived(1, bytes);
}

void SerialTransport::sendTo(PeerId, const QByteArray &bytes)
{
    if (hasPeer())
        m_port->write(bytes);
}

qint64 SerialTransport::unsentBytes() const
{
    return m_port ? m_port->bytesToWrite() : 0;
}

bool SerialTransport::sendReports(const QByteArray &lines)
{
    if (!hasPeer() || m_port->bytesToWrite() > kBacklogLimit)
        return false;
    m_port->write(lines);
    return true;
}
