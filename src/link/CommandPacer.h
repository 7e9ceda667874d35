#pragma once

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

// Runs send steps one after another with a pause after each, on the event loop: the greeting's
// "M1"/"A3" pairs, the five rounds of a command, the stop rounds before links close. A step that is
// queued while the pacer is idle runs at once; the next one waits for the gap.
class CommandPacer : public QObject
{
    Q_OBJECT
public:
    explicit CommandPacer(QObject *parent = nullptr);

    void setGapMs(int ms) { m_gap.setInterval(ms); }
    void enqueue(std::function<void()> step);
    // Forgets the steps that have not run yet; the gap of the step that ran last still passes.
    void clear() { m_steps.clear(); }
    bool isIdle() const { return m_steps.empty() && !m_gap.isActive(); }

signals:
    // The last step ran and its gap has passed.
    void drained();

private:
    void handleGapElapsed();
    void runNext();

    QTimer m_gap;
    std::deque<std::function<void()>> m_steps;
};
