#include "link/ReconnectSchedule.h"

#include <algorithm>

ReconnectSchedule::ReconnectSchedule(const Timing &timing, QObject *parent)
    : QObject(parent), m_timing(timing), m_nextMs(std::max(1, timing.reconnectFirstMs))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ReconnectSchedule::due);
}

int ReconnectSchedule::schedule()
{
    const int delay = m_nextMs;
    const int ceiling = std::max(m_timing.reconnectFirstMs, m_timing.reconnectMaxMs);
    m_nextMs = delay > ceiling / 2 ? ceiling : delay * 2;
    m_timer.start(delay);
    return delay;
}

void ReconnectSchedule::reset()
{
    m_timer.stop();
    m_nextMs = std::max(1, m_timing.reconnectFirstMs);
}
