#include "sim/TcpClientTransport.h"

#include <QTcpSocket>

TcpClientTransport::TcpClientTransport(const QString &host, quint16 port, const QHostAddress &localAddress,
                                       int reconnectMs, QObject *parent)
    : SimTransport(parent), m_host(host), m_port(port), m_localAddress(localAddress),
      m_reconnectMs(qMax(1, reconnectMs))
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &TcpClientTransport::connectNow);
}

TcpClientTransport::~TcpClientTransport()
{
    close();
}

bool TcpClientTransport::open()
{
    m_open = true;
    connectNow();
    return true;
}

void TcpClientTransport::close()
{
    m_open = false;
    m_retry.stop();
    dropSocket();
}

QString TcpClientTransport::endpoint() const
{
    const QString from = m_boundAddress.isNull() ? QString() : " from " + m_boundAddress.toString();
    return QStringLiteral("tcp-client %1:%2%3").arg(m_host).arg(m_port).arg(from);
}

void TcpClientTransport::dropSocket()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

void TcpClientTransport::connectNow()
{
    dropSocket();
    if (!m_open)
        return;
    m_socket = new QTcpSocket(this);
    const PeerId id = ++m_peerId;
    m_boundAddress = QHostAddress();
    // Start from our own loopback address where the system allows it; otherwise let it choose.
    if (!m_localAddress.isNull() && m_socket->bind(m_localAddress, 0))
        m_boundAddress = m_localAddress;
    QTcpSocket *socket = m_socket;
    connect(socket, &QTcpSocket::readyRead, this,
            [this, id, socket] { emit bytesReceived(id, socket->readAll()); });
    connect(socket, &QTcpSocket::connected, this, [this] {
        m_connected = true;
        emit peerConnected(m_host + ':' + QString::number(m_port));
    });
    connect(socket, &QTcpSocket::disconnected, this, &TcpClientTransport::handleLost);
    connect(socket, &QTcpSocket::errorOccurred, this, &TcpClientTransport::handleLost);
    socket->connectToHost(m_host, m_port);
}

void TcpClientTransport::handleLost()
{
    if (!m_socket || m_retry.isActive())
        return;
    const bool wasConnected = m_connected;
    m_connected = false;
    dropSocket();
    emit peerClosed(m_peerId);
    if (wasConnected)
        emit peerDisconnected(m_host + ':' + QString::number(m_port));
    if (m_open)
        m_retry.start(m_reconnectMs);
}

bool TcpClientTransport::hasPeer() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void TcpClientTransport::sendTo(PeerId peer, const QByteArray &bytes)
{
    if (peer == m_peerId && hasPeer())
        m_socket->write(bytes);
}

qint64 TcpClientTransport::unsentBytes() const
{
    return hasPeer() ? m_socket->bytesToWrite() : 0;
}

bool TcpClientTransport::sendReports(const QByteArray &lines)
{
    if (!hasPeer() || m_socket->bytesToWrite() >= kBacklogLimit)
        return false;
    m_socket->write(lines);
    return true;
}
