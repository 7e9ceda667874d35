#include "publish/BrokerProblem.h"

Problem brokerProblem(const MqttProblem &problem)
{
    using Kind = MqttProblem::Kind;
    const char *text = "";
    switch (problem.kind) {
    case Kind::BadSettings:
        text = "MQTT settings not usable: %1";
        break;
    case Kind::Unreachable:
        text = "MQTT broker not reachable: %1";
        break;
    case Kind::Refused:
        text = "MQTT broker refused the connection: %1";
        break;
    case Kind::NoAnswer:
        text = "MQTT broker does not answer: %1";
        break;
    case Kind::ConnectionLost:
        text = "MQTT broker connection lost: %1";
        break;
    case Kind::ReportsDropped:
        text = "MQTT reports dropped: %1";
        break;
    case Kind::BadPayload:
        text = "MQTT message is not a report: %1";
        break;
    }
    const bool error = problem.kind == Kind::BadSettings || problem.kind == Kind::Refused;
    return {error ? Problem::Severity::Error : Problem::Severity::Warning,
            Problem::Kind::Broker,
            QLatin1String(text),
            {problem.details}};
}
