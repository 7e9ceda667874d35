#include "readercfg/ReaderSequenceRunner.h"

#include <algorithm>

ReaderSequenceRunner::ReaderSequenceRunner(RunReaderCommand &executor, QObject *parent)
    : QObject(parent), m_executor(executor)
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &ReaderSequenceRunner::startStep);
    connect(&m_executor, &RunReaderCommand::finished, this, &ReaderSequenceRunner::handleCommandFinished);
}

void ReaderSequenceRunner::start(const ReaderCommandSequence &steps)
{
    if (m_running || m_executor.isRunning())
        return;
    m_running = true;
    m_steps = steps;
    m_results.clear();
    m_index = 0;
    if (m_steps.isEmpty()) {
        QTimer::singleShot(0, this, [this] { finish(false); });
        return;
    }
    m_pause.start(m_steps.first().pauseBefore ? m_executor.timing().configStepPauseMs : 0);
}

void ReaderSequenceRunner::cancel()
{
    if (!m_running)
        return;
    if (m_executor.isRunning()) {
        m_executor.cancel(); // its finished(Cancelled) ends the sequence
        return;
    }
    m_pause.stop();
    finish(false);
}

void ReaderSequenceRunner::startStep()
{
    emit stepStarted(m_index, m_steps[m_index].command);
    m_executor.start(m_steps[m_index].command);
}

void ReaderSequenceRunner::handleCommandFinished(const RunReaderCommand::Result &result)
{
    if (!m_running)
        return; // a single command of the page, not one of ours
    m_results.append(result);
    emit stepFinished(m_index, result);
    ++m_index;
    if (result.status == RunReaderCommand::Status::Cancelled || m_index >= m_steps.size()) {
        finish(m_index >= m_steps.size() && allOk());
        return;
    }
    const ReaderCommandStep &next = m_steps[m_index];
    if (next.onlyAfterSuccess && !result.ok()) {
        finish(false);
        return;
    }
    m_pause.start(next.pauseBefore ? m_executor.timing().configStepPauseMs : 0);
}

bool ReaderSequenceRunner::allOk() const
{
    return std::all_of(m_results.begin(), m_results.end(), [](const auto &r) { return r.ok(); });
}

void ReaderSequenceRunner::finish(bool ok)
{
    m_running = false;
    emit finished(m_results, ok);
}
