#pragma once

#include "base/TonePlayer.h"

#include <QByteArray>
#include <QObject>
#include <memory>

// Plays a sine tone on the default audio output (Qt Multimedia). Without an audio device, or in a
// build without Qt Multimedia, it stays silent. A tone asked for while one still sounds is skipped,
// so a beep per report never piles up.
class AudioTonePlayer : public QObject, public TonePlayer
{
    Q_OBJECT
public:
    explicit AudioTonePlayer(QObject *parent = nullptr);
    ~AudioTonePlayer() override;
    Q_DISABLE_COPY_MOVE(AudioTonePlayer)

    void play(int frequencyHz, int durationMs) override;
    bool hasDevice() const { return m_hasDevice; }

    // 16-bit mono PCM of a sine of `frequencyHz` lasting `durationMs` at `sampleRate`.
    static QByteArray sinePcm(int frequencyHz, int durationMs, int sampleRate);

private:
    // The audio objects live behind a pointer: whether they exist depends on the build's Qt
    // Multimedia, and the class must have one layout for every file that includes this header.
    struct Output;

    bool m_hasDevice = false;
    int m_sampleRate = 22050;
    std::unique_ptr<Output> m_output;
};
