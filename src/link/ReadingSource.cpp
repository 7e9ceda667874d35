#include "link/ReadingSource.h"

#include <utility>

ReadingSource::ReadingSource(const QString &label, QObject *parent) : QObject(parent), m_label(label) {}

QByteArray ReadingSource::takeBytes()
{
    return std::exchange(m_pending, QByteArray());
}

void ReadingSource::appendBytes(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    m_pending.append(bytes);
    emit readyRead();
}
