#include "reading/FindTagSignal.h"

#include "base/Clock.h"
#include "reading/TagReport.h"

#include <algorithm>

void FindTagSignal::setUid(const QString &uid)
{
    if (uid == m_uid)
        return;
    m_uid = uid;
    m_reports = 0;
    m_smoothed = 0.0;
    m_lastRssi = 0;
}

void FindTagSignal::add(const TTagReport &report)
{
    if (report.uid != m_uid)
        return;
    m_smoothed = m_reports == 0 ? report.rssi : m_smoothed + kSmoothing * (report.rssi - m_smoothed);
    m_lastRssi = report.rssi;
    m_lastTick = m_clock.tickMs();
    ++m_reports;
}

qint64 FindTagSignal::msSinceLastReport() const
{
    return m_reports == 0 ? -1 : m_clock.tickMs() - m_lastTick;
}

int FindTagSignal::tickIntervalMs(double rssi)
{
    const double r = std::clamp(rssi, 0.0, 255.0) / 255.0;
    return int(1000.0 - r * 940.0);
}
