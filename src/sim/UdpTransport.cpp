#include "sim/UdpTransport.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

UdpTransport::UdpTransport(const QHostAddress &address, quint16 port, const QHostAddress &reportHost,
                           quint16 reportPort, QObject *parent)
    : SimTransport(parent), m_address(address), m_port(port), m_reportHost(reportHost),
      m_reportPort(reportPort), m_fixedReportHost(!reportHost.isNull())
{
}

UdpTransport::~UdpTransport()
{
    close();
}

bool UdpTransport::open()
{
    close();
    m_socket = std::make_unique<QUdpSocket>();
    if (!m_socket->bind(m_address, m_port)) {
        setErrorText(QStringLiteral("cannot bind UDP %1:%2: %3")
                         .arg(m_address.toString())
                         .arg(m_port)
                         .arg(m_socket->errorString()));
        m_socket.reset();
        return false;
    }
    connect(m_socket.get(), &QUdpSocket::readyRead, this, &UdpTransport::handleReadyRead);
    return true;
}

void UdpTransport::close()
{
    m_socket.reset();
    if (!m_fixedReportHost)
        m_reportHost = QHostAddress();
}

quint16 UdpTransport::localPort() const
{
    return m_socket ? m_socket->localPort() : m_port;
}

QString UdpTransport::endpoint() const
{
    return QStringLiteral("udp %1:%2").arg(m_address.toString()).arg(localPort());
}

void UdpTransport::handleReadyRead()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            continue;
        const QHostAddress sender = datagram.senderAddress();
        const quint16 senderPort = quint16(datagram.senderPort());
        const QString key = sender.toString() + ':' + QString::number(senderPort);
        PeerId id = m_peerIds.value(key);
        if (id == 0) {
            id = PeerId(m_peerIds.size() + 1);
            m_peerIds.insert(key, id);
            m_peers.insert(id, {sender, senderPort});
            emit peerConnected(key);
        }
        if (!m_fixedReportHost) {
            m_reportHost = sender;
            m_reportPort = senderPort;
        }
        emit bytesReceived(id, datagram.data());
    }
}

void UdpTransport::sendTo(PeerId peer, const QByteArray &bytes)
{
    const auto it = m_peers.constFind(peer);
    if (m_socket && it != m_peers.constEnd())
        m_socket->writeDatagram(bytes, it->address, it->port);
}

bool UdpTransport::sendReports(const QByteArray &lines)
{
    if (!m_socket || m_reportHost.isNull())
        return false;
    // Whole lines per datagram, so no line is ever split between two.
    qsizetype start = 0;
    while (start < lines.size()) {
        qsizetype end = start;
        while (end < lines.size()) {
            const qsizetype cr = lines.indexOf('\r', end);
            const qsizetype next = cr < 0 ? lines.size() : cr + 1;
            if (next - start > kMaxDatagram && end > start)
                break;
            end = next;
        }
        if (m_socket->writeDatagram(lines.constData() + start, end - start, m_reportHost, m_reportPort) < 0)
            return false;
        start = end;
    }
    return true;
}
