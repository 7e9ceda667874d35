#pragma once

#include "tagcfg/ProvisioningCsv.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

// A provisioning plan as the window's result table shows it: one row per plan row with the result
// file's columns (uid, command, args, ok, text, values, seconds), written as the file writes them.
// A row that has not run shows only what the plan says; a retry clears the rows it runs again
// until their new results come in.
class ProvisioningResultModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumns = 7;
    // Qt::UserRole: true or false for a row that has run, nothing for one that has not.
    static constexpr int kOkRole = Qt::UserRole;

    explicit ProvisioningResultModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void setHeaders(const QStringList &headers);
    // A new plan: every row not run.
    void setPlan(const std::vector<ProvisioningRow> &rows);
    // The result of plan row `row`.
    void setResult(int row, const ProvisioningRow &result);
    // These plan rows are run again: their results are cleared.
    void clearResults(const std::vector<int> &rows);

    // Plan rows that ran and failed, in plan order.
    std::vector<int> failedRows() const;
    // The plan rows at `indexes`, as a plan (no results).
    std::vector<ProvisioningRow> planRows(const std::vector<int> &indexes) const;
    // The rows that have run, in plan order, as the result file holds them.
    std::vector<ProvisioningRow> finishedRows() const;

private:
    struct Entry
    {
        ProvisioningRow row;
        bool ran = false;
        QStringList fields;
    };
    static QStringList fieldsOf(const Entry &entry);

    std::vector<Entry> m_entries;
    QStringList m_headers;
};
