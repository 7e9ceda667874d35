#include "tagcfg/SendTagCommand.h"

#include "base/Clock.h"
#include "base/ShownValue.h"
#include "base/Tones.h"
#include "readercfg/ConfigLink.h"
#include "readercfg/ConfigLinkFactory.h"
#include "readercfg/ConfigLinkTeardown.h"
#include "tagcfg/TagAckReply.h"
#include "tagcfg/TagCodes.h"
#include "tagcfg/TagUid.h"

namespace {
const QByteArray kSilence = QByteArrayLiteral("A0");
const QByteArray kPoll = QByteArrayLiteral("C");
} // namespace

SendTagCommand::SendTagCommand(TonePlayer &tones, const Clock &clock, QObject *parent)
    : QObject(parent), m_tones(tones), m_clock(clock)
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, [this] { exchange(Phase::Recovering, kSilence); });
}

SendTagCommand::~SendTagCommand()
{
    if (m_exchange)
        disconnect(m_exchange, nullptr, this, nullptr);
    if (m_link)
        m_link->close();
}

void SendTagCommand::start(const TagButton &button, const QString &uid, bool tagChosen,
                           const TagValueMap &values)
{
    if (m_running)
        return;
    m_running = true;
    ++m_runNumber;
    emit runningChanged(true);
    m_result = Result();
    m_button = &button;
    m_uid = uid.toLatin1();
    m_step = 0;
    m_accepted = false;
    m_cancelling = false;
    m_closingStatus = Status::Cancelled;
    m_badValue.clear();
    m_wrongValue.clear();
    m_offerMayBeTaken = false;
    if (refuseBeforeSending(button, uid, tagChosen, values))
        return;
    setMessage(TagFlowMessage::Kind::PleaseWait);
    setReplyPayload({});
    openLink();
}

// The guard and the checks that keep a command from going out at all; true when one refused.
bool SendTagCommand::refuseBeforeSending(const TagButton &button, const QString &uid, bool tagChosen,
                                         const TagValueMap &values)
{
    if (const auto refused = TagUid::refusal(uid, tagChosen)) {
        endLater(*refused == TagFlowMessage::Kind::NotChosen ? Status::NotChosen : Status::InvalidUid);
        return true;
    }
    m_steps.clear();
    for (const TagStep &step : button.steps) {
        const auto command = step.command(values);
        if (!command) {
            m_result.detail =
                QStringLiteral("no value for register %1").arg(step.reg, 2, 16, QLatin1Char('0'));
            endLater(Status::InvalidValue);
            return true;
        }
        m_steps.push_back(*command);
    }
    m_steps.push_back(TagCommand::close());
    return false;
}

void SendTagCommand::openLink()
{
    discardLink(); // a leftover link is closed before the new one opens
    m_link = ConfigLinkFactory::create(m_request).release();
    m_link->setParent(this);
    emit linkCreated(m_link);
    if (!m_link->open()) {
        m_result.detail = m_link->errorText();
        emit problem(m_link->error());
        endLater(Status::OpenFailed);
        return;
    }
    m_exchange = new TransceiveCommand(m_link, m_timing, this);
    connect(m_exchange, &TransceiveCommand::finished, this, &SendTagCommand::handleExchangeFinished);
    connect(m_exchange, &TransceiveCommand::replyReceived, this, &SendTagCommand::handleReply);
    connect(m_exchange, &TransceiveCommand::frameWritten, this, &SendTagCommand::handleFrameWritten);
    connect(m_link, &ConfigLink::failed, this, &SendTagCommand::handleLinkFailed);
    exchange(Phase::Silencing, kSilence);
}

void SendTagCommand::exchange(Phase phase, const QByteArray &command)
{
    m_phase = phase;
    m_command = command;
    m_exchange->start(command);
}

// A command is listed once its frame has been written, not when it was meant to go out: over a
// link that is gone nothing is listed.
void SendTagCommand::handleFrameWritten(int number)
{
    if (number != 1)
        return;
    m_result.sent.append(m_command);
    emit commandSent(m_command);
}

// The connection could not be made or was lost: the reason is kept and said; a link that is
// closed for good ends the sequence at once (there is nothing left to poll or to tell the tag).
void SendTagCommand::handleLinkFailed()
{
    if (!m_running || !m_link)
        return;
    const QString why = m_link->errorText();
    if (!why.isEmpty() && why != m_result.detail) {
        m_result.detail = why;
        emit problem(m_link->error());
    }
    if (m_link->state() == ConfigLink::State::Closed)
        end(Status::LinkLost);
}

void SendTagCommand::handleReply(const QByteArray &payload)
{
    setReplyPayload(payload);
    setStatusText(QStringLiteral("   ") + QString::fromLatin1(payload));
}

void SendTagCommand::handleExchangeFinished(const TransceiveCommand::Result &result)
{
    if (m_phase == Phase::Offering && !result.ok() && result.framesWritten > result.refusals)
        m_offerMayBeTaken = true;
    if (result.outcome == TransceiveCommand::Outcome::Cancelled || !m_running)
        return;
    if (m_link && m_link->state() == ConfigLink::State::Closed) {
        end(Status::LinkLost);
        return;
    }
    if (m_cancelling && m_phase != Phase::Closing) {
        closeAfterCancel();
        return;
    }
    switch (m_phase) {
    case Phase::Silencing:
        m_counter = kAttempts;
        offer();
        break;
    case Phase::Offering:
        handleOffered(result.ok());
        break;
    case Phase::Recovering:
        if (--m_counter <= 0)
            notAccepted();
        else
            offer();
        break;
    case Phase::Polling:
        handlePolled(result);
        break;
    case Phase::Advancing:
        if (m_steps[m_step].isClose() && m_button->endsWhenCloseSent)
            end(Status::Ok);
        else
            poll();
        break;
    case Phase::Closing:
        end(m_closingStatus);
        break;
    case Phase::Idle:
    case Phase::AttemptPause:
        break;
    }
}

void SendTagCommand::offer()
{
    setProgress(m_button->attemptProgress, m_counter);
    exchange(Phase::Offering, m_steps.front().readerCommand(m_uid));
}

void SendTagCommand::handleOffered(bool accepted)
{
    if (!accepted) {
        m_phase = Phase::AttemptPause;
        m_pause.start(m_timing.configAttemptPauseMs);
        return;
    }
    m_accepted = true;
    m_windowStartMs = m_clock.tickMs(); // one window for every step, never restarted
    poll();
}

// Ten attempts without an acceptance. Where one of them may still have reached the reader (no
// refusal came back), the tag is told its session is over; refused attempts end as they are.
void SendTagCommand::notAccepted()
{
    if (m_offerMayBeTaken)
        closeTagSession(Status::NotAccepted);
    else
        end(Status::NotAccepted);
}

int SendTagCommand::secondsElapsed() const
{
    const qint64 secondMs = qMax(1, m_timing.tagWindowMs / kWindowSeconds);
    return int((m_clock.tickMs() - m_windowStartMs) / secondMs);
}

void SendTagCommand::poll()
{
    const int elapsed = secondsElapsed();
    if (elapsed >= kWindowSeconds) {
        end(Status::NoAcknowledgement);
        return;
    }
    setProgress(m_button->waitProgress, kWindowSeconds - elapsed);
    setStatusText({});
    exchange(Phase::Polling, kPoll);
}

void SendTagCommand::handlePolled(const TransceiveCommand::Result &result)
{
    if (!result.ok()) {
        poll(); // at once, no extra pause
        return;
    }
    Tones::play(m_tones, Tones::kReply);
    setReplyPayload(result.payload());
    switch (takeAcknowledgement(result.reply)) {
    case Fit::Yes:
        advance();
        break;
    case Fit::No:
        poll();
        break;
    case Fit::ValueNotHex:
        // The control keeps its value; the tag's session is ended before the command fails.
        closeTagSession(Status::ValueNotHex);
        break;
    case Fit::WrongValue:
        closeTagSession(Status::WrongValue);
        break;
    }
}

// Whether `frame` acknowledges the current step; a read's value is taken on the way. Replies of
// other tags, for other commands, tag reports and idle replies are passed over.
SendTagCommand::Fit SendTagCommand::takeAcknowledgement(const QByteArray &frame)
{
    const auto ack = TagAckReply::parse(frame);
    const TagCommand &command = m_steps[m_step];
    if (!ack || !ack->fits(m_uid, command))
        return Fit::No;
    if (command.letter == 'w' && ack->value != command.value) {
        // The tag holds something else than what was sent: never a success.
        m_wrongValue = command.text().right(2) + ' ' + ack->valueText;
        return Fit::WrongValue;
    }
    if (!command.isRead())
        return Fit::Yes;
    const TagStep &step = m_button->steps[m_step];
    int value = ack->value ? int(*ack->value) : step.valueWhenNotHex;
    if (value < 0) {
        m_badValue = ack->valueText; // never read as 0
        return Fit::ValueNotHex;
    }
    // The result keeps what the tag holds; its slider takes what it can hold (a code of 18 on a
    // 0..15 slider shows as 15).
    const TagValueSpec *control = TagValues::find(m_button->page, step.value);
    m_result.values[command.reg] = value;
    emit valueRead(step.value, command.reg, value, control ? control->clamp(value) : value);
    return Fit::Yes;
}

void SendTagCommand::advance()
{
    ++m_step;
    m_result.stepsAcknowledged = int(m_step);
    if (m_step >= m_steps.size()) {
        m_result.sessionClosed = true;
        end(Status::Ok); // the closing command was acknowledged
        return;
    }
    exchange(Phase::Advancing, m_steps[m_step].readerCommand(m_uid));
}

void SendTagCommand::cancel()
{
    if (!m_running || m_cancelling)
        return;
    m_cancelling = true;
    m_pause.stop();
    if (!m_accepted) {
        // An "E" on the wire is stopped; whether the reader may have taken it decides the closing.
        if (m_exchange && m_exchange->isRunning())
            m_exchange->cancel();
        if (m_offerMayBeTaken)
            closeAfterCancel();
        else
            end(Status::Cancelled); // the tag was never addressed
        return;
    }
    // The exchange under way is let finish, so that its reply does not meet the closing command.
    if (!m_exchange || !m_exchange->isRunning())
        closeAfterCancel();
}

void SendTagCommand::closeAfterCancel()
{
    closeTagSession(Status::Cancelled);
}

// The tag was addressed: its session is ended with "X0000" before the sequence ends with `status`.
void SendTagCommand::closeTagSession(Status status)
{
    m_closingStatus = status;
    if (m_link && m_link->state() != ConfigLink::State::Closed)
        exchange(Phase::Closing, TagCommand::close().readerCommand(m_uid));
    else
        end(status);
}

void SendTagCommand::endLater(Status status)
{
    // Said from the event loop, like every other end.
    QTimer::singleShot(0, this, [this, status, run = m_runNumber] {
        if (run == m_runNumber)
            end(status);
    });
}

void SendTagCommand::end(Status status)
{
    if (!m_running)
        return;
    m_pause.stop();
    m_phase = Phase::Idle;
    if (m_exchange && m_exchange->isRunning())
        m_exchange->cancel();
    if (m_link)
        m_link->close();
    m_result.status = status;
    m_result.message = endMessage(status);
    setMessage(m_result.message);
    setReplyPayload({}); // the status text keeps the last reply, as the panel leaves it
    if (status == Status::Ok)
        Tones::play(m_tones, Tones::kDone);
    else if (status != Status::Cancelled)
        Tones::play(m_tones, Tones::kFailure);
    m_running = false;
    emit runningChanged(false);
    if (status == Status::NotChosen)
        emit guardRefused(m_result.message);
    emit finished(m_result);
}

// What the message line says at the end: the button's texts, the refused UID, or what the
// acknowledgement got wrong.
TagFlowMessage SendTagCommand::endMessage(Status status) const
{
    using Kind = TagFlowMessage::Kind;
    TagFlowMessage m;
    m.button = m_button;
    switch (status) {
    case Status::Ok:
        m.kind = Kind::Success;
        // A version read ends with the version the tag reported. A command that is done once
        // "X0000" went out ends with the same text; whether the tag confirmed the end of its
        // session is in the result (sessionClosed), not in the words.
        if (m_button->versionSuccess)
            if (const auto it = m_result.values.find(m_steps.front().reg); it != m_result.values.end())
                m.version = it->second;
        return m;
    case Status::NotChosen:
        m.kind = Kind::NotChosen;
        return m;
    case Status::InvalidUid:
        m.kind = Kind::InvalidUid;
        m.uid = QString::fromLatin1(m_uid);
        return m;
    case Status::Cancelled:
        m.kind = Kind::Cancelled;
        return m;
    case Status::InvalidValue:
    case Status::ValueNotHex:
    case Status::WrongValue:
    case Status::LinkLost:
    case Status::OpenFailed:
    case Status::NotAccepted:
    case Status::NoAcknowledgement:
        break;
    }
    m.kind = Kind::Failure;
    m.badValue = m_badValue;
    if (status == Status::WrongValue) {
        m.wrongValue = true;
        m.sentValue = m_wrongValue.left(2);
        m.acknowledgedValue = m_wrongValue.mid(3);
    }
    return m;
}

void SendTagCommand::discardLink()
{
    discardConfigLink(this, m_exchange, m_link);
}

void SendTagCommand::setMessage(TagFlowMessage::Kind kind)
{
    TagFlowMessage m;
    m.kind = kind;
    m.button = m_button;
    setMessage(m);
}

void SendTagCommand::setProgress(TagProgress progress, int count)
{
    TagFlowMessage m;
    m.kind = TagFlowMessage::Kind::Progress;
    m.button = m_button;
    m.progress = progress;
    m.count = count;
    setMessage(m);
}

void SendTagCommand::setMessage(const TagFlowMessage &message)
{
    setShown(this, m_message, message, &SendTagCommand::messageChanged);
}

void SendTagCommand::setReplyPayload(const QByteArray &payload)
{
    setShown(this, m_replyPayload, payload, &SendTagCommand::replyPayloadChanged);
}

void SendTagCommand::setStatusText(const QString &text)
{
    setShown(this, m_statusText, text, &SendTagCommand::statusTextChanged);
}
