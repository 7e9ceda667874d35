#pragma once

#include <QMetaType>
#include <QString>

// Something about the broker link the user must hear of. The kind says what happened; the details
// carry the broker's or the system's own words. text() is the English line the command line prints;
// brokerProblem() makes it a Problem the window words in the user's language.
struct MqttProblem
{
    enum class Kind
    {
        BadSettings,    // a URL that does not parse, a CA file that cannot be read, a bad QoS
        Unreachable,    // no connection to the broker host (refused, no route, unknown name)
        Refused,        // the broker answered and refused (credentials, client id, protocol)
        NoAnswer,       // connected, but the broker never answered within the connect timeout
        ConnectionLost, // the broker closed or lost an established connection
        ReportsDropped, // the queue was full while the broker was away: reports were not sent
        BadPayload,     // a received message is not a published report
    };

    Kind kind = Kind::BadSettings;
    QString details;

    // What happened, in English, without the details ("MQTT broker not reachable").
    static QString headline(Kind kind);
    QString text() const;
};
Q_DECLARE_METATYPE(MqttProblem)
