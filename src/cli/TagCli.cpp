#include "TagCli.h"

#include "SignalWatcher.h"

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

} // namespace

int TagCli::run(QCoreApplication &app, const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends one tag command through a reader over a configuration link: the reader is silenced\n"
        "(\"A0\"), the command is queued for the tag (\"E\" + UID + command, up to 10 attempts), the\n"
        "tag's acknowledgements are polled (\"C\") for up to 30 seconds, and the tag session is closed\n"
        "(\"X0000\"). Progress goes to standard error, the result to standard output.\n"
        "Exit status 0 on success, 1 on failure, 2 on a usage error. Numbers are decimal."));
    parser.addHelpOption();
    TagOptions::addTo(parser);
    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        // The parser names the program by its path; scripts know it as "talvo-cli tag".
        QString help = parser.helpText();
        help.replace(0, help.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: talvo-cli tag LINK --uid UID [options] COMMAND [ARGS]"));
        std::fputs(qPrintable(help), stdout);
        return 0;
    }
    QString error;
    const auto options = TagOptions::parse(parser, &error);
    if (!options)
        return usageError(error);

    TagCli command(*options);
    SignalWatcher signals_;
    connect(&signals_, &SignalWatcher::stopRequested, &command, &TagCli::requestStop);
    connect(
        &command, &TagCli::finished, &app, [&app](int code) { app.exit(code); }, Qt::QueuedConnection);
    command.start();
    return app.exec();
}

TagCli::TagCli(const TagOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_flow(m_tones, m_clock)
{
    m_flow.setTiming(options.timing);
    m_flow.setRequest(options.link);
    connect(&m_flow, &SendTagCommand::messageChanged, this, &TagCli::diagnostic);
    connect(&m_flow, &SendTagCommand::problem, this, &TagCli::diagnostic);
    connect(&m_flow, &SendTagCommand::finished, this, &TagCli::handleFinished);
}

void TagCli::start()
{
    // The tag is chosen by naming it; the UID was checked with the options.
    m_flow.start(*m_options.button, m_options.uid, true, m_options.values);
}

void TagCli::requestStop()
{
    m_flow.cancel();
}

QString TagCli::valuesText(const SendTagCommand::Result &result) const
{
    QStringList parts;
    const TagButton &button = *m_options.button;
    for (const TagStep &step : button.steps) {
        const TagValueSpec *spec = TagValues::find(button.page, step.value);
        const auto it = result.values.find(step.reg);
        if (step.isRead() && it != result.values.end())
            parts.append(QStringLiteral("%1=%2")
                             .arg(spec ? QLatin1String(spec->name) : registerKey(step.reg))
                             .arg(it->second));
    }
    return parts.join(QLatin1Char(' '));
}

void TagCli::handleFinished(const SendTagCommand::Result &result)
{
    if (m_options.json) {
        QJsonObject values;
        for (const auto &[reg, value] : result.values)
            values.insert(registerKey(reg), value);
        QJsonArray sent;
        for (const QByteArray &command : result.sent)
            sent.append(QString::fromLatin1(command));
        const QJsonObject object{{QStringLiteral("command"), m_options.commandName},
                                 {QStringLiteral("uid"), m_options.uid},
                                 {QStringLiteral("ok"), result.ok()},
                                 {QStringLiteral("text"), result.text},
                                 {QStringLiteral("values"), values},
                                 {QStringLiteral("sent"), sent}};
        std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    } else {
        const QString values = valuesText(result);
        std::printf("%s\n", qPrintable(result.ok() && !values.isEmpty() ? values : result.text));
    }
    std::fflush(stdout);
    emit finished(result.ok() ? 0 : 1);
}

void TagCli::diagnostic(const QString &text)
{
    if (text.isEmpty())
        return;
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}
