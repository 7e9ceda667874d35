#include "TagOptions.h"

#include "ConfigLinkOptions.h"

#include "tagcfg/TagButtons.h"
#include "tagcfg/TagUid.h"

#include <QCommandLineParser>
#include <QSet>

namespace {

bool fail(QString *error, const QString &text)
{
    *error = text;
    return false;
}

bool writes(const TagButton &button)
{
    for (const TagStep &step : button.steps)
        if (!step.isRead() && step.value != TagValue::None)
            return true;
    return false;
}

// The usage line of a button's command, built from its steps: "set-active-time --interval 0..15
// --count 1..255".
QString usage(const TagButton &button)
{
    QString text = QString::fromLatin1(button.cliName);
    if (!writes(button))
        return text;
    for (const TagValueSpec *spec : TagOptions::controls(button))
        text += QStringLiteral(" --%1 %2..%3").arg(QLatin1String(spec->name)).arg(spec->low).arg(spec->high);
    return text;
}

bool parseValues(const QCommandLineParser &p, TagOptions *o, QString *error)
{
    const QString usageText = QStringLiteral("usage: ") + usage(*o->button);
    QSet<QString> own;
    if (writes(*o->button)) {
        for (const TagValueSpec *spec : TagOptions::controls(*o->button)) {
            const QString name = QLatin1String(spec->name);
            own.insert(name);
            if (!p.isSet(name))
                return fail(error, QStringLiteral("--%1 is missing; %2").arg(name, usageText));
            const auto v = ConfigLinkOptions::decimal(p.value(name), spec->low, spec->high);
            if (!v)
                return fail(error, QStringLiteral("--%1 takes %2..%3, got '%4'")
                                       .arg(name)
                                       .arg(spec->low)
                                       .arg(spec->high)
                                       .arg(p.value(name)));
            o->values[spec->value] = *v;
        }
    }
    for (const TagValueSpec &spec : TagValues::all()) {
        const QString name = QLatin1String(spec.name);
        if (p.isSet(name) && !own.contains(name))
            return fail(error,
                        QStringLiteral("--%1 does not go with %2; %3").arg(name, o->commandName, usageText));
    }
    return true;
}

bool parseCommand(const QCommandLineParser &p, TagOptions *o, QString *error)
{
    QStringList args = p.positionalArguments();
    if (args.isEmpty())
        return fail(error, QStringLiteral("no command given"));
    o->commandName = args.takeFirst();
    o->button = TagButtons::findByCliName(o->commandName);
    if (!o->button)
        return fail(error, QStringLiteral("unknown tag command '%1'").arg(o->commandName));
    if (!args.isEmpty())
        return fail(
            error,
            QStringLiteral("unexpected argument '%1'; usage: %2").arg(args.first(), usage(*o->button)));
    return parseValues(p, o, error);
}

bool parseUid(const QCommandLineParser &p, TagOptions *o, QString *error)
{
    if (!p.isSet(QStringLiteral("uid")))
        return fail(error, QStringLiteral("--uid UID is missing (the 16 characters of the tag's reports)"));
    o->uid = p.value(QStringLiteral("uid"));
    if (!TagUid::isValid(o->uid))
        return fail(error, TagUid::problem(0, o->uid));
    return true;
}

} // namespace

std::vector<const TagValueSpec *> TagOptions::controls(const TagButton &button)
{
    std::vector<const TagValueSpec *> specs;
    for (const TagStep &step : button.steps)
        if (const TagValueSpec *spec = TagValues::find(button.page, step.value))
            specs.push_back(spec);
    return specs;
}

void TagOptions::addTo(QCommandLineParser &p)
{
    ConfigLinkOptions::addTo(p);
    p.addOption({QStringLiteral("uid"), QStringLiteral("The tag: the 16 characters of its reports."),
                 QStringLiteral("UID")});
    QSet<QString> added;
    for (const TagValueSpec &spec : TagValues::all()) {
        const QString name = QLatin1String(spec.name);
        if (added.contains(name))
            continue;
        added.insert(name);
        p.addOption({name, QStringLiteral("The %1 a command sends (its slider's position).").arg(name),
                     QStringLiteral("N")});
    }
    p.addOption({QStringLiteral("format"), QStringLiteral("Output: text or json."),
                 QStringLiteral("text|json"), QStringLiteral("text")});
    ConfigLinkOptions::addTimingTo(p);
    p.addPositionalArgument(QStringLiteral("COMMAND"), commandsHelp(), QStringLiteral("COMMAND [ARGS]"));
}

QString TagOptions::commandsHelp()
{
    QStringList lines{QStringLiteral("One of:")};
    for (const TagButton &button : TagButtons::all())
        lines.append(usage(button));
    return lines.join(QLatin1Char('\n'));
}

std::optional<TagOptions> TagOptions::parse(const QCommandLineParser &p, QString *error)
{
    TagOptions o;
    if (!ConfigLinkOptions::parse(p, &o.link, error) || !parseUid(p, &o, error) ||
        !parseCommand(p, &o, error) || !ConfigLinkOptions::parseTiming(p, &o.timing, error))
        return std::nullopt;
    const QString format = p.value(QStringLiteral("format"));
    if (format != QLatin1String("text") && format != QLatin1String("json")) {
        *error = QStringLiteral("--format is text or json");
        return std::nullopt;
    }
    o.json = format == QLatin1String("json");
    return o;
}
