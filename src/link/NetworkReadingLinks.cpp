#include "link/NetworkReadingLinks.h"

#include "base/PortText.h"
#include "link/CommandFrame.h"

NetworkReadingLinks::NetworkReadingLinks(QObject *parent) : ReadingLinks(parent)
{
    m_pacer.setGapMs(m_timing.commandGapMs);
    connect(&m_pacer, &CommandPacer::drained, this, &NetworkReadingLinks::handlePacerDrained);
}

void NetworkReadingLinks::setTiming(const Timing &timing)
{
    m_timing = timing;
    m_pacer.setGapMs(timing.commandGapMs);
}

bool NetworkReadingLinks::beginOpen()
{
    if (m_state != State::Closed)
        return false;
    m_state = State::Open;
    m_stopRoundsQueued = false;
    return true;
}

std::optional<quint16> NetworkReadingLinks::portNumber(const QString &text)
{
    const int value = PortText::value(text);
    if (value >= 0 && value <= 65535)
        return quint16(value);
    emit logged(LinkLogEvent::of(LinkLogEvent::Kind::NotAPort, {}, 0, text));
    raiseProblem(QStringLiteral("Port %1 is not a port number (0-65535)"), {text});
    return std::nullopt;
}

void NetworkReadingLinks::broadcastCommand(const QByteArray &command)
{
    if (m_state != State::Open)
        return;
    const QByteArray frame = CommandFrame::buildCommandFrame(command);
    for (int round = 0; round < kCommandRounds; ++round)
        m_pacer.enqueue([this, frame] { sendFrameToAll(frame); });
}

void NetworkReadingLinks::close()
{
    if (m_state == State::Closing)
        return;
    if (m_state == State::Closed) {
        emit closed();
        return;
    }
    m_state = State::Closing;
    // Start commands still queued would restart the readers after "A0": drop them.
    m_pacer.clear();
    stopGreetings();
    const QByteArray frame = CommandFrame::buildCommandFrame("A0");
    for (int round = 0; round < kCommandRounds; ++round)
        m_pacer.enqueue([this, frame] { sendFrameToAll(frame); });
    m_stopRoundsQueued = true;
}

void NetworkReadingLinks::handlePacerDrained()
{
    if (m_state != State::Closing || !m_stopRoundsQueued)
        return;
    m_stopRoundsQueued = false;
    closeLinks();
}

void NetworkReadingLinks::finishClosed()
{
    m_state = State::Closed;
    emit closed();
}
