#pragma once

#include "http/TagDirectory.h"

#include <QString>
#include <QUrlQuery>
#include <optional>

// The filters of GET /api/v1/tags: ?uid=PREFIX (case-insensitive), ?reader=LABEL (exact),
// ?since=TIME (last seen at or after), ?limit=N (the first N that match, in table order).
struct TagQuery
{
    static constexpr int kMaxLimit = 1000000;

    QString uidPrefix;
    QString reader;
    std::optional<qint64> sinceMs;
    int limit = kMaxLimit;

    // nullopt and a reason for the client when a value does not read or a name is unknown.
    static std::optional<TagQuery> from(const QUrlQuery &query, QString *error);
    bool matches(const TagDirectory::Entry &entry) const;
};
