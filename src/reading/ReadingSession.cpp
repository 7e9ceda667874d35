#include "reading/ReadingSession.h"

#include "link/ReadingLinks.h"
#include "link/ReadingSource.h"

#include <QElapsedTimer>

ReadingSession::ReadingSession(QObject *parent) : QObject(parent)
{
    m_blink.setInterval(m_timing.blinkMs);
    connect(&m_blink, &QTimer::timeout, this, [this] {
        m_blinkPhase = m_blinkPhase ? 0 : 1;
        emit blinkPhaseChanged(m_blinkPhase);
    });
}

ReadingSession::~ReadingSession()
{
    if (m_links)
        disconnect(m_links, nullptr, this, nullptr);
}

void ReadingSession::setTiming(const Timing &timing)
{
    m_timing = timing;
    m_blink.setInterval(timing.blinkMs);
}

void ReadingSession::start(ReadingLinks *links)
{
    if (m_state != State::Idle || !links)
        return;
    m_links = links;
    m_slots.clear();
    m_slots.push_back(nullptr);
    m_cursor = 0;
    m_frames = 0;
    m_bytes = 0;
    m_droppedBefore = 0;
    m_state = State::Running;
    connect(links, &ReadingLinks::sourceAdded, this, &ReadingSession::handleSourceAdded);
    connect(links, &ReadingLinks::sourceRemoved, this, &ReadingSession::handleSourceRemoved);
    connect(links, &ReadingLinks::closed, this, &ReadingSession::handleLinksClosed);
    connect(links, &ReadingLinks::problem, this, &ReadingSession::problem);
    connect(links, &ReadingLinks::logged, this, [this](const LinkLogEvent &event) {
        emit logged(event);
        emit logLine(event.text());
    });
    m_blinkPhase = 0;
    m_blink.start();
    emit started();
    links->open();
}

void ReadingSession::stop()
{
    if (m_state != State::Running)
        return;
    m_state = State::Stopping;
    emit stopping();
    if (m_links)
        m_links->close();
    else
        handleLinksClosed();
}

void ReadingSession::handleSourceAdded(int index, ReadingSource *source)
{
    if (index <= 0 || !source || m_state == State::Idle)
        return;
    while (m_slots.size() <= size_t(index))
        m_slots.push_back(std::make_unique<Slot>());
    if (m_slots[size_t(index)]->source)
        handleSourceRemoved(index);
    Slot &slot = *m_slots[size_t(index)];
    slot.source = source;
    slot.cutter.clear();
    connect(source, &ReadingSource::readyRead, this, &ReadingSession::schedulePass);
    if (source->isEligible())
        schedulePass();
}

void ReadingSession::handleSourceRemoved(int index)
{
    Slot *slot = slotAt(index);
    if (!slot || !slot->source)
        return;
    // Whatever the source still holds is read before it goes: no complete line is lost.
    if (!m_inService && slot->source->isEligible())
        service(*slot);
    disconnect(slot->source, nullptr, this, nullptr);
    slot->source = nullptr;
    // A removal from inside a frame handler leaves the line cutter to finish the chunk in hand (the
    // frame being handed out points into it); service() forgets it afterwards.
    if (!m_inService)
        forgetLine(*slot);
}

void ReadingSession::forgetLine(Slot &slot)
{
    m_droppedBefore += slot.cutter.droppedLines();
    slot.cutter = LineCutter();
}

ReadingSession::Slot *ReadingSession::slotAt(int index) const
{
    if (index <= 0 || size_t(index) >= m_slots.size())
        return nullptr;
    return m_slots[size_t(index)].get();
}

void ReadingSession::handleLinksClosed()
{
    if (m_inService) {
        QMetaObject::invokeMethod(this, &ReadingSession::handleLinksClosed, Qt::QueuedConnection);
        return;
    }
    if (m_state == State::Idle)
        return;
    // Sources that the links did not remove are forgotten now; the links own them.
    for (size_t i = 1; i < m_slots.size(); ++i)
        handleSourceRemoved(int(i));
    if (m_links)
        disconnect(m_links, nullptr, this, nullptr);
    m_links = nullptr;
    m_slots.clear();
    m_blink.stop();
    m_state = State::Idle;
    emit ended();
}

void ReadingSession::schedulePass()
{
    if (m_passScheduled)
        return;
    m_passScheduled = true;
    QMetaObject::invokeMethod(this, &ReadingSession::servicePass, Qt::QueuedConnection);
}

void ReadingSession::servicePass()
{
    m_passScheduled = false;
    QElapsedTimer slice;
    slice.start();
    while (pollStep()) {
        if (slice.elapsed() >= m_timing.servicePassBudgetMs) {
            schedulePass(); // more is waiting: give the event loop a turn first
            return;
        }
    }
}

int ReadingSession::findEligible(int from, int to) const
{
    for (int i = from; i <= to; ++i) {
        const ReadingSource *s = m_slots[size_t(i)]->source;
        if (s && s->isEligible())
            return i;
    }
    return 0;
}

bool ReadingSession::pollStep()
{
    const int highest = highestIndex();
    if (highest < 1)
        return false;
    int next = m_cursor + 1;
    if (next > highest)
        next = 1;
    int found = findEligible(next, highest);
    if (!found)
        found = findEligible(1, next - 1);
    if (!found)
        return false;
    m_cursor = found;
    service(*m_slots[size_t(found)]);
    return true;
}

void ReadingSession::service(Slot &slot)
{
    const QByteArray chunk = slot.source->takeBytes();
    m_bytes += quint64(chunk.size());
    const QString label = slot.source->label();
    m_inService = true;
    slot.cutter.feed(chunk, [&](QByteArrayView frame) {
        ++m_frames;
        emit frameReady(frame, label);
    });
    m_inService = false;
    if (!slot.source)
        forgetLine(slot);
}

quint64 ReadingSession::droppedLines() const
{
    quint64 n = m_droppedBefore;
    for (const auto &s : m_slots)
        if (s)
            n += s->cutter.droppedLines();
    return n;
}
