#pragma once

#include "base/Problem.h"
#include "base/Timing.h"
#include "readercfg/ConfigLinkRequest.h"
#include "readercfg/ReaderCommandMessage.h"
#include "readercfg/TransceiveCommand.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class ConfigLink;
class TonePlayer;

// Runs one reader command the way every "Set Reader" button does: closes a leftover link, opens the
// configuration link the request describes, makes up to Timing::attemptsPerCommand attempts (each
// an exchange of up to Timing::transmissionsPerAttempt transmissions; the attempt counter shown
// counts down from 5 to 1), closes the link, and reports success or the failed attempt with a tone.
// A command no reader answers thus goes out 25 times.
//
// What the page shows is given as values and change signals: the sent command, the reply payload
// and the message panel's stage (ReaderCommandMessage, worded by the window and the command line).
// Nothing here blocks: timers and signals only; cancel() ends a running command at once.
class RunReaderCommand : public QObject
{
    Q_OBJECT
public:
    enum class Status
    {
        Ok,
        OpenFailed,   // the link could not be opened; detail says which device or port, and why
        CommandError, // the link was there, no good reply came
        ConnectError, // no connection to the reader (TCP), or any failure over UDP
        Cancelled
    };
    Q_ENUM(Status)

    struct Result
    {
        Status status = Status::CommandError;
        QByteArray command;
        QByteArray reply; // the last reply frame, STX through CR (empty when none completed)
        int attempts = 0;
        int transmissions = 0;        // frames handed to the link (none while it is closed)
        ReaderCommandMessage message; // the message panel's stage at the end
        QString detail; // why the link could not be opened, or why it was lost (the system's words)

        bool ok() const { return status == Status::Ok; }
        QByteArray payload() const;
    };

    explicit RunReaderCommand(TonePlayer &tones, QObject *parent = nullptr);
    ~RunReaderCommand() override;

    void setTiming(const Timing &timing) { m_timing = timing; }
    const Timing &timing() const { return m_timing; }
    void setRequest(const ConfigLinkRequest &request) { m_request = request; }
    const ConfigLinkRequest &request() const { return m_request; }

    // Starts a command; finished() follows (never from inside this call). Ignored while running.
    void start(const QByteArray &command);
    void cancel();
    bool isRunning() const { return m_running; }
    // The link of the running (or last) command: the page hands it connections and datagrams the
    // reading links offer, and shows the accepted reader. Null before the first command.
    ConfigLink *link() const { return m_link; }

    QString sendText() const { return m_sendText; }
    QByteArray replyPayload() const { return m_replyPayload; }
    ReaderCommandMessage message() const { return m_message; }

signals:
    void runningChanged(bool running);
    // A new link was made for a command (not yet open).
    void linkCreated(ConfigLink *link);
    void sendTextChanged(const QString &text);
    void replyPayloadChanged(const QByteArray &payload);
    void messageChanged(const ReaderCommandMessage &message);
    // A complete reply frame came in (also one whose check digits turn out wrong): its payload.
    void replyReceived(const QByteArray &payload);
    // Why the link could not be opened ("Cannot open /dev/ttyUSB0: Permission denied") or was lost
    // while the command ran ("127.0.0.1:4001: Connection refused"), as data.
    void problem(const Problem &problem);
    // Attempt with counter 5, 4, ... 1 begins.
    void attemptStarted(int counter);
    // Transmission `total` of the command (1..25) begins.
    void transmissionStarted(int total);
    void finished(const RunReaderCommand::Result &result);

private:
    void discardLink();
    void startAttempt();
    void handleExchangeFinished(const TransceiveCommand::Result &exchange);
    void handleReply(const QByteArray &payload);
    void handleLinkFailed();
    void finishRun(Status status);
    void setSendText(const QString &text);
    void setReplyPayload(const QByteArray &payload);
    void setMessage(ReaderCommandMessage::Kind kind);

    TonePlayer &m_tones;
    Timing m_timing;
    ConfigLinkRequest m_request;

    ConfigLink *m_link = nullptr;
    TransceiveCommand *m_exchange = nullptr;
    QTimer m_attemptPause;
    bool m_running = false;
    quint64 m_runNumber = 0;
    int m_counter = 0;
    int m_transmissionsStarted = 0;
    Result m_result;

    QString m_sendText;
    QByteArray m_replyPayload;
    ReaderCommandMessage m_message;
};

Q_DECLARE_METATYPE(RunReaderCommand::Result)
