#include "link/ReplayReadingLinks.h"

#include "link/ReadingSource.h"

#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

ReplayReadingLinks::ReplayReadingLinks(const QString &path, const QString &label, QObject *parent)
    : ReadingLinks(parent), m_path(path), m_label(label)
{
    if (path != QLatin1String("-"))
        m_file.setFileName(path);
}

ReplayReadingLinks::~ReplayReadingLinks() = default;

void ReplayReadingLinks::open()
{
    if (m_open)
        return;
    const bool fromStdin = m_path == QLatin1String("-");
    const bool ok = fromStdin ? m_file.open(stdin, QIODevice::ReadOnly) : m_file.open(QIODevice::ReadOnly);
    if (!ok) {
        raiseProblem(QStringLiteral("%1 could not be opened: %2"), {m_path, m_file.errorString()});
        emit opened();
        finish();
        return;
    }
    m_open = true;
    m_source = std::make_unique<ReadingSource>(m_label);
    emit sourceAdded(1, m_source.get());
    emit opened();
#ifdef Q_OS_UNIX
    // A pipe or terminal is read as bytes arrive; a plain file is read chunk by chunk.
    struct stat st
    {
    };
    if (fromStdin && ::fstat(0, &st) == 0 && !S_ISREG(st.st_mode)) {
        m_notifier = std::make_unique<QSocketNotifier>(0, QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &ReplayReadingLinks::readFromNotifier);
        return;
    }
#endif
    QMetaObject::invokeMethod(this, &ReplayReadingLinks::readNextChunk, Qt::QueuedConnection);
}

void ReplayReadingLinks::readNextChunk()
{
    if (!m_open || m_finished)
        return;
    // Wait until the session has taken the previous chunk: memory stays bounded for huge files.
    if (m_source->isEligible()) {
        QTimer::singleShot(1, this, &ReplayReadingLinks::readNextChunk);
        return;
    }
    const QByteArray chunk = m_file.read(kChunk);
    if (chunk.isEmpty()) {
        if (m_file.error() != QFileDevice::NoError)
            raiseProblem(QStringLiteral("%1: read failed: %2"), {m_path, m_file.errorString()});
        finish();
        return;
    }
    m_source->appendBytes(chunk);
    QMetaObject::invokeMethod(this, &ReplayReadingLinks::readNextChunk, Qt::QueuedConnection);
}

void ReplayReadingLinks::readFromNotifier()
{
#ifdef Q_OS_UNIX
    char buf[kChunk];
    const ssize_t n = ::read(0, buf, sizeof buf);
    if (n > 0) {
        m_source->appendBytes(QByteArrayView(buf, n));
        return;
    }
    m_notifier->setEnabled(false);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        m_notifier->setEnabled(true);
        return;
    }
    if (n < 0)
        raiseProblem(QStringLiteral("standard input: read failed"));
    finish();
#endif
}

void ReplayReadingLinks::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    emit inputFinished();
}

void ReplayReadingLinks::close()
{
    if (m_source) {
        emit sourceRemoved(1);
        m_source.reset();
    }
    m_notifier.reset();
    m_file.close();
    m_open = false;
    emit closed();
}
