#pragma once

#include <QByteArray>
#include <QList>

// One step of a reader setting that takes more than one command.
struct ReaderCommandStep
{
    QByteArray command;
    bool onlyAfterSuccess = false; // runs only when the step before it succeeded
    bool pauseBefore = false;      // waits Timing::configStepPauseMs before it
};

using ReaderCommandSequence = QList<ReaderCommandStep>;

// The multi-step reader settings, as tables of steps that the window and talvo-cli both run.
namespace ReaderSequences {

ReaderCommandSequence single(const QByteArray &command);
// The gain byte ("W1C01%02X"), then a reader reset ("BR") only when the reader took the gain.
ReaderCommandSequence setGain(int gainByte);
// The gain of level 1..7 as setGain; empty for another level.
ReaderCommandSequence gainLevel(int level);
// The relay-on time ("R02%04X"), a pause, then the relay-on mode: "R010001", or "R010000", a
// pause and a reader reset ("BR"). Every step runs whatever the one before it gave.
ReaderCommandSequence relayOnTime(int seconds, bool autoOn);

} // namespace ReaderSequences
