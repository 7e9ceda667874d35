#pragma once

#include "tagcfg/TagCommand.h"
#include "tagcfg/TagFlowTexts.h"
#include "tagcfg/TagValue.h"

#include <QString>

#include <optional>
#include <vector>

// One step of a tag button: the tag command it sends and which control it concerns. A write takes
// its value from `value` (or sends `fixedValue` when `value` is None); a read's value goes to
// `value` when the tag acknowledges it.
struct TagStep
{
    char letter = 'w';
    quint8 reg = 0;
    TagValue value = TagValue::None;
    quint8 fixedValue = 0;
    // A read whose acknowledged value is not two hex digits: -1 passes the acknowledgement over
    // (never read as 0); 0..255 takes that value instead.
    int valueWhenNotHex = -1;

    bool isRead() const { return letter == 'r'; }
    // The tag command with the value taken from `values` ("%02X" of the position); nothing when a
    // write's control has no value there or it is not a byte.
    std::optional<TagCommand> command(const TagValueMap &values) const;
};

// A button of the tag settings panel that runs the tag command sequence: its steps in order, its
// texts and how it ends. The sequence is the same for all; a button is a row of data.
struct TagButton
{
    enum class Id
    {
        SetActiveTime,
        GetActiveTime
    };

    Id id;
    TagPage page;
    const char *objectName; // "btnSetTagTime"
    const char *caption;    // "Set TAG Active Time"
    const char *cliName;    // "set-active-time"
    std::vector<TagStep> steps;
    const char *successText;
    bool successTranslated;
    const char *failureText;
    TagFlowTexts::Progress attemptProgress; // with the attempt counter
    TagFlowTexts::Progress waitProgress;    // with the seconds left
    bool guardTranslated = false;
    // Succeeds as soon as the closing "X0000" has gone out, without waiting for its acknowledgement.
    bool endsWhenCloseSent = false;

    QString success(int language) const;
    QString failure() const { return QString::fromLatin1(failureText); }
};
