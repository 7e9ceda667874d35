#pragma once

#include "base/Timing.h"

#include <QObject>
#include <QTimer>

// When a lost link is tried again: the first wait is Timing::reconnectFirstMs, every further wait
// doubles up to Timing::reconnectMaxMs, and a link that is back (reset) starts over from the first.
// due() says that the wait is over and the next attempt should be made.
class ReconnectSchedule : public QObject
{
    Q_OBJECT
public:
    explicit ReconnectSchedule(const Timing &timing, QObject *parent = nullptr);

    // Starts the wait for the next attempt and returns how long it is.
    int schedule();
    void cancel() { m_timer.stop(); }
    // The link is back: no attempt is pending and the next loss waits the first time again.
    void reset();
    bool isPending() const { return m_timer.isActive(); }
    int nextDelayMs() const { return m_nextMs; }

signals:
    void due();

private:
    Timing m_timing;
    int m_nextMs;
    QTimer m_timer;
};
