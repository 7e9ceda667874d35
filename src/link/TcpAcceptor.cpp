#include "link/TcpAcceptor.h"

#include "platform/Socket.h"

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Connections taken per wake-up; more wait for the next turn of the event loop.
constexpr int kAcceptBatch = 1024;

QHostAddress addressOf(const platform::Accepted &peer)
{
    if (!peer.ipv6) {
        const quint32 v4 = (quint32(peer.address[0]) << 24) | (quint32(peer.address[1]) << 16) |
                           (quint32(peer.address[2]) << 8) | quint32(peer.address[3]);
        return QHostAddress(v4);
    }
    QHostAddress address(peer.address);
    if (peer.scopeId != 0)
        address.setScopeId(QString::number(peer.scopeId));
    return address;
}

} // namespace

TcpAcceptor::TcpAcceptor(QTcpServer *server, QObject *parent) : QObject(parent), m_server(server)
{
    server->pauseAccepting();
    m_notifier = new QSocketNotifier(server->socketDescriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TcpAcceptor::acceptWaiting);
}

void TcpAcceptor::acceptWaiting()
{
    const platform::SocketHandle listening = m_server->socketDescriptor();
    for (int n = 0; n < kAcceptBatch; ++n) {
        platform::Accepted peer;
        const platform::AcceptStatus status = platform::acceptNow(listening, &peer);
        if (status == platform::AcceptStatus::TryAgain)
            continue;
        if (status == platform::AcceptStatus::NoneWaiting)
            return; // none left (or none can be taken now)
        auto *socket = new QTcpSocket(m_server);
        if (!socket->setSocketDescriptor(peer.socket)) {
            platform::closeSocket(peer.socket);
            delete socket;
            continue;
        }
        emit accepted(socket, addressOf(peer), peer.port);
    }
}
