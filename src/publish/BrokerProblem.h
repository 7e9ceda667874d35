#pragma once

#include "base/Problem.h"
#include "publish/MqttProblem.h"

// A broker problem as a problem the window words in the user's language: its English text with "%1"
// standing for what the broker or the system said. A broker that is away, lost or drops reports is a
// warning (reading goes on); settings that cannot work are an error.
Problem brokerProblem(const MqttProblem &problem);
