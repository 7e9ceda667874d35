#pragma once

#include "readercfg/ConfigLink.h"

class QTcpSocket;

// The configuration link to a reader that listens ("TCP Server" page): the host connects to it.
// open() starts connecting; the link is Ready once the connection is up. A connection that cannot
// be made or is lost leaves the link Closed (it does not reconnect by itself).
class TcpClientConfigLink : public ConfigLink
{
    Q_OBJECT
public:
    TcpClientConfigLink(const QString &host, quint16 port, QObject *parent = nullptr);
    ~TcpClientConfigLink() override;

    bool open() override;
    void close() override;
    bool send(const QByteArray &bytes) override;

private:
    void handleLost();
    void dropSocket();

    QString m_host;
    quint16 m_port;
    QTcpSocket *m_socket = nullptr;
};
