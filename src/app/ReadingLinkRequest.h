#pragma once

#include "base/Timing.h"

#include <QList>
#include <QPair>
#include <QString>

// What the "Read TAG" page asks of the links when reading starts: the link kind and the settings of
// its page, port texts already rewritten as numbers.
struct ReadingLinkRequest
{
    int linkMode = 0;                           // 0 TCP Server, 1 COM, 2 TCP Client, 3 UDP
    QList<QPair<int, QString>> comPorts;        // ticked port numbers and the device each opens
    QList<QPair<int, QString>> readerAddresses; // ticked reader numbers and their addresses
    int tcpRemotePort = 4001;
    int listenPort = 4001;
    int localPort = 4001;
    int desPort = 4001;
    QString localHostAddress = QStringLiteral("192.168.1.1");
    QString udpBroadcastAddress = QStringLiteral("255.255.255.255");
    Timing timing;
};
