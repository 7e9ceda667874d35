#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <vector>

class ReaderChannel;

// Paces report lines for a set of readers: a timer tick works out how many lines are due at the total
// rate since the start and hands each reader its share as one burst. No sleeping: a slow tick simply
// makes the next burst bigger (at most a quarter second's worth; beyond that the lines are skipped).
class ReportPacer : public QObject
{
    Q_OBJECT
public:
    explicit ReportPacer(double linesPerSecond, int tickMs = 10, QObject *parent = nullptr);

    void addChannel(ReaderChannel *channel);
    // Stop after this many lines in total (0: no limit); emits limitReached once.
    void setLimit(quint64 lines) { m_limit = lines; }
    void start();
    void stop();
    quint64 linesIssued() const { return m_issued; }

signals:
    void limitReached();

private:
    void handleTick();

    double m_rate;
    QTimer m_timer;
    QElapsedTimer m_clock;
    std::vector<ReaderChannel *> m_channels;
    quint64 m_issued = 0;  // lines handed to readers
    quint64 m_skipped = 0; // lines given up after a stall
    quint64 m_limit = 0;
    size_t m_rotation = 0; // which reader gets the remainder first
};
