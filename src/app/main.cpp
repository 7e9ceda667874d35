#include "app/AudioTonePlayer.h"
#include "app/DemoReplayLinks.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTimer>
#include <memory>

namespace {
// The demo replays the recorded reports that ship with the program.
void startDemo(TfrmModule &window)
{
    QFile file(QStringLiteral(":/demo/demo-reports.txt"));
    const QByteArray recording = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    window.reading()->setLinksFactory([recording](const ReadingLinkRequest &) {
        return std::make_unique<DemoReplayLinks>(recording, 5, 50);
    });
    QTimer::singleShot(0, window.reading(), &ReadTagController::startOrStop);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Talvo Utility"));
    QApplication::setApplicationVersion(QStringLiteral("V0304"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Reads, logs and configures active RFID readers and tags."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption settingsOption(QStringLiteral("settings"),
                                            QStringLiteral("Keep the settings in the INI file <file>."),
                                            QStringLiteral("file"));
    const QCommandLineOption demoOption(QStringLiteral("demo"),
                                        QStringLiteral("Start reading from a built-in simulated reader."));
    parser.addOption(settingsOption);
    parser.addOption(demoOption);
    parser.process(app);

    auto settings = parser.isSet(settingsOption) ? std::make_unique<SettingsStore>(parser.value(settingsOption))
                                                 : std::make_unique<SettingsStore>();
    AudioTonePlayer tone;
    TfrmModule window(settings.get(), &tone);
    if (parser.isSet(demoOption))
        startDemo(window);
    window.show();
    return app.exec();
}
