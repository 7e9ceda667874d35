#include "link/TcpKeepAlive.h"

#include <QAbstractSocket>

#ifdef Q_OS_WIN
// winsock2.h first: the other two build on it.
#include <winsock2.h>

#include <mstcpip.h>
#include <ws2tcpip.h>
#else
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace TcpKeepAlive {

#ifdef Q_OS_WIN

bool enable(qintptr descriptor, QString *why)
{
    const SOCKET s = SOCKET(descriptor);
    tcp_keepalive values{};
    values.onoff = 1;
    values.keepalivetime = ULONG(kIdleSec * 1000);
    values.keepaliveinterval = ULONG(kIntervalSec * 1000);
    DWORD returned = 0;
    if (WSAIoctl(s, SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned, nullptr, nullptr) !=
        0) {
        if (why)
            *why = qt_error_string(WSAGetLastError());
        return false;
    }
#ifdef TCP_KEEPCNT
    // Older systems always send ten probes; newer ones take the count.
    const DWORD probes = kProbes;
    setsockopt(s, IPPROTO_TCP, TCP_KEEPCNT, reinterpret_cast<const char *>(&probes), sizeof probes);
#endif
    return true;
}

#else

namespace {

bool set(int fd, int level, int name, int value, QString *why)
{
    if (::setsockopt(fd, level, name, &value, sizeof value) == 0)
        return true;
    if (why)
        *why = qt_error_string(errno);
    return false;
}

} // namespace

bool enable(qintptr descriptor, QString *why)
{
    const int fd = int(descriptor);
    bool ok = set(fd, SOL_SOCKET, SO_KEEPALIVE, 1, why);
#ifdef TCP_KEEPIDLE
    ok = ok && set(fd, IPPROTO_TCP, TCP_KEEPIDLE, kIdleSec, why);
#elif defined(TCP_KEEPALIVE)
    ok = ok && set(fd, IPPROTO_TCP, TCP_KEEPALIVE, kIdleSec, why);
#endif
    ok = ok && set(fd, IPPROTO_TCP, TCP_KEEPINTVL, kIntervalSec, why);
    ok = ok && set(fd, IPPROTO_TCP, TCP_KEEPCNT, kProbes, why);
#ifdef TCP_USER_TIMEOUT
    // Data sent to a reader that is gone is retried for many minutes otherwise.
    ok = ok && set(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, kDetectionSec * 1000, why);
#endif
    return ok;
}

#endif

bool enable(QAbstractSocket *socket, QString *why)
{
    if (!socket || socket->socketDescriptor() < 0)
        return false;
    return enable(socket->socketDescriptor(), why);
}

} // namespace TcpKeepAlive
