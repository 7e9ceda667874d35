#include "link/NativeSocketIo.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/socket.h>
#endif

#include <algorithm>

namespace NativeSocketIo {

#ifdef Q_OS_UNIX

namespace {

bool wouldWait(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

Received receiveWaiting(qintptr fd, QByteArray &out, qint64 limit)
{
    Received result;
    if (fd < 0)
        return result;
    char buffer[16 * 1024];
    qint64 taken = 0;
    while (limit < 0 || taken < limit) {
        const qint64 want =
            limit < 0 ? qint64(sizeof buffer) : std::min(qint64(sizeof buffer), limit - taken);
        const ssize_t n = ::recv(int(fd), buffer, size_t(want), MSG_DONTWAIT);
        if (n > 0) {
            out.append(buffer, n);
            taken += n;
            continue;
        }
        if (n == 0) {
            result.ended = true;
            result.reason = QStringLiteral("The remote host closed the connection");
        } else if (errno == EINTR) {
            continue;
        } else if (!wouldWait(errno)) {
            result.ended = true;
            result.reason = qt_error_string(errno);
        }
        break;
    }
    return result;
}

qint64 sendNow(qintptr fd, QByteArrayView bytes)
{
#ifdef MSG_NOSIGNAL
    if (fd < 0)
        return -1;
    for (;;) {
        const ssize_t n = ::send(int(fd), bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        return wouldWait(errno) ? 0 : -1;
    }
#else
    // No write without the risk of a broken-pipe signal here: the socket writes it all.
    Q_UNUSED(fd);
    Q_UNUSED(bytes);
    return 0;
#endif
}

#else

Received receiveWaiting(qintptr, QByteArray &, qint64)
{
    return {};
}

qint64 sendNow(qintptr, QByteArrayView)
{
    return 0;
}

#endif

} // namespace NativeSocketIo
