#include "app/CoverageView.h"

#include "app/Controls.h"
#include "app/CoverageTableModel.h"
#include "app/SaveAsDialog.h"
#include "app/WindowTranslator.h"
#include "reading/CoverageCsv.h"
#include "reading/CoverageMatrix.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

using namespace Controls;

CoverageView::CoverageView(const CoverageMatrix &matrix, QWidget *parent) : QWidget(parent), m_matrix(matrix)
{
    setObjectName(QStringLiteral("pnlCoverage"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QHBoxLayout;
    m_counts = label(this, "lblCoverageCount", QString());
    WindowTranslator::exclude(m_counts);
    bar->addWidget(m_counts);
    auto *save = button(this, "btnCoverageSave", QStringLiteral("Save as CSV..."));
    bar->addWidget(save);
    m_status = label(this, "lblCoverageStatus", QString());
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // never squeezes the counts
    WindowTranslator::exclude(m_status);
    bar->addWidget(m_status, 1);
    layout->addLayout(bar);

    m_model = new CoverageTableModel(matrix, this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(CoverageTableModel::kSortRole);
    m_proxy->setFilterKeyColumn(0);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("grdCoverage"));
    m_table->setModel(m_proxy);
    m_table->setSortingEnabled(true);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(20);
    m_table->horizontalHeader()->setDefaultSectionSize(90);
    layout->addWidget(m_table, 1);

    connect(save, &QPushButton::clicked, this, [this] {
        SaveAsDialog::ask(this, QStringLiteral("dlgCoverageCsv"), QStringLiteral("CSV (*.csv)"),
                          QStringLiteral("csv"), [this](const QString &file) {
                              QString error;
                              const bool ok = saveCsv(file, &error);
                              m_status->setText(
                                  ok ? translate(m_language, QStringLiteral("Saved to %1")).arg(file)
                                     : translate(m_language, QStringLiteral("Not saved: %1")).arg(error));
                          });
    });
    m_timer.setInterval(kRefreshMs);
    connect(&m_timer, &QTimer::timeout, this, &CoverageView::refresh);
    showCounts();
}

void CoverageView::setUidFilter(const QString &prefix)
{
    m_proxy->setFilterRegularExpression(
        prefix.isEmpty() ? QRegularExpression()
                         : QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(prefix)));
}

void CoverageView::setLanguage(Language language)
{
    m_language = language;
    m_model->setUidHeader(translate(language, QStringLiteral("UID")));
    // Room for large counts, so the text never gets cut while it grows.
    m_counts->setMinimumWidth(m_counts->fontMetrics().horizontalAdvance(
        translate(language, QStringLiteral("%1 tags, %2 readers")).arg(99999).arg(999)));
    showCounts();
}

void CoverageView::refresh()
{
    m_model->sync();
    // The UID column fits a whole UID once it exists.
    const int uidWidth = m_table->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000000")) + 24;
    if (m_model->columnCount() > 0 && m_table->columnWidth(0) < uidWidth)
        m_table->setColumnWidth(0, uidWidth);
    showCounts();
}

void CoverageView::showCounts()
{
    QString text = translate(m_language, QStringLiteral("%1 tags, %2 readers"))
                       .arg(m_matrix.tagCount())
                       .arg(m_matrix.readerCount());
    // Reports of tags or readers beyond the matrix's bound are not counted: say so.
    if (m_matrix.refusedReports() > 0)
        text += QLatin1Char(' ') +
                translate(m_language, QStringLiteral("(%1 reports beyond the bound not counted)"))
                    .arg(m_matrix.refusedReports());
    m_counts->setText(text);
}

bool CoverageView::saveCsv(const QString &file, QString *error)
{
    return CoverageCsv::write(m_matrix, file, error);
}

void CoverageView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
    m_timer.start();
}

void CoverageView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}
