#pragma once

#include "base/Clock.h"

// A clock that moves only when a test moves it.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(const QDateTime &start = QDateTime(QDate(2026, 1, 31), QTime(14, 5, 9))) : m_now(start)
    {
    }
    qint64 tickMs() const override { return m_tick; }
    QDateTime now() const override { return m_now; }

    // Moves both the tick and the date-time forward.
    void advance(qint64 ms)
    {
        m_tick += ms;
        m_now = m_now.addMSecs(ms);
    }
    void setNow(const QDateTime &now) { m_now = now; }

private:
    qint64 m_tick = 1000;
    QDateTime m_now;
};
