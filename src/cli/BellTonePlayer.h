#pragma once

#include "base/TonePlayer.h"

#include <QElapsedTimer>

// A terminal has no tone of a given pitch: each request rings the bell (BEL on stderr), at most ten
// times a second so that a fast stream of reports doesn't flood the terminal.
class BellTonePlayer final : public TonePlayer
{
public:
    static constexpr qint64 kMinGapMs = 100;
    void play(int frequencyHz, int durationMs) override;

private:
    QElapsedTimer m_sinceLast;
};
