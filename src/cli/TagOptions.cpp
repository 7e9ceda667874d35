#include "TagOptions.h"

#include "ConfigLinkOptions.h"

#include "i18n/TagFlowText.h"
#include "tagcfg/TagUid.h"

#include <QCommandLineParser>

namespace {

bool fail(QString *error, const QString &text)
{
    *error = text;
    return false;
}

QString opt(const char *name)
{
    return QLatin1String(name);
}

// The command's words as a plan row holds them: the positional words after the command, then the
// value options given (they are registered with the parser, so they may stand anywhere).
bool parseCommand(const QCommandLineParser &p, TagOptions *o, QString *error)
{
    QStringList words = p.positionalArguments();
    if (words.isEmpty())
        return fail(error, QStringLiteral("no command given"));
    o->commandName = words.takeFirst();
    o->args = words;
    for (const QString &name : TagCommandLine::valueOptionNames())
        if (p.isSet(name))
            o->args << QStringLiteral("--") + name << p.value(name);
    if (p.isSet(opt("flash")))
        o->args << QStringLiteral("--flash");
    const auto parsed = TagCommandLine::parse(o->commandName, o->args, o->page, error);
    if (!parsed)
        return false;
    o->parsed = *parsed;
    return true;
}

bool parseUid(const QCommandLineParser &p, TagOptions *o, QString *error)
{
    if (!p.isSet(opt("uid")))
        return fail(error, QStringLiteral("--uid UID is missing (the 16 characters of the tag's reports)"));
    o->uid = p.value(opt("uid"));
    if (!TagUid::isValid(o->uid))
        return fail(error, TagFlowText::invalidUid(Language::English, o->uid));
    return true;
}

bool parsePlan(const QCommandLineParser &p, TagOptions *o, QString *error)
{
    o->planPath = p.value(opt("plan"));
    o->retryPath = p.value(opt("retry-failed"));
    o->skipBadRows = p.isSet(opt("skip-bad-rows"));
    if (!o->provisioning())
        return o->skipBadRows
                   ? fail(error, QStringLiteral("--skip-bad-rows goes with --plan or --retry-failed"))
                   : true;
    if (!o->planPath.isEmpty() && !o->retryPath.isEmpty())
        return fail(error, QStringLiteral("--plan and --retry-failed do not go together"));
    o->resultPath = p.value(opt("result"));
    if (o->resultPath.isEmpty())
        return fail(error, QStringLiteral("--result RESULT.csv is missing"));
    if (o->resultPath == o->retryPath || o->resultPath == o->planPath)
        return fail(error, QStringLiteral("--result must name another file than the plan"));
    if (p.isSet(opt("uid")) || !p.positionalArguments().isEmpty())
        return fail(error, QStringLiteral("a plan names its tags and commands: no --uid or COMMAND"));
    return true;
}

bool parseGeneral(const QCommandLineParser &p, TagOptions *o, QString *error)
{
    const QString format = p.value(opt("format"));
    if (format != QLatin1String("text") && format != QLatin1String("json"))
        return fail(error, QStringLiteral("--format is text or json"));
    o->json = format == QLatin1String("json");
    o->explain = p.isSet(opt("explain"));
    if (p.isSet(opt("page"))) {
        const auto page = TagCommandLine::pageFromName(p.value(opt("page")));
        if (!page)
            return fail(error, QStringLiteral("--page is TAG, WK, RQ or FZ"));
        o->page = *page;
    }
    if (p.isSet(opt("standard-temp"))) {
        const auto t = ConfigLinkOptions::decimal(p.value(opt("standard-temp")), 20, 50);
        if (!t)
            return fail(error, QStringLiteral("--standard-temp takes 20..50"));
        o->standardTemp = *t;
    }
    return true;
}

} // namespace

void TagOptions::addTo(QCommandLineParser &p)
{
    ConfigLinkOptions::addTo(p);
    p.addOptions({
        {opt("uid"), QStringLiteral("The tag: the 16 characters of its reports."), QStringLiteral("UID")},
        {opt("interval"), QStringLiteral("Interval code (position of the interval slider)."),
         QStringLiteral("N")},
        {opt("count"), QStringLiteral("Active-time count."), QStringLiteral("N")},
        {opt("time"), QStringLiteral("Beep or LED time in tenths of a second."), QStringLiteral("N")},
        {opt("led1"), QStringLiteral("LED1 on or off."), QStringLiteral("on|off")},
        {opt("led2"), QStringLiteral("LED2 on or off."), QStringLiteral("on|off")},
        {opt("flash"), QStringLiteral("The LED flashes.")},
        {opt("page"), QStringLiteral("The tag type whose page's ranges apply: TAG (default), WK, RQ, FZ."),
         QStringLiteral("PAGE")},
        {opt("explain"), QStringLiteral("Print what the command's numbers mean, send nothing.")},
        {opt("standard-temp"),
         QStringLiteral("With --explain: the Standard Temp the levels count from (36)."),
         QStringLiteral("N")},
        {opt("plan"),
         QStringLiteral("Run every row of PLAN.csv (uid,command,args; a regular file of at most 32 MiB)."),
         QStringLiteral("PLAN.csv")},
        {opt("retry-failed"), QStringLiteral("Run the failed rows of an earlier result."),
         QStringLiteral("RESULT.csv")},
        {opt("result"), QStringLiteral("Where a plan's result goes (a regular file, emptied first)."),
         QStringLiteral("RESULT.csv")},
        {opt("skip-bad-rows"),
         QStringLiteral("Run a plan whose rows are not all valid: each bad row is recorded as failed.\n"
                        "Without it a bad row refuses the whole plan and nothing is sent.")},
        {opt("format"),
         QStringLiteral("Output: text or json (command, uid, ok, text, values, sent, and "
                        "session_closed for a register command)."),
         QStringLiteral("text|json"), QStringLiteral("text")},
    });
    ConfigLinkOptions::addTimingTo(p);
    p.addPositionalArgument(QStringLiteral("COMMAND"), commandsHelp(), QStringLiteral("COMMAND [ARGS]"));
}

QString TagOptions::commandsHelp()
{
    return (QStringList{QStringLiteral("One of:")} + TagCommandLine::usages()).join(QLatin1Char('\n'));
}

std::optional<TagOptions> TagOptions::parse(const QCommandLineParser &p, QString *error)
{
    TagOptions o;
    if (!parseGeneral(p, &o, error) || !parsePlan(p, &o, error))
        return std::nullopt;
    if (o.provisioning()) {
        if (!ConfigLinkOptions::parse(p, &o.link, error) ||
            !ConfigLinkOptions::parseTiming(p, &o.timing, error))
            return std::nullopt;
        return o;
    }
    if (!parseCommand(p, &o, error))
        return std::nullopt;
    if (o.explain)
        return o; // nothing is sent: no link, no tag needed
    if (!ConfigLinkOptions::parse(p, &o.link, error) || !parseUid(p, &o, error) ||
        !ConfigLinkOptions::parseTiming(p, &o.timing, error))
        return std::nullopt;
    return o;
}
