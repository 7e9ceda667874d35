#include "publish/MqttReading.h"

#include "reading/ReadingPipeline.h"

namespace MqttReading {

std::unique_ptr<MqttReadingLinks> makeLinks(ReadingPipeline &pipeline, const PublishSettings &settings)
{
    auto links = std::make_unique<MqttReadingLinks>(settings);
    QObject::connect(links.get(), &MqttReadingLinks::reportReceived, &pipeline,
                     &ReadingPipeline::enterReport);
    return links;
}

} // namespace MqttReading
