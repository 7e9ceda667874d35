#pragma once

#include "base/Timing.h"
#include "readercfg/ConfigLinkRequest.h"
#include "tagcfg/TagCommandLine.h"

#include <QString>
#include <optional>

class QCommandLineParser;

// Everything `talvo-cli tag` is told: the configuration link (the options of `talvo-cli reader`),
// and either one command for one tag (`--uid UID COMMAND [ARGS]`, with --explain only saying what
// its numbers mean) or a provisioning plan (`--plan PLAN.csv` or `--retry-failed RESULT.csv`, with
// `--result RESULT.csv`).
struct TagOptions
{
    ConfigLinkRequest link;
    QString uid;
    QString commandName;
    QStringList args; // the command's arguments, as a plan row would hold them
    TagCommandLine::Parsed parsed;
    TagPage page = TagPage::Tag;
    bool json = false;
    bool explain = false;
    int standardTemp = 36;
    QString planPath;  // --plan
    QString retryPath; // --retry-failed
    QString resultPath;
    bool skipBadRows = false; // a plan row that cannot run fails on its own instead of refusing the plan
    Timing timing;

    bool provisioning() const { return !planPath.isEmpty() || !retryPath.isEmpty(); }

    static void addTo(QCommandLineParser &parser);
    static QString commandsHelp();
    // Reads the options and the positional COMMAND back; nothing with *error on bad input.
    static std::optional<TagOptions> parse(const QCommandLineParser &parser, QString *error);
};
