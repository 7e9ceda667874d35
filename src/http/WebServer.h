#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHttpServerResponder>
#include <functional>

class QHttpServerRequest;

// The HTTP side of the web view: checks each request (method, header count, token) and answers it
// from the routes it was given or the page's shipped resources. Read-only: only GET and HEAD, and
// OPTIONS for the one origin allowed with CORS. Nothing is ever read from the file system.
class WebServer : public QAbstractHttpServer
{
    Q_OBJECT
public:
    struct Reply
    {
        int status = 200;
        QByteArray contentType = "application/json";
        QByteArray body;
    };
    // Answers a GET of the path (percent-decoded) with the request's query; nullopt-like status 404
    // when the path is not one of its own.
    using Router = std::function<Reply(const QString &path, const QHttpServerRequest &request)>;

    struct Policy
    {
        QByteArray token; // empty: no token needed
        QByteArray corsOrigin;
        int maxHeaders = 64;
    };

    WebServer(const Policy &policy, Router router, QObject *parent = nullptr);

    // True when `request` carries the token (or none is needed); constant time in the token's length.
    static bool authorized(const QByteArray &header, const QByteArray &token);

    quint64 requests() const { return m_requests; }
    quint64 refused() const { return m_refused; }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    void send(const QHttpServerRequest &request, QTcpSocket *socket, const Reply &reply,
              const QList<QPair<QByteArray, QByteArray>> &extraHeaders = {});
    Reply resource(const QString &path) const;

    Policy m_policy;
    Router m_router;
    quint64 m_requests = 0;
    quint64 m_refused = 0;
};
