#include "ReaderOptions.h"

#include "ConfigLinkOptions.h"

#include "readercfg/ReaderCommands.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

using Error = QString *;
using ConfigLinkOptions::decimal;

bool fail(Error error, const QString &text)
{
    *error = text;
    return false;
}

std::optional<bool> onOff(const QString &text)
{
    if (text.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

} // namespace

void ReaderOptions::addTo(QCommandLineParser &p)
{
    ConfigLinkOptions::addTo(p);
    p.addOptions({
        {QStringLiteral("auto-on"),
         QStringLiteral("relay-on-time: outputs switch on when a tag is received.")},
        {QStringLiteral("do1"), QStringLiteral("relay: output 1 on or off (default off)."),
         QStringLiteral("on|off")},
        {QStringLiteral("do2"), QStringLiteral("relay: output 2 on or off (default off)."),
         QStringLiteral("on|off")},
        {QStringLiteral("format"), QStringLiteral("Output: text (the reply payload) or json."),
         QStringLiteral("text|json"), QStringLiteral("text")},
        {QStringLiteral("verbose"), QStringLiteral("Print every attempt, transmission and message.")},
    });
    ConfigLinkOptions::addTimingTo(p);
    p.addPositionalArgument(QStringLiteral("COMMAND"), commandsHelp(), QStringLiteral("COMMAND [ARGS]"));
}

QString ReaderOptions::commandsHelp()
{
    return QStringLiteral("One of:\n"
                          "version | sn | id | set-id ID | initial | reset\n"
                          "baud ITEM (e.g. \"9600,e,8,1\") | auto-send 0..4\n"
                          "net ALL|NET|RS232|RS485 | rssi 0..250\n"
                          "gain-level 1..7 | gain G1 G2 G3 (0..3 0..7 0..7)\n"
                          "relay-on-time SECONDS (0..999) [--auto-on]\n"
                          "relay --do1 on|off --do2 on|off (one round; prints DI1..DI4)\n"
                          "raw TEXT (any command text)");
}

namespace {

using Args = QStringList;
using Steps = std::optional<ReaderCommandSequence>;

Steps single(const QByteArray &command)
{
    return ReaderSequences::single(command);
}

Steps numbered(const Args &a, int low, int high, QByteArray (*make)(int))
{
    const auto v = decimal(a.value(0), low, high);
    return v ? single(make(*v)) : std::nullopt;
}

Steps fromItem(const QString &text, const QStringList &items, QByteArray (*make)(int))
{
    for (int i = 0; i < items.size(); ++i)
        if (items[i].compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return single(make(i));
    return std::nullopt;
}

Steps plainText(const QString &text, int maxLength, QByteArray (*make)(const QString &))
{
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7F; });
    if (text.isEmpty() || text.size() > maxLength || !ascii)
        return std::nullopt;
    return single(make(text));
}

Steps gainFields(const Args &a)
{
    const auto g1 = decimal(a.value(0), 0, 3);
    const auto g2 = decimal(a.value(1), 0, 7);
    const auto g3 = decimal(a.value(2), 0, 7);
    if (!g1 || !g2 || !g3)
        return std::nullopt;
    return ReaderSequences::setGain(ReaderCommands::gainByte({*g1, *g2, *g3}));
}

struct CommandEntry
{
    const char *name;
    int argCount;
    const char *usage;
    Steps (*make)(const Args &);
};

const CommandEntry kCommands[] = {
    {"version", 0, "version", [](const Args &) { return single(ReaderCommands::version()); }},
    {"sn", 0, "sn", [](const Args &) { return single(ReaderCommands::serialNumber()); }},
    {"id", 0, "id", [](const Args &) { return single(ReaderCommands::readId()); }},
    {"set-id", 1, "set-id ID (1 to 4 characters)",
     [](const Args &a) { return plainText(a[0], 4, &ReaderCommands::setId); }},
    {"initial", 0, "initial", [](const Args &) { return single(ReaderCommands::initial()); }},
    {"reset", 0, "reset", [](const Args &) { return single(ReaderCommands::reset()); }},
    {"baud", 1, "baud ITEM, one of \"4800,n,8,1\" .. \"115200,e,8,1\"",
     [](const Args &a) {
         return fromItem(a[0], ReaderCommands::baudRateItems(), &ReaderCommands::setBaudrate);
     }},
    {"auto-send", 1, "auto-send 0..4",
     [](const Args &a) { return numbered(a, 0, 4, &ReaderCommands::autoSend); }},
    {"net", 1, "net ALL|NET|RS232|RS485",
     [](const Args &a) { return fromItem(a[0], ReaderCommands::netItems(), &ReaderCommands::netPort); }},
    {"rssi", 1, "rssi 0..250", [](const Args &a) { return numbered(a, 0, 250, &ReaderCommands::rssiLevel); }},
    {"gain-level", 1, "gain-level 1..7",
     [](const Args &a) {
         const auto level = decimal(a[0], 1, 7);
         return level ? Steps(ReaderSequences::gainLevel(*level)) : std::nullopt;
     }},
    {"gain", 3, "gain G1 G2 G3 (0..3, 0..7, 0..7)", &gainFields},
    {"relay-on-time", 1, "relay-on-time SECONDS (0..999) [--auto-on]", nullptr},
    {"relay", 0, "relay --do1 on|off --do2 on|off", nullptr},
    {"raw", 1, "raw TEXT (1 to 1020 characters)",
     [](const Args &a) { return plainText(a[0], 1020, [](const QString &t) { return t.toLatin1(); }); }},
};

const CommandEntry *findCommand(const QString &name)
{
    for (const CommandEntry &entry : kCommands)
        if (name == QLatin1String(entry.name))
            return &entry;
    return nullptr;
}

bool parseCommand(const QCommandLineParser &p, ReaderOptions *o, Error error)
{
    QStringList args = p.positionalArguments();
    if (args.isEmpty())
        return fail(error, QStringLiteral("no command given"));
    o->commandName = args.takeFirst();
    const CommandEntry *entry = findCommand(o->commandName);
    if (!entry)
        return fail(error, QStringLiteral("unknown reader command '%1'").arg(o->commandName));
    const QString usage = QStringLiteral("usage: ") + QLatin1String(entry->usage);
    if (args.size() != entry->argCount)
        return fail(error, usage);
    if (o->commandName == QLatin1String("relay")) {
        const auto output = [&p](const QString &name) {
            return p.isSet(name) ? onOff(p.value(name)) : std::optional<bool>(false);
        };
        const auto do1 = output(QStringLiteral("do1"));
        const auto do2 = output(QStringLiteral("do2"));
        if (!do1 || !do2)
            return fail(error, usage);
        o->relay = true;
        o->do1 = *do1;
        o->do2 = *do2;
        return true;
    }
    if (o->commandName == QLatin1String("relay-on-time")) {
        const auto seconds = decimal(args[0], 0, 999);
        if (!seconds)
            return fail(error, usage);
        o->steps = ReaderSequences::relayOnTime(*seconds, p.isSet(QStringLiteral("auto-on")));
        return true;
    }
    const Steps steps = entry->make(args);
    if (!steps)
        return fail(error, usage);
    o->steps = *steps;
    return true;
}

bool parseOutput(const QCommandLineParser &p, ReaderOptions *o, Error error)
{
    const QString format = p.value(QStringLiteral("format"));
    if (format != QLatin1String("text") && format != QLatin1String("json"))
        return fail(error, QStringLiteral("--format is text or json"));
    o->json = format == QLatin1String("json");
    o->verbose = p.isSet(QStringLiteral("verbose"));
    return ConfigLinkOptions::parseTiming(p, &o->timing, error);
}

} // namespace

std::optional<ReaderOptions> ReaderOptions::parse(const QCommandLineParser &p, QString *error)
{
    ReaderOptions o;
    if (!ConfigLinkOptions::parse(p, &o.link, error) || !parseCommand(p, &o, error) ||
        !parseOutput(p, &o, error))
        return std::nullopt;
    if (!o.relay && (p.isSet(QStringLiteral("do1")) || p.isSet(QStringLiteral("do2")))) {
        *error = QStringLiteral("--do1 and --do2 go with the relay command");
        return std::nullopt;
    }
    return o;
}
