#pragma once

#include "base/Timing.h"
#include "link/ReplyAssembler.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QTimer>

class ConfigLink;

// One command exchange on an open configuration link: the command goes out in its frame up to
// Timing::transmissionsPerAttempt times until a reply frame comes back that starts with STX, echoes
// the command's first character, ends with CR and carries a good BCC.
//
// Per transmission: the frame is sent once the link is Ready, the reply is judged after the settle
// time, and replyWaitMs after that (or after the transmission began, while a TCP connection is
// still being made) it times out. On serial and TCP a reply whose first character is wrong ends
// the transmission at once. Every transmission is followed by the configuration gap. Only the
// current frame is kept (1024 bytes at most), so report lines flooding the link cost nothing and
// are never taken for a reply.
class TransceiveCommand : public QObject
{
    Q_OBJECT
public:
    enum class Outcome
    {
        Ok,
        Failed,
        Cancelled
    };

    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QByteArray command;
        // The reply frame completed in the last transmission, STX through CR (also one with a bad
        // BCC); empty when none was.
        QByteArray reply;
        int transmissions = 0;
        int framesWritten = 0; // transmissions whose frame was handed to the link
        // Transmissions answered with a reply that did not echo the command (the reader refused it).
        int refusals = 0;

        bool ok() const { return outcome == Outcome::Ok; }
        QByteArray payload() const;
    };

    TransceiveCommand(ConfigLink *link, const Timing &timing, QObject *parent = nullptr);
    ~TransceiveCommand() override;

    // Starts the exchange; finished() follows (never from inside this call). Ignored while running.
    void start(const QByteArray &command);
    // Ends a running exchange as cancelled; finished() is said at once.
    void cancel();
    bool isRunning() const { return m_phase != Phase::Idle; }

signals:
    // Transmission `number` (1..) begins.
    void transmissionStarted(int number);
    // The frame of transmission `number` was handed to the link (a closed link takes none).
    void frameWritten(int number);
    // A complete reply frame came back; its payload is shown even when its BCC is wrong.
    void replyReceived(const QByteArray &payload, bool bccOk);
    void finished(const TransceiveCommand::Result &result);

private:
    enum class Phase
    {
        Idle,
        Transmitting,
        Gap
    };
    enum class Verdict
    {
        None,
        Ok,
        Failed
    };

    void beginTransmission();
    void sendFrame();
    void handleBytes(const QByteArray &bytes);
    void handleSettled();
    void handleLinkOpened();
    void handleLinkFailed();
    void judgeReply();
    bool wrongEchoSeen() const;
    void conclude(Verdict verdict);
    void handleGapOver();
    void finish(Outcome outcome);

    QPointer<ConfigLink> m_link;
    Timing m_timing;
    QByteArray m_command;
    QByteArray m_frame;
    ReplyAssembler m_assembler;
    QByteArray m_reply;
    Phase m_phase = Phase::Idle;
    Verdict m_verdict = Verdict::None;
    bool m_sent = false;
    bool m_refused = false; // this transmission saw a reply that did not echo the command
    int m_transmissions = 0;
    int m_framesWritten = 0;
    int m_refusals = 0;
    QTimer m_settle;
    QTimer m_timeout;
    QTimer m_gap;
};

Q_DECLARE_METATYPE(TransceiveCommand::Result)
