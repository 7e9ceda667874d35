#pragma once

#include "readercfg/ConfigLink.h"

#include <QHostAddress>
#include <QList>
#include <QPointer>

class QAbstractSocket;
class QTcpServer;
class QTcpSocket;

// The configuration link to a reader that connects in ("TCP Client" page): the host listens, and
// only a connection whose remote address (or the address its host name stands for) equals the
// accepted-reader text becomes the configuration connection; others are closed. A newer connection
// from that reader replaces the older one. The link is Ready while it holds a connection.
//
// When the reading links already listen on the port, the link opens no listener of its own and
// takes the connections they hand over (adoptConnection); those sockets stay owned by the reading
// links and are only let go on close.
class TcpListenerConfigLink : public ConfigLink
{
    Q_OBJECT
public:
    TcpListenerConfigLink(const QHostAddress &listenAddress, quint16 port, const QString &acceptAddress,
                          bool handedOver, QObject *parent = nullptr);
    ~TcpListenerConfigLink() override;

    bool open() override;
    void close() override;
    bool send(const QByteArray &bytes) override;

    // Takes an incoming connection offered by the reading links; false when it is not the accepted
    // reader's (the socket is left to its owner) or the link is not open.
    bool adoptConnection(QTcpSocket *socket);
    // The port listened on (useful with port 0); 0 when not listening.
    quint16 serverPort() const;
    // The remote address of the connection taken ("" when none).
    QString acceptedAddress() const { return m_acceptedAddress; }

signals:
    // A connection was taken: the page shows its address and locks the box.
    void readerAccepted(const QString &address);
    // The link closed: the box becomes editable again.
    void readerReleased();
    // A connection from another address was closed.
    void readerRejected(const QString &address);

private:
    void handleNewConnections();
    bool matches(QTcpSocket *socket) const;
    void take(QTcpSocket *socket, bool owned);
    void releaseConnection();
    void handleLost();

    QHostAddress m_listenAddress;
    quint16 m_port;
    QString m_acceptText;
    bool m_handedOver;
    QTcpServer *m_server = nullptr;
    QList<QHostAddress> m_acceptAddresses; // the accepted text as addresses (host names resolved)
    // Held as its base class: a handed-over socket being destroyed by its owner still says
    // disconnected() from the base class's destructor.
    QPointer<QAbstractSocket> m_connection;
    bool m_owned = false;
    QString m_acceptedAddress;
    int m_lookupId = -1;
};
