#pragma once

#include "sim/SimTransport.h"

#include <QHash>
#include <QHostAddress>

#include <memory>

class QUdpSocket;

// A reader on UDP: it answers each command datagram with a datagram to the sender, and sends its
// report lines as datagrams (whole lines, up to kMaxDatagram bytes each) to a fixed host when one is
// given, otherwise to the last host that sent it a command. Until then reports are dropped.
class UdpTransport : public SimTransport
{
    Q_OBJECT
public:
    static constexpr int kMaxDatagram = 1024;

    // reportHost null: reports go to the last commanding host.
    UdpTransport(const QHostAddress &address, quint16 port, const QHostAddress &reportHost = {},
                 quint16 reportPort = 0, QObject *parent = nullptr);
    ~UdpTransport() override;

    bool open() override;
    void close() override;
    QString endpoint() const override;
    void sendTo(PeerId peer, const QByteArray &bytes) override;
    bool sendReports(const QByteArray &lines) override;
    bool hasPeer() const override { return !m_reportHost.isNull(); }
    quint16 localPort() const override;

private:
    struct Peer
    {
        QHostAddress address;
        quint16 port = 0;
    };
    void handleReadyRead();

    QHostAddress m_address;
    quint16 m_port;
    QHostAddress m_reportHost;
    quint16 m_reportPort;
    bool m_fixedReportHost;
    std::unique_ptr<QUdpSocket> m_socket;
    QHash<QString, PeerId> m_peerIds;
    QHash<PeerId, Peer> m_peers;
};
