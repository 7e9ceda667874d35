#include "reading/CoverageCsv.h"

#include "reading/CoverageMatrix.h"

#include <QDateTime>
#include <QSaveFile>

namespace {

// A field as CSV writes it: quoted when it holds a comma, a quote or a line break.
QByteArray field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

// ISO 8601 local time with milliseconds and the offset from UTC: "2026-03-01T14:05:09.042+01:00".
QByteArray isoTime(qint64 msSinceEpoch)
{
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(msSinceEpoch);
    const int offset = time.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return (time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char(offset < 0 ? '-' : '+') +
            QStringLiteral("%1:%2")
                .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                .arg(minutes % 60, 2, 10, QLatin1Char('0')))
        .toLatin1();
}

} // namespace

namespace CoverageCsv {

QByteArray text(const CoverageMatrix &matrix)
{
    QByteArray out("uid,reader,reports,last_rssi,max_rssi,last_seen\n");
    for (int row = 0; row < matrix.tagCount(); ++row) {
        const QByteArray uid = field(matrix.tagAt(row));
        for (int column = 0; column < matrix.readerCount(); ++column) {
            const CoverageCell &c = matrix.cell(row, column);
            if (c.reports == 0)
                continue;
            out += uid + ',' + field(matrix.readerAt(column)) + ',' + QByteArray::number(c.reports) + ',' +
                   QByteArray::number(c.lastRssi) + ',' + QByteArray::number(c.maxRssi) + ',' +
                   isoTime(c.lastSeenMs) + '\n';
        }
    }
    return out;
}

bool write(const CoverageMatrix &matrix, const QString &fileName, QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray bytes = text(matrix);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace CoverageCsv
