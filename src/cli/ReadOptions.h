#pragma once

#include "MqttOptions.h"
#include "NetworkLinkOptions.h"
#include "ReadTableOptions.h"
#include "reading/ReportDecoder.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

class QCommandLineParser;

// Everything `talvo-cli read` is told on its command line.
struct ReadOptions
{
    // Ten years: longer durations are refused rather than overflowing a time in milliseconds.
    static constexpr double kMaxDurationSec = 10.0 * 365 * 24 * 3600;
    // A day: a timer's milliseconds must fit.
    static constexpr double kMaxIdleTimeoutSec = 24 * 3600;

    enum class Format
    {
        JsonLines,
        Csv
    };

    // Serial ports by number, each with the device it stands for (empty: the platform default).
    QList<QPair<int, QString>> comPorts;
    QString replayPath; // a file of raw reader bytes, "-" for standard input
    QString replayLabel = QStringLiteral("REPLAY");
    NetworkLinkOptions network; // --tcp, --listen, --udp

    ReportTypeSwitches types;
    Format format = Format::JsonLines;
    qint64 count = 0;       // stop after this many reports (0: no limit)
    double durationSec = 0; // stop after this long (0: no limit)
    int replyWaitMs = 600;
    bool verbose = false;
    ReadTableOptions table; // filters, selection, CSV logs, beep, snapshot

    // Unattended operation: serial ports and --tcp readers that are lost are tried again.
    bool reconnect = false;
    // --tcp readers silent this long are taken as lost (0: never).
    int idleTimeoutMs = 0;

    // MQTT: publishing (--mqtt) and reading from a broker (--mqtt-in, a kind of link).
    MqttOptions mqtt;

    // Fills the parser with the options; parse() reads them back. An error message on bad input.
    static void addTo(QCommandLineParser &parser);
    static std::optional<ReadOptions> parse(const QCommandLineParser &parser, QString *error);

    int linkKinds() const;
};
