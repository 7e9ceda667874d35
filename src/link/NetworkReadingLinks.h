#pragma once

#include "base/Timing.h"
#include "link/CommandPacer.h"
#include "link/ReadingLinks.h"

#include <optional>

// What the three network link kinds share: commands go out five rounds on every link, paced by the
// command gap; stopping sends "A0" five rounds, then the kind closes its sockets (finishClose) and
// says closed(). While the configuration mode is on (the reader or tag settings are in front), new
// connections and datagrams are offered to the configuration side instead of being read.
class NetworkReadingLinks : public ReadingLinks
{
    Q_OBJECT
public:
    static constexpr int kCommandRounds = 5;

    explicit NetworkReadingLinks(QObject *parent = nullptr);

    void setTiming(const Timing &timing);
    const Timing &timing() const { return m_timing; }

    void setConfigurationMode(bool on) { m_configurationMode = on; }
    bool isConfigurationMode() const { return m_configurationMode; }

    bool isOpen() const { return m_state == State::Open; }
    bool isClosing() const { return m_state == State::Closing; }

    void broadcastCommand(const QByteArray &command) override;
    void close() override;

protected:
    enum class State
    {
        Closed,
        Open,
        Closing
    };
    State state() const { return m_state; }

    // The port a normalized port text names; a number outside 0..65535 is reported and gives nothing.
    std::optional<quint16> portNumber(const QString &text);
    // Call at the start of open(): false when the links are not closed.
    bool beginOpen();
    // Sends one framed command once on every link of this kind.
    virtual void sendFrameToAll(const QByteArray &frame) = 0;
    // Pending greetings must not follow the stop command.
    virtual void stopGreetings() {}
    // After the stop rounds: close everything, remove the sources, then call finishClosed().
    virtual void closeLinks() = 0;
    void finishClosed();

private:
    void handlePacerDrained();

    CommandPacer m_pacer;
    Timing m_timing;
    State m_state = State::Closed;
    bool m_configurationMode = false;
    bool m_stopRoundsQueued = false;
};
