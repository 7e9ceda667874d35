#pragma once

#include "reading/TagReport.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class Clock;

// How much history a tracked tag keeps: at most `maxPoints` points and nothing older than `maxAgeMs`,
// with at least `minSpacingMs` between two points.
struct HistoryBound
{
    int maxPoints = 720;
    qint64 maxAgeMs = 60 * 60 * 1000;
    qint64 minSpacingMs = 250;
};

// One point of a tag's history: the values of one report. Sensor values are kept in hundredths
// (degrees Celsius or percent relative humidity); kNoSensor when the report has none.
struct HistoryPoint
{
    static constexpr qint16 kNoSensor = -32768;

    qint64 wallMs = 0; // wall-clock time, milliseconds since the epoch
    qint16 t1 = kNoSensor;
    qint16 t2 = kNoSensor;
    quint8 rssi = 0;
    quint8 lqi = 0;
    quint8 di = 0xFF;
    quint8 label = 0; // index into TagHistory::labelName()
};
static_assert(sizeof(HistoryPoint) == 16, "a history point is 16 bytes");

// The recent reports of one tracked tag, oldest first.
class HistorySeries
{
public:
    int size() const { return int(m_points.size() - m_first); }
    const HistoryPoint &at(int i) const { return m_points[m_first + size_t(i)]; }
    const HistoryPoint &last() const { return m_points.back(); }
    bool isEmpty() const { return size() == 0; }
    // Reports that arrived for this tag, kept or merged.
    quint64 reports() const { return m_reports; }

private:
    friend class TagHistory;
    std::vector<HistoryPoint> m_points;
    size_t m_first = 0; // points before this one have aged out
    quint64 m_reports = 0;
};

// A bounded time series per tracked tag, fed with the reports the tag tables enter.
//
// Thinning: a report less than `minSpacingMs` after the tag's latest point replaces that point's
// values (the point keeps its time), so a fast tag adds at most one point per spacing. When a tag's
// series is full, every second point of its older half is dropped: the recent past stays dense and
// the older part thins out, and the series always spans the whole bound. Points older than
// `maxAgeMs` are dropped.
//
// Memory per tracked tag: at most maxPoints * 16 bytes of points (11.25 KiB with the default 720)
// plus about 120 bytes for the series and its hash entry. Untracked tags cost nothing.
class TagHistory
{
public:
    static constexpr int kMaxLabels = 255; // reader labels beyond this share the last index

    explicit TagHistory(Clock &clock, HistoryBound bound = {});

    void setBound(const HistoryBound &bound);
    const HistoryBound &bound() const { return m_bound; }

    // The tags to keep history for; series of tags no longer named are dropped.
    void setTracked(const QStringList &uids);
    bool isTracked(const QString &uid) const { return m_series.contains(uid); }
    int trackedCount() const { return int(m_series.size()); }

    // One entered report and the label of its source; ignored unless its tag is tracked.
    void add(const TTagReport &report, const QString &label);
    // Drops every point (the tracked tags stay tracked).
    void clear();

    // The series of a tracked tag, nullptr otherwise.
    const HistorySeries *series(const QString &uid) const;
    QString labelName(quint8 index) const { return m_labels.value(index); }
    // The wall-clock time now, in milliseconds since the epoch, as points are stamped.
    qint64 wallMs() const;
    // Goes up with every change, so a view can tell whether it must draw again.
    quint64 version() const { return m_version; }

    // Bytes held by the series now, and the most a tracked tag can hold under a bound.
    qint64 memoryBytes() const;
    static qint64 boundBytesPerTag(const HistoryBound &bound);

    // A sensor text of a report as hundredths, or kNoSensor ("-" and raw words have none).
    static qint16 sensorHundredths(const QString &text, ReportKind kind, bool second);

private:
    quint8 labelIndex(const QString &label);
    void prune(HistorySeries &series, qint64 now) const;
    void thin(HistorySeries &series) const;

    Clock &m_clock;
    HistoryBound m_bound;
    QHash<QString, HistorySeries> m_series;
    QStringList m_labels;
    QHash<QString, quint8> m_labelIndex;
    qint64 m_wallBase = 0;
    qint64 m_tickBase = 0;
    quint64 m_version = 0;
};
