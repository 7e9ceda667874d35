#include "NetworkLinkOptions.h"

#include "link/TcpClientReadingLinks.h"
#include "link/TcpListenerReadingLinks.h"
#include "link/UdpReadingLinks.h"

#include <QCommandLineParser>
#include <QNetworkInterface>

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
    bool ok = false;
    const int port = text.toInt(&ok);
    if (ok && port >= lowest && port <= 65535)
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
         QStringLiteral("Connect to a reader that listens, at HOST (port 4001 unless given; every reader "
                        "uses the same port). Repeatable, up to 20."),
         QStringLiteral("HOST[:PORT]")},
        {QStringLiteral("listen"), QStringLiteral("Listen on PORT for readers that connect (up to 512)."),
         QStringLiteral("PORT")},
        {QStringLiteral("udp"),
         QStringLiteral("Read UDP datagrams on port LOCAL; commands go to port DEST (default 4001)."),
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

std::unique_ptr<ReadingLinks> NetworkLinkOptions::createLinks(const Timing &timing) const
{
    std::unique_ptr<NetworkReadingLinks> links;
    if (!tcpReaders.isEmpty()) {
        QList<ReaderAddress> readers;
        for (const QString &host : tcpReaders)
            readers.append({int(readers.size()) + 1, host});
        auto tcp = std::make_unique<TcpClientReadingLinks>();
        tcp->setReaders(readers);
        tcp->setRemotePortText(tcpPort.isEmpty() ? QStringLiteral("4001") : tcpPort);
        links = std::move(tcp);
    } else if (!listenPort.isEmpty()) {
        auto listener = std::make_unique<TcpListenerReadingLinks>();
        listener->setListenPortText(listenPort);
        links = std::move(listener);
    } else if (!udpLocalPort.isEmpty()) {
        auto udp = std::make_unique<UdpReadingLinks>();
        udp->setLocalPortText(udpLocalPort);
        udp->setDestinationPortText(udpDestPort.isEmpty() ? QStringLiteral("4001") : udpDestPort);
        if (!udpBroadcast.isEmpty())
            udp->setBroadcastAddress(QHostAddress(udpBroadcast));
        udp->setLocalHostAddress(ownAddress.isEmpty() ? firstHostAddress() : ownAddress);
        links = std::move(udp);
    }
    if (links)
        links->setTiming(timing);
    return links;
}

QString NetworkLinkOptions::firstHostAddress()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &i : interfaces) {
        if (!i.flags().testFlag(QNetworkInterface::IsUp) || i.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const auto entries = i.addressEntries();
        for (const QNetworkAddressEntry &e : entries)
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return e.ip().toString();
    }
    return QStringLiteral("192.168.1.1");
}
