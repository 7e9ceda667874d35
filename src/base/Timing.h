#pragma once

// Every duration the protocol and the session use, in one place, so that tests can run the real
// logic with short times. The defaults are the values readers and users expect.
struct Timing
{
    int replyWaitMs = 600;       // how long a command waits for its reply frame
    int commandGapMs = 10;       // pause between command rounds and greeting steps
    int closeSettleMs = 500;     // pause after the stop commands before network links close
    int blinkMs = 250;           // activity indicator phase
    int tagWindowMs = 30000;     // how long a tag command sequence polls for acknowledgements
    int servicePassBudgetMs = 8; // longest run of poll steps before the event loop gets a turn

    // All durations divided by `factor` (at least 1 ms each), for tests.
    Timing scaled(int factor) const
    {
        Timing t = *this;
        auto s = [factor](int v) { return v / factor > 0 ? v / factor : 1; };
        t.replyWaitMs = s(replyWaitMs);
        t.commandGapMs = s(commandGapMs);
        t.closeSettleMs = s(closeSettleMs);
        t.blinkMs = s(blinkMs);
        t.tagWindowMs = s(tagWindowMs);
        return t;
    }
};
