#include "reading/TagListModel.h"

TagListModel::TagListModel(QObject *parent) : QAbstractListModel(parent), m_header(QStringLiteral("ID")) {}

void TagListModel::setHeaderText(const QString &text)
{
    m_header = text;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int TagListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : size();
}

QVariant TagListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return m_uids[index.row()];
}

QVariant TagListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0)
        return m_header;
    return QAbstractListModel::headerData(section, orientation, role);
}

int TagListModel::append(const QString &uid)
{
    const int row = size();
    beginInsertRows(QModelIndex(), row, row);
    m_uids.append(uid);
    m_index.insertFirst(uid, row);
    endInsertRows();
    return row;
}

void TagListModel::replaceAt(int row, const QString &uid)
{
    m_index.remove(m_uids[row], row);
    m_uids[row] = uid;
    m_index.insertFirst(uid, row);
    emit dataChanged(index(row), index(row), {Qt::DisplayRole});
}

void TagListModel::removeAt(int row)
{
    if (row < 0 || row >= size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_uids.removeAt(row);
    rebuildIndex();
    endRemoveRows();
    if (m_currentRow >= size() || m_currentRow == row) {
        m_currentRow = -1;
        m_currentPending = true;
    } else if (m_currentRow > row) {
        --m_currentRow;
        m_currentPending = true;
    }
}

void TagListModel::clear()
{
    beginResetModel();
    m_uids.clear();
    m_index.clear();
    endResetModel();
    m_currentRow = -1;
    m_currentPending = true;
}

void TagListModel::setCurrentRow(int row)
{
    if (row == m_currentRow)
        return;
    m_currentRow = row;
    m_currentPending = true;
}

void TagListModel::flushChanges()
{
    if (m_currentPending) {
        m_currentPending = false;
        emit currentRowChanged(m_currentRow);
    }
}

void TagListModel::rebuildIndex()
{
    m_index.clear();
    for (int i = 0; i < m_uids.size(); ++i) {
        m_index.insertFirst(m_uids[i], i);
    }
}
