#pragma once

#include "base/Problem.h"
#include "base/Timing.h"
#include "readercfg/ConfigLinkRequest.h"
#include "readercfg/ReaderCommandMessage.h"
#include "readercfg/TransceiveCommand.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <optional>

class ConfigLink;
class TonePlayer;

// Switches the reader's two relay outputs and reads its four digital inputs, round after round,
// on a configuration link it keeps open until stopped: each round sends "L01x" then "L02x" (one
// exchange each; failures are simply retried by the next round), and a good reply of at least 37
// bytes to the second gives the inputs. The outputs can change between rounds. stop() ends the
// loop at once (a running exchange is cancelled); nothing waits in a loop.
class RelayLoop : public QObject
{
    Q_OBJECT
public:
    struct Round
    {
        QByteArray reply; // the reply frame to "L02x" (empty when none came)
        std::optional<std::array<bool, 4>> inputs;
        int transmissions = 0;       // frames of both commands handed to the link
        bool outputOneTaken = false; // "L01x" got a good reply
        // The second command answered: the inputs are known (whatever became of "L01x").
        bool ok() const { return inputs.has_value(); }
    };

    explicit RelayLoop(TonePlayer &tones, QObject *parent = nullptr);
    ~RelayLoop() override;

    void setTiming(const Timing &timing) { m_timing = timing; }
    void setRequest(const ConfigLinkRequest &request) { m_request = request; }
    // The outputs the next commands set (DO1, DO2).
    void setOutputs(bool do1, bool do2);

    // Opens the link and runs rounds until stop(), or `rounds` rounds when it is above 0.
    void start(int rounds = 0);
    void stop();
    bool isRunning() const { return m_running; }
    ConfigLink *link() const { return m_link; }
    int roundsDone() const { return m_rounds; }

signals:
    void runningChanged(bool running);
    void linkCreated(ConfigLink *link);
    void sendTextChanged(const QString &text);
    void replyPayloadChanged(const QByteArray &payload);
    void messageChanged(const ReaderCommandMessage &message);
    void inputsChanged(bool di1, bool di2, bool di3, bool di4);
    void roundFinished(const RelayLoop::Round &round);
    // Why the link could not be opened, or was lost.
    void problem(const Problem &problem);
    // The loop ended; `opened` is false when the link could not be opened.
    void finished(bool opened);

private:
    void discardLink();
    void sendOutput(int output);
    void handleExchangeFinished(const TransceiveCommand::Result &result);
    void finishRound(const TransceiveCommand::Result &result);
    void finishLoop(bool opened);

    TonePlayer &m_tones;
    Timing m_timing;
    ConfigLinkRequest m_request;
    bool m_do1 = false;
    bool m_do2 = false;

    ConfigLink *m_link = nullptr;
    TransceiveCommand *m_exchange = nullptr;
    QTimer m_pause;
    int m_output = 1;
    int m_rounds = 0;
    int m_roundLimit = 0;
    int m_roundTransmissions = 0;
    bool m_outputOneTaken = false;
    bool m_running = false;
    bool m_stopRequested = false;
    quint64 m_runNumber = 0;
};

Q_DECLARE_METATYPE(RelayLoop::Round)
