#include "tagcfg/ProvisioningResultModel.h"

ProvisioningResultModel::ProvisioningResultModel(QObject *parent)
    : QAbstractTableModel(parent), m_headers(ProvisioningCsv::splitLine(ProvisioningCsv::resultHeader()))
{
}

int ProvisioningResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int ProvisioningResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant ProvisioningResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_entries.size()) || index.column() >= kColumns)
        return {};
    const Entry &e = m_entries[size_t(index.row())];
    if (role == kOkRole)
        return e.ran ? QVariant(e.row.ok) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    return e.fields.value(index.column());
}

QVariant ProvisioningResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headers.value(section);
}

void ProvisioningResultModel::setHeaders(const QStringList &headers)
{
    m_headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

// A row that ran shows its result line's fields; one that has not shows the plan's three.
QStringList ProvisioningResultModel::fieldsOf(const Entry &entry)
{
    if (entry.ran)
        return ProvisioningCsv::splitLine(ProvisioningCsv::resultLine(entry.row));
    return {entry.row.uid, entry.row.command, entry.row.args};
}

void ProvisioningResultModel::setPlan(const std::vector<ProvisioningRow> &rows)
{
    beginResetModel();
    m_entries.clear();
    for (const ProvisioningRow &row : rows) {
        Entry e{row, false, {}};
        e.fields = fieldsOf(e);
        m_entries.push_back(e);
    }
    endResetModel();
}

void ProvisioningResultModel::setResult(int row, const ProvisioningRow &result)
{
    if (row < 0 || row >= int(m_entries.size()))
        return;
    Entry &e = m_entries[size_t(row)];
    e.row = result;
    e.ran = true;
    e.fields = fieldsOf(e);
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

void ProvisioningResultModel::clearResults(const std::vector<int> &rows)
{
    for (int row : rows) {
        if (row < 0 || row >= int(m_entries.size()))
            continue;
        Entry &e = m_entries[size_t(row)];
        e.ran = false;
        e.fields = fieldsOf(e);
        emit dataChanged(index(row, 0), index(row, kColumns - 1));
    }
}

std::vector<int> ProvisioningResultModel::failedRows() const
{
    std::vector<int> failed;
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].ran && !m_entries[i].row.ok)
            failed.push_back(int(i));
    return failed;
}

std::vector<ProvisioningRow> ProvisioningResultModel::planRows(const std::vector<int> &indexes) const
{
    std::vector<ProvisioningRow> rows;
    for (int i : indexes) {
        if (i < 0 || i >= int(m_entries.size()))
            continue;
        const ProvisioningRow &r = m_entries[size_t(i)].row;
        ProvisioningRow plan{r.uid, r.command, r.args};
        plan.line = r.line;
        rows.push_back(plan);
    }
    return rows;
}

std::vector<ProvisioningRow> ProvisioningResultModel::finishedRows() const
{
    std::vector<ProvisioningRow> rows;
    for (const Entry &e : m_entries)
        if (e.ran)
            rows.push_back(e.row);
    return rows;
}
