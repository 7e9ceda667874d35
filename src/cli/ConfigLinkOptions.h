#pragma once

#include "base/Timing.h"
#include "readercfg/ConfigLinkRequest.h"

#include <QString>

#include <optional>

class QCommandLineParser;

// The options that name the configuration link to one reader, shared by `talvo-cli reader` and
// `talvo-cli tag`: --com N[=DEVICE] [--baud MODE], --tcp HOST[:PORT], --listen PORT --accept ADDR,
// --udp DEST_IP[:PORT] [--local-port P]; and the timing options --reply-wait MS and the hidden
// --timing-scale N.
namespace ConfigLinkOptions {
void addTo(QCommandLineParser &parser);
// Exactly one link; false with *error on bad input.
bool parse(const QCommandLineParser &parser, ConfigLinkRequest *link, QString *error);
void addTimingTo(QCommandLineParser &parser);
bool parseTiming(const QCommandLineParser &parser, Timing *timing, QString *error);
// A decimal number within [low, high].
std::optional<int> decimal(const QString &text, int low, int high);
} // namespace ConfigLinkOptions
