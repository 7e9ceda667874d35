#include "http/IsoTime.h"

#include <cstdio>

QByteArray IsoTime::format(qint64 ms)
{
    const qint64 second = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    if (second != m_second) {
        m_second = second;
        m_prefix = QDateTime::fromSecsSinceEpoch(second, Qt::UTC)
                       .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss."))
                       .toLatin1();
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "%03dZ", int(ms - second * 1000));
    return m_prefix + tail;
}

std::optional<qint64> IsoTime::parse(const QString &text)
{
    QDateTime t = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!t.isValid())
        return std::nullopt;
    if (t.timeSpec() == Qt::LocalTime)
        t.setTimeSpec(Qt::UTC);
    return t.toMSecsSinceEpoch();
}
