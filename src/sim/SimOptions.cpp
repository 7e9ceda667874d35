#include "sim/SimOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <limits>

namespace {

const char kDescription[] = R"(Simulated active-RFID reader(s) for Talvo Utility.

Speaks the reader side of the protocol: command frames SOH+command+BCC+CR are answered with
STX+payload+BCC+CR whose first payload character repeats the command's. Commands: A0..A4 (auto-send
mode), M0..M3 (report port ALL/NET/RS232/RS485), BT (tamper reset), BR, X5A, V, S, T, T+ID,
Y0..YB, N%02X, W1C01%02X, L0<output><state> (37-byte reply, inputs at frame positions 19-22),
R02%04X, R010000/R010001, E+UID+tag command, C (poll). A command the reader does not know, or with a
bad parameter, is answered with '?'+command (a first character that differs from the command's, so
the host sees a failure at once). Frames with a bad BCC are not answered.
Report lines (UID, RSSI, LQI, DI, sensor words, CR) go out only in auto-send mode 3 and only on a
port the report-port setting includes (pty/serial = RS232, network = NET). In mode 0 reports are
kept for "C" polls.

--sequence-uids makes every line checkable for loss: the UID is the reader number (4 digits,
1-based) followed by that reader's running line number (12 digits, starting at 1).

Examples:
  talvo-sim --pty
  talvo-sim --tcp-server 4001 --readers 4 --rate 200
  talvo-sim --tcp-client 127.0.0.1:4001 --readers 100 --rate 200000 --sequence-uids
  talvo-sim --udp 4001 --udp-host 127.0.0.1:4002)";

bool parseRate(const QString &text, double *out)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || v < 0 || v > 1)
        return false;
    *out = v;
    return true;
}

bool parseHostPort(const QString &text, QString *host, quint16 *port)
{
    const int colon = text.lastIndexOf(':');
    bool ok = false;
    const uint p = text.mid(colon + 1).toUInt(&ok);
    if (colon <= 0 || !ok || p == 0 || p > 65535)
        return false;
    *host = text.left(colon);
    *port = quint16(p);
    return true;
}

} // namespace

QHostAddress SimOptions::nthAddress(const QHostAddress &first, int index)
{
    bool ok = false;
    quint32 v = first.toIPv4Address(&ok);
    if (!ok)
        return first;
    for (int i = 0; i < index; ++i) {
        do {
            ++v;
        } while ((v & 0xFF) == 0 || (v & 0xFF) == 0xFF);
    }
    return QHostAddress(v);
}

namespace {

// The parser with every option; the options are looked up by name afterwards.
void addOptions(QCommandLineParser &p)
{
    p.setApplicationDescription(QString::fromUtf8(kDescription));
    p.addHelpOption();
    p.addVersionOption();
    const QList<QCommandLineOption> options = {
        {"pty", "Create a pseudo-terminal per reader and print its device path (default)."},
        {"serial", "Act as a reader on a serial device.", "DEVICE"},
        {"baud", "Serial speed for --serial (default 115200).", "BAUD"},
        {"tcp-server", "Listen for the host on PORT (the host's TCP Server page).", "PORT"},
        {"tcp-client", "Connect to the host's listener, reconnecting when dropped.", "HOST:PORT"},
        {"udp", "Answer command datagrams on PORT and send reports as datagrams.", "PORT"},
        {"udp-host", "Send UDP reports here instead of to the last commanding host.", "HOST:PORT"},
        {"bind",
         "Listening address (--tcp-server, --udp) or first source address (--tcp-client); default "
         "127.0.0.1 (127.0.0.2 for --tcp-client).",
         "ADDR"},
        {"readers",
         "Number of readers (default 1): consecutive ports for --tcp-server/--udp, consecutive source "
         "addresses for --tcp-client, one pty each.",
         "N"},
        {"spread-addresses",
         "With --readers: --tcp-server/--udp readers take consecutive addresses from --bind on one port."},
        {"tags", "Number of simulated tags (default 20).", "N"},
        {"seed", "Seed for UIDs, values and faults (default 1).", "N"},
        {"rate", "Report lines per second, all readers together (default 20).", "R"},
        {"count", "Stop generating after N lines in total.", "N"},
        {"start-mode", "Auto-send mode at start, 0-4 (default 3: report lines).", "M"},
        {"air-delay", "Milliseconds from an \"E\" command to the tag's answer (default 200).", "MS"},
        {"sequence-uids", "UID = reader number (4 digits) + running line number (12 digits)."},
        {"approach",
         "The first tag moves closer: its RSSI climbs from 32 to 240 over its next N reports from each "
         "reader, then stays.",
         "N"},
        {"tamper-rate", "Share of lines sent with the tamper marker J00 (0-1).", "P"},
        {"drop-replies", "Share of command replies never sent (0-1).", "P"},
        {"bad-bcc", "Share of command replies sent with a wrong BCC (0-1).", "P"},
        {"no-ack", "Tags never answer over-the-air commands."},
        {"silent-uids", "These tags (comma-separated UIDs) never answer over-the-air commands.", "UIDS"},
        {"reply-delay", "Delay every command reply by MS milliseconds.", "MS"},
        {"garbage", "Share of report lines preceded by random noise ended by CR (0-1).", "P"},
        {"log", "Print every command received and reply sent (hex and text) on stderr."},
        {"stats", "Print lines sent per second on stderr."},
        {"reconnect-ms", "Wait before reconnecting a dropped --tcp-client (default 1000).", "MS"},
    };
    p.addOptions(options);
}

// Reads option `name` as an integer in lo..hi into *out when it is given.
bool readNumber(const QCommandLineParser &p, const QString &name, qint64 lo, qint64 hi, qint64 *out,
                QString *error)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const qint64 v = p.value(name).toLongLong(&ok);
    if (!ok || v < lo || v > hi) {
        *error = QStringLiteral("--%1 wants a number from %2 to %3").arg(name).arg(lo).arg(hi);
        return false;
    }
    *out = v;
    return true;
}

bool readTransport(const QCommandLineParser &p, SimOptions &o, QString *error)
{
    const QStringList kinds = {"pty", "serial", "tcp-server", "tcp-client", "udp"};
    if (std::count_if(kinds.begin(), kinds.end(), [&p](const QString &k) { return p.isSet(k); }) > 1) {
        *error = "choose one of --pty, --serial, --tcp-server, --tcp-client, --udp";
        return false;
    }
    qint64 port = o.port;
    if (p.isSet("serial")) {
        o.transport = SimOptions::Transport::Serial;
        o.device = p.value("serial");
    } else if (p.isSet("tcp-server") || p.isSet("udp")) {
        const QString name = p.isSet("udp") ? "udp" : "tcp-server";
        o.transport = p.isSet("udp") ? SimOptions::Transport::Udp : SimOptions::Transport::TcpServer;
        if (!readNumber(p, name, 0, 65535, &port, error))
            return false;
        o.port = quint16(port);
    } else if (p.isSet("tcp-client")) {
        o.transport = SimOptions::Transport::TcpClient;
        if (!parseHostPort(p.value("tcp-client"), &o.host, &o.port)) {
            *error = "--tcp-client wants HOST:PORT";
            return false;
        }
        o.bind = QHostAddress(QStringLiteral("127.0.0.2"));
    }
    if (p.isSet("bind")) {
        o.bind = QHostAddress(p.value("bind"));
        o.bindGiven = true;
        if (o.bind.isNull()) {
            *error = "--bind wants an IP address";
            return false;
        }
    }
    if (p.isSet("udp-host")) {
        QString host;
        if (!parseHostPort(p.value("udp-host"), &host, &o.udpHostPort) || QHostAddress(host).isNull()) {
            *error = "--udp-host wants ADDRESS:PORT";
            return false;
        }
        o.udpHost = QHostAddress(host);
    }
    return true;
}

bool readNumbers(const QCommandLineParser &p, SimOptions &o, QString *error)
{
    struct IntField
    {
        const char *name;
        qint64 lo, hi;
        int *target;
    };
    for (const IntField &f :
         {IntField{"readers", 1, 4096, &o.readers}, IntField{"tags", 0, 1000000, &o.tags},
          IntField{"start-mode", 0, 4, &o.startMode}, IntField{"air-delay", 0, 600000, &o.airDelayMs},
          IntField{"reply-delay", 0, 600000, &o.replyDelayMs}, IntField{"baud", 50, 4000000, &o.baud},
          IntField{"reconnect-ms", 1, 600000, &o.reconnectMs},
          IntField{"approach", 1, 100000000, &o.approachReports}}) {
        qint64 v = *f.target;
        if (!readNumber(p, f.name, f.lo, f.hi, &v, error))
            return false;
        *f.target = int(v);
    }
    qint64 seed = qint64(o.seed);
    qint64 count = qint64(o.count);
    const qint64 most = std::numeric_limits<qint64>::max();
    if (!readNumber(p, "seed", 0, most, &seed, error) || !readNumber(p, "count", 0, most, &count, error))
        return false;
    o.seed = quint64(seed);
    o.count = quint64(count);
    if (p.isSet("rate")) {
        bool ok = false;
        o.rate = p.value("rate").toDouble(&ok);
        if (!ok || o.rate < 0 || o.rate > 1e8) {
            *error = "--rate wants a number of lines per second";
            return false;
        }
    }
    struct Share
    {
        const char *name;
        double *target;
    };
    for (const Share &s : {Share{"tamper-rate", &o.tamperRate}, Share{"drop-replies", &o.dropReplies},
                           Share{"bad-bcc", &o.badBcc}, Share{"garbage", &o.garbage}}) {
        if (p.isSet(s.name) && !parseRate(p.value(s.name), s.target)) {
            *error = QStringLiteral("--%1 wants a share from 0 to 1").arg(s.name);
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<SimOptions> SimOptions::parse(const QStringList &arguments, QString *error, QString *exitText)
{
    QCommandLineParser p;
    addOptions(p);
    if (!p.parse(arguments)) {
        *error = p.errorText();
        return std::nullopt;
    }
    if (p.isSet("help")) {
        *exitText = p.helpText();
        return std::nullopt;
    }
    if (p.isSet("version")) {
        *exitText = QStringLiteral("talvo-sim %1\n").arg(QCoreApplication::applicationVersion());
        return std::nullopt;
    }
    if (!p.positionalArguments().isEmpty()) {
        *error = "unexpected argument: " + p.positionalArguments().first();
        return std::nullopt;
    }
    SimOptions o;
    if (!readTransport(p, o, error) || !readNumbers(p, o, error))
        return std::nullopt;
    o.spreadAddresses = p.isSet("spread-addresses");
    o.sequenceUids = p.isSet("sequence-uids");
    o.noAck = p.isSet("no-ack");
    for (const QString &uid : p.value("silent-uids").split(QLatin1Char(','), Qt::SkipEmptyParts))
        o.silentUids.append(uid.trimmed().toLatin1());
    o.log = p.isSet("log");
    o.stats = p.isSet("stats");
    return o;
}
