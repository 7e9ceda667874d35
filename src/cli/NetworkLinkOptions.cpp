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
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    *host = colon < 0 ? text : text.left(colon);
    *port = colon < 0 ? QString() : text.mid(colon + 1);
}

} // namespace

void NetworkLinkOptions::addTo(QCommandLineParser &parser)
{
    parser.addOptions({m_tcp, m_listen, m_udp, m_udpBroadcast, m_ownAddress});
}

bool NetworkLinkOptions::isSet(const QCommandLineParser &parser) const
{
    return parser.isSet(m_tcp) || parser.isSet(m_listen) || parser.isSet(m_udp);
}

std::unique_ptr<ReadingLinks> NetworkLinkOptions::createLinks(const QCommandLineParser &parser,
                                                              const Timing &timing, QString *error) const
{
    if (int(parser.isSet(m_tcp)) + int(parser.isSet(m_listen)) + int(parser.isSet(m_udp)) != 1) {
        *error = QStringLiteral("choose one of --tcp, --listen, --udp");
        return nullptr;
    }
    std::unique_ptr<ReadingLinks> links;
    if (parser.isSet(m_tcp)) {
        links = createTcpClient(parser.values(m_tcp), error);
    } else if (parser.isSet(m_listen)) {
        auto listener = std::make_unique<TcpListenerReadingLinks>();
        listener->setListenPortText(parser.value(m_listen));
        links = std::move(listener);
    } else {
        links = createUdp(parser, error);
    }
    if (auto *net = qobject_cast<NetworkReadingLinks *>(links.get()))
        net->setTiming(timing);
    return links;
}

std::unique_ptr<ReadingLinks> NetworkLinkOptions::createTcpClient(const QStringList &readers,
                                                                  QString *error) const
{
    if (readers.size() > kMaxTcpReaders) {
        *error = QStringLiteral("--tcp: at most %1 readers").arg(kMaxTcpReaders);
        return nullptr;
    }
    QList<ReaderAddress> addresses;
    QString portText;
    for (const QString &reader : readers) {
        QString host, port;
        splitHostPort(reader, &host, &port);
        if (host.isEmpty()) {
            *error = QStringLiteral("--tcp wants HOST[:PORT], not \"%1\"").arg(reader);
            return nullptr;
        }
        // The readers share one remote port, as on the reader list page.
        if (!port.isEmpty() && !portText.isEmpty() && port != portText) {
            *error = QStringLiteral("--tcp: every reader uses the same port");
            return nullptr;
        }
        if (!port.isEmpty())
            portText = port;
        addresses.append({int(addresses.size()) + 1, host});
    }
    auto links = std::make_unique<TcpClientReadingLinks>();
    links->setReaders(addresses);
    links->setRemotePortText(portText.isEmpty() ? QStringLiteral("4001") : portText);
    return links;
}

std::unique_ptr<ReadingLinks> NetworkLinkOptions::createUdp(const QCommandLineParser &parser,
                                                            QString *error) const
{
    QString local, dest;
    splitHostPort(parser.value(m_udp), &local, &dest);
    auto links = std::make_unique<UdpReadingLinks>();
    links->setLocalPortText(local);
    links->setDestinationPortText(dest.isEmpty() ? QStringLiteral("4001") : dest);
    if (parser.isSet(m_udpBroadcast)) {
        const QHostAddress broadcast(parser.value(m_udpBroadcast));
        if (broadcast.isNull() || broadcast.protocol() != QAbstractSocket::IPv4Protocol) {
            *error = QStringLiteral("--udp-broadcast wants an IPv4 address");
            return nullptr;
        }
        links->setBroadcastAddress(broadcast);
    }
    links->setLocalHostAddress(parser.isSet(m_ownAddress) ? parser.value(m_ownAddress) : firstHostAddress());
    return links;
}

QString NetworkLinkOptions::firstHostAddress()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &i : interfaces) {
        if (!i.flags().testFlag(QNetworkInterface::IsUp) || i.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &e : i.addressEntries())
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return e.ip().toString();
    }
    return QStringLiteral("192.168.1.1");
}
