#include "sim/PtyTransport.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyTransport::PtyTransport(QObject *parent) : SimTransport(parent) {}

PtyTransport::~PtyTransport()
{
    close();
}

bool PtyTransport::open()
{
    close();
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        setErrorText(QStringLiteral("cannot create a pseudo-terminal: %1").arg(qt_error_string(errno)));
        m_master = m_slave = -1;
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // Raw on our side too: no echo, no CR translation, until the host sets its own line settings.
    termios tio{};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B115200);
        ::cfsetospeed(&tio, B115200);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyTransport::handleReadable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyTransport::handleWritable);
    return true;
}

void PtyTransport::close()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
    m_pending.clear();
}

void PtyTransport::handleReadable()
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            emit bytesReceived(1, QByteArray(buf, int(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return; // EAGAIN: drained; EIO cannot happen while our slave descriptor is open
    }
}

bool PtyTransport::writeOrQueue(const QByteArray &bytes, bool mayDrop)
{
    if (m_master < 0)
        return false;
    // Report lines only go out when the pty has room now: a serial line nobody reads loses them,
    // and a host that opens the port later should not get a flood of stale lines.
    if (mayDrop && !m_pending.isEmpty())
        return false;
    if (!m_pending.isEmpty()) {
        m_pending.append(bytes);
        return true;
    }
    const ssize_t n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
    const qsizetype written = n > 0 ? qsizetype(n) : 0;
    if (written == bytes.size())
        return true;
    if (written == 0 && mayDrop)
        return false; // nothing went out: drop the whole burst rather than queue it
    m_pending = bytes.mid(written);
    m_writeNotifier->setEnabled(true);
    return true;
}

void PtyTransport::handleWritable()
{
    const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
    if (n > 0)
        m_pending.remove(0, qsizetype(n));
    if (m_pending.isEmpty())
        m_writeNotifier->setEnabled(false);
}

void PtyTransport::sendTo(PeerId, const QByteArray &bytes)
{
    writeOrQueue(bytes, false);
}

qint64 PtyTransport::unsentBytes() const
{
    return m_pending.size();
}

bool PtyTransport::sendReports(const QByteArray &lines)
{
    return writeOrQueue(lines, true);
}
