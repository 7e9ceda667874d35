#pragma once

#include "base/TonePlayer.h"

// A tone: frequency (Hz) and duration (ms).
struct Tone
{
    int hz;
    int ms;
};

// The tones the reading and configuration code play, each defined once.
namespace Tones {
// A command failed, its link could not be opened, or a tag button was refused.
constexpr Tone kFailure{300, 300};
// A reader command answered, a relay round read the inputs, a tag answered a poll.
constexpr Tone kReply{1000, 10};
// A tag command succeeded; the tag read loop starts or stops.
constexpr Tone kDone{1000, 300};
// A report entered the tables with the beep on; the tag read loop entered a report.
constexpr Tone kReport{1000, 5};

inline void play(TonePlayer &player, Tone tone)
{
    player.play(tone.hz, tone.ms);
}
} // namespace Tones
