#include "TagCli.h"

#include "SignalWatcher.h"
#include "TagPlanCli.h"
#include "i18n/ProblemText.h"
#include "i18n/TagFlowText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

int usageError(const QString &message)
{
    std::fprintf(stderr, "talvo-cli: %s\nTry 'talvo-cli tag --help'.\n", qPrintable(message));
    return 2;
}

QString registerKey(int reg)
{
    return QStringLiteral("%1").arg(reg, 2, 16, QLatin1Char('0')).toUpper();
}

template <typename Command> int runUntilFinished(QCoreApplication &app, Command &command)
{
    SignalWatcher signals_;
    QObject::connect(&signals_, &SignalWatcher::stopRequested, &command, &Command::requestStop);
    QObject::connect(
        &command, &Command::finished, &app, [&app](int code) { app.exit(code); }, Qt::QueuedConnection);
    command.start();
    return app.exec();
}

} // namespace

int TagCli::run(QCoreApplication &app, const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends one tag command through a reader over a configuration link: the reader is silenced\n"
        "(\"A0\"), the command is queued for the tag (\"E\" + UID + command, up to 10 attempts), the\n"
        "tag's acknowledgements are polled (\"C\") for up to 30 seconds, and the tag session is closed\n"
        "(\"X0000\"). Progress goes to standard error, the result to standard output.\n"
        "With --plan PLAN.csv --result RESULT.csv every row of the plan (uid,command,args) is run,\n"
        "once every row has been checked; Ctrl-C writes the rows not reached as \"Not run\".\n"
        "Exit status 0 on success, 1 on failure (for a plan: a row failed, the run was stopped or\n"
        "the result could not be written), 2 on a usage error or a plan or result file that cannot\n"
        "be used (nothing sent). Numbers are decimal slider positions."));
    parser.addHelpOption();
    TagOptions::addTo(parser);
    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        // The parser names the program by its path; scripts know it as "talvo-cli tag".
        QString help = parser.helpText();
        help.replace(0, help.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: talvo-cli tag LINK --uid UID [options] COMMAND [ARGS]\n"
                                    "       talvo-cli tag LINK --plan PLAN.csv --result RESULT.csv"));
        std::fputs(qPrintable(help), stdout);
        return 0;
    }
    QString error;
    const auto options = TagOptions::parse(parser, &error);
    if (!options)
        return usageError(error);
    if (options->explain) {
        for (const QString &line : TagCommandLine::explain(options->parsed, options->standardTemp))
            std::printf("%s\n", qPrintable(line));
        return 0;
    }
    if (options->provisioning()) {
        TagPlanCli plan(*options);
        if (const int refused = plan.prepare())
            return refused;
        return runUntilFinished(app, plan);
    }
    TagCli command(*options);
    return runUntilFinished(app, command);
}

TagCli::TagCli(const TagOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_runner(m_tones, m_clock)
{
    m_runner.setTiming(options.timing);
    m_runner.setRequest(options.link);
    connect(&m_runner, &TagButtonRun::messageChanged, this, [this](const TagFlowMessage &message) {
        diagnostic(TagFlowText::message(message, Language::English));
    });
    connect(&m_runner, &TagButtonRun::problem, this,
            [this](const Problem &problem) { diagnostic(problemText(problem, Language::English)); });
    connect(&m_runner, &TagButtonRun::finished, this, &TagCli::handleFinished);
}

void TagCli::start()
{
    // The tag is chosen by naming it; the UID was checked with the options.
    m_runner.start(*m_options.parsed.button, m_options.uid, true, m_options.parsed.values);
}

void TagCli::requestStop()
{
    m_runner.cancel();
}

QString TagCli::valuesText(const TagButtonRun::Result &result) const
{
    const TagButton &button = *m_options.parsed.button;
    if (button.versionSuccess)
        return TagFlowText::message(result.message, Language::English);
    QStringList parts;
    for (const TagStep &step : button.steps) {
        const TagValueSpec *control = TagValues::find(button.page, step.value);
        const auto it = result.values.find(step.reg);
        if (step.isRead() && it != result.values.end())
            parts.append(QStringLiteral("%1=%2")
                             .arg(control ? QLatin1String(control->name) : registerKey(step.reg))
                             .arg(it->second));
    }
    return parts.join(QLatin1Char(' '));
}

void TagCli::handleFinished(const TagButtonRun::Result &result)
{
    if (m_options.json) {
        QJsonObject values;
        for (const auto &[reg, value] : result.values)
            values.insert(registerKey(reg), value);
        QJsonArray sent;
        for (const QByteArray &command : result.sent)
            sent.append(QString::fromLatin1(command));
        QJsonObject object{{QStringLiteral("command"), m_options.commandName},
                           {QStringLiteral("uid"), m_options.uid},
                           {QStringLiteral("ok"), result.ok},
                           {QStringLiteral("text"), TagFlowText::message(result.message, Language::English)},
                           {QStringLiteral("values"), values},
                           {QStringLiteral("sent"), sent}};
        // The temperature-alarm commands are done once "X0000" went out: false says the tag never
        // confirmed the end of its session.
        if (result.sessionClosed)
            object.insert(QStringLiteral("session_closed"), *result.sessionClosed);
        if (!result.detail.isEmpty())
            object.insert(QStringLiteral("detail"), result.detail);
        std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    } else {
        const QString values = valuesText(result);
        const QString text =
            result.ok && !values.isEmpty() ? values : TagFlowText::message(result.message, Language::English);
        std::printf("%s\n", qPrintable(text));
    }
    std::fflush(stdout);
    emit finished(result.ok ? 0 : 1);
}

void TagCli::diagnostic(const QString &text)
{
    if (text.isEmpty())
        return;
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}
