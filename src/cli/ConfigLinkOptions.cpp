#include "ConfigLinkOptions.h"

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

// "HOST[:PORT]"; a port text that is not a number means 4001.
void splitHostPort(const QString &value, QString *host, quint16 *port)
{
    const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
    const bool hasPort = colon > 0 && value.indexOf(QLatin1Char(':')) == colon;
    *host = (hasPort ? value.left(colon) : value).trimmed();
    *port = hasPort ? ConfigLinkRequest::portFromText(value.mid(colon + 1)) : quint16(4001);
}

bool parseNetwork(const QCommandLineParser &p, ConfigLinkRequest *link, Error error)
{
    if (p.isSet(QStringLiteral("tcp"))) {
        link->kind = LinkKind::TcpToReaders;
        splitHostPort(p.value(QStringLiteral("tcp")), &link->tcpServerHost, &link->tcpServerPort);
        if (link->tcpServerHost.isEmpty())
            return fail(error, QStringLiteral("--tcp needs a reader address"));
        return true;
    }
    if (p.isSet(QStringLiteral("listen"))) {
        link->kind = LinkKind::TcpListener;
        link->listenPort = ConfigLinkRequest::portFromText(p.value(QStringLiteral("listen")));
        link->acceptAddress = p.value(QStringLiteral("accept")).trimmed();
        if (link->acceptAddress.isEmpty())
            return fail(error, QStringLiteral("--listen needs --accept ADDR (the reader that may connect)"));
        return true;
    }
    link->kind = LinkKind::Udp;
    QString host;
    splitHostPort(p.value(QStringLiteral("udp")), &host, &link->udpDestPort);
    link->udpDestAddress = QHostAddress(host);
    if (link->udpDestAddress.isNull())
        return fail(error, QStringLiteral("--udp needs the reader's IP address, got '%1'").arg(host));
    if (p.isSet(QStringLiteral("local-port")))
        link->udpLocalPort = ConfigLinkRequest::portFromText(p.value(QStringLiteral("local-port")));
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
