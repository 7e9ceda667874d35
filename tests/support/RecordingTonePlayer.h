#pragma once

#include "base/TonePlayer.h"

#include <QList>
#include <QPair>

// Records every tone request as (frequency Hz, duration ms).
class RecordingTonePlayer final : public TonePlayer
{
public:
    void play(int frequencyHz, int durationMs) override { tones.append({frequencyHz, durationMs}); }
    QList<QPair<int, int>> tones;
};
