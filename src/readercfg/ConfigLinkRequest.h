#pragma once

#include "base/LinkKind.h"
#include "base/PortText.h"

#include <QHostAddress>
#include <QString>

// Everything needed to open the configuration link to one reader: the link kind and the fields of
// the four link pages, with the pages' defaults. Port texts become numbers at the edge
// (PortText::port), so a request always holds real ports.
struct ConfigLinkRequest
{
    LinkKind kind = LinkKind::Serial;

    // "COM": the port number, the device it stands for (empty: the platform's device for the
    // number) and the line settings.
    int comNumber = 1;
    QString comDevice;
    QString serialMode = QStringLiteral("115200,n,8,1");

    // "TCP Server": the reader listens, the host connects to it.
    QString tcpServerHost = QStringLiteral("192.168.1.101");
    quint16 tcpServerPort = PortText::kDefaultPort;

    // "TCP Client": the host listens; only the reader at acceptAddress (its address or host name)
    // is taken as the configuration connection.
    quint16 listenPort = PortText::kDefaultPort;
    QHostAddress listenAddress = QHostAddress(QHostAddress::AnyIPv4);
    QString acceptAddress = QStringLiteral("192.168.1.101");

    // "UDP": commands go to udpDestAddress:udpDestPort from udpLocalPort; replies are taken only
    // from udpDestAddress.
    QHostAddress udpDestAddress = QHostAddress(QStringLiteral("192.168.1.101"));
    quint16 udpDestPort = PortText::kDefaultPort;
    quint16 udpLocalPort = PortText::kDefaultPort;
    QHostAddress udpLocalAddress = QHostAddress(QHostAddress::AnyIPv4);

    // "TCP Client" and "UDP": the reading links already hold the listening port, so the link opens
    // no socket of its own and takes the connections and datagrams they hand over
    // (adoptConnection, deliverDatagram).
    bool handedOver = false;

    // The port number a port list entry names: what follows its first "M" ("COM12" gives 12), or 1
    // when that is not a number from 1 to 256.
    static int comNumberFromText(const QString &text);
};
