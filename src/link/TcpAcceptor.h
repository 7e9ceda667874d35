#pragma once

#include <QHostAddress>
#include <QObject>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

// Takes the connections a listening server receives, each with the address and port the system
// names when it hands the connection over. A reader that resets its connection before it is taken
// has still left its bytes in it, but the socket can no longer tell whose they are: the address must
// be kept from this moment (the system's call is in platform/Socket).
class TcpAcceptor : public QObject
{
    Q_OBJECT
public:
    // The server must be listening. Accepted sockets are children of the server; the acceptor must be
    // destroyed before the server stops listening.
    explicit TcpAcceptor(QTcpServer *server, QObject *parent = nullptr);

signals:
    void accepted(QTcpSocket *socket, const QHostAddress &address, quint16 port);

private:
    void acceptWaiting();

    QTcpServer *m_server;
    QSocketNotifier *m_notifier = nullptr;
};
