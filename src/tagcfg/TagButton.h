#pragma once

#include "tagcfg/TagCommand.h"
#include "tagcfg/TagFlowMessage.h"
#include "tagcfg/TagValue.h"

#include <QString>

#include <optional>
#include <vector>

// One step of a tag button: the tag command it sends and which control it concerns. A write takes
// its value from `value` (or sends `fixedValue` when `value` is None, or a code built from check
// boxes or radio buttons); a read's value goes to `value` when the tag acknowledges it.
struct TagStep
{
    // Where a write's value comes from when it is no slider position.
    enum class Code
    {
        None,
        LedMode, // from the page's Led1 and Led2 boxes
        PowerKey // from the power-key radio group
    };

    char letter = 'w';
    quint8 reg = 0;
    TagValue value = TagValue::None;
    quint8 fixedValue = 0;
    // A read whose acknowledged value is not two hex digits: -1 ends the command with its failure
    // text (never read as 0); 0..255 takes that value instead.
    int valueWhenNotHex = -1;
    Code code = Code::None;

    bool isRead() const { return letter == 'r'; }
    // The tag command with the value taken from `values` ("%02X" of the position); nothing when a
    // write's control has no value there or it is not a byte.
    std::optional<TagCommand> command(const TagValueMap &values) const;
};

// A button of the tag settings panel: either a register command that runs the tag command sequence
// (its steps in order, its texts and how it ends), or an action command (beep, LED) that goes to
// the reader as one command. A button is a row of data; one runner serves them all.
struct TagButton
{
    enum class Id
    {
        SetActiveTime,
        GetActiveTime,
        LedMode,
        Led,
        TagOn,
        TagOff,
        SetReceiveCount,
        GetReceiveCount,
        Beep,
        Version,
        SetPa,
        GetPa,
        PowerKeyMode,
        IrDetectTimes,
        IrDetectInterval,
        TempDifference,
        AlarmCount,
        AntiTamperOn,
        AntiTamperOff,
        TemperatureAlarmOn,
        TemperatureAlarmOff,
        StandardTemp,
        TopLevel,
        HighLevel,
        LowLevel,
        BottomLevel,
        AlarmBeepOn,
        AlarmBeepOff
    };
    enum class Kind
    {
        Sequence,   // register command through the tag command sequence
        BeepAction, // "E" + UID + beep action through the reader command exchange
        LedAction   // "E" + UID + LED action through the reader command exchange
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
    TagProgress attemptProgress; // with the attempt counter
    TagProgress waitProgress;    // with the seconds left
    bool guardTranslated = false;
    // Succeeds as soon as the closing "X0000" has gone out, without waiting for its acknowledgement.
    bool endsWhenCloseSent = false;
    Kind kind = Kind::Sequence;
    // The word after the command name that picks this button of an ON/OFF pair ("on", "off").
    const char *cliArg = nullptr;
    // One handler serves the four parameter pages (it reads the "TAG" page's shared slider).
    bool allPages = false;
    // The success text is the version the tag reported ("TAG Version 1.2").
    bool versionSuccess = false;
    // An action's message before it is sent ("Set TAG Beep").
    const char *actionMessage = nullptr;

    bool isAction() const { return kind != Kind::Sequence; }
    QString failure() const { return QString::fromLatin1(failureText); }
    // The controls whose values the button sends, in order (sliders, check boxes, radio group).
    std::vector<TagValue> inputs() const;
    // The action command after the UID ("B0001", "L8301"); nothing when a value is missing.
    std::optional<QByteArray> actionText(const TagValueMap &values) const;
};
