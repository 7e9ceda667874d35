#include "http/TagDirectory.h"

const TagDirectory::Entry &TagDirectory::enter(const TTagReport &report, const QString &reader, qint64 nowMs)
{
    auto it = m_index.constFind(report.uid);
    if (it == m_index.constEnd()) {
        it = m_index.insert(report.uid, int(m_entries.size()));
        m_entries.emplace_back();
        m_entries.back().firstSeenMs = nowMs;
    }
    Entry &e = m_entries[size_t(*it)];
    e.report = report;
    e.reader = reader;
    ++e.count;
    e.lastSeenMs = nowMs;
    if (!e.changed) {
        e.changed = true;
        m_changed.push_back(*it);
    }
    return e;
}

void TagDirectory::markTamper(const QString &uid)
{
    const auto it = m_index.constFind(uid);
    if (it == m_index.constEnd())
        return;
    Entry &e = m_entries[size_t(*it)];
    e.tamper = true;
    if (!e.changed) {
        e.changed = true;
        m_changed.push_back(*it);
    }
}

void TagDirectory::clear()
{
    m_entries.clear();
    m_index.clear();
    m_changed.clear();
}

const TagDirectory::Entry *TagDirectory::find(const QString &uid) const
{
    const auto it = m_index.constFind(uid);
    return it == m_index.constEnd() ? nullptr : &m_entries[size_t(*it)];
}
