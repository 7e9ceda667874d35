#include "ConfigFileOptions.h"
#include "ReadCli.h"
#include "ReadOptions.h"
#include "ReaderCli.h"
#include "SignalWatcher.h"
#include "TagCli.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

int usageError(const QString &message)
{
    std::fprintf(stderr, "talvo-cli: %s\nTry 'talvo-cli read --help'.\n", qPrintable(message));
    return 2;
}

int runRead(QCoreApplication &app, const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs a reading session and prints every tag report entered into the all-tags\n"
                       "table (after the tag ID filter, the UID check and the RSSI threshold) on standard\n"
                       "output, one JSON object or CSV row per line; diagnostics and a closing summary\n"
                       "go to standard error.\n"
                       "Ends after --count reports, after --duration seconds, at the end of a replay,\n"
                       "or on Ctrl-C or SIGTERM; the readers are always told to stop sending first.\n"
                       "With --mqtt every printed report is also published to an MQTT broker (reader\n"
                       "and site status as retained messages); with --mqtt-in the reports come from a\n"
                       "broker instead of readers."));
    parser.addHelpOption();
    ReadOptions::addTo(parser);
    ConfigFileOptions::addTo(parser);
    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    QString error;
    ConfigFileOptions config;
    if (!config.apply(parser, args, &error))
        return usageError(error);
    const auto options = ReadOptions::parse(parser, &error);
    if (!options)
        return usageError(config.explain(error));

    ReadCli command(*options);
    SignalWatcher signals_;
    QObject::connect(&signals_, &SignalWatcher::stopRequested, &command, &ReadCli::requestStop);
    QObject::connect(
        &command, &ReadCli::finished, &app, [&app](int code) { app.exit(code); }, Qt::QueuedConnection);
    command.start();
    return app.exec();
}

void printUsage(std::FILE *out)
{
    std::fputs("Usage: talvo-cli COMMAND [OPTIONS]\n\n"
               "Commands:\n"
               "  read    run a reading session and print the tag reports\n"
               "  reader  send one command to a reader (talvo-cli reader --help)\n"
               "  tag     send one command to a tag through a reader (talvo-cli tag --help)\n\n"
               "Options:\n"
               "  -h, --help     show this help (talvo-cli read --help for the read options)\n"
               "  -v, --version  show the version\n",
               out);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("talvo-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALVO_VERSION));
    QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args[1] == QLatin1String("-h") || args[1] == QLatin1String("--help")) {
        printUsage(args.size() < 2 ? stderr : stdout);
        return args.size() < 2 ? 2 : 0;
    }
    if (args[1] == QLatin1String("-v") || args[1] == QLatin1String("--version")) {
        std::printf("talvo-cli %s\n", TALVO_VERSION);
        return 0;
    }
    const QString command = args.takeAt(1);
    if (command == QLatin1String("read"))
        return runRead(app, args);
    if (command == QLatin1String("reader"))
        return ReaderCli::run(app, args);
    if (command == QLatin1String("tag"))
        return TagCli::run(app, args);
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}
