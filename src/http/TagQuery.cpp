#include "http/TagQuery.h"

#include "http/IsoTime.h"

std::optional<TagQuery> TagQuery::from(const QUrlQuery &query, QString *error)
{
    TagQuery q;
    for (const auto &[name, raw] : query.queryItems(QUrl::FullyDecoded)) {
        if (name == QLatin1String("uid")) {
            q.uidPrefix = raw.trimmed();
        } else if (name == QLatin1String("reader")) {
            q.reader = raw;
        } else if (name == QLatin1String("since")) {
            q.sinceMs = IsoTime::parse(raw);
            if (!q.sinceMs) {
                *error = QStringLiteral("since must be an ISO 8601 date-time, got '%1'").arg(raw);
                return std::nullopt;
            }
        } else if (name == QLatin1String("limit")) {
            bool ok = false;
            q.limit = raw.toInt(&ok);
            if (!ok || q.limit < 1 || q.limit > kMaxLimit) {
                *error = QStringLiteral("limit must be a whole number from 1 to %1").arg(kMaxLimit);
                return std::nullopt;
            }
        } else {
            *error = QStringLiteral("unknown parameter '%1' (uid, reader, since, limit)").arg(name);
            return std::nullopt;
        }
    }
    return q;
}

bool TagQuery::matches(const TagDirectory::Entry &e) const
{
    if (!uidPrefix.isEmpty() && !e.report.uid.startsWith(uidPrefix, Qt::CaseInsensitive))
        return false;
    if (!reader.isEmpty() && e.reader != reader)
        return false;
    return !sinceMs || e.lastSeenMs >= *sinceMs;
}
