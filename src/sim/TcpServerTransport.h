#pragma once

#include "sim/SimTransport.h"

#include <QHash>
#include <QHostAddress>

#include <memory>

class QTcpServer;
class QTcpSocket;

// A reader that listens for the host (the host's "TCP Server" page connects to it). Several hosts
// may be connected at once: each gets the replies to its own commands, and all get report lines.
class TcpServerTransport : public SimTransport
{
    Q_OBJECT
public:
    TcpServerTransport(const QHostAddress &address, quint16 port, QObject *parent = nullptr);
    ~TcpServerTransport() override;

    bool open() override;
    void close() override;
    QString endpoint() const override;
    void sendTo(PeerId peer, const QByteArray &bytes) override;
    bool sendReports(const QByteArray &lines) override;
    qint64 unsentBytes() const override;
    bool hasPeer() const override { return !m_peers.isEmpty(); }
    quint16 localPort() const override;

private:
    void handleNewConnection();
    void dropPeer(PeerId id);

    QHostAddress m_address;
    quint16 m_port;
    std::unique_ptr<QTcpServer> m_server;
    QHash<PeerId, QTcpSocket *> m_peers;
    PeerId m_nextId = 1;
};
