#pragma once

#include <QByteArray>
#include <QDateTime>
#include <optional>

// Times as the API writes them: ISO 8601 in UTC with milliseconds ("2026-03-01T14:05:09.042Z").
// Formatting is on the path of every report, so the date and time up to the second are made once a
// second and only the milliseconds are written each time.
class IsoTime
{
public:
    QByteArray format(qint64 msSinceEpoch);
    // Reads an ISO 8601 date-time (with or without milliseconds and offset; a time without an offset
    // is UTC); nullopt when the text is not one.
    static std::optional<qint64> parse(const QString &text);

private:
    qint64 m_second = -1;
    QByteArray m_prefix; // "2026-03-01T14:05:09."
};
