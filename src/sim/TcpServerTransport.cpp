#include "sim/TcpServerTransport.h"

#include <QTcpServer>
#include <QTcpSocket>

TcpServerTransport::TcpServerTransport(const QHostAddress &address, quint16 port, QObject *parent)
    : SimTransport(parent), m_address(address), m_port(port)
{
}

TcpServerTransport::~TcpServerTransport()
{
    close();
}

bool TcpServerTransport::open()
{
    close();
    m_server = std::make_unique<QTcpServer>();
    if (!m_server->listen(m_address, m_port)) {
        setErrorText(QStringLiteral("cannot listen on %1:%2: %3")
                         .arg(m_address.toString())
                         .arg(m_port)
                         .arg(m_server->errorString()));
        m_server.reset();
        return false;
    }
    connect(m_server.get(), &QTcpServer::newConnection, this, &TcpServerTransport::handleNewConnection);
    return true;
}

void TcpServerTransport::close()
{
    const auto peers = m_peers;
    m_peers.clear();
    for (QTcpSocket *socket : peers) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    m_server.reset();
}

quint16 TcpServerTransport::localPort() const
{
    return m_server ? m_server->serverPort() : m_port;
}

QString TcpServerTransport::endpoint() const
{
    return QStringLiteral("tcp-server %1:%2").arg(m_address.toString()).arg(localPort());
}

void TcpServerTransport::handleNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        const PeerId id = m_nextId++;
        m_peers.insert(id, socket);
        socket->setParent(this);
        const QString name = socket->peerAddress().toString() + ':' + QString::number(socket->peerPort());
        connect(socket, &QTcpSocket::readyRead, this,
                [this, id, socket] { emit bytesReceived(id, socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id, name] {
            dropPeer(id);
            emit peerDisconnected(name);
        });
        emit peerConnected(name);
    }
}

void TcpServerTransport::dropPeer(PeerId id)
{
    if (QTcpSocket *socket = m_peers.take(id))
        socket->deleteLater();
    emit peerClosed(id);
}

void TcpServerTransport::sendTo(PeerId peer, const QByteArray &bytes)
{
    if (QTcpSocket *socket = m_peers.value(peer))
        socket->write(bytes);
}

qint64 TcpServerTransport::unsentBytes() const
{
    qint64 bytes = 0;
    for (const QTcpSocket *socket : m_peers)
        if (socket->state() == QAbstractSocket::ConnectedState)
            bytes += socket->bytesToWrite();
    return bytes;
}

bool TcpServerTransport::sendReports(const QByteArray &lines)
{
    bool taken = false;
    for (QTcpSocket *socket : std::as_const(m_peers)) {
        if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < kBacklogLimit) {
            socket->write(lines);
            taken = true;
        }
    }
    return taken;
}
