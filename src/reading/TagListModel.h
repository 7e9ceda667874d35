#pragma once

#include "reading/UidIndex.h"

#include <QAbstractListModel>
#include <QStringList>

// A list of tag UIDs with one column ("ID"): the tag list (every UID of the all-tags table, in order
// of first appearance) or the selection list (the UIDs whose reports also go to the selected-tags
// table). A hash next to the list finds the first entry of a UID in constant time.
//
// The current item (the list's selected entry) is kept here; views learn about it from
// currentRowChanged, sent by flushChanges().
class TagListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit TagListModel(QObject *parent = nullptr);

    void setHeaderText(const QString &text);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    int size() const { return int(m_uids.size()); }
    bool isEmpty() const { return m_uids.isEmpty(); }
    const QString &uidAt(int row) const { return m_uids[row]; }
    const QStringList &uids() const { return m_uids; }
    // First entry holding exactly this UID, or -1.
    int indexOf(const QString &uid) const { return m_index.value(uid); }
    bool contains(const QString &uid) const { return m_index.contains(uid); }

    // Appends an entry; returns its row.
    int append(const QString &uid);
    // Gives an entry to another UID.
    void replaceAt(int row, const QString &uid);
    void removeAt(int row);
    void clear();

    int currentRow() const { return m_currentRow; }
    void setCurrentRow(int row);
    void flushChanges();

signals:
    void currentRowChanged(int row);

private:
    void rebuildIndex();

    QString m_header;
    QStringList m_uids;
    UidIndex m_index;
    int m_currentRow = -1;
    bool m_currentPending = false;
};
