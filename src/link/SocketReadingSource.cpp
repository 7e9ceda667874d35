#include "link/SocketReadingSource.h"

#include "link/CommandFrame.h"
#include "link/HostAddressText.h"

#include <QHostAddress>
#include <QTcpSocket>

SocketReadingSource::SocketReadingSource(QTcpSocket *socket, const QString &label, QObject *parent)
    : ReadingSource(label, parent), m_socket(socket)
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kReadBufferLimit);
    connect(m_socket, &QTcpSocket::readyRead, this, &ReadingSource::readyRead);
}

QString SocketReadingSource::peerText() const
{
    return hostAddressText(m_socket->peerAddress()) + QLatin1Char(':') +
           QString::number(m_socket->peerPort());
}

QString SocketReadingSource::connectedLine() const
{
    return QStringLiteral("Connected:") + hostAddressText(m_socket->peerAddress()) +
           QStringLiteral(" Port:") + QString::number(m_socket->peerPort());
}

bool SocketReadingSource::isEligible() const
{
    return m_socket->bytesAvailable() > 0;
}

QByteArray SocketReadingSource::takeBytes()
{
    return m_socket->readAll();
}

bool SocketReadingSource::sendFrame(const QByteArray &frame)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    return m_socket->write(frame) == frame.size();
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
