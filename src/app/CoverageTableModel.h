#pragma once

#include <QAbstractTableModel>
#include <QColor>

class CoverageMatrix;

// The coverage matrix as a table: the UID, then one column per reader label. A cell shows the latest
// RSSI and the report count ("96 (3)"), its background the latest RSSI on one colour scale from red
// (weak) to green (strong); the sort role gives numbers. The table follows the matrix only when
// sync() is called, so a hidden view costs nothing.
class CoverageTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kSortRole = Qt::UserRole;

    explicit CoverageTableModel(const CoverageMatrix &matrix, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void setUidHeader(const QString &text);
    // Takes over what changed in the matrix since the last call.
    void sync();

    // The colour of an RSSI on the scale.
    static QColor rssiColor(int rssi);

private:
    const CoverageMatrix &m_matrix;
    QString m_uidHeader = QStringLiteral("UID");
    int m_rows = 0;
    int m_readers = 0;
    quint64 m_version = 0;
};
