#include "NetworkLinkOptions.h"

#include "base/PortText.h"
#include "reading/ReadingPipeline.h"

#include <QCommandLineParser>
#include <QHostAddress>

namespace {

// "host:port" or "host"; the port text is empty when none is given.
void splitHostPort(const QString &text, QString *host, QString *port)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    *host = (colon < 0 ? text : text.left(colon)).trimmed();
    *port = colon < 0 ? QString() : text.mid(colon + 1).trimmed();
}

// A port text as the options take it: a whole number from `lowest` (0: the system picks one) to 65535.
bool checkPort(const QString &text, int lowest, const char *option, QString *error)
{
    if (PortText::parse(text, lowest))
        return true;
    *error = QStringLiteral("%1 needs a port number from %2 to 65535, got '%3'")
                 .arg(QLatin1String(option))
                 .arg(lowest)
                 .arg(text);
    return false;
}

bool isIPv4(const QString &text)
{
    const QHostAddress a(text);
    return !a.isNull() && a.protocol() == QAbstractSocket::IPv4Protocol;
}

} // namespace

void NetworkLinkOptions::addTo(QCommandLineParser &p)
{
    p.addOptions({
        {QStringLiteral("tcp"),
         QStringLiteral("Connect to a reader that listens, at HOST (port %1 unless given; every reader "
                        "uses the same port). Repeatable, up to %2.")
             .arg(PortText::kDefaultPort)
             .arg(kMaxTcpReaders),
         QStringLiteral("HOST[:PORT]")},
        {QStringLiteral("listen"), QStringLiteral("Listen on PORT for readers that connect (up to 512)."),
         QStringLiteral("PORT")},
        {QStringLiteral("udp"),
         QStringLiteral("Read UDP datagrams on port LOCAL; commands go to port DEST (default %1).")
             .arg(PortText::kDefaultPort),
         QStringLiteral("LOCAL[:DEST]")},
        {QStringLiteral("udp-broadcast"),
         QStringLiteral("Address UDP commands are sent to (default 255.255.255.255)."),
         QStringLiteral("ADDR")},
        {QStringLiteral("own-address"),
         QStringLiteral("This computer's address: UDP datagrams from it are not read (default: its first "
                        "IPv4 address)."),
         QStringLiteral("ADDR")},
    });
}

bool NetworkLinkOptions::parse(const QCommandLineParser &p, QString *error)
{
    const QStringList tcp = p.values(QStringLiteral("tcp"));
    if (tcp.size() > kMaxTcpReaders) {
        *error = QStringLiteral("--tcp: at most %1 readers").arg(kMaxTcpReaders);
        return false;
    }
    for (const QString &reader : tcp) {
        QString host, port;
        splitHostPort(reader, &host, &port);
        if (host.isEmpty()) {
            *error = QStringLiteral("--tcp needs HOST[:PORT], got '%1'").arg(reader);
            return false;
        }
        if (!port.isEmpty() && !checkPort(port, 1, "--tcp", error))
            return false;
        if (!port.isEmpty() && !tcpPort.isEmpty() && port != tcpPort) {
            *error = QStringLiteral("--tcp: every reader is reached on the same port");
            return false;
        }
        if (!port.isEmpty())
            tcpPort = port;
        tcpReaders.append(host);
    }
    listenPort = p.value(QStringLiteral("listen"));
    if (p.isSet(QStringLiteral("udp")))
        splitHostPort(p.value(QStringLiteral("udp")), &udpLocalPort, &udpDestPort);
    udpBroadcast = p.value(QStringLiteral("udp-broadcast"));
    ownAddress = p.value(QStringLiteral("own-address"));
    if ((!udpBroadcast.isEmpty() && !isIPv4(udpBroadcast)) ||
        (!ownAddress.isEmpty() && !isIPv4(ownAddress))) {
        *error = QStringLiteral("--udp-broadcast and --own-address need an IPv4 address");
        return false;
    }
    if (p.isSet(QStringLiteral("udp")) && udpLocalPort.isEmpty()) {
        *error = QStringLiteral("--udp needs LOCAL[:DEST]");
        return false;
    }
    return (listenPort.isEmpty() || checkPort(listenPort.trimmed(), 0, "--listen", error)) &&
           (udpLocalPort.isEmpty() || checkPort(udpLocalPort, 0, "--udp", error)) &&
           (udpDestPort.isEmpty() || checkPort(udpDestPort, 1, "--udp", error));
}

int NetworkLinkOptions::kinds() const
{
    return int(!tcpReaders.isEmpty()) + int(!listenPort.isEmpty()) + int(!udpLocalPort.isEmpty());
}

LinkRequest NetworkLinkOptions::linkRequest() const
{
    LinkRequest r;
    if (!tcpReaders.isEmpty()) {
        r.kind = LinkKind::TcpToReaders;
        for (const QString &host : tcpReaders)
            r.readerAddresses.append({int(r.readerAddresses.size()) + 1, host});
        r.tcpRemotePort = PortText::port(tcpPort);
    } else if (!listenPort.isEmpty()) {
        r.kind = LinkKind::TcpListener;
        r.listenPort = PortText::port(listenPort);
    } else {
        r.kind = LinkKind::Udp;
        r.localPort = PortText::port(udpLocalPort);
        r.desPort = PortText::port(udpDestPort);
        if (!udpBroadcast.isEmpty())
            r.udpBroadcastAddress = QHostAddress(udpBroadcast);
        r.localHostAddress =
            ownAddress.isEmpty() ? ReadingPipeline::localHostAddress() : QHostAddress(ownAddress);
    }
    return r;
}
