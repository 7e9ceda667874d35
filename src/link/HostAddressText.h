#pragma once

#include <QHostAddress>
#include <QString>

// A peer's address as readers and users write it: an IPv4 address reached through a dual-stack
// socket is shown as plain IPv4 ("127.0.0.1", not "::ffff:127.0.0.1").
inline QString hostAddressText(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}
