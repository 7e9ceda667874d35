#include "link/CommandPacer.h"

CommandPacer::CommandPacer(QObject *parent) : QObject(parent)
{
    m_gap.setSingleShot(true);
    m_gap.setTimerType(Qt::PreciseTimer);
    connect(&m_gap, &QTimer::timeout, this, &CommandPacer::handleGapElapsed);
}

void CommandPacer::enqueue(std::function<void()> step)
{
    m_steps.push_back(std::move(step));
    if (!m_gap.isActive())
        runNext();
}

void CommandPacer::runNext()
{
    auto step = std::move(m_steps.front());
    m_steps.pop_front();
    m_gap.start();
    step();
}

void CommandPacer::handleGapElapsed()
{
    if (!m_steps.empty())
        runNext();
    else
        emit drained();
}
