#pragma once

#include "http/UidKeys.h"
#include "reading/TagReport.h"

#include <QString>
#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

class TagTableModel;

// What the web view knows of each tag in the all-tags table: the latest report's values, which
// reader heard it last, when it was first and last seen, how often, and its alarms. It follows the
// table row for row: tags are in the table's order, a tag that leaves a bounded table (--max-tags)
// for a new one leaves the directory with it, and the directory is emptied when the table is
// cleared. A row that has had no report yet (a restored selection) has no entry.
class TagDirectory
{
public:
    struct Entry
    {
        TTagReport report;      // the latest one
        QString reader;         // label of the source that sent it
        qint64 count = 0;       // 0: no report since the row was given to this tag (not listed)
        qint64 firstSeenMs = 0; // milliseconds since the epoch, UTC
        qint64 lastSeenMs = 0;
        bool tamper = false;  // a report of this tag carried a raised tamper marker since it was first seen
        bool changed = false; // listed in the changed tags

        bool seen() const { return count > 0; }
        // The battery nibble is sent only when it is not 0xF: the tag says its battery is low.
        bool lowBattery() const { return (report.di >> 4) != 0xF; }
        // The sensor event bit (bit 1, active when clear): a temperature alarm of the tag.
        bool temperatureAlarm() const { return !(report.di & 0x02); }
        bool anyAlarm() const { return tamper || lowBattery() || temperatureAlarm(); }
    };

    explicit TagDirectory(const TagTableModel &table) : m_table(table) {}

    // A report the all-tags table has just entered, at `nowMs`. The tag is also noted as changed.
    // Null when the table holds no row for it.
    const Entry *enter(const TTagReport &report, const QString &reader, qint64 nowMs);
    // The tag's latest report raised the tamper alarm.
    void markTamper(const QString &uid);
    void clear();

    // The tags changed since the last call, each once: at most `max` of them, the ones that changed
    // last, in the order they first changed. Returns how many changed tags were left out.
    template <typename F> qsizetype takeChanged(qsizetype max, F each)
    {
        const qsizetype left =
            std::max<qsizetype>(0, qsizetype(m_changed.size()) - std::max<qsizetype>(0, max));
        for (qsizetype i = 0; i < qsizetype(m_changed.size()); ++i) {
            Entry &e = m_entries[size_t(m_changed[size_t(i)])];
            e.changed = false;
            if (i >= left)
                each(static_cast<const Entry &>(e));
        }
        m_changed.clear();
        return left;
    }

    // Every row's entry, in table order; rows without one have !seen().
    const std::deque<Entry> &entries() const { return m_entries; }
    // Passes each entry whose UID starts with `prefix` in any case (every entry when it is empty), in
    // table order, to `each` until that returns false.
    void forEachWithPrefix(const QString &prefix, const std::function<bool(const Entry &)> &each) const;
    const Entry *find(const QString &uid) const;
    // Tags with an entry.
    int size() const { return m_seen; }

private:
    // The row of the tag's entry, or -1.
    int rowOf(const QString &uid) const;
    void noteChanged(int row);

    const TagTableModel &m_table;
    std::deque<Entry> m_entries; // by table row (a deque: growing never moves a million entries at once)
    UidKeys m_keys;              // by table row
    std::vector<int> m_changed;  // rows
    int m_seen = 0;
};
