#pragma once

#include "tagcfg/TagPollReport.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>

// The tags the tag panel's read loop has seen (the grid grdTagUID): one row per UID with the
// columns "No.", "UID", "RSSI", "LQI", "DI", "T1", "T2". Clearing it leaves the headers "NO", "UID",
// ... as the panel's Clear button writes them.
class TagUidModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumns = 7;

    explicit TagUidModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Enters a report: a new row for an unknown UID, else the tag's row is updated. Returns the
    // row (0-based).
    int apply(const TagPollReport &report);
    void clear();
    // Drops every row and shows `headers` (the window's language switch: translated "No.", "UID", ...).
    void reset(const QStringList &headers);
    // The UID of a row, empty outside the model.
    QString uidAt(int row) const;

private:
    struct Row
    {
        QString uid;
        QString rssi, lqi, status, t1, t2;
    };

    QList<Row> m_rows;
    QHash<QString, int> m_byUid;
    QStringList m_headers;
};
