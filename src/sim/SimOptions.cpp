#include "sim/SimOptions.h"

#include <QCommandLineParser>

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

std::optional<SimOptions> SimOptions::parse(const QStringList &arguments, QString *error, QString *exitText)
{
    QCommandLineParser p;
    p.setApplicationDescription(QString::fromUtf8(kDescription));
    const auto helpOption = p.addHelpOption();
    const auto versionOption = p.addVersionOption();
    auto opt = [&p](const QString &name, const QString &help, const QString &value = {}) {
        QCommandLineOption o(name, help, value);
        p.addOption(o);
        return o;
    };
    const auto pty = opt("pty", "Create a pseudo-terminal per reader and print its device path (default).");
    const auto serial = opt("serial", "Act as a reader on a serial device.", "DEVICE");
    const auto baud = opt("baud", "Serial speed for --serial (default 115200).", "BAUD");
    const auto tcpServer = opt("tcp-server", "Listen for the host on PORT (the host's TCP Server page).", "PORT");
    const auto tcpClient = opt("tcp-client", "Connect to the host's listener, reconnecting when dropped.", "HOST:PORT");
    const auto udp = opt("udp", "Answer command datagrams on PORT and send reports as datagrams.", "PORT");
    const auto udpHost = opt("udp-host", "Send UDP reports here instead of to the last commanding host.", "HOST:PORT");
    const auto bind = opt("bind", "Listening address (--tcp-server, --udp) or first source address (--tcp-client); default 127.0.0.1 (127.0.0.2 for --tcp-client).", "ADDR");
    const auto readers = opt("readers", "Number of readers (default 1): consecutive ports for --tcp-server/--udp, consecutive source addresses for --tcp-client, one pty each.", "N");
    const auto spread = opt("spread-addresses", "With --readers: --tcp-server/--udp readers take consecutive addresses from --bind on one port.");
    const auto tags = opt("tags", "Number of simulated tags (default 20).", "N");
    const auto seed = opt("seed", "Seed for UIDs, values and faults (default 1).", "N");
    const auto rate = opt("rate", "Report lines per second, all readers together (default 20).", "R");
    const auto count = opt("count", "Stop generating after N lines in total.", "N");
    const auto mode = opt("start-mode", "Auto-send mode at start, 0-4 (default 3: report lines).", "M");
    const auto airDelay = opt("air-delay", "Milliseconds from an \"E\" command to the tag's answer (default 200).", "MS");
    const auto sequence = opt("sequence-uids", "UID = reader number (4 digits) + running line number (12 digits).");
    const auto tamper = opt("tamper-rate", "Share of lines sent with the tamper marker J00 (0-1).", "P");
    const auto drop = opt("drop-replies", "Share of command replies never sent (0-1).", "P");
    const auto badBcc = opt("bad-bcc", "Share of command replies sent with a wrong BCC (0-1).", "P");
    const auto noAck = opt("no-ack", "Tags never answer over-the-air commands.");
    const auto delay = opt("reply-delay", "Delay every command reply by MS milliseconds.", "MS");
    const auto garbage = opt("garbage", "Share of report lines preceded by random noise ended by CR (0-1).", "P");
    const auto log = opt("log", "Print every command received and reply sent (hex and text) on stderr.");
    const auto stats = opt("stats", "Print lines sent per second on stderr.");
    const auto reconnect = opt("reconnect-ms", "Wait before reconnecting a dropped --tcp-client (default 1000).", "MS");

    if (!p.parse(arguments)) {
        *error = p.errorText();
        return std::nullopt;
    }
    if (p.isSet(helpOption)) {
        *exitText = p.helpText();
        return std::nullopt;
    }
    if (p.isSet(versionOption)) {
        *exitText = QStringLiteral("talvo-sim 1.0\n");
        return std::nullopt;
    }
    if (!p.positionalArguments().isEmpty()) {
        *error = "unexpected argument: " + p.positionalArguments().first();
        return std::nullopt;
    }

    SimOptions o;
    const int kinds = int(p.isSet(pty)) + int(p.isSet(serial)) + int(p.isSet(tcpServer)) +
                      int(p.isSet(tcpClient)) + int(p.isSet(udp));
    if (kinds > 1) {
        *error = "choose one of --pty, --serial, --tcp-server, --tcp-client, --udp";
        return std::nullopt;
    }
    auto number = [&](const QCommandLineOption &option, qint64 lo, qint64 hi, qint64 *out) {
        if (!p.isSet(option))
            return true;
        bool ok = false;
        const qint64 v = p.value(option).toLongLong(&ok);
        if (!ok || v < lo || v > hi) {
            *error = QStringLiteral("--%1 wants a number from %2 to %3").arg(option.names().first()).arg(lo).arg(hi);
            return false;
        }
        *out = v;
        return true;
    };
    qint64 v = 0;
    auto portOf = [&](const QCommandLineOption &option) {
        v = 0;
        if (!number(option, 0, 65535, &v))
            return false;
        o.port = quint16(v);
        return true;
    };
    if (p.isSet(serial)) {
        o.transport = Transport::Serial;
        o.device = p.value(serial);
    } else if (p.isSet(tcpServer)) {
        o.transport = Transport::TcpServer;
        if (!portOf(tcpServer))
            return std::nullopt;
    } else if (p.isSet(udp)) {
        o.transport = Transport::Udp;
        if (!portOf(udp))
            return std::nullopt;
    } else if (p.isSet(tcpClient)) {
        o.transport = Transport::TcpClient;
        if (!parseHostPort(p.value(tcpClient), &o.host, &o.port)) {
            *error = "--tcp-client wants HOST:PORT";
            return std::nullopt;
        }
        o.bind = QHostAddress(QStringLiteral("127.0.0.2"));
    }
    if (p.isSet(bind)) {
        o.bind = QHostAddress(p.value(bind));
        o.bindGiven = true;
        if (o.bind.isNull()) {
            *error = "--bind wants an IP address";
            return std::nullopt;
        }
    }
    if (p.isSet(udpHost)) {
        QString host;
        if (!parseHostPort(p.value(udpHost), &host, &o.udpHostPort) || QHostAddress(host).isNull()) {
            *error = "--udp-host wants ADDRESS:PORT";
            return std::nullopt;
        }
        o.udpHost = QHostAddress(host);
    }
    struct IntField
    {
        const QCommandLineOption &option;
        qint64 lo, hi;
        int *target;
    };
    for (const IntField &f : {IntField{readers, 1, 4096, &o.readers}, IntField{tags, 0, 1000000, &o.tags},
                              IntField{mode, 0, 4, &o.startMode}, IntField{airDelay, 0, 600000, &o.airDelayMs},
                              IntField{delay, 0, 600000, &o.replyDelayMs}, IntField{baud, 50, 4000000, &o.baud},
                              IntField{reconnect, 1, 600000, &o.reconnectMs}}) {
        v = *f.target;
        if (!number(f.option, f.lo, f.hi, &v))
            return std::nullopt;
        *f.target = int(v);
    }
    v = 1;
    if (!number(seed, 0, std::numeric_limits<qint64>::max(), &v))
        return std::nullopt;
    o.seed = quint64(v);
    v = 0;
    if (!number(count, 0, std::numeric_limits<qint64>::max(), &v))
        return std::nullopt;
    o.count = quint64(v);
    if (p.isSet(rate)) {
        bool ok = false;
        o.rate = p.value(rate).toDouble(&ok);
        if (!ok || o.rate < 0 || o.rate > 1e8) {
            *error = "--rate wants a number of lines per second";
            return std::nullopt;
        }
    }
    struct Share
    {
        const QCommandLineOption &option;
        double *target;
    };
    for (const Share &s : {Share{tamper, &o.tamperRate}, Share{drop, &o.dropReplies}, Share{badBcc, &o.badBcc},
                           Share{garbage, &o.garbage}}) {
        if (p.isSet(s.option) && !parseRate(p.value(s.option), s.target)) {
            *error = QStringLiteral("--%1 wants a share from 0 to 1").arg(s.option.names().first());
            return std::nullopt;
        }
    }
    o.spreadAddresses = p.isSet(spread);
    o.sequenceUids = p.isSet(sequence);
    o.noAck = p.isSet(noAck);
    o.log = p.isSet(log);
    o.stats = p.isSet(stats);
    return o;
}
