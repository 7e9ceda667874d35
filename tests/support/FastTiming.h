#pragma once

#include "base/Timing.h"

// Every protocol duration a tenth of the real one (the reply wait too: 60 ms), so that tests run the
// real logic quickly.
inline Timing fastTiming()
{
    return Timing().scaled(10);
}

// The same with a reply wait of its own: long enough that a loaded machine (or a sanitizer build)
// does not send a command twice where a test counts what the reader heard, short where a test waits
// for replies that never come.
inline Timing fastTiming(int replyWaitMs)
{
    Timing t = fastTiming();
    t.replyWaitMs = replyWaitMs;
    return t;
}
