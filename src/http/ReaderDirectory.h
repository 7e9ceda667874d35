#pragma once

#include "base/Problem.h"

#include <QHash>
#include <QString>
#include <deque>
#include <vector>

// The readers a session has heard of, as the web view shows them: each label's state, its report
// count, when it was last heard, and the problems that name it. Problems that name no reader are kept
// for the session. Every list of problems is bounded: the oldest go first.
class ReaderDirectory
{
public:
    static constexpr int kMaxProblems = 20;

    enum class State
    {
        Connected,    // its port opened or it connected; no report yet
        Reporting,    // reports arrive
        Disconnected, // its port closed or it went away
    };
    static const char *stateName(State state);

    struct Logged
    {
        qint64 timeMs = 0;
        Problem problem;
    };
    struct Reader
    {
        QString label;
        State state = State::Connected;
        qint64 reports = 0;
        qint64 lastSeenMs = 0; // 0: never reported
        std::deque<Logged> problems;
    };

    // A report arrived from `label`; true when this changed the reader's state.
    bool report(const QString &label, qint64 nowMs);
    // The reader's source came or went; true when this changed the reader's state.
    bool setState(const QString &label, State state);
    // A problem of the session; returns the label of the reader it names, empty when none.
    QString addProblem(const Problem &problem, qint64 nowMs);

    const std::vector<Reader> &readers() const { return m_readers; }
    const std::deque<Logged> &sessionProblems() const { return m_sessionProblems; }
    const Reader *find(const QString &label) const;

private:
    Reader &at(const QString &label);
    QString readerNamedBy(const Problem &problem) const;

    std::vector<Reader> m_readers;
    QHash<QString, int> m_index;
    std::deque<Logged> m_sessionProblems;
};
