#include "link/TcpListenerReadingLinks.h"

#include "base/PortText.h"
#include "link/HostAddressText.h"
#include "link/SocketReadingSource.h"
#include "link/TcpAcceptor.h"
#include "link/TcpKeepAlive.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <utility>

TcpListenerReadingLinks::TcpListenerReadingLinks(QObject *parent)
    : NetworkReadingLinks(parent), m_slots(kMaxConnections + 1)
{
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &TcpListenerReadingLinks::tearDown);
}

TcpListenerReadingLinks::~TcpListenerReadingLinks()
{
    stopAccepting();
    detachSockets();
    // Links destroyed while open: the session must not keep sources that are about to go.
    for (int i = 1; i <= m_highest; ++i)
        if (m_slots[size_t(i)].source)
            emit sourceRemoved(i);
}

void TcpListenerReadingLinks::stopAccepting()
{
    delete m_acceptor;
    m_acceptor = nullptr;
}

void TcpListenerReadingLinks::detachSockets()
{
    // Sockets closing as they are destroyed must not call back into links being destroyed.
    const auto sockets = findChildren<QTcpSocket *>();
    for (QTcpSocket *socket : sockets)
        disconnect(socket, nullptr, this, nullptr);
}

quint16 TcpListenerReadingLinks::serverPort() const
{
    return m_server && m_server->isListening() ? m_server->serverPort() : 0;
}

void TcpListenerReadingLinks::open()
{
    if (!beginOpen())
        return;
    m_listenPortText = PortText::normalized(m_listenPortText);
    m_highest = 0;
    m_count = 0;
    m_fullReported = false;
    m_server = new QTcpServer(this);
    // 512 readers connecting at once must all get through: the kernel's queue and Qt's own.
    m_server->setListenBacklogSize(kMaxConnections);
    m_server->setMaxPendingConnections(kMaxConnections);
    const std::optional<quint16> port = portNumber(m_listenPortText);
    if (!port) {
        emit opened();
        return;
    }
    if (m_server->listen(m_listenAddress, *port)) {
        m_acceptor = new TcpAcceptor(m_server, this);
        connect(m_acceptor, &TcpAcceptor::accepted, this, &TcpListenerReadingLinks::accept);
        emit logged(LinkLogEvent::of(LinkLogEvent::Kind::Listening, {}, m_server->serverPort()));
    } else {
        const QString why = m_server->errorString();
        emit logged(LinkLogEvent::of(LinkLogEvent::Kind::NotListening, {}, *port, why));
        raiseProblem(QStringLiteral("Cannot listen on port %1: %2"), {m_listenPortText, why});
    }
    emit opened();
}

int TcpListenerReadingLinks::lowestFreeSlot() const
{
    for (int i = 1; i <= kMaxConnections; ++i)
        if (!m_slots[size_t(i)].source)
            return i;
    return 0;
}

int TcpListenerReadingLinks::slotForNewConnection()
{
    if (const int slot = lowestFreeSlot())
        return slot;
    // Full only with live connections: a reader that has gone, and that the socket has not noticed
    // yet, gives up its slot now (after its bytes are read).
    for (int i = 1; i <= m_highest; ++i)
        if (SocketReadingSource *source = m_slots[size_t(i)].source; source && !source->isLive())
            handleDropped(i, source);
    return lowestFreeSlot();
}

void TcpListenerReadingLinks::accept(QTcpSocket *socket, const QHostAddress &peer, quint16 peerPort)
{
    if (!isOpen()) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    TcpKeepAlive::enable(socket); // a reader that loses power or its cable is noticed
    if (isConfigurationMode()) {
        emit connectionOffered(socket);
        return;
    }
    // Taken from the accept, not the socket: a connection already reset no longer knows its peer.
    const QString address = hostAddressText(peer);
    const QString line = address + QLatin1Char(':') + QString::number(peerPort);
    // The same reader connecting again: its older connection goes, it is not kept open unread.
    if (const auto it = m_slotByAddress.constFind(address); it != m_slotByAddress.constEnd())
        removeSlot(it.value());
    const int slot = slotForNewConnection();
    if (!slot) {
        // Said once while the listener is full, so that a flood of connections is not a flood of messages.
        if (!std::exchange(m_fullReported, true)) {
            emit logged(LinkLogEvent::of(LinkLogEvent::Kind::ReaderRefused, address, peerPort));
            raiseProblem(QStringLiteral("%1 readers are connected; connection from %2 refused"),
                         {QString::number(kMaxConnections), line});
        }
        socket->abort();
        socket->deleteLater();
        return;
    }
    auto *source = new SocketReadingSource(socket, address, this);
    m_slots[size_t(slot)] = {source, line, peerPort};
    m_slotByAddress.insert(address, slot);
    m_highest = std::max(m_highest, slot);
    ++m_count;
    m_lines.append(line);
    connect(socket, &QTcpSocket::disconnected, this, [this, slot, source] { handleDropped(slot, source); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, slot, source](QAbstractSocket::SocketError e) {
        if (e != QAbstractSocket::RemoteHostClosedError)
            handleDropped(slot, source);
    });
    emit clientListed(line);
    emit readerConnected(address, serverPort());
    source->greet(timing().commandGapMs);
    emit sourceAdded(slot, source);
}

void TcpListenerReadingLinks::handleDropped(int slot, SocketReadingSource *source)
{
    if (m_slots[size_t(slot)].source != source || isClosing())
        return;
    const QString line = m_slots[size_t(slot)].line;
    const quint16 peerPort = m_slots[size_t(slot)].peerPort;
    const QString why = source->endReason();
    removeSlot(slot);
    emit logged(LinkLogEvent::of(LinkLogEvent::Kind::ReaderDropped, source->label(), peerPort, why));
    raiseProblem(QStringLiteral("Reader %1 disconnected: %2"), {line, why});
}

void TcpListenerReadingLinks::removeSlot(int slot)
{
    Slot &s = m_slots[size_t(slot)];
    SocketReadingSource *source = s.source;
    if (!source)
        return;
    // The session takes what the connection still holds before the source goes. A connection that
    // the reader ended has already given up all of it.
    source->holdArrivedBytes(kLastBytesLimit);
    emit sourceRemoved(slot);
    const QString line = std::exchange(s.line, QString());
    s.source = nullptr;
    --m_count;
    m_fullReported = false;
    if (m_slotByAddress.value(source->label()) == slot)
        m_slotByAddress.remove(source->label());
    m_lines.removeOne(line);
    emit clientUnlisted(line);
    QTcpSocket *socket = source->socket();
    disconnect(socket, nullptr, this, nullptr);
    source->stopGreeting();
    socket->disconnectFromHost();
    source->deleteLater();
}

void TcpListenerReadingLinks::sendFrameToAll(const QByteArray &frame)
{
    for (int i = 1; i <= m_highest; ++i)
        if (SocketReadingSource *source = m_slots[size_t(i)].source)
            source->sendFrame(frame);
}

void TcpListenerReadingLinks::stopGreetings()
{
    for (int i = 1; i <= m_highest; ++i)
        if (SocketReadingSource *source = m_slots[size_t(i)].source)
            source->stopGreeting();
}

void TcpListenerReadingLinks::closeLinks()
{
    stopAccepting();
    if (m_server)
        m_server->close();
    m_settle.start(timing().closeSettleMs);
}

void TcpListenerReadingLinks::tearDown()
{
    for (int i = 1; i <= m_highest; ++i)
        removeSlot(i);
    m_slotByAddress.clear();
    m_lines.clear();
    m_highest = 0;
    m_count = 0;
    stopAccepting();
    if (m_server) {
        detachSockets();
        m_server->deleteLater(); // connections offered to the configuration side go with it
        m_server = nullptr;
    }
    finishClosed();
}
