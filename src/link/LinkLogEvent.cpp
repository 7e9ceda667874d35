#include "link/LinkLogEvent.h"

QString LinkLogEvent::pattern() const
{
    switch (kind) {
    case Kind::Connected:
        return QStringLiteral("Connected:%1 Port:%2");
    case Kind::Disconnected:
        return QStringLiteral("Disconnected:%1 Port:%2");
    case Kind::NotConnected:
        return QStringLiteral("Not connected:%1 Port:%2 (%3)");
    case Kind::Listening:
        return QStringLiteral("Listening: Port:%1");
    case Kind::NotListening:
        return QStringLiteral("Not listening: Port:%1 (%2)");
    case Kind::ReaderRefused:
        return QStringLiteral("Refused:%1:%2 (listener full)");
    case Kind::ReaderDropped:
        return QStringLiteral("Disconnected:%1:%2 (%3)");
    case Kind::Bound:
        return QStringLiteral("Bound: Port:%1");
    case Kind::NotBound:
        return QStringLiteral("Not bound: Port:%1 (%2)");
    case Kind::SenderNotListed:
        return QStringLiteral("Not listed:%1:%2 (too many senders)");
    case Kind::NoValidReply:
        return QStringLiteral("%1: no valid reply to %2");
    case Kind::NotAPort:
        return QStringLiteral("Not a port: %1");
    case Kind::Subscribed:
        return QStringLiteral("Subscribed:%1 Topic:%2");
    case Kind::ReaderHeard:
        return QStringLiteral("Reader:%1");
    }
    return {};
}

QString LinkLogEvent::text(const QString &pattern) const
{
    const QString portText = QString::number(port);
    // All values in one pass, so an address or a reason that holds "%2" is shown as it is.
    switch (kind) {
    case Kind::Connected:
    case Kind::Disconnected:
    case Kind::ReaderRefused:
    case Kind::SenderNotListed:
        return pattern.arg(address, portText);
    case Kind::NotConnected:
    case Kind::ReaderDropped:
        return pattern.arg(address, portText, detail);
    case Kind::Listening:
    case Kind::Bound:
        return pattern.arg(portText);
    case Kind::NotListening:
    case Kind::NotBound:
        return pattern.arg(portText, detail);
    case Kind::NoValidReply:
    case Kind::Subscribed:
        return pattern.arg(address, detail);
    case Kind::NotAPort:
        return pattern.arg(detail);
    case Kind::ReaderHeard:
        return pattern.arg(address);
    }
    return pattern;
}
