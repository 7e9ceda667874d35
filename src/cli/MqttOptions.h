#pragma once

#include "publish/PublishSettings.h"

#include <QString>
#include <optional>

class QCommandLineParser;

// The broker options of `talvo-cli read`: --mqtt URL publishes every report read, --mqtt-in URL reads
// the reports other instances publish (a kind of link of its own); the rest say how.
struct MqttOptions
{
    std::optional<PublishSettings> publish;   // --mqtt
    std::optional<PublishSettings> subscribe; // --mqtt-in

    static void addTo(QCommandLineParser &parser);
    // False and a message for the user when the options cannot work (a URL that does not parse, a
    // password file that cannot be read, a QoS other than 0 or 1, a detail without --mqtt/--mqtt-in).
    bool parse(const QCommandLineParser &parser, QString *error);
};
