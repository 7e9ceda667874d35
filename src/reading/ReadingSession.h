#pragma once

#include "base/Problem.h"
#include "base/Timing.h"
#include "link/LineCutter.h"
#include "link/LinkLogEvent.h"

#include <QByteArrayView>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <vector>

class ReadingLinks;
class ReadingSource;

// A reading session: from Start to the end of Stop. The session services its sources round robin,
// one source per poll step: the step after the last serviced source (the service cursor) that has
// bytes waiting gives all of them to its line cutter, and every complete line goes out as
// frameReady(frame, label), in order per source. Steps run while any source has bytes waiting, for a
// bounded time slice, then the event loop gets its turn; nothing polls while the readers are quiet.
class ReadingSession : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Idle,
        Running,
        Stopping
    };
    Q_ENUM(State)

    explicit ReadingSession(QObject *parent = nullptr);
    ~ReadingSession() override;
    Q_DISABLE_COPY_MOVE(ReadingSession)

    void setTiming(const Timing &timing);

    // Opens the links and starts reading. The session does not own the links.
    void start(ReadingLinks *links);
    // Tells the readers to stop and closes the links; ended() follows once they are closed.
    void stop();

    State state() const { return m_state; }
    bool isRunning() const { return m_state == State::Running; }
    int serviceCursor() const { return m_cursor; }
    int highestIndex() const { return int(m_slots.size()) - 1; }

    // One poll step; false when no source had bytes waiting.
    bool pollStep();

    quint64 framesCut() const { return m_frames; }
    quint64 bytesRead() const { return m_bytes; }
    quint64 droppedLines() const;

signals:
    void started();
    void stopping();
    void ended();
    void frameReady(QByteArrayView frame, const QString &label);
    // The 0/1 phase of the activity indicator, every blink interval while a session runs.
    void blinkPhaseChanged(int phase);
    // A problem of the links, passed on as they said it.
    void problem(const Problem &problem);
    // A line of the links' connection log, as data (logged) and as its English text (logLine).
    void logged(const LinkLogEvent &event);
    void logLine(const QString &line);

private:
    struct Slot
    {
        ReadingSource *source = nullptr;
        LineCutter cutter;
    };

    void handleSourceAdded(int index, ReadingSource *source);
    void handleSourceRemoved(int index);
    void handleLinksClosed();
    void schedulePass();
    void servicePass();
    void service(Slot &slot);
    Slot *slotAt(int index) const;
    void forgetLine(Slot &slot);
    int findEligible(int from, int to) const;

    Timing m_timing;
    State m_state = State::Idle;
    QPointer<ReadingLinks> m_links;
    std::vector<std::unique_ptr<Slot>> m_slots; // index 0 is never a source; slots never move
    int m_cursor = 0;
    bool m_passScheduled = false;
    bool m_inService = false; // a frame is being handed out; removals and the end wait for it
    QTimer m_blink;
    int m_blinkPhase = 0;
    quint64 m_frames = 0;
    quint64 m_bytes = 0;
    quint64 m_droppedBefore = 0;
};
