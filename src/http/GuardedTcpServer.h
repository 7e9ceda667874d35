#pragma once

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <vector>

// The listening socket of the web view, with the limits that keep clients from costing the session
// memory: at most so many open connections (more are answered 503 and closed), at most so many bytes
// in one request (431 while the header is still coming, 413 after), a whole request within the request
// time (408), and no connection left open without a request for longer than the idle time. The HTTP
// itself is read by Qt HttpServer; this only counts bytes and watches the time. A connection upgraded
// to a WebSocket leaves its watch (the live stream has limits of its own).
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

    // Answers with a short response of its own and closes the connection (after at most a second).
    static void refuse(QTcpSocket *socket, int status, const char *reason);

protected:
    void incomingConnection(qintptr handle) override;

private:
    friend class ConnectionWatch;
    Limits m_limits;
    Counters m_counters;
    std::vector<QPointer<QTcpSocket>> m_open;
};
