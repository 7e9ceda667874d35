#include "http/TagDirectory.h"

#include "reading/TagTableModel.h"

const TagDirectory::Entry *TagDirectory::enter(const TTagReport &report, const QString &reader, qint64 nowMs)
{
    const int row = m_table.findRow(report.uid);
    if (row < 0)
        return nullptr;
    if (size_t(row) >= m_entries.size())
        m_entries.resize(size_t(row) + 1);
    Entry &e = m_entries[size_t(row)];
    if (e.seen() && e.report.uid != report.uid) {
        // The table gave the row of a tag that left it to this new one.
        const bool listed = e.changed;
        e = Entry{};
        e.changed = listed;
        --m_seen;
    }
    if (!e.seen()) {
        e.firstSeenMs = nowMs;
        m_keys.set(size_t(row), report.uid);
        ++m_seen;
    }
    e.report = report;
    e.reader = reader;
    ++e.count;
    e.lastSeenMs = nowMs;
    noteChanged(row);
    return &e;
}

void TagDirectory::markTamper(const QString &uid)
{
    const int row = rowOf(uid);
    if (row < 0)
        return;
    m_entries[size_t(row)].tamper = true;
    noteChanged(row);
}

void TagDirectory::noteChanged(int row)
{
    Entry &e = m_entries[size_t(row)];
    if (!e.changed) {
        e.changed = true;
        m_changed.push_back(row);
    }
}

void TagDirectory::clear()
{
    m_entries.clear();
    m_changed.clear();
    m_keys.clear();
    m_seen = 0;
}

int TagDirectory::rowOf(const QString &uid) const
{
    const int row = m_table.findRow(uid);
    if (row < 0 || size_t(row) >= m_entries.size())
        return -1;
    const Entry &e = m_entries[size_t(row)];
    return e.seen() && e.report.uid == uid ? row : -1;
}

const TagDirectory::Entry *TagDirectory::find(const QString &uid) const
{
    const int row = rowOf(uid);
    return row < 0 ? nullptr : &m_entries[size_t(row)];
}

void TagDirectory::forEachWithPrefix(const QString &prefix,
                                     const std::function<bool(const Entry &)> &each) const
{
    const UidKeys::Prefix packed = UidKeys::prefix(prefix);
    for (size_t row = 0; row < m_entries.size(); ++row) {
        const std::optional<bool> quick = m_keys.startsWith(row, packed);
        if (quick == false)
            continue;
        const Entry &e = m_entries[row];
        if (!e.seen() || (!quick && !e.report.uid.startsWith(prefix, Qt::CaseInsensitive)))
            continue;
        if (!each(e))
            return;
    }
}
