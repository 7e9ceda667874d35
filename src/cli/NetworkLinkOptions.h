#pragma once

#include "reading/LinkRequest.h"

#include <QString>
#include <QStringList>

class QCommandLineParser;

// The network reading options of `talvo-cli read`: readers that listen (--tcp HOST[:PORT], up to 20,
// one port for all), a listener readers connect to (--listen PORT), UDP (--udp LOCAL[:DEST],
// --udp-broadcast ADDR, --own-address ADDR). A port that is not a whole number in range is refused
// (the window's port boxes read such a text as 4001; a script's typo must not go unnoticed).
struct NetworkLinkOptions
{
    static constexpr int kMaxTcpReaders = kNumberedLinkCount;

    QStringList tcpReaders; // host addresses, reader numbers 1.. in this order
    QString tcpPort;        // the one remote port of the --tcp readers
    QString listenPort;     // --listen
    QString udpLocalPort;   // --udp LOCAL
    QString udpDestPort;    // --udp :DEST
    QString udpBroadcast;   // empty: 255.255.255.255
    QString ownAddress;     // empty: this computer's first IPv4 address

    static void addTo(QCommandLineParser &parser);
    // Reads the options back; false with `error` set when they do not make sense.
    bool parse(const QCommandLineParser &parser, QString *error);
    // How many network link kinds were asked for (0 or 1 makes sense).
    int kinds() const;
    // The links the options describe (the first kind asked for; call only when kinds() > 0).
    LinkRequest linkRequest() const;
};
