#include "ConfigLinkOptions.h"

#include "base/PortText.h"
#include "link/SerialPortMap.h"
#include "readercfg/SerialMode.h"

#include <QCommandLineParser>

namespace ConfigLinkOptions {
namespace {

using Error = QString *;

bool fail(Error error, const QString &text)
{
    *error = text;
    return false;
}

bool parseCom(const QCommandLineParser &p, ConfigLinkRequest *link, Error error)
{
    const QString value = p.value(QStringLiteral("com"));
    const qsizetype eq = value.indexOf(QLatin1Char('='));
    const auto n = decimal(value.left(eq < 0 ? value.size() : eq), 1, SerialPortMap::kMaxPort);
    if (!n)
        return fail(error, QStringLiteral("--com needs a port number from 1 to 256, got '%1'").arg(value));
    link->kind = LinkKind::Serial;
    link->comNumber = *n;
    link->comDevice = eq < 0 ? QString() : value.mid(eq + 1).trimmed();
    if (p.isSet(QStringLiteral("baud"))) {
        link->serialMode = p.value(QStringLiteral("baud")).trimmed();
        if (!SerialMode::parse(link->serialMode))
            return fail(error, QStringLiteral("--baud needs line settings like \"115200,n,8,1\", got '%1'")
                                   .arg(link->serialMode));
    }
    return true;
}

// A port option's text: a whole number from `lowest` to 65535, else a usage error (never 4001 in
// its place: a typo must not send a command to another reader).
bool portOption(const QString &text, int lowest, const char *option, quint16 *port, Error error)
{
    const auto value = PortText::parse(text, lowest);
    if (!value)
        return fail(error, QStringLiteral("%1 needs a port number from %2 to 65535, got '%3'")
                               .arg(QLatin1String(option))
                               .arg(lowest)
                               .arg(text));
    *port = *value;
    return true;
}

// "HOST[:PORT]"; without a port the reader's default, 4001.
bool splitHostPort(const QString &value, const char *option, QString *host, quint16 *port, Error error)
{
    const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
    const bool hasPort = colon > 0 && value.indexOf(QLatin1Char(':')) == colon;
    *host = (hasPort ? value.left(colon) : value).trimmed();
    *port = PortText::kDefaultPort;
    return !hasPort || portOption(value.mid(colon + 1), 1, option, port, error);
}

bool parseNetwork(const QCommandLineParser &p, ConfigLinkRequest *link, Error error)
{
    if (p.isSet(QStringLiteral("tcp"))) {
        link->kind = LinkKind::TcpToReaders;
        if (!splitHostPort(p.value(QStringLiteral("tcp")), "--tcp", &link->tcpServerHost,
                           &link->tcpServerPort, error))
            return false;
        if (link->tcpServerHost.isEmpty())
            return fail(error, QStringLiteral("--tcp needs a reader address"));
        return true;
    }
    if (p.isSet(QStringLiteral("listen"))) {
        link->kind = LinkKind::TcpListener;
        if (!portOption(p.value(QStringLiteral("listen")), 0, "--listen", &link->listenPort, error))
            return false;
        link->acceptAddress = p.value(QStringLiteral("accept")).trimmed();
        if (link->acceptAddress.isEmpty())
            return fail(error, QStringLiteral("--listen needs --accept ADDR (the reader that may connect)"));
        return true;
    }
    link->kind = LinkKind::Udp;
    QString host;
    if (!splitHostPort(p.value(QStringLiteral("udp")), "--udp", &host, &link->udpDestPort, error))
        return false;
    link->udpDestAddress = QHostAddress(host);
    if (link->udpDestAddress.isNull())
        return fail(error, QStringLiteral("--udp needs the reader's IP address, got '%1'").arg(host));
    if (p.isSet(QStringLiteral("local-port")))
        return portOption(p.value(QStringLiteral("local-port")), 0, "--local-port", &link->udpLocalPort,
                          error);
    return true;
}

} // namespace

bool parse(const QCommandLineParser &p, ConfigLinkRequest *link, QString *error)
{
    int kinds = 0;
    for (const char *name : {"com", "tcp", "listen", "udp"})
        kinds += p.isSet(QLatin1String(name)) ? 1 : 0;
    if (kinds != 1)
        return fail(error,
                    QStringLiteral("give exactly one link: --com N, --tcp HOST, --listen PORT --accept "
                                   "ADDR or --udp DEST_IP"));
    const auto misplaced = [&p](const char *option, const char *link) {
        return p.isSet(QLatin1String(option)) && !p.isSet(QLatin1String(link));
    };
    if (misplaced("baud", "com") || misplaced("accept", "listen") || misplaced("local-port", "udp"))
        return fail(error, QStringLiteral("--baud goes with --com, --accept with --listen, --local-port "
                                          "with --udp"));
    if (p.isSet(QStringLiteral("com")))
        return parseCom(p, link, error);
    return parseNetwork(p, link, error);
}

std::optional<int> decimal(const QString &text, int low, int high)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

void addTo(QCommandLineParser &p)
{
    p.addOptions({
        {QStringLiteral("com"),
         QStringLiteral("Serial port N (1-256), optionally naming its device: --com 3 or "
                        "--com 3=/dev/ttyUSB0."),
         QStringLiteral("N[=DEVICE]")},
        {QStringLiteral("baud"),
         QStringLiteral("Line settings of the serial port (default \"115200,n,8,1\")."),
         QStringLiteral("MODE")},
        {QStringLiteral("tcp"), QStringLiteral("A reader that listens (port 4001 unless given)."),
         QStringLiteral("HOST[:PORT]")},
        {QStringLiteral("listen"), QStringLiteral("Listen on PORT for the reader to connect in."),
         QStringLiteral("PORT")},
        {QStringLiteral("accept"),
         QStringLiteral("With --listen: the address (or host name) of the reader that is accepted."),
         QStringLiteral("ADDR")},
        {QStringLiteral("udp"), QStringLiteral("A reader on UDP (port 4001 unless given)."),
         QStringLiteral("DEST_IP[:PORT]")},
        {QStringLiteral("local-port"), QStringLiteral("With --udp: the local port (default 4001)."),
         QStringLiteral("P")},
    });
}

void addTimingTo(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("reply-wait"),
                 QStringLiteral("Milliseconds to wait for each reply (default 600)."), QStringLiteral("MS")});
    QCommandLineOption scale(QStringLiteral("timing-scale"),
                             QStringLiteral("Divide every wait by N (tests)."), QStringLiteral("N"));
    scale.setFlags(QCommandLineOption::HiddenFromHelp);
    p.addOption(scale);
}

bool parseTiming(const QCommandLineParser &p, Timing *timing, QString *error)
{
    if (p.isSet(QStringLiteral("reply-wait"))) {
        const auto ms = decimal(p.value(QStringLiteral("reply-wait")), 1, 3600000);
        if (!ms)
            return fail(error, QStringLiteral("--reply-wait needs a positive number of milliseconds"));
        timing->replyWaitMs = *ms;
    }
    if (p.isSet(QStringLiteral("timing-scale"))) {
        const auto factor = decimal(p.value(QStringLiteral("timing-scale")), 1, 1000);
        if (!factor)
            return fail(error, QStringLiteral("--timing-scale needs a number from 1 to 1000"));
        const int replyWait = timing->replyWaitMs;
        *timing = timing->scaled(*factor);
        if (p.isSet(QStringLiteral("reply-wait")))
            timing->replyWaitMs = replyWait;
    }
    return true;
}

} // namespace ConfigLinkOptions
