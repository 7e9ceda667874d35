#include "http/GuardedTcpServer.h"

#include <QTimer>
#include <algorithm>

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
        connect(socket, &QIODevice::bytesWritten, this, &ConnectionWatch::answered);
        m_timer.start(limits().requestTimeoutMs); // the first request must come within that
    }

private:
    const GuardedTcpServer::Limits &limits() const { return m_server->m_limits; }
    GuardedTcpServer::Counters &counters() const { return m_server->m_counters; }

    void received()
    {
        if (m_bytes == 0)
            m_timer.start(limits().requestTimeoutMs);
        const QByteArray chunk = m_socket->peek(m_socket->bytesAvailable());
        // The blank line that ends the header may be cut between two reads: keep the last three bytes.
        m_headerDone = m_headerDone || (m_tail + chunk).contains("\r\n\r\n");
        m_tail = chunk.right(3);
        m_bytes += chunk.size();
        if (m_bytes <= limits().maxRequestBytes)
            return;
        ++counters().tooLarge;
        m_socket->readAll(); // the HTTP reader never sees the rest of it
        if (m_headerDone)
            GuardedTcpServer::refuse(m_socket, 413, "Content Too Large");
        else
            GuardedTcpServer::refuse(m_socket, 431, "Request Header Fields Too Large");
        stop();
    }

    void answered()
    {
        m_bytes = 0;
        m_headerDone = false;
        m_tail.clear();
        m_timer.start(limits().idleTimeoutMs);
    }

    void timedOut()
    {
        if (!m_read) { // Qt took the socket for a WebSocket: it is no longer an HTTP connection
            stop();
            return;
        }
        if (m_bytes > 0) {
            ++counters().timedOut;
            m_socket->readAll();
            GuardedTcpServer::refuse(m_socket, 408, "Request Timeout");
        } else {
            ++counters().idleClosed;
            m_socket->abort();
        }
        stop();
    }

    void stop()
    {
        m_timer.stop();
        disconnect(m_read);
    }

    QTcpSocket *m_socket;
    GuardedTcpServer *m_server;
    QTimer m_timer;
    QMetaObject::Connection m_read;
    qint64 m_bytes = 0;
    bool m_headerDone = false;
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

void GuardedTcpServer::incomingConnection(qintptr handle)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        socket->deleteLater();
        return;
    }
    if (openConnections() >= m_limits.maxConnections) {
        ++m_counters.refusedBusy;
        refuse(socket, 503, "Service Unavailable");
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        return;
    }
    ++m_counters.accepted;
    m_open.emplace_back(socket);
    new ConnectionWatch(socket, this);
    addPendingConnection(socket);
}

void GuardedTcpServer::refuse(QTcpSocket *socket, int status, const char *reason)
{
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                  "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
    QTimer::singleShot(1000, socket, [socket] { socket->abort(); });
}
