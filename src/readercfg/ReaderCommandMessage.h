#pragma once

#include "base/LinkKind.h"

#include <QMetaType>

// What a reader command's message panel says, as data: the stage the command reached, and for a
// failed attempt the link kind, whether a TCP connection held and the attempt counter (5 down to 1).
// The window and the command line put it into words.
struct ReaderCommandMessage
{
    enum class Kind
    {
        None,           // nothing said yet
        SelectFunction, // before a command runs
        CommandOk,      // a good reply came
        OpenFailed,     // the link could not be opened
        AttemptFailed,  // an attempt ended without a good reply
        CommandFailed,  // the link was there, no good reply came (no counter)
        Cancelled,      // the user ended the command
    };

    Kind kind = Kind::None;
    LinkKind link = LinkKind::Serial;
    bool connected = false; // a TCP link held its connection when the attempt ended
    int counter = 0;        // the attempt counter of a failed attempt

    bool operator==(const ReaderCommandMessage &o) const
    {
        return kind == o.kind && link == o.link && connected == o.connected && counter == o.counter;
    }
};
Q_DECLARE_METATYPE(ReaderCommandMessage)
