#include "publish/MqttProblem.h"

QString MqttProblem::text() const
{
    const char *what = "";
    switch (kind) {
    case Kind::BadSettings:
        what = "MQTT settings not usable";
        break;
    case Kind::Unreachable:
        what = "MQTT broker not reachable";
        break;
    case Kind::Refused:
        what = "MQTT broker refused the connection";
        break;
    case Kind::NoAnswer:
        what = "MQTT broker does not answer";
        break;
    case Kind::ConnectionLost:
        what = "MQTT broker connection lost";
        break;
    case Kind::ReportsDropped:
        what = "MQTT reports dropped";
        break;
    case Kind::BadPayload:
        what = "MQTT message is not a report";
        break;
    }
    return details.isEmpty() ? QLatin1String(what) : QLatin1String(what) + QStringLiteral(": ") + details;
}
