#pragma once

#include <QMetaType>
#include <QString>

// One line of a link's connection log, as data: what happened, to whom, and the system's reason. The
// English line is pattern() with the values filled in (text()); the window fills the same values into
// the pattern's translation, so the line reads in the user's language.
struct LinkLogEvent
{
    enum class Kind
    {
        Connected,       // a reader we connected to answered: address, port
        Disconnected,    // a connected reader went away: address, port
        NotConnected,    // a reader could not be reached: address, port, reason
        Listening,       // the listener is up: port
        NotListening,    // the listener could not start: port, reason
        ReaderRefused,   // a reader connecting in was turned away, the listener is full: address, port
        ReaderDropped,   // a reader that had connected in went away: address, port, reason
        Bound,           // the UDP endpoint is up: port
        NotBound,        // the UDP endpoint could not start: port, reason
        SenderNotListed, // a UDP sender beyond the last slot: address, port
        NoValidReply, // a command had no valid reply: address is the port label ("COM03"), detail the command
        NotAPort,     // a port text that is no port number: detail is the text
        Subscribed,   // a broker subscription: address is the broker, detail the topic filter
        ReaderHeard,  // a reader heard through the broker: address is its label
    };

    Kind kind = Kind::Connected;
    QString address;
    quint16 port = 0;
    QString detail; // the system's reason, a command, a text or a topic (see Kind)

    static LinkLogEvent of(Kind kind, const QString &address, quint16 port = 0, const QString &detail = {})
    {
        return {kind, address, port, detail};
    }

    // The English pattern of the line; "%1", "%2", "%3" stand for the values in the order Kind lists them.
    QString pattern() const;
    // The line with the values filled into `pattern` (the English one or its translation).
    QString text(const QString &pattern) const;
    // The English line.
    QString text() const { return text(pattern()); }
};
Q_DECLARE_METATYPE(LinkLogEvent)
