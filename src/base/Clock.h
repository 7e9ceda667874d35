#pragma once

#include <QDateTime>
#include <QElapsedTimer>

// Source of time for everything that measures or stamps: a millisecond tick and the local date-time.
// Tests inject a fake so that timings and CSV dates are exact.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 tickMs() const = 0;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock
{
public:
    SystemClock() { m_timer.start(); }
    qint64 tickMs() const override { return m_timer.elapsed(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }

private:
    QElapsedTimer m_timer;
};
