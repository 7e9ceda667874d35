#pragma once

#include "reading/TagReport.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class Clock;

// What one reader heard of one tag.
struct CoverageCell
{
    quint64 reports = 0;   // 0: the reader never heard the tag
    qint64 lastSeenMs = 0; // wall-clock time of the latest report, milliseconds since the epoch
    quint8 lastRssi = 0;
    quint8 maxRssi = 0;
};

// How many tags (rows) and readers (columns) a coverage matrix takes at most.
struct CoverageBound
{
    int maxTags = 20000;
    int maxReaders = 64;
};

// Which reader hears which tag and how strongly: tags (rows, in order of first report) by reader
// labels (columns, in order of first report), each cell with the latest and the strongest RSSI, the
// report count and the time of the latest report. A report costs two hash look-ups and one cell
// update.
//
// Bounded: at most `maxTags` rows and `maxReaders` columns (cells take 24 bytes, allocated per row
// up to the highest column that row has heard). Reports of a tag or reader beyond the bound are
// counted in refusedReports(), not entered.
class CoverageMatrix
{
public:
    using Bound = CoverageBound;

    explicit CoverageMatrix(Clock &clock, Bound bound = {});

    void add(const TTagReport &report, const QString &label);
    // Empties the matrix and restarts its wall-clock base.
    void clear();

    int tagCount() const { return int(m_tags.size()); }
    int readerCount() const { return int(m_readers.size()); }
    const QString &tagAt(int row) const { return m_tags[row]; }
    const QString &readerAt(int column) const { return m_readers[column]; }
    int rowOf(const QString &uid) const { return m_tagRow.value(uid, -1); }
    // The cell of a row and a column; a cell whose reader never heard the tag has no reports.
    const CoverageCell &cell(int row, int column) const;

    quint64 refusedReports() const { return m_refused; }
    // Goes up with every change, so a view can tell whether it must draw again.
    quint64 version() const { return m_version; }
    qint64 memoryBytes() const;

private:
    qint64 wallMs() const;

    Clock &m_clock;
    Bound m_bound;
    QStringList m_tags;
    QStringList m_readers;
    QHash<QString, int> m_tagRow;
    QHash<QString, int> m_readerColumn;
    std::vector<std::vector<CoverageCell>> m_cells; // [row][column], each row as long as it needs
    quint64 m_refused = 0;
    quint64 m_version = 0;
    qint64 m_wallBase = 0;
    qint64 m_tickBase = 0;
};
