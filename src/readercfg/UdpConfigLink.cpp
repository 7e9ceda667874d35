#include "readercfg/UdpConfigLink.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

UdpConfigLink::UdpConfigLink(const QHostAddress &localAddress, quint16 localPort,
                             const QHostAddress &destAddress, quint16 destPort, bool handedOver,
                             QObject *parent)
    : ConfigLink(LinkKind::Udp, parent), m_localAddress(localAddress), m_localPort(localPort),
      m_destAddress(destAddress), m_destPort(destPort), m_handedOver(handedOver)
{
}

UdpConfigLink::~UdpConfigLink()
{
    close();
}

bool UdpConfigLink::open()
{
    close();
    if (m_destAddress.isNull()) {
        setError(QStringLiteral("No reader address to send to"));
        return false;
    }
    if (!m_handedOver) {
        m_socket = std::make_unique<QUdpSocket>();
        if (!m_socket->bind(m_localAddress, m_localPort)) {
            setError(QStringLiteral("Cannot use UDP port %1: %2"),
                     {QString::number(m_localPort), m_socket->errorString()});
            m_socket.reset();
            return false;
        }
        connect(m_socket.get(), &QUdpSocket::readyRead, this, &UdpConfigLink::handleReadyRead);
    }
    clearError();
    becomeReady();
    return true;
}

void UdpConfigLink::close()
{
    if (m_socket) {
        disconnect(m_socket.get(), nullptr, this, nullptr);
        m_socket->close();
        m_socket.reset();
    }
    setState(State::Closed);
}

quint16 UdpConfigLink::localPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

bool UdpConfigLink::send(const QByteArray &bytes)
{
    if (state() != State::Ready)
        return false;
    if (m_handedOver)
        return m_sender && m_sender(QNetworkDatagram(bytes, m_destAddress, m_destPort));
    return m_socket->writeDatagram(bytes, m_destAddress, m_destPort) == bytes.size();
}

bool UdpConfigLink::deliverDatagram(const QNetworkDatagram &datagram)
{
    if (state() != State::Ready)
        return false;
    if (!datagram.senderAddress().isEqual(m_destAddress, QHostAddress::TolerantConversion)) {
        ++m_ignored;
        return false;
    }
    emit bytesReceived(datagram.data());
    return true;
}

void UdpConfigLink::handleReadyRead()
{
    // Each datagram is taken off the socket and handed on once.
    while (m_socket && m_socket->hasPendingDatagrams())
        deliverDatagram(m_socket->receiveDatagram());
}
