#pragma once

#include "reading/TagRow.h"
#include "reading/UidIndex.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <deque>

struct TTagReport;

// A tag grid: the all-tags table (one row per UID, with a report count) or the selected-tags table
// (the selected UIDs, RSSI in plain decimal and the DI text as built, no count).
//
// Rows stay in the order their UIDs were first entered; a hash next to the rows finds a UID's row in
// constant time. Rows are appended at once (rowsInserted is always exact), but changes to existing
// rows are only marked; they go out as one grouped dataChanged when flushChanges() runs, which the
// owner calls from a 10-20 Hz refresh timer. The data itself is always current.
class TagTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum class Kind
    {
        AllTags,
        SelectedTags
    };
    enum Column
    {
        ColNo,
        ColUid,
        ColRssi,
        ColLqi,
        ColDi,
        ColT1,
        ColT2,
        ColReportCount, // how often the tag reported (all-tags table only)
        ColumnSentinel  // the number of columns of the all-tags table
    };
    // Columns of each kind: the selected-tags table has no report count.
    static constexpr int columnCountOf(Kind kind)
    {
        return kind == Kind::AllTags ? ColumnSentinel : ColReportCount;
    }

    explicit TagTableModel(Kind kind, QObject *parent = nullptr);

    // The untranslated header texts of a kind ("No.", "UID", ...).
    static QStringList defaultHeaderTexts(Kind kind);
    // Header texts in the current language; the window sets them when the language changes.
    void setHeaderTexts(const QStringList &texts);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    Kind kind() const { return m_kind; }
    int size() const { return int(m_rows.size()); }
    // Index of the UID's row (exact comparison), or -1.
    int findRow(const QString &uid) const { return m_index.value(uid); }
    // Appends a row holding only the UID; returns its index. A UID already present gets a second row
    // only through this call; lookups keep finding the first.
    int appendRow(const QString &uid);
    // Gives a row to another UID, as if it had just been appended: the old UID is no longer found.
    void replaceRow(int row, const QString &uid);
    // Enters a report's values into a row: RSSI, LQI, DI, T1, T2 and, in the all-tags table, the
    // count (+1).
    void enterReport(int row, const TTagReport &report);
    const TagRow &row(int row) const { return m_rows[size_t(row)]; }
    // The text shown in a cell, as the grid shows it.
    QString cellText(int row, int column) const;
    // The DI text of a row as this table shows it ("-" for no flag in the all-tags table).
    QString diText(int row) const;

    // Removes every row (headers stay).
    void clear();

    int currentRow() const { return m_currentRow; }
    void setCurrentRow(int row);

    // Sends the pending changes: one dataChanged over the changed rows, and the current row.
    void flushChanges();
    bool hasPendingChanges() const { return m_dirtyFirst >= 0 || m_currentPending; }

signals:
    // The row a grid should make current (the latest entered report's row); -1 after clear.
    void currentRowChanged(int row);

private:
    void markDirty(int row);

    Kind m_kind;
    QStringList m_headers;
    std::deque<TagRow> m_rows; // a deque: a new row never moves a million rows at once
    UidIndex m_index;
    int m_dirtyFirst = -1;
    int m_dirtyLast = -1;
    int m_currentRow = -1;
    bool m_currentPending = false;
};
