#pragma once

#include "base/LinkKind.h"
#include "base/PortText.h"
#include "base/Timing.h"

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

// What a reading session asks of its links: the link kind and the settings of that kind.
struct LinkRequest
{
    LinkKind kind = LinkKind::TcpToReaders;
    QList<QPair<int, QString>> comPorts;            // port numbers and the device each opens (empty: its own)
    QList<QPair<int, QString>> readerAddresses;     // reader numbers and their addresses
    quint16 tcpRemotePort = PortText::kDefaultPort; // the one port of the readers that listen
    quint16 listenPort = PortText::kDefaultPort;
    quint16 localPort = PortText::kDefaultPort; // UDP: where datagrams are read
    quint16 desPort = PortText::kDefaultPort;   // UDP: where commands go
    QHostAddress localHostAddress;              // this computer: UDP datagrams from it are not read
    QHostAddress udpBroadcastAddress = QHostAddress(QHostAddress::Broadcast);
    Timing timing;
    // Serial ports that fail or cannot be opened and readers this program connects to that drop or
    // cannot be reached are tried again with a growing wait (Timing::reconnectFirstMs..MaxMs) until
    // the session stops. The other link kinds wait for their readers anyway.
    bool reconnect = false;
};
