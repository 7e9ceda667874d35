#include "app/CoverageTableModel.h"

#include "reading/CoverageMatrix.h"

CoverageTableModel::CoverageTableModel(const CoverageMatrix &matrix, QObject *parent)
    : QAbstractTableModel(parent), m_matrix(matrix)
{
}

int CoverageTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int CoverageTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1 + m_readers;
}

QColor CoverageTableModel::rssiColor(int rssi)
{
    return QColor::fromHsv(qBound(0, rssi, 255) * 120 / 255, 140, 255);
}

QVariant CoverageTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() > m_readers)
        return {};
    if (index.column() == 0) {
        if (role == Qt::DisplayRole || role == kSortRole)
            return m_matrix.tagAt(index.row());
        return {};
    }
    const CoverageCell &c = m_matrix.cell(index.row(), index.column() - 1);
    if (c.reports == 0)
        return role == kSortRole ? QVariant(-1) : QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return QStringLiteral("%1 (%2)").arg(c.lastRssi).arg(c.reports);
    case kSortRole:
        return int(c.lastRssi);
    case Qt::BackgroundRole:
        return rssiColor(c.lastRssi);
    case Qt::ForegroundRole:
        return QColor(Qt::black);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return {};
    }
}

QVariant CoverageTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > m_readers)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == 0 ? m_uidHeader : m_matrix.readerAt(section - 1);
}

void CoverageTableModel::setUidHeader(const QString &text)
{
    m_uidHeader = text;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void CoverageTableModel::sync()
{
    if (m_matrix.version() == m_version)
        return;
    m_version = m_matrix.version();
    if (m_matrix.tagCount() < m_rows || m_matrix.readerCount() < m_readers) {
        beginResetModel();
        m_rows = m_matrix.tagCount();
        m_readers = m_matrix.readerCount();
        endResetModel();
        return;
    }
    if (m_matrix.readerCount() > m_readers) {
        beginInsertColumns(QModelIndex(), 1 + m_readers, m_matrix.readerCount());
        m_readers = m_matrix.readerCount();
        endInsertColumns();
    }
    if (m_matrix.tagCount() > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, m_matrix.tagCount() - 1);
        m_rows = m_matrix.tagCount();
        endInsertRows();
    }
    if (m_rows > 0)
        emit dataChanged(index(0, 1), index(m_rows - 1, m_readers));
}
