#include "sim/ReportPacer.h"

#include "sim/ReaderChannel.h"

#include <algorithm>
#include <cmath>

ReportPacer::ReportPacer(double linesPerSecond, int tickMs, QObject *parent)
    : QObject(parent), m_rate(std::max(0.0, linesPerSecond))
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(std::max(1, tickMs));
    connect(&m_timer, &QTimer::timeout, this, &ReportPacer::handleTick);
}

void ReportPacer::addChannel(ReaderChannel *channel)
{
    m_channels.push_back(channel);
}

void ReportPacer::start()
{
    m_issued = 0;
    m_skipped = 0;
    m_clock.start();
    if (m_rate > 0 && !m_channels.empty())
        m_timer.start();
}

void ReportPacer::stop()
{
    m_timer.stop();
}

void ReportPacer::handleTick()
{
    const double due = m_rate * double(m_clock.nsecsElapsed()) / 1e9;
    const quint64 dueLines = quint64(due) - std::min(quint64(due), m_skipped);
    if (dueLines <= m_issued)
        return;
    quint64 fresh = dueLines - m_issued;
    const quint64 maxBurst = std::max<quint64>(1, quint64(m_rate / 4));
    if (fresh > maxBurst) {
        m_skipped += fresh - maxBurst;
        fresh = maxBurst;
    }
    if (m_limit > 0)
        fresh = std::min(fresh, m_limit - m_issued);
    const size_t n = m_channels.size();
    const quint64 each = fresh / n;
    quint64 extra = fresh % n;
    for (size_t i = 0; i < n; ++i) {
        ReaderChannel *channel = m_channels[(m_rotation + i) % n];
        const quint64 share = each + (extra > 0 ? 1 : 0);
        if (extra > 0)
            --extra;
        channel->deliverReports(int(std::min<quint64>(share, 1 << 30)));
    }
    m_rotation = (m_rotation + size_t(fresh % n)) % n;
    m_issued += fresh;
    if (m_limit > 0 && m_issued >= m_limit) {
        m_timer.stop();
        emit limitReached();
    }
}
