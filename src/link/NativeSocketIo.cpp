#include "link/NativeSocketIo.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/socket.h>
#endif

#include <algorithm>

namespace NativeSocketIo {

#ifdef Q_OS_UNIX

namespace {

constexpr qint64 kChunk = 64 * 1024;

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL | MSG_DONTWAIT;
#else
constexpr int kSendFlags = MSG_DONTWAIT; // SIGPIPE is ignored by the socket layer on these systems
#endif

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
    qint64 taken = 0;
    while (limit < 0 || taken < limit) {
        const qint64 want = limit < 0 ? kChunk : std::min(kChunk, limit - taken);
        const qsizetype before = out.size();
        out.resize(before + want);
        const ssize_t n = ::recv(int(fd), out.data() + before, size_t(want), MSG_DONTWAIT);
        const int error = errno;
        out.resize(before + std::max<qsizetype>(n, 0));
        if (n > 0) {
            taken += n;
            continue;
        }
        if (n == 0) {
            result.ended = true;
            result.reason = QStringLiteral("The remote host closed the connection");
        } else if (error == EINTR) {
            continue;
        } else if (!wouldWait(error)) {
            result.ended = true;
            result.reason = qt_error_string(error);
        }
        break;
    }
    return result;
}

qint64 sendNow(qintptr fd, QByteArrayView bytes)
{
    if (fd < 0)
        return -1;
    for (;;) {
        const ssize_t n = ::send(int(fd), bytes.data(), size_t(bytes.size()), kSendFlags);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        return wouldWait(errno) ? 0 : -1;
    }
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
