#include "link/ReplayReadingLinks.h"

#include "link/ReadingSource.h"

#include <QSocketNotifier>
#include <QTimer>

#include "platform/StandardInput.h"

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
    // A pipe or terminal is read as bytes arrive; a plain file is read chunk by chunk.
    if (fromStdin && platform::kStandardInputWatchable && platform::standardInputIsStream()) {
        m_notifier = std::make_unique<QSocketNotifier>(0, QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &ReplayReadingLinks::readFromNotifier);
        return;
    }
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
    char buf[kChunk];
    const platform::IoResult r = platform::readStandardInput(buf, sizeof buf);
    if (r.status == platform::IoStatus::Done) {
        m_source->appendBytes(QByteArrayView(buf, qsizetype(r.bytes)));
        return;
    }
    if (r.status == platform::IoStatus::WouldWait)
        return;
    m_notifier->setEnabled(false);
    if (r.status == platform::IoStatus::Failed)
        raiseProblem(QStringLiteral("standard input: read failed"));
    finish();
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
