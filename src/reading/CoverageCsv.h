#pragma once

#include <QByteArray>
#include <QString>

class CoverageMatrix;

// The coverage matrix as CSV: one line per tag and reader that heard it (tags in matrix order,
// then readers in column order), under the header "uid,reader,reports,last_rssi,max_rssi,last_seen".
// last_seen is local time in ISO 8601 with milliseconds and the UTC offset. `talvo-cli read
// --coverage` and the window's "Save as CSV..." write these same bytes.
namespace CoverageCsv {
QByteArray text(const CoverageMatrix &matrix);
// Writes the text to `fileName` (replaced whole, or left as it was on failure); on failure returns
// false and sets *error to the reason.
bool write(const CoverageMatrix &matrix, const QString &fileName, QString *error);
} // namespace CoverageCsv
