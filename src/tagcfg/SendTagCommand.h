#pragma once

#include "base/Problem.h"
#include "base/Timing.h"
#include "readercfg/ConfigLinkRequest.h"
#include "readercfg/TransceiveCommand.h"
#include "tagcfg/TagButton.h"
#include "tagcfg/TagFlowMessage.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>

class Clock;
class ConfigLink;
class TonePlayer;

// The tag command sequence every tag button runs, over one configuration link: the reader is
// silenced with "A0"; the first step goes out as "E" + UID + tag command, up to 10 attempts
// counting down ("A0" again after each refused one); once the reader accepts it, "C" polls collect
// the tag's acknowledgements for up to 30 seconds (one window for all steps); each fitting
// acknowledgement (same UID, letter and register) moves on to the next step and finally to the
// closing "E" + UID + "X0000", whose 'X' acknowledgement ends the sequence successfully. Read
// values are reported as they arrive. The link is closed and the button's result and tone follow.
//
// What the panel shows is given as values and change signals: the message line's stage as a
// TagFlowMessage (worded by the window and the command line), the reply payload and the status
// text. Nothing here blocks: timers and signals only. cancel() ends a running sequence as a
// failure, after telling the tag the session is over if it had been addressed.
class SendTagCommand : public QObject
{
    Q_OBJECT
public:
    static constexpr int kAttempts = 10;      // tries of the first command, counted down
    static constexpr int kWindowSeconds = 30; // the acknowledgement window, counted down

    enum class Status
    {
        Ok,
        NotChosen,         // no tag chosen: nothing sent
        InvalidUid,        // the UID is no report UID: nothing sent
        InvalidValue,      // a control's value is missing or not a byte: nothing sent
        OpenFailed,        // the link could not be opened
        NotAccepted,       // the reader refused the command ten times
        NoAcknowledgement, // the window ran out before the sequence was acknowledged
        ValueNotHex,       // a read was acknowledged with a value that is no hex number
        WrongValue,        // a write was acknowledged with another value than the one sent
        LinkLost,          // the link closed under the sequence (detail says why)
        Cancelled
    };
    Q_ENUM(Status)

    struct Result
    {
        Status status = Status::NoAcknowledgement;
        TagFlowMessage message;    // the message line at the end
        QList<QByteArray> sent;    // reader commands whose frames were written, in order
        std::map<int, int> values; // read values by register
        int stepsAcknowledged = 0;
        // The tag acknowledged the closing "X0000". A command that is done once "X0000" has gone
        // out ends without waiting for it, so this stays false for it.
        bool sessionClosed = false;
        QString detail; // why the link could not be opened or was lost (the system's words)

        bool ok() const { return status == Status::Ok; }
    };

    SendTagCommand(TonePlayer &tones, const Clock &clock, QObject *parent = nullptr);
    ~SendTagCommand() override;

    void setTiming(const Timing &timing) { m_timing = timing; }
    void setRequest(const ConfigLinkRequest &request) { m_request = request; }
    const ConfigLinkRequest &request() const { return m_request; }

    // Runs `button` for the tag `uid` with the values of its controls. `tagChosen`: a tag has been
    // picked or typed since the tag list was last cleared. finished() follows, never from inside
    // this call. Ignored while running.
    void start(const TagButton &button, const QString &uid, bool tagChosen, const TagValueMap &values);
    void cancel();
    bool isRunning() const { return m_running; }
    ConfigLink *link() const { return m_link; }

    TagFlowMessage message() const { return m_message; }
    QByteArray replyPayload() const { return m_replyPayload; }
    QString statusText() const { return m_statusText; }

signals:
    void runningChanged(bool running);
    void linkCreated(ConfigLink *link);
    void messageChanged(const TagFlowMessage &message);
    void replyPayloadChanged(const QByteArray &payload);
    void statusTextChanged(const QString &text);
    // No tag chosen: the panel shows `message` in a message box and goes back to "Read TAG".
    void guardRefused(const TagFlowMessage &message);
    void problem(const Problem &problem);
    // A reader command's frame was written to the link ("A0", "E..." or "C"), once per command.
    void commandSent(const QByteArray &command);
    // A read step was acknowledged: `value` (what the tag holds) belongs to the control `target`,
    // whose slider takes `position` (the value clamped to its range).
    void valueRead(TagValue target, int reg, int value, int position);
    void finished(const SendTagCommand::Result &result);

private:
    enum class Phase
    {
        Idle,
        Silencing,    // "A0" before the first command
        Offering,     // the first command, attempt k
        AttemptPause, // after a refused attempt
        Recovering,   // "A0" after a refused attempt
        Polling,      // "C"
        Advancing,    // the next step's command or the closing command
        Closing       // the closing command after a cancel
    };

    bool refuseBeforeSending(const TagButton &button, const QString &uid, bool tagChosen,
                             const TagValueMap &values);
    void openLink();
    void exchange(Phase phase, const QByteArray &command);
    void handleExchangeFinished(const TransceiveCommand::Result &result);
    void handleFrameWritten(int number);
    void handleLinkFailed();
    void notAccepted();
    void handleReply(const QByteArray &payload);
    void offer();
    void handleOffered(bool accepted);
    void poll();
    void handlePolled(const TransceiveCommand::Result &result);
    enum class Fit
    {
        No,
        Yes,
        ValueNotHex,
        WrongValue
    };
    Fit takeAcknowledgement(const QByteArray &frame);
    void closeTagSession(Status status);
    void advance();
    void closeAfterCancel();
    int secondsElapsed() const;
    void endLater(Status status);
    void end(Status status);
    void discardLink();
    TagFlowMessage endMessage(Status status) const;
    void setMessage(TagFlowMessage::Kind kind);
    void setProgress(TagProgress progress, int count);
    void setMessage(const TagFlowMessage &message);
    void setReplyPayload(const QByteArray &payload);
    void setStatusText(const QString &text);

    TonePlayer &m_tones;
    const Clock &m_clock;
    Timing m_timing;
    ConfigLinkRequest m_request;

    const TagButton *m_button = nullptr;
    QByteArray m_uid;
    std::vector<TagCommand> m_steps; // the button's steps, then the closing command
    size_t m_step = 0;
    int m_counter = 0;
    bool m_accepted = false;
    bool m_cancelling = false;
    Status m_closingStatus = Status::Cancelled; // how the sequence ends once "X0000" went out
    qint64 m_windowStartMs = 0;
    QByteArray m_badValue;   // value text of a fitting acknowledgement that was no hex number
    QByteArray m_wrongValue; // "sent" and "acknowledged" value texts of a write acknowledged otherwise
    // An "E" went out that the reader may have taken although its acceptance never came back
    // (the reply was lost, or the user stopped while it was on the wire): the tag session is
    // closed before the sequence ends. A refused "E" does not count.
    bool m_offerMayBeTaken = false;
    QByteArray m_command; // the reader command of the exchange under way

    ConfigLink *m_link = nullptr;
    TransceiveCommand *m_exchange = nullptr;
    QTimer m_pause;
    Phase m_phase = Phase::Idle;
    bool m_running = false;
    quint64 m_runNumber = 0;
    Result m_result;

    TagFlowMessage m_message;
    QByteArray m_replyPayload;
    QString m_statusText;
};

Q_DECLARE_METATYPE(SendTagCommand::Result)
