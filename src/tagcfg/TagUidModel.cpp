#include "tagcfg/TagUidModel.h"

TagUidModel::TagUidModel(QObject *parent)
    : QAbstractTableModel(parent), m_headers{QStringLiteral("No."),  QStringLiteral("UID"),
                                             QStringLiteral("RSSI"), QStringLiteral("LQI"),
                                             QStringLiteral("DI"),   QStringLiteral("T1"),
                                             QStringLiteral("T2")}
{
}

int TagUidModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TagUidModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant TagUidModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &r = m_rows[index.row()];
    switch (index.column()) {
    case 0:
        return QString::number(index.row() + 1);
    case 1:
        return r.uid;
    case 2:
        return r.rssi;
    case 3:
        return r.lqi;
    case 4:
        return r.status;
    case 5:
        return r.t1;
    case 6:
        return r.t2;
    default:
        return {};
    }
}

QVariant TagUidModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headers[section];
}

int TagUidModel::apply(const TagPollReport &report)
{
    const QString uid = QString::fromLatin1(report.uid);
    int row = m_byUid.value(uid, -1);
    if (row < 0) {
        row = int(m_rows.size());
        beginInsertRows({}, row, row);
        m_rows.append(Row{uid, {}, {}, {}, {}, {}});
        m_byUid.insert(uid, row);
        endInsertRows();
    }
    Row &r = m_rows[row];
    r.rssi = QString::number(report.rssi);
    r.lqi = QString::number(report.lqi);
    r.status = TagPollReport::statusText(report.di);
    r.t1 = report.t1;
    r.t2 = report.t2;
    emit dataChanged(index(row, 2), index(row, kColumns - 1), {Qt::DisplayRole});
    return row;
}

void TagUidModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_byUid.clear();
    endResetModel();
    m_headers = QStringList{QStringLiteral("NO"),  QStringLiteral("UID"), QStringLiteral("RSSI"),
                            QStringLiteral("LQI"), QStringLiteral("DI"),  QStringLiteral("T1"),
                            QStringLiteral("T2")};
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

QString TagUidModel::uidAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].uid : QString();
}

void TagUidModel::reset(const QStringList &headers)
{
    clear();
    for (int c = 0; c < kColumns && c < headers.size(); ++c)
        m_headers[c] = headers.at(c);
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}
