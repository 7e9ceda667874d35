#include "app/AudioTonePlayer.h"
#include "app/DemoReader.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {
struct Options
{
    QCommandLineOption settings{QStringLiteral("settings"),
                                QStringLiteral("Keep the settings in the INI file <file>."),
                                QStringLiteral("file")};
    QCommandLineOption demo{QStringLiteral("demo"),
                            QStringLiteral("Start reading from a built-in demo reader.")};
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("talvo-utility"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALVO_VERSION));
    // The options are read before the window system is touched, so --help and --version work anywhere.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Talvo Utility: reads, logs and configures active RFID readers and tags."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    Options options;
    parser.addOption(options.settings);
    parser.addOption(options.demo);
    // Options this parser does not know may be the window system's own (-platform, -style).
    if (!parser.parse(arguments) && parser.unknownOptionNames().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("talvo-utility"));
        std::fputs(qPrintable(text), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("talvo-utility %s\n", TALVO_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    // A demonstration keeps its settings apart from the user's own unless told where to keep them.
    QTemporaryDir demoDir;
    const bool demo = parser.isSet(options.demo);
    QString settingsFile = parser.value(options.settings);
    if (settingsFile.isEmpty() && demo)
        settingsFile = demoDir.filePath(QStringLiteral("demo.ini"));
    auto settings = settingsFile.isEmpty() ? std::make_unique<SettingsStore>()
                                           : std::make_unique<SettingsStore>(settingsFile);
    AudioTonePlayer tone;
    TfrmModule window(settings.get(), &tone,
                      demo ? demoDir.filePath(QStringLiteral("QZKDTAG.CSV")) : QString());
    DemoReader demoReader;
    if (demo)
        demoReader.start(window);
    window.show();
    return app.exec();
}
