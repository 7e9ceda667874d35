#pragma once

#include "base/Timing.h"

#include <QCommandLineOption>
#include <QString>
#include <memory>

class QCommandLineParser;
class ReadingLinks;

// The network reading options of `talvo-cli read`: readers that listen (--tcp HOST[:PORT], up to 20),
// a listener readers connect to (--listen PORT), UDP (--udp LOCAL[:DEST], --udp-broadcast ADDR,
// --own-address ADDR). Port texts follow the links' rule: a text that is not an integer means 4001.
class NetworkLinkOptions
{
public:
    static constexpr int kMaxTcpReaders = 20;

    void addTo(QCommandLineParser &parser);
    // True when one of the network options was given.
    bool isSet(const QCommandLineParser &parser) const;
    // The links the options describe; nullptr with `error` set when they do not make sense.
    std::unique_ptr<ReadingLinks> createLinks(const QCommandLineParser &parser, const Timing &timing,
                                              QString *error) const;

    // This computer's first IPv4 address that is not loopback (datagrams from it are not read).
    static QString firstHostAddress();

private:
    std::unique_ptr<ReadingLinks> createTcpClient(const QStringList &readers, QString *error) const;
    std::unique_ptr<ReadingLinks> createUdp(const QCommandLineParser &parser, QString *error) const;

    QCommandLineOption m_tcp{
        "tcp", "Read from a reader that listens (repeatable, up to 20; one port for all).", "HOST[:PORT]"};
    QCommandLineOption m_listen{"listen", "Listen on PORT for readers that connect (up to 512).", "PORT"};
    QCommandLineOption m_udp{"udp", "Read UDP on LOCAL port; commands go to port DEST (default 4001).",
                             "LOCAL[:DEST]"};
    QCommandLineOption m_udpBroadcast{
        "udp-broadcast", "Address UDP commands are broadcast to (default 255.255.255.255).", "ADDR"};
    QCommandLineOption m_ownAddress{
        "own-address",
        "This computer's address for UDP: datagrams from it are not read (default: first IPv4).", "ADDR"};
};
