#include "readercfg/TransceiveCommand.h"

#include "link/CommandFrame.h"
#include "readercfg/ConfigLink.h"

QByteArray TransceiveCommand::Result::payload() const
{
    return CommandFrame::replyPayload(reply);
}

TransceiveCommand::TransceiveCommand(ConfigLink *link, const Timing &timing, QObject *parent)
    : QObject(parent), m_link(link), m_timing(timing)
{
    for (QTimer *timer : {&m_settle, &m_timeout, &m_gap})
        timer->setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &TransceiveCommand::handleSettled);
    connect(&m_timeout, &QTimer::timeout, this, [this] { conclude(Verdict::Failed); });
    connect(&m_gap, &QTimer::timeout, this, &TransceiveCommand::handleGapOver);
    if (link) {
        connect(link, &ConfigLink::bytesReceived, this, &TransceiveCommand::handleBytes);
        connect(link, &ConfigLink::opened, this, &TransceiveCommand::handleLinkOpened);
        connect(link, &ConfigLink::failed, this, &TransceiveCommand::handleLinkFailed);
    }
}

TransceiveCommand::~TransceiveCommand() = default;

void TransceiveCommand::start(const QByteArray &command)
{
    if (isRunning())
        return;
    m_command = command;
    m_frame = CommandFrame::buildCommandFrame(command);
    m_assembler.setEchoLetter(command.isEmpty() ? '\0' : command[0]);
    m_transmissions = 0;
    m_framesWritten = 0;
    m_refusals = 0;
    m_reply.clear();
    beginTransmission();
}

void TransceiveCommand::cancel()
{
    if (isRunning())
        finish(Outcome::Cancelled);
}

void TransceiveCommand::beginTransmission()
{
    ++m_transmissions;
    m_phase = Phase::Transmitting;
    m_verdict = Verdict::None;
    m_sent = false;
    m_refused = false;
    m_reply.clear();
    m_assembler.reset();
    emit transmissionStarted(m_transmissions);
    const auto state = m_link ? m_link->state() : ConfigLink::State::Closed;
    if (state == ConfigLink::State::Closed) {
        conclude(Verdict::Failed); // nothing can go out: no port, or no connection any more
        return;
    }
    if (state == ConfigLink::State::Waiting) {
        m_timeout.start(m_timing.replyWaitMs); // waiting for the connection counts against the reply wait
        return;
    }
    sendFrame();
}

void TransceiveCommand::sendFrame()
{
    m_link->discardPending();
    if (!m_link->send(m_frame)) {
        conclude(Verdict::Failed);
        return;
    }
    m_sent = true;
    emit frameWritten(++m_framesWritten);
    m_settle.start(m_timing.configSettleMs);
}

void TransceiveCommand::handleLinkOpened()
{
    if (m_phase == Phase::Transmitting && !m_sent && m_verdict == Verdict::None)
        sendFrame();
}

void TransceiveCommand::handleLinkFailed()
{
    if (m_phase == Phase::Transmitting && m_verdict == Verdict::None)
        conclude(Verdict::Failed);
}

void TransceiveCommand::handleBytes(const QByteArray &bytes)
{
    if (m_phase != Phase::Transmitting || m_verdict != Verdict::None || !m_sent)
        return;
    const bool checkEcho = m_link->checksEchoAtOnce();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        m_assembler.feed(QByteArrayView(bytes).sliced(i, 1));
        const bool wrongEcho = wrongEchoSeen();
        m_refused = m_refused || wrongEcho;
        if (checkEcho && wrongEcho) {
            m_verdict = Verdict::Failed;
            break;
        }
        if (m_assembler.isComplete()) {
            judgeReply();
            break; // the rest of the chunk is not looked at
        }
    }
    // A verdict reached while settling waits for the settle time to pass.
    if (m_verdict != Verdict::None && !m_settle.isActive())
        conclude(m_verdict);
}

bool TransceiveCommand::wrongEchoSeen() const
{
    return !m_command.isEmpty() && m_assembler.length() == 2 && m_assembler.at(0) == CommandFrame::kStx &&
           m_assembler.at(1) != m_command.at(0);
}

void TransceiveCommand::judgeReply()
{
    m_reply = m_assembler.reply();
    const bool bccOk = CommandFrame::checkReplyBcc(m_reply);
    emit replyReceived(CommandFrame::replyPayload(m_reply), bccOk);
    m_verdict = bccOk ? Verdict::Ok : Verdict::Failed;
}

void TransceiveCommand::handleSettled()
{
    if (m_verdict != Verdict::None)
        conclude(m_verdict);
    else if (!m_timeout.isActive())
        m_timeout.start(m_timing.replyWaitMs);
}

void TransceiveCommand::conclude(Verdict verdict)
{
    if (m_phase != Phase::Transmitting)
        return;
    m_settle.stop();
    m_timeout.stop();
    m_verdict = verdict;
    if (verdict != Verdict::Ok && m_refused)
        ++m_refusals;
    m_phase = Phase::Gap;
    m_gap.start(m_timing.configGapMs);
}

void TransceiveCommand::handleGapOver()
{
    if (m_verdict == Verdict::Ok)
        finish(Outcome::Ok);
    else if (m_transmissions >= m_timing.transmissionsPerAttempt)
        finish(Outcome::Failed);
    else
        beginTransmission();
}

void TransceiveCommand::finish(Outcome outcome)
{
    m_settle.stop();
    m_timeout.stop();
    m_gap.stop();
    m_phase = Phase::Idle;
    Result result;
    result.outcome = outcome;
    result.command = m_command;
    result.reply = m_reply;
    result.transmissions = m_transmissions;
    result.framesWritten = m_framesWritten;
    result.refusals = m_refusals;
    emit finished(result);
}
