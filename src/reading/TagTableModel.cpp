#include "reading/TagTableModel.h"

#include "reading/DiFlags.h"
#include "reading/TagReport.h"

namespace {

QString threeDigits(int value)
{
    return QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0'));
}

bool isBlank(const QString &text)
{
    for (QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    }
    return true;
}

} // namespace

TagTableModel::TagTableModel(Kind kind, QObject *parent)
    : QAbstractTableModel(parent), m_kind(kind), m_headers(defaultHeaderTexts(kind))
{
}

QStringList TagTableModel::defaultHeaderTexts(Kind kind)
{
    QStringList texts{QStringLiteral("No."), QStringLiteral("UID"), QStringLiteral("RSSI"),
                      QStringLiteral("LQI"), QStringLiteral("DI"),  QStringLiteral("T1"),
                      QStringLiteral("T2")};
    if (kind == Kind::AllTags)
        texts << QStringLiteral("Count");
    return texts;
}

void TagTableModel::setHeaderTexts(const QStringList &texts)
{
    const int columns = columnCount();
    for (int c = 0; c < columns && c < texts.size(); ++c)
        m_headers[c] = texts[c];
    emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
}

int TagTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : size();
}

int TagTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return columnCountOf(m_kind);
}

QVariant TagTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return cellText(index.row(), index.column());
}

QVariant TagTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

int TagTableModel::appendRow(const QString &uid)
{
    const int r = size();
    beginInsertRows(QModelIndex(), r, r);
    TagRow row;
    row.uid = uid;
    m_rows.push_back(std::move(row));
    m_index.insertFirst(uid, r); // a repeated UID keeps pointing at its first row
    endInsertRows();
    return r;
}

void TagTableModel::replaceRow(int r, const QString &uid)
{
    TagRow &row = m_rows[size_t(r)];
    m_index.remove(row.uid, r);
    row = TagRow{};
    row.uid = uid;
    m_index.insertFirst(uid, r);
    emit dataChanged(index(r, 0), index(r, columnCount() - 1), {Qt::DisplayRole});
}

void TagTableModel::enterReport(int r, const TTagReport &report)
{
    TagRow &row = m_rows[size_t(r)];
    row.rssi = report.rssi;
    row.lqi = report.lqi;
    row.di = report.di;
    row.t1 = report.t1;
    row.t2 = report.t2;
    row.reported = true;
    if (m_kind == Kind::AllTags)
        ++row.count;
    markDirty(r);
}

QString TagTableModel::diText(int r) const
{
    const QString text = diFlagText(m_rows[size_t(r)].di);
    if (m_kind == Kind::AllTags && isBlank(text))
        return QStringLiteral("-");
    return text;
}

QString TagTableModel::cellText(int r, int column) const
{
    const TagRow &row = m_rows[size_t(r)];
    if (column == ColNo)
        return QString::number(r + 1);
    if (column == ColUid)
        return row.uid;
    if (!row.reported)
        return {};
    switch (column) {
    case ColRssi:
        return m_kind == Kind::AllTags ? threeDigits(row.rssi) : QString::number(row.rssi);
    case ColLqi:
        return QString::number(row.lqi);
    case ColDi:
        return diText(r);
    case ColT1:
        return row.t1;
    case ColT2:
        return row.t2;
    case ColReportCount:
        return m_kind == Kind::AllTags ? QString::number(row.count) : QString();
    default:
        return {};
    }
}

void TagTableModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_index.clear();
    m_dirtyFirst = m_dirtyLast = -1;
    endResetModel();
    m_currentRow = -1;
    m_currentPending = true;
}

void TagTableModel::setCurrentRow(int r)
{
    if (r == m_currentRow)
        return;
    m_currentRow = r;
    m_currentPending = true;
}

void TagTableModel::markDirty(int r)
{
    if (m_dirtyFirst < 0) {
        m_dirtyFirst = m_dirtyLast = r;
        return;
    }
    if (r < m_dirtyFirst)
        m_dirtyFirst = r;
    else if (r > m_dirtyLast)
        m_dirtyLast = r;
}

void TagTableModel::flushChanges()
{
    if (m_dirtyFirst >= 0) {
        const int first = m_dirtyFirst;
        const int last = m_dirtyLast;
        m_dirtyFirst = m_dirtyLast = -1;
        emit dataChanged(index(first, ColRssi), index(last, columnCount() - 1), {Qt::DisplayRole});
    }
    if (m_currentPending) {
        m_currentPending = false;
        emit currentRowChanged(m_currentRow);
    }
}
