#include "link/SocketReadingSource.h"

#include "link/CommandFrame.h"
#include "link/HostAddressText.h"
#include "link/NativeSocketIo.h"

#include <QHostAddress>
#include <QTcpSocket>

SocketReadingSource::SocketReadingSource(QTcpSocket *socket, const QString &label, QObject *parent)
    : ReadingSource(label, parent), m_socket(socket)
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kReadBufferLimit);
    connect(m_socket, &QTcpSocket::readyRead, this, &ReadingSource::readyRead);
    // Connected before anyone else hears of the end: the bytes are safe before links act on it.
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] { holdArrivedBytes(); });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] { holdArrivedBytes(); });
}

QString SocketReadingSource::peerText() const
{
    return hostAddressText(m_socket->peerAddress()) + QLatin1Char(':') +
           QString::number(m_socket->peerPort());
}

bool SocketReadingSource::isEligible() const
{
    return pendingSize() > 0 || m_socket->bytesAvailable() > 0;
}

QByteArray SocketReadingSource::takeBytes()
{
    QByteArray bytes = ReadingSource::takeBytes();
    bytes += socketBytes();
    return bytes;
}

QByteArray SocketReadingSource::socketBytes()
{
    // A socket closed after a failed write can no longer be read (and says so when asked).
    return m_socket->bytesAvailable() > 0 ? m_socket->readAll() : QByteArray();
}

void SocketReadingSource::holdArrivedBytes(qint64 limit)
{
    // The socket's bytes came first; then what the system holds behind them.
    QByteArray bytes = socketBytes();
    if (!m_ended) {
        const NativeSocketIo::Received r =
            NativeSocketIo::receiveWaiting(m_socket->socketDescriptor(), bytes, limit);
        if (r.ended) {
            m_ended = true;
            m_endReason = r.reason;
        }
    }
    appendBytes(bytes);
}

bool SocketReadingSource::isLive()
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    if (!m_ended && pendingSize() < kReadBufferLimit)
        holdArrivedBytes(kReadBufferLimit - pendingSize());
    return !m_ended;
}

QString SocketReadingSource::endReason() const
{
    if (m_socket->error() != QAbstractSocket::UnknownSocketError || m_endReason.isEmpty())
        return m_socket->errorString();
    return m_endReason;
}

bool SocketReadingSource::sendFrame(const QByteArray &frame)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState || m_ended)
        return false;
    // Straight to the connection when nothing waits in front of the frame: a socket whose own write
    // finds the reader gone closes at once and drops the reader's last lines with it. A reader gone
    // is noticed by reading, after those lines.
    qint64 sent = 0;
    if (m_socket->bytesToWrite() == 0) {
        sent = NativeSocketIo::sendNow(m_socket->socketDescriptor(), frame);
        if (sent < 0)
            return false;
    }
    if (sent == frame.size())
        return true;
    const qint64 rest = frame.size() - sent;
    return m_socket->write(frame.constData() + sent, rest) == rest;
}

void SocketReadingSource::greet(int gapMs)
{
    static const QByteArray m1 = CommandFrame::buildCommandFrame("M1");
    static const QByteArray a3 = CommandFrame::buildCommandFrame("A3");
    m_greeting.setGapMs(gapMs);
    for (int round = 0; round < kGreetingRounds; ++round) {
        m_greeting.enqueue([this] { sendFrame(m1); });
        m_greeting.enqueue([this] { sendFrame(a3); });
    }
}
