#include "reading/FindTagTone.h"

#include "base/TonePlayer.h"
#include "reading/FindTagSignal.h"

FindTagTone::FindTagTone(const FindTagSignal &signal, TonePlayer &tones, QObject *parent)
    : QObject(parent), m_signal(signal), m_tones(tones)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &FindTagTone::tick);
}

void FindTagTone::setEnabled(bool on)
{
    m_enabled = on;
    update();
}

void FindTagTone::setSessionRunning(bool running)
{
    m_running = running;
    update();
}

void FindTagTone::update()
{
    if (!m_enabled || !m_running) {
        m_timer.stop();
        return;
    }
    if (!m_timer.isActive())
        m_timer.start(FindTagSignal::tickIntervalMs(m_signal.smoothedRssi()));
}

void FindTagTone::tick()
{
    const qint64 quiet = m_signal.msSinceLastReport();
    if (quiet >= 0 && quiet < kQuietAfterMs)
        m_tones.play(kToneHz, kToneMs);
    m_timer.start(FindTagSignal::tickIntervalMs(m_signal.smoothedRssi()));
}
