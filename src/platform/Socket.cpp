#include "platform/Socket.h"

#include <algorithm>
#include <climits>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h> // brings windows.h in the order Winsock needs
#include <ws2tcpip.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

// Fills `out` with the address and port of `peer` (IPv4 or IPv6).
void takePeer(const sockaddr_storage &peer, Accepted *out)
{
    if (peer.ss_family == AF_INET) {
        sockaddr_in v4{};
        std::memcpy(&v4, &peer, sizeof v4);
        std::memcpy(out->address, &v4.sin_addr, 4);
        out->port = ntohs(v4.sin_port);
    } else if (peer.ss_family == AF_INET6) {
        sockaddr_in6 v6{};
        std::memcpy(&v6, &peer, sizeof v6);
        out->ipv6 = true;
        std::memcpy(out->address, &v6.sin6_addr, 16);
        out->port = ntohs(v6.sin6_port);
        out->scopeId = v6.sin6_scope_id;
    }
}

} // namespace

#ifdef _WIN32

namespace {

int clampedSize(std::size_t size)
{
    return int(std::min<std::size_t>(size, INT_MAX));
}

bool wouldWait(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAEINPROGRESS;
}

} // namespace

// Qt keeps its sockets non-blocking on Windows too, so plain calls never wait.
IoResult receiveNow(SocketHandle socket, char *buffer, std::size_t size)
{
    const int n = ::recv(SOCKET(socket), buffer, clampedSize(size), 0);
    if (n > 0)
        return {IoStatus::Done, std::size_t(n), 0};
    if (n == 0)
        return {IoStatus::Closed, 0, 0};
    const int error = ::WSAGetLastError();
    return wouldWait(error) ? IoResult{IoStatus::WouldWait, 0, 0} : IoResult{IoStatus::Failed, 0, error};
}

IoResult sendNow(SocketHandle socket, const char *data, std::size_t size)
{
    const int n = ::send(SOCKET(socket), data, clampedSize(size), 0);
    if (n >= 0)
        return {IoStatus::Done, std::size_t(n), 0};
    const int error = ::WSAGetLastError();
    return wouldWait(error) ? IoResult{IoStatus::WouldWait, 0, 0} : IoResult{IoStatus::Failed, 0, error};
}

AcceptStatus acceptNow(SocketHandle listening, Accepted *out)
{
    sockaddr_storage peer{};
    int length = sizeof peer;
    const SOCKET s = ::accept(SOCKET(listening), reinterpret_cast<sockaddr *>(&peer), &length);
    if (s == INVALID_SOCKET) {
        const int error = ::WSAGetLastError();
        return error == WSAECONNRESET || error == WSAEINTR ? AcceptStatus::TryAgain
                                                           : AcceptStatus::NoneWaiting;
    }
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    *out = Accepted{};
    out->socket = SocketHandle(s);
    takePeer(peer, out);
    return AcceptStatus::Taken;
}

void closeSocket(SocketHandle socket)
{
    ::closesocket(SOCKET(socket));
}

void shutdownSocket(SocketHandle socket)
{
    ::shutdown(SOCKET(socket), SD_BOTH);
}

#else

namespace {

bool wouldWait(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

IoResult receiveNow(SocketHandle socket, char *buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::recv(int(socket), buffer, size, MSG_DONTWAIT);
        if (n > 0)
            return {IoStatus::Done, std::size_t(n), 0};
        if (n == 0)
            return {IoStatus::Closed, 0, 0};
        if (errno == EINTR)
            continue;
        return wouldWait(errno) ? IoResult{IoStatus::WouldWait, 0, 0} : IoResult{IoStatus::Failed, 0, errno};
    }
}

IoResult sendNow(SocketHandle socket, const char *data, std::size_t size)
{
#if defined(MSG_NOSIGNAL)
    const int flags = MSG_NOSIGNAL | MSG_DONTWAIT;
#elif defined(SO_NOSIGPIPE)
    // macOS: the socket itself is told not to raise the signal.
    const int on = 1;
    ::setsockopt(int(socket), SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
    const int flags = MSG_DONTWAIT;
#else
    (void)socket;
    (void)data;
    (void)size;
    return {IoStatus::Done, 0, 0};
#endif
#if defined(MSG_NOSIGNAL) || defined(SO_NOSIGPIPE)
    for (;;) {
        const ssize_t n = ::send(int(socket), data, size, flags);
        if (n >= 0)
            return {IoStatus::Done, std::size_t(n), 0};
        if (errno == EINTR)
            continue;
        return wouldWait(errno) ? IoResult{IoStatus::WouldWait, 0, 0} : IoResult{IoStatus::Failed, 0, errno};
    }
#endif
}

AcceptStatus acceptNow(SocketHandle listening, Accepted *out)
{
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int fd = ::accept(int(listening), reinterpret_cast<sockaddr *>(&peer), &length);
    if (fd < 0)
        return errno == EINTR || errno == ECONNABORTED ? AcceptStatus::TryAgain : AcceptStatus::NoneWaiting;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    *out = Accepted{};
    out->socket = fd;
    takePeer(peer, out);
    return AcceptStatus::Taken;
}

void closeSocket(SocketHandle socket)
{
    ::close(int(socket));
}

void shutdownSocket(SocketHandle socket)
{
    ::shutdown(int(socket), SHUT_RDWR);
}

#endif

} // namespace platform
