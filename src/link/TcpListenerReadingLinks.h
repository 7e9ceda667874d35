#pragma once

#include "base/PortText.h"
#include "link/NetworkReadingLinks.h"

#include <QHash>
#include <QHostAddress>
#include <QStringList>
#include <QTimer>
#include <vector>

class QTcpServer;
class QTcpSocket;
class SocketReadingSource;
class TcpAcceptor;

// A listener that readers connect to ("TCP Client" page). Up to 512 readers at once, each in its own
// slot 1..512 and read as source number = slot under its remote address (as known when the connection
// was accepted). A reader that connects again from the same address replaces its older connection,
// whose bytes are read before it is closed. A slot is freed when its connection ends, after its bytes are
// read; connections beyond 512 live ones are refused (closed and reported). The list of connected
// readers is one line address:port each.
class TcpListenerReadingLinks : public NetworkReadingLinks
{
    Q_OBJECT
public:
    static constexpr int kMaxConnections = 512;
    // A connection the links close themselves (its reader connected again, reading ends) still gives
    // its bytes to the session: what its socket holds, and up to this much of what the system holds.
    static constexpr qint64 kLastBytesLimit = 1024 * 1024;

    explicit TcpListenerReadingLinks(QObject *parent = nullptr);
    ~TcpListenerReadingLinks() override;
    Q_DISABLE_COPY_MOVE(TcpListenerReadingLinks)

    // The port text is rewritten as its integer value (4001 when it is not one) when the links open.
    void setListenPortText(const QString &text) { m_listenPortText = text; }
    const QString &listenPortText() const { return m_listenPortText; }
    // Every interface by default.
    void setListenAddress(const QHostAddress &address) { m_listenAddress = address; }
    // The port actually listened on (useful with port 0); 0 when not listening.
    quint16 serverPort() const;

    int highestListenerIndex() const { return m_highest; }
    int connectionCount() const { return m_count; }
    // One line address:port per connected reader, in the order they connected.
    const QStringList &clientLines() const { return m_lines; }

    void open() override;

signals:
    void clientListed(const QString &line);
    void clientUnlisted(const QString &line);
    // A reader connected while reading (its address, and the port listened on).
    void readerConnected(const QString &address, quint16 listenPort);
    // Configuration mode: an incoming connection for the configuration side. The socket stays owned
    // by the links and is closed with them; it is not read or greeted.
    void connectionOffered(QTcpSocket *socket);

protected:
    void sendFrameToAll(const QByteArray &frame) override;
    void stopGreetings() override;
    void closeLinks() override;

private:
    struct Slot
    {
        SocketReadingSource *source = nullptr;
        QString line;
        quint16 peerPort = 0;
    };

    void accept(QTcpSocket *socket, const QHostAddress &peer, quint16 peerPort);
    int lowestFreeSlot() const;
    int slotForNewConnection();
    void stopAccepting();
    void handleDropped(int slot, SocketReadingSource *source);
    void removeSlot(int slot);
    void tearDown();
    void detachSockets();

    QString m_listenPortText = PortText::defaultText();
    QHostAddress m_listenAddress = QHostAddress(QHostAddress::AnyIPv4);
    QTcpServer *m_server = nullptr;
    TcpAcceptor *m_acceptor = nullptr;
    std::vector<Slot> m_slots; // 0..kMaxConnections; slot 0 stays empty
    QHash<QString, int> m_slotByAddress;
    QStringList m_lines;
    int m_highest = 0;
    int m_count = 0;
    bool m_fullReported = false;
    QTimer m_settle;
};
