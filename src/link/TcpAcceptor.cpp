#include "link/TcpAcceptor.h"

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Connections taken per wake-up; more wait for the next turn of the event loop.
constexpr int kAcceptBatch = 1024;

} // namespace
#endif

TcpAcceptor::TcpAcceptor(QTcpServer *server, QObject *parent) : QObject(parent), m_server(server)
{
#ifdef Q_OS_UNIX
    server->pauseAccepting();
    m_notifier = new QSocketNotifier(server->socketDescriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TcpAcceptor::acceptWaiting);
#else
    connect(server, &QTcpServer::newConnection, this, &TcpAcceptor::takePending);
#endif
}

void TcpAcceptor::acceptWaiting()
{
#ifdef Q_OS_UNIX
    const int listening = int(m_server->socketDescriptor());
    for (int n = 0; n < kAcceptBatch; ++n) {
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int fd = ::accept(listening, reinterpret_cast<sockaddr *>(&peer), &length);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // none left (or none can be taken now)
        }
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        auto *socket = new QTcpSocket(m_server);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        const QHostAddress address(reinterpret_cast<const sockaddr *>(&peer));
        quint16 port = 0;
        if (peer.ss_family == AF_INET)
            port = qFromBigEndian(reinterpret_cast<const sockaddr_in *>(&peer)->sin_port);
        else if (peer.ss_family == AF_INET6)
            port = qFromBigEndian(reinterpret_cast<const sockaddr_in6 *>(&peer)->sin6_port);
        emit accepted(socket, address, port);
    }
#endif
}

void TcpAcceptor::takePending()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection())
        emit accepted(socket, socket->peerAddress(), socket->peerPort());
}
