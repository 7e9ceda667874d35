#include "readercfg/RunReaderCommand.h"

#include "base/ShownValue.h"
#include "base/Tones.h"
#include "link/CommandFrame.h"
#include "readercfg/ConfigLink.h"
#include "readercfg/ConfigLinkFactory.h"
#include "readercfg/ConfigLinkTeardown.h"

QByteArray RunReaderCommand::Result::payload() const
{
    return CommandFrame::replyPayload(reply);
}

RunReaderCommand::RunReaderCommand(TonePlayer &tones, QObject *parent) : QObject(parent), m_tones(tones)
{
    m_attemptPause.setSingleShot(true);
    connect(&m_attemptPause, &QTimer::timeout, this, &RunReaderCommand::startAttempt);
}

RunReaderCommand::~RunReaderCommand()
{
    if (m_exchange)
        disconnect(m_exchange, nullptr, this, nullptr);
    if (m_link)
        m_link->close();
}

void RunReaderCommand::start(const QByteArray &command)
{
    if (m_running)
        return;
    m_running = true;
    ++m_runNumber;
    emit runningChanged(true);
    m_result = Result();
    m_result.command = command;
    m_transmissionsStarted = 0;
    setMessage(ReaderCommandMessage::Kind::SelectFunction);
    setReplyPayload({});
    setSendText(QString::fromLatin1(command));
    discardLink(); // a leftover link is closed before the new one opens
    m_link = ConfigLinkFactory::create(m_request).release();
    m_link->setParent(this);
    emit linkCreated(m_link);
    if (!m_link->open()) {
        m_result.detail = m_link->errorText();
        setMessage(ReaderCommandMessage::Kind::OpenFailed);
        emit problem(m_link->error());
        // Said from the event loop, like every other end.
        QTimer::singleShot(0, this, [this, run = m_runNumber] {
            if (run == m_runNumber)
                finishRun(Status::OpenFailed);
        });
        return;
    }
    m_exchange = new TransceiveCommand(m_link, m_timing, this);
    connect(m_exchange, &TransceiveCommand::finished, this, &RunReaderCommand::handleExchangeFinished);
    connect(m_exchange, &TransceiveCommand::replyReceived, this, &RunReaderCommand::handleReply);
    connect(m_exchange, &TransceiveCommand::transmissionStarted, this,
            [this] { emit transmissionStarted(++m_transmissionsStarted); });
    connect(m_exchange, &TransceiveCommand::frameWritten, this, [this] { ++m_result.transmissions; });
    connect(m_link, &ConfigLink::failed, this, &RunReaderCommand::handleLinkFailed);
    m_counter = m_timing.attemptsPerCommand;
    startAttempt();
}

// Links and exchanges of earlier commands go once their own signals have returned.
void RunReaderCommand::discardLink()
{
    discardConfigLink(this, m_exchange, m_link);
}

void RunReaderCommand::startAttempt()
{
    ++m_result.attempts;
    emit attemptStarted(m_counter);
    m_exchange->start(m_result.command);
}

void RunReaderCommand::handleReply(const QByteArray &payload)
{
    // Shown as soon as it is complete, also when its check digits turn out wrong.
    setReplyPayload(payload);
    emit replyReceived(payload);
}

void RunReaderCommand::handleExchangeFinished(const TransceiveCommand::Result &exchange)
{
    m_result.reply = exchange.reply;
    if (exchange.outcome == TransceiveCommand::Outcome::Cancelled) {
        finishRun(Status::Cancelled);
        return;
    }
    if (exchange.ok()) {
        setReplyPayload(exchange.payload());
        setMessage(ReaderCommandMessage::Kind::CommandOk);
        finishRun(Status::Ok);
        return;
    }
    const bool connected = m_link->state() == ConfigLink::State::Ready;
    setShown(this, m_message,
             {ReaderCommandMessage::Kind::AttemptFailed, m_link->kind(), connected, m_counter},
             &RunReaderCommand::messageChanged);
    const bool connectError =
        m_link->kind() == LinkKind::Udp || (m_link->kind() != LinkKind::Serial && !connected);
    if (--m_counter <= 0) {
        finishRun(connectError ? Status::ConnectError : Status::CommandError);
        return;
    }
    m_attemptPause.start(m_timing.configAttemptPauseMs);
}

// The connection could not be made or was lost: the attempts go on as before, and the system's
// reason is kept for the result and said once.
void RunReaderCommand::handleLinkFailed()
{
    const QString why = m_link ? m_link->errorText() : QString();
    if (!m_running || why.isEmpty() || why == m_result.detail)
        return;
    m_result.detail = why;
    emit problem(m_link->error());
}

void RunReaderCommand::finishRun(Status status)
{
    if (!m_running)
        return;
    m_attemptPause.stop();
    if (m_link)
        m_link->close();
    m_result.status = status;
    if (status == Status::Cancelled)
        setMessage(ReaderCommandMessage::Kind::Cancelled);
    else if (status == Status::Ok)
        Tones::play(m_tones, Tones::kReply);
    else
        Tones::play(m_tones, Tones::kFailure);
    m_result.message = m_message;
    m_running = false;
    emit runningChanged(false);
    emit finished(m_result);
}

void RunReaderCommand::cancel()
{
    if (!m_running)
        return;
    if (m_exchange && m_exchange->isRunning())
        m_exchange->cancel(); // says finished(Cancelled), which ends the run
    else
        finishRun(Status::Cancelled);
}

void RunReaderCommand::setSendText(const QString &text)
{
    setShown(this, m_sendText, text, &RunReaderCommand::sendTextChanged);
}

void RunReaderCommand::setReplyPayload(const QByteArray &payload)
{
    setShown(this, m_replyPayload, payload, &RunReaderCommand::replyPayloadChanged);
}

void RunReaderCommand::setMessage(ReaderCommandMessage::Kind kind)
{
    ReaderCommandMessage message;
    message.kind = kind;
    setShown(this, m_message, message, &RunReaderCommand::messageChanged);
}
