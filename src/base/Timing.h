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

    // Links that reconnect (an option of the link request): the first retry waits reconnectFirstMs,
    // each failed attempt doubles the wait up to reconnectMaxMs; a link that is back starts over.
    int reconnectFirstMs = 1000;
    int reconnectMaxMs = 30000;
    // A connected reader that sends nothing for this long is taken as lost (0: never). Off unless
    // asked for: a reader with no tags in range is silent too. Set directly, never scaled.
    int idleTimeoutMs = 0;

    // Configuration exchange with one reader: a command goes out up to transmissionsPerAttempt
    // times per attempt, and up to attemptsPerCommand attempts are made.
    int configSettleMs = 50;         // after a command is sent, before its reply is judged
    int configGapMs = 30;            // after every transmission, before the next or the result
    int configAttemptPauseMs = 100;  // after a failed attempt, before the next one
    int configStepPauseMs = 200;     // between the steps of the relay-on-time setting
    int relayPauseMs = 5;            // after each command of the relay loop
    int transmissionsPerAttempt = 5; // a count, never scaled
    int attemptsPerCommand = 5;      // a count, never scaled

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
        t.configSettleMs = s(configSettleMs);
        t.configGapMs = s(configGapMs);
        t.configAttemptPauseMs = s(configAttemptPauseMs);
        t.configStepPauseMs = s(configStepPauseMs);
        t.relayPauseMs = s(relayPauseMs);
        t.reconnectFirstMs = s(reconnectFirstMs);
        t.reconnectMaxMs = s(reconnectMaxMs);
        return t;
    }
};
