#include "ReaderCli.h"

#include "i18n/ProblemText.h"
#include "i18n/ReaderCommandText.h"
#include "link/CommandFrame.h"
#include "readercfg/ConfigLink.h"
#include "readercfg/ReaderCommands.h"
#include "readercfg/TcpListenerConfigLink.h"

#include "SignalWatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

QJsonObject stepObject(const RunReaderCommand::Result &r)
{
    return {{QStringLiteral("command"), QString::fromLatin1(r.command)},
            {QStringLiteral("payload"), QString::fromLatin1(r.payload())},
            {QStringLiteral("ok"), r.ok()},
            {QStringLiteral("attempts"), r.attempts},
            {QStringLiteral("transmissions"), r.transmissions},
            {QStringLiteral("message"), ReaderCommandText::message(r.message, Language::English)}};
}

// A payload as a line of text: bytes that are not printable ASCII (a NUL, a control character,
// an 8-bit byte) and the backslash itself are written as \xHH and \\, so nothing after them is
// lost and nothing reaches the terminal as a control sequence.
QByteArray printable(const QByteArray &payload)
{
    QByteArray text;
    for (const char c : payload) {
        const auto byte = uchar(c);
        if (c == '\\')
            text += "\\\\";
        else if (byte < 0x20 || byte >= 0x7F)
            text += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
        else
            text += c;
    }
    return text;
}

// Why a reply the exchange took is still no answer to the command; empty when it is one.
QString replyProblem(const QString &commandName, const RunReaderCommand::Result &r)
{
    if (r.ok() && commandName == QLatin1String("id") && !ReaderCommands::readerIdFromReply(r.reply))
        return QStringLiteral("Command Error ! (the reply \"%1\" carries no reader ID)")
            .arg(QString::fromLatin1(printable(r.payload())));
    return {};
}

int usageError(const QString &message)
{
    std::fprintf(stderr, "talvo-cli: %s\nTry 'talvo-cli reader --help'.\n", qPrintable(message));
    return 2;
}

} // namespace

int ReaderCli::run(QCoreApplication &app, const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends one command to one reader over a configuration link and prints the reply payload on\n"
        "standard output; the result text (\"Command Ok.\", \"Command Error !  [ 1 ]\", ...) goes to\n"
        "standard error. A command goes out up to 25 times (5 attempts of 5) before it fails.\n"
        "Exit status 0 on success, 1 on failure, 2 on a usage error. Numbers are decimal."));
    parser.addHelpOption();
    ReaderOptions::addTo(parser);
    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        // The parser names the program by its path; scripts know it as "talvo-cli reader".
        QString help = parser.helpText();
        help.replace(0, help.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: talvo-cli reader LINK [options] COMMAND [ARGS]"));
        std::fputs(qPrintable(help), stdout);
        return 0;
    }
    QString error;
    const auto options = ReaderOptions::parse(parser, &error);
    if (!options)
        return usageError(error);

    ReaderCli command(*options);
    SignalWatcher signals_;
    connect(&signals_, &SignalWatcher::stopRequested, &command, &ReaderCli::requestStop);
    connect(
        &command, &ReaderCli::finished, &app, [&app](int code) { app.exit(code); }, Qt::QueuedConnection);
    command.start();
    return app.exec();
}

ReaderCli::ReaderCli(const ReaderOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_executor(m_tones), m_runner(m_executor), m_relay(m_tones)
{
    m_executor.setTiming(options.timing);
    m_executor.setRequest(options.link);
    m_relay.setTiming(options.timing);
    m_relay.setRequest(options.link);
    m_relay.setOutputs(options.do1, options.do2);
    connect(&m_runner, &ReaderSequenceRunner::stepFinished, this, &ReaderCli::handleStepFinished);
    connect(&m_runner, &ReaderSequenceRunner::finished, this, &ReaderCli::handleSequenceFinished);
    connect(&m_relay, &RelayLoop::roundFinished, this, &ReaderCli::handleRelayRound);
    connect(&m_relay, &RelayLoop::finished, this, &ReaderCli::handleRelayFinished);
    connect(&m_executor, &RunReaderCommand::linkCreated, this, &ReaderCli::watchLink);
    connect(&m_relay, &RelayLoop::linkCreated, this, &ReaderCli::watchLink);
    const auto say = [this](const Problem &problem) { diagnostic(problemText(problem, Language::English)); };
    connect(&m_executor, &RunReaderCommand::problem, this, say);
    connect(&m_relay, &RelayLoop::problem, this, [this, say](const Problem &problem) {
        m_relayDetail = problemText(problem, Language::English);
        say(problem);
    });
    if (!options.verbose)
        return;
    connect(&m_runner, &ReaderSequenceRunner::stepStarted, this,
            [this](int, const QByteArray &command) { verbose(QStringLiteral("sending ") + command); });
    connect(&m_executor, &RunReaderCommand::attemptStarted, this,
            [this](int counter) { verbose(QStringLiteral("attempt [ %1 ]").arg(counter)); });
    connect(&m_executor, &RunReaderCommand::transmissionStarted, this,
            [this](int n) { verbose(QStringLiteral("transmission %1").arg(n)); });
    connect(&m_executor, &RunReaderCommand::messageChanged, this,
            [this](const ReaderCommandMessage &message) {
                verbose(ReaderCommandText::message(message, Language::English));
            });
    connect(&m_relay, &RelayLoop::sendTextChanged, this,
            [this](const QString &command) { verbose(QStringLiteral("sending ") + command); });
}

ReaderCli::~ReaderCli() = default;

void ReaderCli::watchLink(ConfigLink *link)
{
    auto *listener = qobject_cast<TcpListenerConfigLink *>(link);
    if (!listener || !m_options.verbose)
        return;
    connect(listener, &TcpListenerConfigLink::readerAccepted, this,
            [this](const QString &address) { verbose(QStringLiteral("Accepted: ") + address); });
    connect(listener, &TcpListenerConfigLink::readerRejected, this,
            [this](const QString &address) { verbose(QStringLiteral("Refused: ") + address); });
    // The port is known once the link has opened, before the first attempt.
    connect(&m_executor, &RunReaderCommand::attemptStarted, listener, [this, listener](int counter) {
        if (counter == m_options.timing.attemptsPerCommand)
            verbose(QStringLiteral("Listening: Port:%1").arg(listener->serverPort()));
    });
    connect(&m_relay, &RelayLoop::sendTextChanged, listener, [this, listener] {
        if (m_relay.roundsDone() == 0)
            verbose(QStringLiteral("Listening: Port:%1").arg(listener->serverPort()));
    });
}

void ReaderCli::start()
{
    if (m_options.relay)
        m_relay.start(1);
    else
        m_runner.start(m_options.steps);
}

void ReaderCli::requestStop()
{
    m_stopped = true;
    m_runner.cancel();
    m_relay.stop();
}

// Only a reply that passed its check and answers the command is printed as the reply.
void ReaderCli::handleStepFinished(int, const RunReaderCommand::Result &result)
{
    if (m_options.json)
        return;
    const QString problem = replyProblem(m_options.commandName, result);
    if (result.ok() && problem.isEmpty())
        std::printf("%s\n", printable(result.payload()).constData());
    std::fflush(stdout);
    diagnostic(problem.isEmpty() ? ReaderCommandText::message(result.message, Language::English) : problem);
}

void ReaderCli::handleSequenceFinished(const QList<RunReaderCommand::Result> &results, bool ok)
{
    const QString problem =
        results.isEmpty() ? QString() : replyProblem(m_options.commandName, results.last());
    ok = ok && !m_stopped && problem.isEmpty();
    if (m_options.json && !results.isEmpty()) {
        QJsonObject object = stepObject(results.last());
        QStringList commands;
        int attempts = 0;
        int transmissions = 0;
        for (const auto &r : results) {
            commands.append(QString::fromLatin1(r.command));
            attempts += r.attempts;
            transmissions += r.transmissions;
        }
        object[QStringLiteral("command")] = commands.join(QLatin1Char(' '));
        object[QStringLiteral("ok")] = ok;
        if (!problem.isEmpty())
            object[QStringLiteral("message")] = problem;
        object[QStringLiteral("attempts")] = attempts;
        object[QStringLiteral("transmissions")] = transmissions;
        if (!results.last().detail.isEmpty())
            object[QStringLiteral("detail")] = results.last().detail;
        if (m_options.commandName == QLatin1String("id"))
            if (const auto id = ReaderCommands::readerIdFromReply(results.last().reply))
                object[QStringLiteral("id")] = *id;
        if (results.size() > 1) {
            QJsonArray steps;
            for (const auto &r : results)
                steps.append(stepObject(r));
            object[QStringLiteral("steps")] = steps;
        }
        writeJson(object);
    }
    emit finished(ok ? 0 : 1);
}

void ReaderCli::handleRelayRound(const RelayLoop::Round &round)
{
    m_lastRound = round;
    m_relayRoundDone = true;
}

void ReaderCli::handleRelayFinished(bool opened)
{
    // One round sets both outputs: it succeeds only when the reader took both commands.
    const bool ok =
        opened && m_relayRoundDone && m_lastRound.ok() && m_lastRound.outputOneTaken && !m_stopped;
    using Kind = ReaderCommandMessage::Kind;
    const QString message = ReaderCommandText::message(
        {ok ? Kind::CommandOk : (opened ? Kind::CommandFailed : Kind::OpenFailed)}, Language::English);
    const QString command = QString::fromLatin1(ReaderCommands::relayOutput(1, m_options.do1) + ' ' +
                                                ReaderCommands::relayOutput(2, m_options.do2));
    const QString outputOneFailed = m_relayRoundDone && m_lastRound.ok() && !m_lastRound.outputOneTaken
                                        ? QString::fromLatin1(ReaderCommands::relayOutput(1, m_options.do1)) +
                                              QStringLiteral(": no good reply")
                                        : QString();
    QJsonArray di;
    QString diText;
    if (m_lastRound.inputs) {
        for (int k = 0; k < 4; ++k) {
            const bool on = (*m_lastRound.inputs)[size_t(k)];
            di.append(on);
            diText += QStringLiteral("%1DI%2=%3")
                          .arg(k ? QStringLiteral(" ") : QString())
                          .arg(k + 1)
                          .arg(on ? 1 : 0);
        }
    }
    const QByteArray payload = CommandFrame::replyPayload(m_lastRound.reply);
    if (m_options.json) {
        QJsonObject object{{QStringLiteral("command"), command},
                           {QStringLiteral("payload"), QString::fromLatin1(payload)},
                           {QStringLiteral("ok"), ok},
                           {QStringLiteral("attempts"), m_relayRoundDone ? 1 : 0},
                           {QStringLiteral("transmissions"), m_lastRound.transmissions},
                           {QStringLiteral("message"), message}};
        if (m_lastRound.inputs)
            object[QStringLiteral("di")] = di;
        if (!m_relayDetail.isEmpty() || !outputOneFailed.isEmpty())
            object[QStringLiteral("detail")] = m_relayDetail.isEmpty() ? outputOneFailed : m_relayDetail;
        writeJson(object);
    } else {
        if (m_lastRound.ok())
            std::printf("%s\n", printable(payload).constData());
        if (m_lastRound.inputs)
            std::printf("%s\n", qPrintable(diText));
        std::fflush(stdout);
        if (!outputOneFailed.isEmpty())
            diagnostic(QStringLiteral("talvo-cli: ") + outputOneFailed);
        diagnostic(message);
    }
    emit finished(ok ? 0 : 1);
}

void ReaderCli::writeJson(const QJsonObject &object)
{
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

void ReaderCli::diagnostic(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}

void ReaderCli::verbose(const QString &text)
{
    if (m_options.verbose)
        diagnostic(QStringLiteral("talvo-cli: ") + text);
}
