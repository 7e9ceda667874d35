#include "reading/CoverageMatrix.h"

#include "base/Clock.h"

#include <algorithm>

namespace {
const CoverageCell kEmptyCell;
}

CoverageMatrix::CoverageMatrix(Clock &clock, Bound bound) : m_clock(clock), m_bound(bound)
{
    clear();
}

void CoverageMatrix::clear()
{
    m_tags.clear();
    m_readers.clear();
    m_tagRow.clear();
    m_readerColumn.clear();
    m_cells.clear();
    m_refused = 0;
    m_wallBase = m_clock.now().toMSecsSinceEpoch();
    m_tickBase = m_clock.tickMs();
    ++m_version;
}

qint64 CoverageMatrix::wallMs() const
{
    return m_wallBase + (m_clock.tickMs() - m_tickBase);
}

void CoverageMatrix::add(const TTagReport &report, const QString &label)
{
    int column = m_readerColumn.value(label, -1);
    if (column < 0) {
        if (readerCount() >= m_bound.maxReaders) {
            ++m_refused;
            return;
        }
        column = readerCount();
        m_readers.append(label);
        m_readerColumn.insert(label, column);
    }
    int row = m_tagRow.value(report.uid, -1);
    if (row < 0) {
        if (tagCount() >= m_bound.maxTags) {
            ++m_refused;
            return;
        }
        row = tagCount();
        m_tags.append(report.uid);
        m_tagRow.insert(report.uid, row);
        m_cells.emplace_back();
    }
    auto &cells = m_cells[size_t(row)];
    if (cells.size() <= size_t(column))
        cells.resize(size_t(column) + 1);
    CoverageCell &c = cells[size_t(column)];
    ++c.reports;
    c.lastSeenMs = wallMs();
    c.lastRssi = report.rssi;
    c.maxRssi = std::max(c.maxRssi, report.rssi);
    ++m_version;
}

const CoverageCell &CoverageMatrix::cell(int row, int column) const
{
    if (row < 0 || row >= tagCount() || column < 0)
        return kEmptyCell;
    const auto &cells = m_cells[size_t(row)];
    return size_t(column) < cells.size() ? cells[size_t(column)] : kEmptyCell;
}

qint64 CoverageMatrix::memoryBytes() const
{
    qint64 bytes = 0;
    for (const auto &cells : m_cells)
        bytes += qint64(sizeof(cells) + cells.capacity() * sizeof(CoverageCell));
    // Row and column names with their hash entries.
    bytes += qint64(m_tags.size() + m_readers.size()) * (64 + 2 * 24);
    return bytes;
}
