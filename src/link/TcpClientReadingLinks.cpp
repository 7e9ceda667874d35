#include "link/TcpClientReadingLinks.h"

#include "base/PortText.h"
#include "link/HostAddressText.h"
#include "link/SocketReadingSource.h"
#include "link/TcpKeepAlive.h"

#include <QTcpSocket>
#include <algorithm>
#include <utility>

TcpClientReadingLinks::TcpClientReadingLinks(QObject *parent) : NetworkReadingLinks(parent)
{
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &TcpClientReadingLinks::tearDown);
    connect(&m_idleCheck, &QTimer::timeout, this, &TcpClientReadingLinks::checkSilence);
}

TcpClientReadingLinks::~TcpClientReadingLinks()
{
    // Links destroyed while open: the session must not keep sources that are about to go.
    for (auto &reader : m_readers) {
        if (reader->source)
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
        Reader *r = reader.get();
        if (m_reconnect) {
            reader->retry = std::make_unique<ReconnectSchedule>(timing());
            connect(reader->retry.get(), &ReconnectSchedule::due, this, [this, r] {
                if (isOpen())
                    connectReader(*r);
            });
        }
        m_readers.push_back(std::move(reader));
        m_highestClientIndex = entry.number;
        connectReader(*r);
    }
    // A silent reader is noticed within a quarter of the time-out after it is due.
    if (timing().idleTimeoutMs > 0)
        m_idleCheck.start(std::max(1, timing().idleTimeoutMs / 4));
    emit opened();
}

// A new connection attempt on a socket of its own: a lost connection's socket is never reused, so
// that nothing of it can follow the new connection's bytes.
void TcpClientReadingLinks::connectReader(Reader &reader)
{
    auto *socket = new QTcpSocket;
    reader.source = new SocketReadingSource(socket, reader.address, this);
    Reader *r = &reader;
    connect(socket, &QTcpSocket::connected, this, [this, r] { handleConnected(*r); });
    connect(socket, &QTcpSocket::disconnected, this, [this, r] { handleDisconnected(*r); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, r] { handleError(*r); });
    if (timing().idleTimeoutMs > 0)
        connect(socket, &QTcpSocket::readyRead, this, [r] { r->heard.start(); });
    socket->connectToHost(reader.address, m_remotePort);
    // A reader whose network swallows the attempt would hold reconnection up for minutes (the
    // system's own time-out): an attempt has half the longest wait between attempts.
    if (m_reconnect)
        QTimer::singleShot(attemptTimeMs(), reader.source, [this, r, source = reader.source] {
            if (r->source == source && !r->connected && isOpen())
                reportUnreachable(*r, QStringLiteral("no answer within %1 s").arg(attemptTimeMs() / 1000.0));
        });
}

int TcpClientReadingLinks::attemptTimeMs() const
{
    return std::max(1, timing().reconnectMaxMs / 2);
}

QString TcpClientReadingLinks::addressPortText(const Reader &reader) const
{
    return reader.address + QLatin1Char(':') + m_remotePortText;
}

void TcpClientReadingLinks::handleConnected(Reader &reader)
{
    if (!isOpen())
        return;
    reader.connected = true;
    reader.heard.start();
    QTcpSocket *socket = reader.source->socket();
    TcpKeepAlive::enable(socket); // a reader that loses power or its cable is noticed
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
    if (reader.retry) {
        reader.retry->reset();
        if (std::exchange(reader.lost, false))
            emit reconnected(addressPortText(reader));
    }
}

void TcpClientReadingLinks::handleDisconnected(Reader &reader)
{
    if (isClosing() || !reader.connected)
        return;
    reader.connected = false;
    reader.source->stopGreeting();
    emit logged(LinkLogEvent::of(LinkLogEvent::Kind::Disconnected, reader.address, m_remotePort));
    raiseProblem(QStringLiteral("Connection to reader %1 Port:%2 lost"), {reader.address, m_remotePortText});
    if (m_reconnect)
        retryLater(reader, reader.source->endReason());
    else
        markDown(reader);
}

void TcpClientReadingLinks::checkSilence()
{
    if (!isOpen())
        return;
    for (auto &reader : m_readers) {
        if (!reader->added || !reader->connected)
            continue;
        // Bytes that wait for the session were heard, however long the session takes for them.
        if (reader->source->isEligible())
            reader->heard.start();
        else if (reader->heard.elapsed() >= timing().idleTimeoutMs)
            handleSilent(*reader);
    }
}

// A reader that has gone silent is handled as a lost connection: reported, and tried again when the
// links reconnect.
void TcpClientReadingLinks::handleSilent(Reader &reader)
{
    reader.connected = false;
    reader.source->stopGreeting();
    const QString why = QStringLiteral("nothing received for %1 s").arg(timing().idleTimeoutMs / 1000.0);
    emit logged(LinkLogEvent::of(LinkLogEvent::Kind::Disconnected, reader.address, m_remotePort));
    raiseProblem(QStringLiteral("Reader %1 Port:%2 taken as lost: %3"),
                 {reader.address, m_remotePortText, why});
    if (m_reconnect) {
        retryLater(reader, why);
        return;
    }
    releaseSource(reader);
    markDown(reader);
}

void TcpClientReadingLinks::handleError(Reader &reader)
{
    // A drop of a working connection is reported by handleDisconnected.
    if (isClosing() || reader.connected || reader.down)
        return;
    reportUnreachable(reader, reader.source->socket()->errorString());
}

void TcpClientReadingLinks::reportUnreachable(Reader &reader, const QString &why)
{
    emit logged(LinkLogEvent::of(LinkLogEvent::Kind::NotConnected, reader.address, m_remotePort, why));
    // While reconnecting, each failed attempt is told with the next one, not as a problem of its own.
    if (!reader.lost)
        raiseProblem(QStringLiteral("Reader %1 Port:%2 cannot be reached: %3"),
                     {reader.address, m_remotePortText, why});
    if (m_reconnect)
        retryLater(reader, why);
    else
        markDown(reader);
}

// The lost connection's source goes (the session reads what it still holds first); a new connection
// is tried once the wait is over.
void TcpClientReadingLinks::retryLater(Reader &reader, const QString &reason)
{
    reader.lost = true;
    releaseSource(reader);
    const int delay = reader.retry->schedule();
    emit reconnectScheduled(addressPortText(reader), delay, reason);
}

void TcpClientReadingLinks::releaseSource(Reader &reader)
{
    SocketReadingSource *source = std::exchange(reader.source, nullptr);
    if (!source)
        return;
    if (std::exchange(reader.added, false))
        emit sourceRemoved(reader.number);
    disconnect(source->socket(), nullptr, this, nullptr);
    source->stopGreeting();
    source->socket()->abort();
    source->deleteLater();
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
    for (auto &reader : m_readers) {
        if (reader->retry)
            reader->retry->cancel();
        if (reader->source)
            reader->source->stopGreeting();
    }
}

void TcpClientReadingLinks::closeLinks()
{
    m_idleCheck.stop();
    // Closing lets the stop commands still queued in the sockets go out first.
    for (auto &reader : m_readers)
        if (reader->source)
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
        if (!reader->source)
            continue;
        QTcpSocket *socket = reader->source->socket();
        disconnect(socket, nullptr, this, nullptr);
        socket->abort();
        reader->source->deleteLater();
    }
    m_highestClientIndex = 0;
    finishClosed();
}
