#pragma once

#include "reading/TagReport.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <vector>

// What the web view knows of each tag in the all-tags table: the latest report's values, which
// reader heard it last, when it was first and last seen, how often, and its alarms. Kept in the
// order tags were first entered, as the table keeps its rows, and emptied when the table is cleared.
class TagDirectory
{
public:
    struct Entry
    {
        TTagReport report; // the latest one
        QString reader;    // label of the source that sent it
        qint64 count = 0;
        qint64 firstSeenMs = 0; // milliseconds since the epoch, UTC
        qint64 lastSeenMs = 0;
        bool tamper = false;  // a report of this tag carried a raised tamper marker since it was first seen
        bool changed = false; // listed in the changed tags

        // The battery nibble is sent only when it is not 0xF: the tag says its battery is low.
        bool lowBattery() const { return (report.di >> 4) != 0xF; }
        // The sensor event bit (bit 1, active when clear): a temperature alarm of the tag.
        bool temperatureAlarm() const { return !(report.di & 0x02); }
        bool anyAlarm() const { return tamper || lowBattery() || temperatureAlarm(); }
    };

    // A report entered into the all-tags table at `nowMs`. The tag is also noted as changed.
    const Entry &enter(const TTagReport &report, const QString &reader, qint64 nowMs);
    // The tag's latest report raised the tamper alarm.
    void markTamper(const QString &uid);
    void clear();

    // The tags changed since the last call, each once, in the order they first changed.
    template <typename F> void takeChanged(F each)
    {
        for (int i : m_changed) {
            m_entries[size_t(i)].changed = false;
            each(m_entries[size_t(i)]);
        }
        m_changed.clear();
    }

    const std::vector<Entry> &entries() const { return m_entries; }
    const Entry *find(const QString &uid) const;
    int size() const { return int(m_entries.size()); }

private:
    std::vector<Entry> m_entries;
    QHash<QString, int> m_index; // UID -> position in m_entries
    std::vector<int> m_changed;
};
