#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Everything the talvo-sim command line sets, with the simulator's defaults. Every default address is
// a loopback address.
struct SimOptions
{
    enum class Transport
    {
        Pty,
        Serial,
        TcpServer,
        TcpClient,
        Udp
    };

    Transport transport = Transport::Pty;
    QString device;                             // --serial
    QString host = QStringLiteral("127.0.0.1"); // --tcp-client HOST
    quint16 port = 4001;                        // --tcp-server / --tcp-client / --udp port
    int readers = 1;
    QHostAddress bind{QHostAddress::LocalHost}; // listening / first source address
    bool bindGiven = false;
    bool spreadAddresses = false; // --readers N on consecutive addresses instead of consecutive ports
    QHostAddress udpHost;         // fixed destination of UDP reports (null: last commanding host)
    quint16 udpHostPort = 0;
    int baud = 115200;

    int tags = 20;
    quint64 seed = 1;
    double rate = 20.0;
    quint64 count = 0; // stop generating after this many lines (0: never)
    int startMode = 3;
    int airDelayMs = 200;
    bool sequenceUids = false;
    double tamperRate = 0.0;
    int approachReports = 0; // --approach: the first tag moves closer over its next N reports

    double dropReplies = 0.0;
    double badBcc = 0.0;
    bool noAck = false;
    QList<QByteArray> silentUids; // --silent-uids: tags that never answer over the air
    int replyDelayMs = 0;
    double garbage = 0.0;

    bool log = false;
    bool stats = false;
    int reconnectMs = 1000;

    // Parses the arguments (argv without the program name is fine, the first entry is skipped).
    // On an error returns nothing and sets *error; --help and --version set *exitText instead.
    static std::optional<SimOptions> parse(const QStringList &arguments, QString *error, QString *exitText);
    // The address of reader `index` (0-based) counted up from `first`, skipping .0 and .255.
    static QHostAddress nthAddress(const QHostAddress &first, int index);
};
