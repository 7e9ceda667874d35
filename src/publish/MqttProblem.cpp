#include "publish/MqttProblem.h"

QString MqttProblem::headline(Kind kind)
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
    return QLatin1String(what);
}

QString MqttProblem::text() const
{
    return details.isEmpty() ? headline(kind) : headline(kind) + QStringLiteral(": ") + details;
}
