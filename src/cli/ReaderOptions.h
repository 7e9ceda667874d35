#pragma once

#include "base/Timing.h"
#include "readercfg/ConfigLinkRequest.h"
#include "readercfg/ReaderCommandSequence.h"

#include <QString>
#include <optional>

class QCommandLineParser;

// Everything `talvo-cli reader [LINK] COMMAND [ARGS]` is told: the configuration link (--com,
// --tcp, --listen/--accept, --udp), the command turned into its steps, the output format.
struct ReaderOptions
{
    ConfigLinkRequest link;
    QString commandName;         // as typed: version, sn, id, ...
    ReaderCommandSequence steps; // every command but relay
    bool relay = false;          // relay: one round of the relay loop
    bool do1 = false;
    bool do2 = false;
    bool json = false;
    bool verbose = false;
    Timing timing;

    static void addTo(QCommandLineParser &parser);
    static QString commandsHelp();
    // Reads the options and the positional COMMAND ARGS back; nothing with *error on bad input.
    static std::optional<ReaderOptions> parse(const QCommandLineParser &parser, QString *error);
};
