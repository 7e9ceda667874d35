#include "link/NativeSocketIo.h"

#include "platform/Socket.h"

#include <algorithm>

namespace NativeSocketIo {

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
        const platform::IoResult r = platform::receiveNow(fd, buffer, std::size_t(want));
        if (r.status == platform::IoStatus::Done) {
            out.append(buffer, qsizetype(r.bytes));
            taken += qint64(r.bytes);
            continue;
        }
        if (r.status == platform::IoStatus::Closed) {
            result.ended = true;
            result.reason = QStringLiteral("The remote host closed the connection");
        } else if (r.status == platform::IoStatus::Failed) {
            result.ended = true;
            result.reason = qt_error_string(r.error);
        }
        break;
    }
    return result;
}

qint64 sendNow(qintptr fd, QByteArrayView bytes)
{
    if (fd < 0)
        return -1;
    const platform::IoResult r = platform::sendNow(fd, bytes.data(), std::size_t(bytes.size()));
    if (r.status == platform::IoStatus::Done)
        return qint64(r.bytes);
    return r.status == platform::IoStatus::WouldWait ? 0 : -1;
}

} // namespace NativeSocketIo
