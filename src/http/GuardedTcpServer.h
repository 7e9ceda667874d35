#pragma once

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <vector>

class QWebSocketServer;

// The listening socket of the web view, with the limits that keep clients from costing the session
// memory: at most so many open connections (more are answered 503 and closed), at most so many bytes
// in one request (431 while the header is still coming, 413 after), a whole request within the request
// time (408), and no connection left open without a request for longer than the idle time. The HTTP
// itself is read by Qt HttpServer; this only counts bytes and watches the time. A connection whose
// first request is a GET of the live stream's path goes to the WebSocket server instead, and leaves
// its watch (the live stream has limits of its own).
class GuardedTcpServer : public QTcpServer
{
    Q_OBJECT
public:
    struct Limits
    {
        int maxConnections = 256;
        int maxRequestBytes = 16 * 1024;
        int requestTimeoutMs = 10000;
        int idleTimeoutMs = 60000;
    };
    struct Counters
    {
        quint64 accepted = 0;
        quint64 refusedBusy = 0; // 503: too many connections
        quint64 tooLarge = 0;    // 431 or 413
        quint64 timedOut = 0;    // 408
        quint64 idleClosed = 0;
    };

    explicit GuardedTcpServer(const Limits &limits, QObject *parent = nullptr);

    const Counters &counters() const { return m_counters; }
    int openConnections();
    // Requests "GET <path>" are handed to `server` (which does the WebSocket handshake) while `admit`
    // says yes, and answered 503 otherwise.
    void setWebSocketServer(QWebSocketServer *server, const QByteArray &path, std::function<bool()> admit);

protected:
    void incomingConnection(qintptr handle) override;

private:
    friend class ConnectionWatch;
    Limits m_limits;
    Counters m_counters;
    QWebSocketServer *m_webSockets = nullptr;
    QByteArray m_streamRequest; // "GET <path>"
    std::function<bool()> m_admitLiveClient;

    std::vector<QPointer<QTcpSocket>> m_open;
};
