#include "reading/TagHistory.h"

#include "base/Clock.h"

#include <algorithm>
#include <cmath>

TagHistory::TagHistory(Clock &clock, HistoryBound bound) : m_clock(clock)
{
    setBound(bound);
    clear();
}

void TagHistory::setBound(const HistoryBound &bound)
{
    m_bound = bound;
    m_bound.maxPoints = std::max(bound.maxPoints, 4);
    m_bound.maxAgeMs = std::max<qint64>(bound.maxAgeMs, 1);
    m_bound.minSpacingMs = std::max<qint64>(bound.minSpacingMs, 0);
    for (HistorySeries &s : m_series) {
        while (s.size() > m_bound.maxPoints)
            thin(s);
        s.m_points.shrink_to_fit();
    }
    ++m_version;
}

void TagHistory::setTracked(const QStringList &uids)
{
    QHash<QString, HistorySeries> kept;
    kept.reserve(uids.size());
    for (const QString &uid : uids)
        kept.insert(uid, m_series.take(uid));
    m_series.swap(kept);
    ++m_version;
}

void TagHistory::clear()
{
    for (HistorySeries &s : m_series)
        s = HistorySeries();
    m_wallBase = m_clock.now().toMSecsSinceEpoch();
    m_tickBase = m_clock.tickMs();
    ++m_version;
}

qint64 TagHistory::wallMs() const
{
    return m_wallBase + (m_clock.tickMs() - m_tickBase);
}

const HistorySeries *TagHistory::series(const QString &uid) const
{
    const auto it = m_series.constFind(uid);
    return it == m_series.cend() ? nullptr : &it.value();
}

void TagHistory::add(const TTagReport &report, const QString &label)
{
    const auto it = m_series.find(report.uid);
    if (it == m_series.end())
        return;
    HistorySeries &s = it.value();
    ++s.m_reports;
    ++m_version;
    const qint64 now = wallMs();
    HistoryPoint p;
    p.wallMs = now;
    p.rssi = report.rssi;
    p.lqi = report.lqi;
    p.di = report.di;
    p.t1 = sensorHundredths(report.t1, report.kind, false);
    p.t2 = sensorHundredths(report.t2, report.kind, true);
    p.label = labelIndex(label);
    if (!s.isEmpty() && now - s.last().wallMs < m_bound.minSpacingMs) {
        p.wallMs = s.last().wallMs;
        s.m_points.back() = p;
        return;
    }
    prune(s, now);
    if (s.m_points.size() >= size_t(m_bound.maxPoints))
        thin(s);
    if (s.m_points.capacity() == s.m_points.size())
        s.m_points.reserve(
            std::min<size_t>(std::max<size_t>(16, s.m_points.size() * 2), size_t(m_bound.maxPoints)));
    s.m_points.push_back(p);
}

void TagHistory::prune(HistorySeries &s, qint64 now) const
{
    const qint64 oldest = now - m_bound.maxAgeMs;
    while (s.m_first < s.m_points.size() && s.m_points[s.m_first].wallMs < oldest)
        ++s.m_first;
}

void TagHistory::thin(HistorySeries &s) const
{
    auto &v = s.m_points;
    v.erase(v.begin(), v.begin() + qsizetype(s.m_first));
    s.m_first = 0;
    if (v.size() < size_t(m_bound.maxPoints))
        return;
    // Every second point of the older half goes; the newer half stays as it is.
    const size_t half = v.size() / 2;
    size_t out = 0;
    for (size_t i = 0; i < half; i += 2)
        v[out++] = v[i];
    for (size_t i = half; i < v.size(); ++i)
        v[out++] = v[i];
    v.resize(out);
}

quint8 TagHistory::labelIndex(const QString &label)
{
    const auto it = m_labelIndex.constFind(label);
    if (it != m_labelIndex.cend())
        return it.value();
    if (m_labels.size() >= kMaxLabels)
        return quint8(kMaxLabels - 1);
    const auto index = quint8(m_labels.size());
    m_labels.append(label);
    m_labelIndex.insert(label, index);
    return index;
}

qint64 TagHistory::memoryBytes() const
{
    qint64 bytes = 0;
    for (const HistorySeries &s : m_series)
        bytes += qint64(sizeof(HistorySeries)) + 64 + qint64(s.m_points.capacity() * sizeof(HistoryPoint));
    return bytes;
}

qint64 TagHistory::boundBytesPerTag(const HistoryBound &bound)
{
    return qint64(sizeof(HistorySeries)) + 64 +
           qint64(std::max(bound.maxPoints, 4)) * qint64(sizeof(HistoryPoint));
}

qint16 TagHistory::sensorHundredths(const QString &text, ReportKind kind, bool second)
{
    if (kind == ReportKind::Standard || (kind == ReportKind::RawWord) ||
        (second && kind == ReportKind::OneTemperature))
        return HistoryPoint::kNoSensor;
    // The number the text starts with: "25.00 C / 77.00 F", "25.00", "33.70%".
    qsizetype end = 0;
    while (end < text.size() && (text[end].isDigit() || text[end] == QLatin1Char('.') ||
                                 (end == 0 && text[end] == QLatin1Char('-'))))
        ++end;
    bool ok = false;
    const float value = QStringView(text).left(end).toFloat(&ok);
    if (!ok)
        return HistoryPoint::kNoSensor;
    const float hundredths = std::round(value * 100.0f);
    return qint16(std::clamp(hundredths, -32767.0f, 32767.0f));
}
