#include "http/WebServer.h"

#include "http/ApiJson.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QTcpSocket>

namespace {

struct Resource
{
    const char *path;
    const char *file;
    const char *type;
};

// The only files served: the page, its script and its style, from the program's resources.
constexpr Resource kResources[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/index.html", ":/web/index.html", "text/html; charset=utf-8"},
    {"/app.js", ":/web/app.js", "text/javascript; charset=utf-8"},
    {"/app.css", ":/web/app.css", "text/css; charset=utf-8"},
};

} // namespace

WebServer::WebServer(const Policy &policy, Router router, QObject *parent)
    : QAbstractHttpServer(parent), m_policy(policy), m_router(std::move(router))
{
}

bool WebServer::authorized(const QByteArray &header, const QByteArray &token)
{
    if (token.isEmpty())
        return true;
    const QByteArray prefix = "Bearer ";
    const QByteArray given = header.startsWith(prefix) ? header.mid(prefix.size()).trimmed() : QByteArray();
    // Every byte of the token is compared whatever the given text is, so the time taken does not
    // tell how much of a guess was right.
    unsigned diff = unsigned(given.size() ^ token.size());
    for (qsizetype i = 0; i < token.size(); ++i)
        diff |= unsigned(char(i < given.size() ? given[i] : 0) ^ token[i]);
    return diff == 0;
}

bool WebServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    ++m_requests;
    const QByteArray origin = request.value("origin");
    const bool corsAllowed = !m_policy.corsOrigin.isEmpty() && origin == m_policy.corsOrigin;
    Reply refusal{0, "application/json", {}};
    if (request.headers().size() > m_policy.maxHeaders)
        refusal = {431, "application/json", ApiJson::error(QStringLiteral("too many header fields"))};
    else if (request.method() == QHttpServerRequest::Method::Options && corsAllowed)
        refusal = {204, {}, {}};
    else if (request.method() != QHttpServerRequest::Method::Get &&
             request.method() != QHttpServerRequest::Method::Head)
        refusal = {405, "application/json", ApiJson::error(QStringLiteral("read-only: GET only"))};
    else if (!authorized(request.value("authorization"), m_policy.token))
        refusal = {401, "application/json", ApiJson::error(QStringLiteral("a bearer token is needed"))};
    if (refusal.status != 0) {
        if (refusal.status != 204)
            ++m_refused;
        QList<QPair<QByteArray, QByteArray>> headers;
        if (refusal.status == 405)
            headers.append(qMakePair(QByteArray("Allow"), QByteArray("GET, HEAD")));
        if (refusal.status == 401)
            headers.append(qMakePair(QByteArray("WWW-Authenticate"), QByteArray("Bearer")));
        if (refusal.status == 204)
            headers.append(qMakePair(QByteArray("Access-Control-Allow-Methods"), QByteArray("GET, HEAD")));
        send(request, socket, refusal, headers);
        return true;
    }
    const QString path = request.url().path(QUrl::FullyDecoded);
    Reply reply = resource(path);
    if (reply.status == 404)
        reply = m_router(path, request);
    send(request, socket, reply);
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    send(request, socket, {404, "application/json", ApiJson::error(QStringLiteral("not found"))});
}

WebServer::Reply WebServer::resource(const QString &path) const
{
    for (const Resource &r : kResources) {
        if (path == QLatin1String(r.path)) {
            QFile file(QString::fromLatin1(r.file));
            if (file.open(QIODevice::ReadOnly))
                return {200, r.type, file.readAll()};
        }
    }
    return {404, "application/json", ApiJson::error(QStringLiteral("not found"))};
}

void WebServer::send(const QHttpServerRequest &request, QTcpSocket *socket, const Reply &reply,
                     const QList<QPair<QByteArray, QByteArray>> &extraHeaders)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(QHttpServerResponder::StatusCode(reply.status));
    if (!reply.contentType.isEmpty())
        responder.writeHeader("Content-Type", reply.contentType);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    if (reply.contentType.startsWith("text/html"))
        responder.writeHeader("Content-Security-Policy",
                              "default-src 'self'; connect-src 'self' ws: wss:; frame-ancestors 'none'");
    const QByteArray origin = request.value("origin");
    if (!m_policy.corsOrigin.isEmpty() && origin == m_policy.corsOrigin) {
        responder.writeHeader("Access-Control-Allow-Origin", origin);
        responder.writeHeader("Access-Control-Allow-Headers", "Authorization");
        responder.writeHeader("Vary", "Origin");
    }
    for (const auto &[key, value] : extraHeaders)
        responder.writeHeader(key, value);
    const bool head = request.method() == QHttpServerRequest::Method::Head;
    responder.writeBody(head ? QByteArray() : reply.body);
}
