#pragma once

#include "link/ReadingLinks.h"

#include <QByteArray>
#include <QTimer>

class ReadingSource;

// A stand-in reader for demonstrations: replays recorded report lines as one source ("COM01"), a few
// lines every tick, round and round (or once) until closed.
class DemoReplayLinks : public ReadingLinks
{
    Q_OBJECT
public:
    DemoReplayLinks(const QByteArray &recording, int linesPerTick, int tickMs, bool repeat = true,
                    QObject *parent = nullptr);
    ~DemoReplayLinks() override;

    void open() override;
    void close() override;
    void broadcastCommand(const QByteArray &command) override;

private:
    void handleTick();

    QList<QByteArray> m_lines;
    int m_linesPerTick;
    bool m_repeat;
    qsizetype m_next = 0;
    QTimer m_timer;
    ReadingSource *m_source = nullptr;
};
