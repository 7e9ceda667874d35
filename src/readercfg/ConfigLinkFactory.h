#pragma once

#include "readercfg/ConfigLinkRequest.h"

#include <memory>

class ConfigLink;

// Makes the configuration link a request describes (not yet open).
namespace ConfigLinkFactory {
std::unique_ptr<ConfigLink> create(const ConfigLinkRequest &request);
// The device a serial request opens: the one given, else the platform's device for the number.
QString serialDevice(const ConfigLinkRequest &request);
} // namespace ConfigLinkFactory
