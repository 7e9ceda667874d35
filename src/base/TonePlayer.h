#pragma once

// Plays a tone of a frequency (Hz) for a duration (ms). The desktop program plays real sound; the core
// and the command-line twin use a silent one; tests record the requests.
class TonePlayer
{
public:
    virtual ~TonePlayer() = default;
    virtual void play(int frequencyHz, int durationMs) = 0;
};

class SilentTonePlayer final : public TonePlayer
{
public:
    void play(int, int) override {}
};
