#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

// Reads and writes on a connected TCP socket's descriptor directly, never waiting. A socket that fails
// a write discards the bytes it has received and not yet handed over, and a socket only hands bytes
// over in the event loop: a connection that ends must still give up everything the system received
// on it, so these calls go around the socket (the system's calls are in platform/Socket).
namespace NativeSocketIo {

struct Received
{
    bool ended = false; // the reader closed or reset the connection; every byte before that was read
    QString reason;     // why it ended, in the system's words
};

// Appends to `out` the bytes the system holds for `fd`, at most `limit` of them (all when negative).
Received receiveWaiting(qintptr fd, QByteArray &out, qint64 limit = -1);

// Writes what fits now, without a broken-pipe signal: the number of bytes written (0 when none fit,
// or where the system cannot write without that signal), or -1 when the connection is gone.
qint64 sendNow(qintptr fd, QByteArrayView bytes);

} // namespace NativeSocketIo
