#pragma once

#include "i18n/LanguageTable.h"

#include <QTimer>
#include <QWidget>

class CoverageMatrix;
class CoverageTableModel;
class QLabel;
class QSortFilterProxyModel;
class QTableView;

// The "Coverage" view of "Read TAG": which reader hears which tag and how strongly, as a sortable
// table of tags by reader labels, filtered by the tag ID filter, with "Save as CSV..." (the same CSV
// as `talvo-cli read --coverage`). It follows the matrix on a timer only while it is shown.
class CoverageView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 100;

    explicit CoverageView(const CoverageMatrix &matrix, QWidget *parent = nullptr);

    // Rows whose UID starts with `prefix` are shown (all when empty).
    void setUidFilter(const QString &prefix);
    void setLanguage(Language language);
    // Takes over the matrix now.
    void refresh();
    QTableView *table() const { return m_table; }
    bool saveCsv(const QString &file, QString *error);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showCounts();

    const CoverageMatrix &m_matrix;
    Language m_language = Language::English;
    CoverageTableModel *m_model = nullptr;
    QSortFilterProxyModel *m_proxy = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_counts = nullptr;
    QLabel *m_status = nullptr;
    QTimer m_timer;
};
