#include "readercfg/TcpListenerConfigLink.h"

#include "link/HostAddressText.h"
#include "link/TcpKeepAlive.h"

#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

TcpListenerConfigLink::TcpListenerConfigLink(const QHostAddress &listenAddress, quint16 port,
                                             const QString &acceptAddress, bool handedOver, QObject *parent)
    : ConfigLink(LinkKind::TcpListener, parent), m_listenAddress(listenAddress), m_port(port),
      m_acceptText(acceptAddress.trimmed()), m_handedOver(handedOver)
{
}

TcpListenerConfigLink::~TcpListenerConfigLink()
{
    close();
}

bool TcpListenerConfigLink::open()
{
    close();
    if (m_acceptText.isEmpty()) {
        setError(QStringLiteral("No reader address to accept"));
        return false;
    }
    m_acceptAddresses.clear();
    const QHostAddress literal(m_acceptText);
    if (!literal.isNull()) {
        m_acceptAddresses.append(literal);
    } else {
        m_lookupId = QHostInfo::lookupHost(m_acceptText, this, [this](const QHostInfo &info) {
            m_lookupId = -1;
            m_acceptAddresses = info.addresses();
        });
    }
    if (!m_handedOver) {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, &TcpListenerConfigLink::handleNewConnections);
        if (!m_server->listen(m_listenAddress, m_port)) {
            setError(QStringLiteral("Cannot listen on port %1: %2"),
                     {QString::number(m_port), m_server->errorString()});
            close();
            return false;
        }
    }
    clearError();
    setState(State::Waiting);
    return true;
}

void TcpListenerConfigLink::close()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(std::exchange(m_lookupId, -1));
    const bool wasOpen = state() != State::Closed;
    releaseConnection();
    if (m_server) {
        disconnect(m_server, nullptr, this, nullptr);
        delete m_server; // connections still pending in it go with it
        m_server = nullptr;
    }
    setState(State::Closed);
    if (wasOpen)
        emit readerReleased();
}

quint16 TcpListenerConfigLink::serverPort() const
{
    return m_server && m_server->isListening() ? m_server->serverPort() : 0;
}

bool TcpListenerConfigLink::send(const QByteArray &bytes)
{
    if (state() != State::Ready || !m_connection)
        return false;
    return m_connection->write(bytes) == bytes.size();
}

bool TcpListenerConfigLink::adoptConnection(QTcpSocket *socket)
{
    if (!socket || state() == State::Closed || !matches(socket))
        return false;
    take(socket, false);
    return true;
}

void TcpListenerConfigLink::handleNewConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (matches(socket)) {
            take(socket, true);
            continue;
        }
        emit readerRejected(hostAddressText(socket->peerAddress()));
        socket->abort();
        socket->deleteLater();
    }
}

bool TcpListenerConfigLink::matches(QTcpSocket *socket) const
{
    const QHostAddress peer = socket->peerAddress();
    if (hostAddressText(peer) == m_acceptText || socket->peerName() == m_acceptText)
        return true;
    return std::any_of(m_acceptAddresses.begin(), m_acceptAddresses.end(), [&peer](const QHostAddress &a) {
        return a.isEqual(peer, QHostAddress::TolerantConversion);
    });
}

void TcpListenerConfigLink::take(QTcpSocket *socket, bool owned)
{
    releaseConnection();
    m_connection = socket;
    m_owned = owned;
    if (owned)
        socket->setParent(this);
    m_acceptedAddress = hostAddressText(socket->peerAddress());
    TcpKeepAlive::enable(socket);
    connect(socket, &QTcpSocket::readyRead, this, [this] { emit bytesReceived(m_connection->readAll()); });
    connect(socket, &QTcpSocket::disconnected, this, &TcpListenerConfigLink::handleLost);
    connect(socket, &QTcpSocket::errorOccurred, this, &TcpListenerConfigLink::handleLost);
    // A handed-over socket its owner deletes: the link waits for the reader again.
    connect(socket, &QObject::destroyed, this, [this] {
        m_acceptedAddress.clear();
        if (state() == State::Ready) {
            setState(State::Waiting);
            setError(QStringLiteral("The reader connection was closed"));
            emit failed(errorText());
        }
    });
    emit readerAccepted(m_acceptedAddress);
    if (socket->state() != QAbstractSocket::ConnectedState) {
        handleLost();
        return;
    }
    // Bytes that came before the connection was taken belong to no command of ours.
    socket->readAll();
    becomeReady();
}

void TcpListenerConfigLink::releaseConnection()
{
    QAbstractSocket *socket = m_connection.data();
    m_connection.clear();
    m_acceptedAddress.clear();
    if (!socket)
        return;
    disconnect(socket, nullptr, this, nullptr);
    if (m_owned) {
        socket->abort();
        socket->deleteLater();
    }
}

void TcpListenerConfigLink::handleLost()
{
    if (!m_connection)
        return;
    setError(QStringLiteral("Reader %1: %2"), {m_acceptedAddress, m_connection->errorString()});
    const QString why = errorText();
    releaseConnection();
    // Still listening: the reader may connect again.
    setState(m_server || m_handedOver ? State::Waiting : State::Closed);
    emit failed(why);
}
