#include "link/TcpClientReadingLinks.h"

#include "base/PortText.h"
#include "link/HostAddressText.h"
#include "link/SocketReadingSource.h"

#include <QTcpSocket>
#include <algorithm>

TcpClientReadingLinks::TcpClientReadingLinks(QObject *parent) : NetworkReadingLinks(parent)
{
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &TcpClientReadingLinks::tearDown);
}

TcpClientReadingLinks::~TcpClientReadingLinks()
{
    // Links destroyed while open: the session must not keep sources that are about to go.
    for (auto &reader : m_readers) {
        disconnect(reader->source->socket(), nullptr, this, nullptr);
        if (reader->added)
            emit sourceRemoved(reader->number);
    }
}

void TcpClientReadingLinks::setReaders(const QList<ReaderAddress> &readers)
{
    m_addresses.clear();
    QList<int> seen;
    for (const ReaderAddress &r : readers) {
        if (r.number < 1 || r.number > kMaxReaderNumber || seen.contains(r.number))
            continue;
        seen.append(r.number);
        m_addresses.append({r.number, r.address.trimmed()});
    }
    std::sort(m_addresses.begin(), m_addresses.end(),
              [](const ReaderAddress &a, const ReaderAddress &b) { return a.number < b.number; });
}

int TcpClientReadingLinks::connectedCount() const
{
    return int(std::count_if(m_readers.begin(), m_readers.end(), [](const auto &r) { return r->connected; }));
}

void TcpClientReadingLinks::open()
{
    if (!beginOpen())
        return;
    m_remotePortText = PortText::normalized(m_remotePortText);
    m_highestClientIndex = 0;
    const std::optional<quint16> port = portNumber(m_remotePortText);
    if (!port) {
        emit opened();
        emit allReadersDown();
        return;
    }
    m_remotePort = *port;
    for (const ReaderAddress &entry : std::as_const(m_addresses)) {
        auto reader = std::make_unique<Reader>();
        reader->number = entry.number;
        reader->address = entry.address;
        auto *socket = new QTcpSocket;
        reader->source = new SocketReadingSource(socket, entry.address, this);
        Reader *r = reader.get();
        connect(socket, &QTcpSocket::connected, this, [this, r] { handleConnected(*r); });
        connect(socket, &QTcpSocket::disconnected, this, [this, r] { handleDisconnected(*r); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, r] { handleError(*r); });
        m_readers.push_back(std::move(reader));
        m_highestClientIndex = entry.number;
        socket->connectToHost(entry.address, *port);
    }
    emit opened();
}

void TcpClientReadingLinks::handleConnected(Reader &reader)
{
    if (!isOpen())
        return;
    reader.connected = true;
    QTcpSocket *socket = reader.source->socket();
    if (isConfigurationMode()) {
        emit connectionOffered(socket);
        return;
    }
    emit logged(LinkLogEvent::of(LinkLogEvent::Kind::Connected, hostAddressText(socket->peerAddress()),
                                 socket->peerPort()));
    emit readerConnected(hostAddressText(socket->peerAddress()), socket->peerPort());
    reader.source->greet(timing().commandGapMs);
    reader.added = true;
    emit sourceAdded(reader.number, reader.source);
}

void TcpClientReadingLinks::handleDisconnected(Reader &reader)
{
    if (isClosing() || !reader.connected)
        return;
    reader.connected = false;
    reader.source->stopGreeting();
    emit logged(LinkLogEvent::of(LinkLogEvent::Kind::Disconnected, reader.address, m_remotePort));
    emit problem(
        QStringLiteral("Connection to reader %1 Port:%2 lost").arg(reader.address, m_remotePortText));
    markDown(reader);
}

void TcpClientReadingLinks::handleError(Reader &reader)
{
    // A drop of a working connection is reported by handleDisconnected.
    if (isClosing() || reader.connected || reader.down)
        return;
    const QString why = reader.source->socket()->errorString();
    emit logged(LinkLogEvent::of(LinkLogEvent::Kind::NotConnected, reader.address, m_remotePort, why));
    emit problem(
        QStringLiteral("Reader %1 Port:%2 cannot be reached: %3").arg(reader.address, m_remotePortText, why));
    markDown(reader);
}

void TcpClientReadingLinks::markDown(Reader &reader)
{
    reader.down = true;
    if (std::all_of(m_readers.begin(), m_readers.end(), [](const auto &r) { return r->down; }))
        emit allReadersDown();
}

void TcpClientReadingLinks::sendFrameToAll(const QByteArray &frame)
{
    for (auto &reader : m_readers)
        if (reader->added)
            reader->source->sendFrame(frame);
}

void TcpClientReadingLinks::stopGreetings()
{
    for (auto &reader : m_readers)
        reader->source->stopGreeting();
}

void TcpClientReadingLinks::closeLinks()
{
    // Closing lets the stop commands still queued in the sockets go out first.
    for (auto &reader : m_readers)
        reader->source->socket()->disconnectFromHost();
    m_settle.start(timing().closeSettleMs);
}

void TcpClientReadingLinks::tearDown()
{
    auto readers = std::move(m_readers);
    m_readers.clear();
    for (auto &reader : readers) {
        if (reader->added)
            emit sourceRemoved(reader->number);
        QTcpSocket *socket = reader->source->socket();
        disconnect(socket, nullptr, this, nullptr);
        socket->abort();
        reader->source->deleteLater();
    }
    m_highestClientIndex = 0;
    finishClosed();
}
