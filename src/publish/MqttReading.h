#pragma once

#include "publish/MqttReadingLinks.h"
#include "publish/PublishSettings.h"

#include <memory>

class ReadingPipeline;

// Reading from a broker: the links that subscribe to the reports other instances publish, wired so
// that every report received enters `pipeline` as a decoded line would (type switches, tag tables,
// filters, counters, CSV), labelled "SITE/READER". Start them with pipeline.start(links), as any links.
namespace MqttReading {

std::unique_ptr<MqttReadingLinks> makeLinks(ReadingPipeline &pipeline, const PublishSettings &settings);

} // namespace MqttReading
