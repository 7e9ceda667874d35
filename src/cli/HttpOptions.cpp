#include "HttpOptions.h"

#include <QCommandLineParser>
#include <QFile>

void HttpOptions::addTo(QCommandLineParser &p)
{
    p.addOptions({
        {QStringLiteral("http"),
         QStringLiteral("Serve a web view of the session (live tag table, readers, counters), a JSON API "
                        "under /api/v1/ and a live stream (WebSocket /api/v1/stream) on PORT, on "
                        "127.0.0.1 unless an address is given. Port 0 takes any free port; the address "
                        "served is printed on standard error."),
         QStringLiteral("[ADDR:]PORT")},
        {QStringLiteral("http-token-file"),
         QStringLiteral("Every web request must then carry 'Authorization: Bearer TOKEN', TOKEN being "
                        "the first line of FILE. Needed to serve on an address other than loopback."),
         QStringLiteral("FILE")},
        {QStringLiteral("http-insecure"),
         QStringLiteral("Serve on an address other than loopback without a token.")},
        {QStringLiteral("http-cors"),
         QStringLiteral("Let pages from ORIGIN (e.g. https://panel.example) read the API."),
         QStringLiteral("ORIGIN")},
    });
}

bool HttpOptions::parseEndpoint(const QString &text, QHostAddress *address, quint16 *port)
{
    QString host;
    QString portText = text.trimmed();
    if (portText.startsWith(QLatin1Char('['))) {
        const qsizetype close = portText.indexOf(QStringLiteral("]:"));
        if (close < 0)
            return false;
        host = portText.mid(1, close - 1);
        portText = portText.mid(close + 2);
    } else if (portText.count(QLatin1Char(':')) == 1) {
        host = portText.section(QLatin1Char(':'), 0, 0);
        portText = portText.section(QLatin1Char(':'), 1);
    }
    bool ok = false;
    const uint value = portText.toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    *port = quint16(value);
    if (host.isEmpty() || host == QLatin1String("localhost")) {
        *address = QHostAddress(QHostAddress::LocalHost);
        return host.isEmpty() == !text.contains(QLatin1Char(':'));
    }
    return address->setAddress(host);
}

namespace {

bool readToken(const QString &path, QByteArray *token, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("--http-token-file: cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *token = file.readLine(4096).trimmed();
    if (token->isEmpty()) {
        *error = QStringLiteral("--http-token-file: %1 holds no token on its first line").arg(path);
        return false;
    }
    return true;
}

} // namespace

bool HttpOptions::parse(const QCommandLineParser &p, QString *error)
{
    const bool detail = p.isSet(QStringLiteral("http-token-file")) ||
                        p.isSet(QStringLiteral("http-insecure")) || p.isSet(QStringLiteral("http-cors"));
    if (!p.isSet(QStringLiteral("http"))) {
        if (detail)
            *error = QStringLiteral("--http-token-file, --http-insecure and --http-cors need --http");
        return !detail;
    }
    WebViewSettings s;
    const QString endpoint = p.value(QStringLiteral("http"));
    if (!parseEndpoint(endpoint, &s.address, &s.port)) {
        *error = QStringLiteral("--http needs [ADDR:]PORT with a numeric address and a port from 0 to 65535, "
                                "got '%1'")
                     .arg(endpoint);
        return false;
    }
    if (p.isSet(QStringLiteral("http-token-file")) &&
        !readToken(p.value(QStringLiteral("http-token-file")), &s.token, error))
        return false;
    if (!s.address.isLoopback() && s.token.isEmpty() && !p.isSet(QStringLiteral("http-insecure"))) {
        *error = QStringLiteral("--http on %1 would let anyone on the network read the session: give "
                                "--http-token-file FILE (or --http-insecure)")
                     .arg(s.address.toString());
        return false;
    }
    s.corsOrigin = p.value(QStringLiteral("http-cors"));
    settings = s;
    return true;
}
