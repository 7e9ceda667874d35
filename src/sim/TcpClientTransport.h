#pragma once

#include "sim/SimTransport.h"

#include <QHostAddress>
#include <QTimer>

class QTcpSocket;

// A reader that connects to the host's listener (the host's "TCP Client" page). The connection can
// start from a chosen local address (127.0.0.x on loopback) so the host tells readers apart by
// address. A failed or dropped connection is retried after the reconnect interval.
class TcpClientTransport : public SimTransport
{
    Q_OBJECT
public:
    TcpClientTransport(const QString &host, quint16 port, const QHostAddress &localAddress,
                       int reconnectMs = 1000, QObject *parent = nullptr);
    ~TcpClientTransport() override;

    bool open() override;
    void close() override;
    QString endpoint() const override;
    void sendTo(PeerId peer, const QByteArray &bytes) override;
    bool sendReports(const QByteArray &lines) override;
    qint64 unsentBytes() const override;
    bool hasPeer() const override;
    // The local address the last connection started from (null when the system chose it).
    QHostAddress boundAddress() const { return m_boundAddress; }

private:
    void connectNow();
    void handleLost();
    void dropSocket();

    QString m_host;
    quint16 m_port;
    QHostAddress m_localAddress;
    QHostAddress m_boundAddress;
    int m_reconnectMs;
    bool m_open = false;
    bool m_connected = false;
    QTcpSocket *m_socket = nullptr;
    PeerId m_peerId = 0;
    QTimer m_retry;
};
