#include "publish/BrokerProblem.h"

Problem brokerProblem(const MqttProblem &problem)
{
    using Kind = MqttProblem::Kind;
    const bool error = problem.kind == Kind::BadSettings || problem.kind == Kind::Refused;
    // The pattern is the key of the problem's row in the language table ("MQTT broker not reachable: %1").
    return {error ? Problem::Severity::Error : Problem::Severity::Warning,
            Problem::Kind::Broker,
            MqttProblem::headline(problem.kind) + QStringLiteral(": %1"),
            {problem.details}};
}
