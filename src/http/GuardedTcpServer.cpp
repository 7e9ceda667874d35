#include "http/GuardedTcpServer.h"

#include <QTimer>
#include <QWebSocketServer>
#include <algorithm>

namespace {
// A refused connection is read and thrown away a little longer before it is closed: closing a socket
// with unread bytes resets it, and the client would lose the answer.
constexpr int kLingerMs = 200;
constexpr int kAbortMs = 2000;
} // namespace

// Watches one connection: the bytes of the request being received, and its time.
class ConnectionWatch : public QObject
{
public:
    ConnectionWatch(QTcpSocket *socket, GuardedTcpServer *server)
        : QObject(socket), m_socket(socket), m_server(server)
    {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &ConnectionWatch::timedOut);
        m_read = connect(socket, &QIODevice::readyRead, this, &ConnectionWatch::received);
        m_written = connect(socket, &QIODevice::bytesWritten, this, &ConnectionWatch::answered);
        m_timer.start(limits().requestTimeoutMs); // the first request must come within that
    }

    // Answers with a short response of its own and closes the connection; nothing more reaches the
    // HTTP reader.
    void refuse(int status, const char *reason)
    {
        stop();
        m_read = connect(m_socket, &QIODevice::readyRead, this, [this] { m_socket->readAll(); });
        m_socket->readAll();
        m_socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                        "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        QTimer::singleShot(kLingerMs, m_socket, [s = m_socket] { s->disconnectFromHost(); });
        QTimer::singleShot(kAbortMs, m_socket, [s = m_socket] { s->abort(); });
    }

private:
    const GuardedTcpServer::Limits &limits() const { return m_server->m_limits; }
    GuardedTcpServer::Counters &counters() const { return m_server->m_counters; }

    void received()
    {
        const QByteArray chunk = m_socket->peek(m_socket->bytesAvailable());
        if (m_bytes == 0 && !m_answered && takenAsWebSocket(chunk))
            return;
        if (m_bytes == 0)
            m_timer.start(limits().requestTimeoutMs);
        // The blank line that ends the header may be cut between two reads: keep the last three bytes.
        if (m_headerEnd < 0) {
            const qsizetype at = (m_tail + chunk).indexOf("\r\n\r\n");
            if (at >= 0)
                m_headerEnd = m_bytes - m_tail.size() + at + 4;
        }
        m_tail = chunk.right(3);
        m_bytes += chunk.size();
        if (m_bytes <= limits().maxRequestBytes)
            return;
        ++counters().tooLarge;
        if (m_headerEnd >= 0 && m_headerEnd <= limits().maxRequestBytes)
            refuse(413, "Content Too Large");
        else
            refuse(431, "Request Header Fields Too Large");
    }

    // The live stream's requests go to the WebSocket server, which reads the handshake again.
    bool takenAsWebSocket(const QByteArray &chunk)
    {
        const QByteArray &request = m_server->m_streamRequest;
        if (!m_server->m_webSockets || !chunk.startsWith(request) || chunk.size() <= request.size())
            return false;
        const char next = chunk[request.size()];
        if (next != ' ' && next != '?')
            return false;
        if (!m_server->m_admitLiveClient()) {
            ++counters().refusedBusy;
            refuse(503, "Service Unavailable");
            return true;
        }
        stop();
        QObject::disconnect(m_socket, &QIODevice::readyRead, nullptr, nullptr); // the HTTP reader too
        m_server->m_webSockets->handleConnection(m_socket);
        return true;
    }

    void answered()
    {
        m_answered = true;
        m_bytes = 0;
        m_headerEnd = -1;
        m_tail.clear();
        m_timer.start(limits().idleTimeoutMs);
    }

    void timedOut()
    {
        if (m_bytes > 0) {
            ++counters().timedOut;
            refuse(408, "Request Timeout");
        } else {
            ++counters().idleClosed;
            m_socket->abort();
        }
    }

    void stop()
    {
        m_timer.stop();
        disconnect(m_read);
        disconnect(m_written);
    }

    QTcpSocket *m_socket;
    GuardedTcpServer *m_server;
    QTimer m_timer;
    QMetaObject::Connection m_read;
    QMetaObject::Connection m_written;
    qint64 m_bytes = 0;
    qint64 m_headerEnd = -1; // bytes up to the end of the header, once seen
    bool m_answered = false;
    QByteArray m_tail;
};

GuardedTcpServer::GuardedTcpServer(const Limits &limits, QObject *parent)
    : QTcpServer(parent), m_limits(limits)
{
}

int GuardedTcpServer::openConnections()
{
    m_open.erase(std::remove_if(m_open.begin(), m_open.end(),
                                [](const QPointer<QTcpSocket> &s) {
                                    return !s || s->state() == QAbstractSocket::UnconnectedState;
                                }),
                 m_open.end());
    return int(m_open.size());
}

void GuardedTcpServer::setWebSocketServer(QWebSocketServer *server, const QByteArray &path,
                                          std::function<bool()> admit)
{
    m_webSockets = server;
    m_streamRequest = "GET " + path;
    m_admitLiveClient = std::move(admit);
}

void GuardedTcpServer::incomingConnection(qintptr handle)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        socket->deleteLater();
        return;
    }
    auto *watch = new ConnectionWatch(socket, this);
    if (openConnections() >= m_limits.maxConnections) {
        ++m_counters.refusedBusy;
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        watch->refuse(503, "Service Unavailable");
        return;
    }
    ++m_counters.accepted;
    m_open.emplace_back(socket);
    addPendingConnection(socket);
}
