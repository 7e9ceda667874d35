#pragma once

#include <QString>

class Clock;
struct TTagReport;

// The signal of the one tag being looked for: its RSSI smoothed over the latest reports and the time
// since its latest report. Reports of other tags are ignored.
class FindTagSignal
{
public:
    // Weight of a new report in the smoothed value.
    static constexpr double kSmoothing = 0.3;

    explicit FindTagSignal(Clock &clock) : m_clock(clock) {}

    // The tag to follow; a new tag starts without reports.
    void setUid(const QString &uid);
    const QString &uid() const { return m_uid; }

    void add(const TTagReport &report);
    bool hasReport() const { return m_reports > 0; }
    quint64 reports() const { return m_reports; }
    double smoothedRssi() const { return m_smoothed; }
    int lastRssi() const { return m_lastRssi; }
    // Milliseconds since the tag's latest report; -1 before its first.
    qint64 msSinceLastReport() const;

    // Time between two ticks of the search tone: 1000 ms at RSSI 0 down to 60 ms at 255.
    static int tickIntervalMs(double rssi);

private:
    Clock &m_clock;
    QString m_uid;
    quint64 m_reports = 0;
    double m_smoothed = 0.0;
    int m_lastRssi = 0;
    qint64 m_lastTick = 0;
};
