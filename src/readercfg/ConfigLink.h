#pragma once

#include "base/LinkKind.h"
#include "base/Problem.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// The link that carries configuration commands to one reader and its replies back: one serial port,
// one TCP connection in either role, or one UDP endpoint. It is separate from the reading links,
// opened for one command or sequence and closed again.
class ConfigLink : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Closed,  // not open: never opened, closed, or the connection could not be made or was lost
        Waiting, // open, but the connection to the reader is not there yet (TCP)
        Ready    // commands can go out
    };
    Q_ENUM(State)

    explicit ConfigLink(LinkKind kind, QObject *parent = nullptr) : QObject(parent), m_kind(kind) {}
    ~ConfigLink() override = default;

    LinkKind kind() const { return m_kind; }
    State state() const { return m_state; }
    // Why the link could not be opened or was lost, as data (the window says it in the user's
    // language) and in English ("Cannot open /dev/ttyUSB0: Permission denied"); empty when all is well.
    const Problem &error() const { return m_error; }
    QString errorText() const;

    // Starts the link. False (with errorText()) when it cannot be opened at all. The TCP kinds
    // return true at once and become Ready later (opened()).
    virtual bool open() = 0;
    // Closes whatever is open; always safe to call.
    virtual void close() = 0;
    // Sends bytes to the reader; false when the link is not Ready or they could not go out.
    virtual bool send(const QByteArray &bytes) = 0;
    // Throws away received bytes not yet taken (the serial kind; nothing for the others).
    virtual void discardPending() {}
    // Whether a reply whose first character does not echo the command ends the transmission at
    // once (serial and TCP). Over UDP a stray datagram must not end it.
    bool checksEchoAtOnce() const { return m_kind != LinkKind::Udp; }

signals:
    void bytesReceived(const QByteArray &bytes);
    // The link became Ready.
    void opened();
    // The connection could not be made or was lost (state is Closed or Waiting again).
    void failed(const QString &why);

protected:
    void setState(State state) { m_state = state; }
    // `english` with "%1", "%2", "%3" standing for `details` (device, port, the system's reason).
    void setError(const QString &english, const QStringList &details = {})
    {
        m_error = {Problem::Severity::Error, Problem::Kind::ConfigLinkFailed, english, details};
    }
    void clearError() { m_error = {}; }
    // Sets Ready and says opened().
    void becomeReady()
    {
        m_state = State::Ready;
        emit opened();
    }

private:
    LinkKind m_kind;
    State m_state = State::Closed;
    Problem m_error;
};
