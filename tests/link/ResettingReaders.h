#pragma once

// Readers that end their connections the hard way, for the network link tests: a reset (RST) once
// the host's kernel has acknowledged every byte, and bursts of short connections made from a thread
// of their own with plain sockets, so that they race the host's event loop as real readers do.

#include <QAbstractSocket>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace nettest {

// Bytes written on the descriptor that the far end has not acknowledged yet; -1 on error.
inline int unacknowledgedBytes(qintptr fd)
{
    int n = -1;
    if (::ioctl(int(fd), TIOCOUTQ, &n) != 0)
        return -1;
    return n;
}

// Makes close() send a reset instead of a orderly end.
inline void lingerZero(qintptr fd)
{
    const linger l{1, 0};
    ::setsockopt(int(fd), SOL_SOCKET, SO_LINGER, &l, sizeof l);
}

// Waits, the event loop running, until everything written on the socket has left it and the far
// end's kernel has acknowledged every byte; then resets the connection. False on timeout.
inline bool resetOnceAcknowledged(QAbstractSocket *socket, int timeoutMs = 20000)
{
    const qintptr fd = socket->socketDescriptor();
    const bool acknowledged = QTest::qWaitFor(
        [&] { return socket->bytesToWrite() == 0 && unacknowledgedBytes(fd) == 0; }, timeoutMs);
    lingerZero(fd);
    socket->abort();
    return acknowledged;
}

inline sockaddr_in loopbackAddress(const QString &address, quint16 port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = qToBigEndian(port);
    a.sin_addr.s_addr = qToBigEndian(QHostAddress(address).toIPv4Address());
    return a;
}

// A blocking connection from `from` (port chosen by the system) to 127.0.0.1:port; -1 on failure.
inline int connectFrom(const QString &from, quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    const sockaddr_in local = loopbackAddress(from, 0);
    const sockaddr_in remote = loopbackAddress(QStringLiteral("127.0.0.1"), port);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<const sockaddr *>(&remote), sizeof remote) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool sendAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Whatever has arrived on fd, without waiting.
inline QByteArray receiveWaiting(int fd)
{
    QByteArray out;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
        out.append(buffer, n);
    return out;
}

// Spins (no event loop) until the far end's kernel has acknowledged every byte sent on fd.
inline bool spinUntilAcknowledged(int fd, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (unacknowledgedBytes(fd) != 0) {
        if (deadline.hasExpired())
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}

// One reader after the other, from a thread of its own: connect from fromAddress(i), send line(i),
// close; at most one connection open at a time. Stops at the deadline.
class ShortConnectionBurst
{
public:
    ShortConnectionBurst(quint16 port, int count, std::function<QString(int)> fromAddress,
                         std::function<QByteArray(int)> line)
        : m_thread([=] { run(port, count, fromAddress, line); })
    {
    }
    ~ShortConnectionBurst() { m_thread.join(); }

    bool finished() const { return m_finished; }
    int sent() const { return m_sent; }
    int failed() const { return m_failed; }

private:
    void run(quint16 port, int count, const std::function<QString(int)> &fromAddress,
             const std::function<QByteArray(int)> &line)
    {
        const QDeadlineTimer deadline(30000);
        for (int i = 0; i < count && !deadline.hasExpired(); ++i) {
            const int fd = connectFrom(fromAddress(i), port);
            if (fd >= 0 && sendAll(fd, line(i)))
                ++m_sent;
            else
                ++m_failed;
            if (fd >= 0)
                ::close(fd);
        }
        m_finished = true;
    }

    std::atomic<int> m_sent{0};
    std::atomic<int> m_failed{0};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};

} // namespace nettest
