#include "readercfg/RelayLoop.h"

#include "base/Tones.h"
#include "readercfg/ConfigLink.h"
#include "readercfg/ConfigLinkFactory.h"
#include "readercfg/ConfigLinkTeardown.h"
#include "readercfg/ReaderCommands.h"

#include <utility>

RelayLoop::RelayLoop(TonePlayer &tones, QObject *parent) : QObject(parent), m_tones(tones)
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, [this] { sendOutput(m_output); });
}

RelayLoop::~RelayLoop()
{
    if (m_exchange)
        disconnect(m_exchange, nullptr, this, nullptr);
    if (m_link)
        m_link->close();
}

void RelayLoop::setOutputs(bool do1, bool do2)
{
    m_do1 = do1;
    m_do2 = do2;
}

void RelayLoop::start(int rounds)
{
    if (m_running)
        return;
    m_running = true;
    ++m_runNumber;
    m_stopRequested = false;
    m_rounds = 0;
    m_roundLimit = rounds;
    emit runningChanged(true);
    discardLink();
    m_link = ConfigLinkFactory::create(m_request).release();
    m_link->setParent(this);
    emit linkCreated(m_link);
    if (!m_link->open()) {
        emit messageChanged({ReaderCommandMessage::Kind::OpenFailed});
        emit problem(m_link->error());
        QTimer::singleShot(0, this, [this, run = m_runNumber] {
            if (run == m_runNumber)
                finishLoop(false);
        });
        return;
    }
    m_exchange = new TransceiveCommand(m_link, m_timing, this);
    connect(m_exchange, &TransceiveCommand::finished, this, &RelayLoop::handleExchangeFinished);
    connect(m_exchange, &TransceiveCommand::frameWritten, this, [this] { ++m_roundTransmissions; });
    connect(m_link, &ConfigLink::failed, this, [this] {
        if (m_link)
            emit problem(m_link->error());
    });
    m_roundTransmissions = 0;
    sendOutput(1);
}

void RelayLoop::stop()
{
    if (!m_running)
        return;
    m_stopRequested = true;
    if (m_exchange && m_exchange->isRunning()) {
        m_exchange->cancel(); // its finished() ends the loop
        return;
    }
    finishLoop(true);
}

void RelayLoop::discardLink()
{
    discardConfigLink(this, m_exchange, m_link);
}

void RelayLoop::sendOutput(int output)
{
    m_output = output;
    const QByteArray command = ReaderCommands::relayOutput(output, output == 1 ? m_do1 : m_do2);
    emit sendTextChanged(QString::fromLatin1(command));
    m_exchange->start(command);
}

void RelayLoop::handleExchangeFinished(const TransceiveCommand::Result &result)
{
    if (m_stopRequested || result.outcome == TransceiveCommand::Outcome::Cancelled) {
        finishLoop(true);
        return;
    }
    if (m_output == 1) {
        m_outputOneTaken = result.ok();
        m_output = 2;
        m_pause.start(m_timing.relayPauseMs);
        return;
    }
    finishRound(result);
}

void RelayLoop::finishRound(const TransceiveCommand::Result &result)
{
    Round round;
    round.reply = result.reply;
    round.transmissions = std::exchange(m_roundTransmissions, 0);
    round.outputOneTaken = std::exchange(m_outputOneTaken, false);
    // Only a good reply says how the inputs stand; a damaged one leaves the indicators alone.
    if (result.ok())
        round.inputs = ReaderCommands::digitalInputs(result.reply);
    if (round.inputs) {
        Tones::play(m_tones, Tones::kReply);
        emit replyPayloadChanged(result.payload());
        emit messageChanged({ReaderCommandMessage::Kind::CommandOk});
        const auto &in = *round.inputs;
        emit inputsChanged(in[0], in[1], in[2], in[3]);
    }
    ++m_rounds;
    emit roundFinished(round);
    if (m_stopRequested || (m_roundLimit > 0 && m_rounds >= m_roundLimit)) {
        finishLoop(true);
        return;
    }
    m_output = 1;
    m_pause.start(m_timing.relayPauseMs);
}

void RelayLoop::finishLoop(bool opened)
{
    if (!m_running)
        return;
    m_pause.stop();
    if (m_link)
        m_link->close();
    m_running = false;
    emit runningChanged(false);
    emit finished(opened);
}
