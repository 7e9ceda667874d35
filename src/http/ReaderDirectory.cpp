#include "http/ReaderDirectory.h"

namespace {

void keep(std::deque<ReaderDirectory::Logged> &list, ReaderDirectory::Logged entry)
{
    list.push_back(std::move(entry));
    while (list.size() > size_t(ReaderDirectory::kMaxProblems))
        list.pop_front();
}

} // namespace

const char *ReaderDirectory::stateName(State state)
{
    switch (state) {
    case State::Connected:
        return "connected";
    case State::Reporting:
        return "reporting";
    case State::Disconnected:
        return "disconnected";
    }
    return "connected";
}

ReaderDirectory::Reader &ReaderDirectory::at(const QString &label)
{
    auto it = m_index.constFind(label);
    if (it == m_index.constEnd()) {
        it = m_index.insert(label, int(m_readers.size()));
        m_readers.emplace_back();
        m_readers.back().label = label;
    }
    return m_readers[size_t(*it)];
}

bool ReaderDirectory::report(const QString &label, qint64 nowMs)
{
    Reader &r = at(label);
    ++r.reports;
    r.lastSeenMs = nowMs;
    if (r.state == State::Reporting)
        return false;
    r.state = State::Reporting;
    return true;
}

bool ReaderDirectory::setState(const QString &label, State state)
{
    const bool known = m_index.contains(label);
    Reader &r = at(label);
    if (known && r.state == state)
        return false;
    r.state = state;
    return true;
}

// A problem names a reader when one of its details is the reader's label, or the address part of a
// label "address:port".
QString ReaderDirectory::readerNamedBy(const Problem &problem) const
{
    for (const QString &detail : problem.details) {
        if (detail.isEmpty())
            continue;
        for (const Reader &r : m_readers) {
            if (r.label == detail || r.label.startsWith(detail + QLatin1Char(':')))
                return r.label;
        }
    }
    return {};
}

QString ReaderDirectory::addProblem(const Problem &problem, qint64 nowMs)
{
    const QString label = readerNamedBy(problem);
    keep(label.isEmpty() ? m_sessionProblems : at(label).problems, Logged{nowMs, problem});
    return label;
}

const ReaderDirectory::Reader *ReaderDirectory::find(const QString &label) const
{
    const auto it = m_index.constFind(label);
    return it == m_index.constEnd() ? nullptr : &m_readers[size_t(*it)];
}
