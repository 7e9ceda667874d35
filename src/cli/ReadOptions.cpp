#include "ReadOptions.h"

#include "link/SerialPortMap.h"

#include <QCommandLineParser>

void ReadOptions::addTo(QCommandLineParser &p)
{
    p.addOptions({
        {QStringLiteral("com"),
         QStringLiteral("Read serial port N (1-256), optionally naming its device: --com 3 or "
                        "--com 3=/dev/ttyUSB0. Repeatable."),
         QStringLiteral("N[=DEVICE]")},
        {QStringLiteral("replay"),
         QStringLiteral("Read raw reader bytes from FILE, or standard input for -."), QStringLiteral("FILE")},
        {QStringLiteral("label"), QStringLiteral("Source label of replayed reports (default REPLAY)."),
         QStringLiteral("LABEL")},
        {QStringLiteral("types"),
         QStringLiteral("Report types to accept, comma-separated, out of standard, one-temperature, "
                        "two-temperature, temperature-humidity (default: all). Raw-word reports are "
                        "always accepted."),
         QStringLiteral("LIST")},
        {QStringLiteral("format"), QStringLiteral("Output format: jsonl (default) or csv."),
         QStringLiteral("FORMAT")},
        {QStringLiteral("count"), QStringLiteral("Stop after N reports."), QStringLiteral("N")},
        {QStringLiteral("duration"), QStringLiteral("Stop after S seconds (at most ten years)."),
         QStringLiteral("S")},
        {QStringLiteral("reply-wait"),
         QStringLiteral("Milliseconds a reader command waits for its reply (default 600)."),
         QStringLiteral("MS")},
        {QStringLiteral("verbose"), QStringLiteral("Also print link events (connections, command replies).")},
    });
    ReadTableOptions::addTo(p);
    NetworkLinkOptions::addTo(p);

    // Unattended operation.
    p.addOption({QStringLiteral("reconnect"),
                 QStringLiteral("Try serial ports that fail or cannot be opened, and --tcp readers that "
                                "drop or cannot be reached, again: after 1 s, then twice as long each "
                                "time up to 30 s. The readers are told to report again once back.")});
    p.addOption({QStringLiteral("idle-timeout"),
                 QStringLiteral("Take a --tcp reader that sends nothing for S seconds as lost: it is "
                                "reported, and with --reconnect connected again (without it the session "
                                "ends when no reader is left). Off by default: a reader with no tags in "
                                "range is silent too. A reader that loses power or its cable on an idle "
                                "connection is noticed after about 25 s in any case."),
                 QStringLiteral("S")});

    // MQTT: publishing and reading from a broker.
    MqttOptions::addTo(p);
}

namespace {

bool parseTypes(const QString &text, ReportTypeSwitches *types, QString *error)
{
    ReportTypeSwitches t{false, false, false, false};
    for (const QString &raw : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed().toLower();
        if (name == QLatin1String("standard"))
            t.standard = true;
        else if (name == QLatin1String("one-temperature"))
            t.oneTemperature = true;
        else if (name == QLatin1String("two-temperature"))
            t.twoTemperature = true;
        else if (name == QLatin1String("temperature-humidity"))
            t.temperatureHumidity = true;
        else if (name != QLatin1String("raw-word")) {
            *error = QStringLiteral("unknown report type '%1' in --types").arg(raw);
            return false;
        }
    }
    *types = t;
    return true;
}

bool parseCom(const QString &value, QPair<int, QString> *port, QString *error)
{
    const qsizetype eq = value.indexOf(QLatin1Char('='));
    bool ok = false;
    const int n = value.left(eq < 0 ? value.size() : eq).trimmed().toInt(&ok);
    if (!ok || n < 1 || n > SerialPortMap::kMaxPort) {
        *error = QStringLiteral("--com needs a port number from 1 to 256, got '%1'").arg(value);
        return false;
    }
    *port = {n, eq < 0 ? QString() : value.mid(eq + 1).trimmed()};
    return true;
}

} // namespace

std::optional<ReadOptions> ReadOptions::parse(const QCommandLineParser &p, QString *error)
{
    ReadOptions o;
    for (const QString &v : p.values(QStringLiteral("com"))) {
        QPair<int, QString> port;
        if (!parseCom(v, &port, error))
            return std::nullopt;
        o.comPorts.append(port);
    }
    o.replayPath = p.value(QStringLiteral("replay"));
    if (p.isSet(QStringLiteral("label")))
        o.replayLabel = p.value(QStringLiteral("label"));
    if (p.isSet(QStringLiteral("types")) && !parseTypes(p.value(QStringLiteral("types")), &o.types, error))
        return std::nullopt;
    const QString format = p.value(QStringLiteral("format"));
    if (format == QLatin1String("csv"))
        o.format = Format::Csv;
    else if (!format.isEmpty() && format != QLatin1String("jsonl")) {
        *error = QStringLiteral("--format must be jsonl or csv, got '%1'").arg(format);
        return std::nullopt;
    }
    bool ok = true;
    if (p.isSet(QStringLiteral("count")) &&
        ((o.count = p.value(QStringLiteral("count")).toLongLong(&ok)), !ok || o.count < 1)) {
        *error = QStringLiteral("--count needs a positive whole number");
        return std::nullopt;
    }
    if (p.isSet(QStringLiteral("duration")) &&
        ((o.durationSec = p.value(QStringLiteral("duration")).toDouble(&ok)),
         !ok || !(o.durationSec > 0 && o.durationSec <= kMaxDurationSec))) {
        *error = QStringLiteral("--duration needs a positive number of seconds, at most %1 (ten years)")
                     .arg(qint64(kMaxDurationSec));
        return std::nullopt;
    }
    if (p.isSet(QStringLiteral("reply-wait")) &&
        ((o.replyWaitMs = p.value(QStringLiteral("reply-wait")).toInt(&ok)), !ok || o.replyWaitMs < 1)) {
        *error = QStringLiteral("--reply-wait needs a positive number of milliseconds");
        return std::nullopt;
    }
    if (p.isSet(QStringLiteral("idle-timeout"))) {
        const double seconds = p.value(QStringLiteral("idle-timeout")).toDouble(&ok);
        if (!ok || !(seconds >= 0.01 && seconds <= kMaxIdleTimeoutSec)) {
            *error = QStringLiteral("--idle-timeout needs a number of seconds from 0.01 to %1")
                         .arg(qint64(kMaxIdleTimeoutSec));
            return std::nullopt;
        }
        o.idleTimeoutMs = int(seconds * 1000);
    }
    o.verbose = p.isSet(QStringLiteral("verbose"));
    o.reconnect = p.isSet(QStringLiteral("reconnect"));
    if (!o.network.parse(p, error))
        return std::nullopt;
    const auto table = ReadTableOptions::from(p, error);
    if (!table)
        return std::nullopt;
    o.table = *table;
    if (!o.mqtt.parse(p, error))
        return std::nullopt;
    if (o.linkKinds() == 0) {
        *error = QStringLiteral("nothing to read: give --com N, --replay FILE, --tcp HOST, --listen PORT, "
                                "--udp PORT or --mqtt-in URL");
        return std::nullopt;
    }
    if (o.idleTimeoutMs > 0 &&
        (o.network.kinds() == 0 || o.network.linkRequest().kind != LinkKind::TcpToReaders)) {
        *error = QStringLiteral("--idle-timeout works with --tcp readers");
        return std::nullopt;
    }
    if (o.linkKinds() > 1) {
        *error =
            QStringLiteral("one kind of link per session: serial ports, a replay, --tcp, --listen, --udp or "
                           "--mqtt-in");
        return std::nullopt;
    }
    return o;
}

int ReadOptions::linkKinds() const
{
    return int(!comPorts.isEmpty()) + int(!replayPath.isEmpty()) + network.kinds() +
           int(mqtt.subscribe.has_value());
}
