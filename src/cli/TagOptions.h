#pragma once

#include "base/Timing.h"
#include "readercfg/ConfigLinkRequest.h"
#include "tagcfg/TagButton.h"

#include <QString>
#include <optional>

class QCommandLineParser;

// Everything `talvo-cli tag [LINK] --uid UID COMMAND [ARGS]` is told: the configuration link (the
// options of `talvo-cli reader`), the tag, the button the command names and the values of its
// controls, the output format.
struct TagOptions
{
    ConfigLinkRequest link;
    QString uid;
    QString commandName;
    const TagButton *button = nullptr;
    TagValueMap values;
    bool json = false;
    Timing timing;

    static void addTo(QCommandLineParser &parser);
    static QString commandsHelp();
    // Reads the options and the positional COMMAND back; nothing with *error on bad input.
    static std::optional<TagOptions> parse(const QCommandLineParser &parser, QString *error);
    // The spec of each control the button's steps write or read, in step order.
    static std::vector<const TagValueSpec *> controls(const TagButton &button);
};
