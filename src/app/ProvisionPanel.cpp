#include "app/ProvisionPanel.h"

#include "app/Controls.h"
#include "app/ProvisionRowMarks.h"
#include "app/WindowTranslator.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

using namespace Controls;

namespace {
const QString kFilter = QStringLiteral("CSV files (*.csv)");
const QString kOpenTitle = QStringLiteral("Open provisioning plan");
const QString kSaveTitle = QStringLiteral("Save provisioning result");
constexpr int kVisibleRows = 4;
} // namespace

ProvisionPanel::ProvisionPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlProvision"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *buttons = new QHBoxLayout;
    m_btnProvision = button(this, "btnProvision", QStringLiteral("Provision from file..."));
    m_btnRetryFailed = button(this, "btnRetryFailed", QStringLiteral("Retry failed"));
    m_btnSaveProvision = button(this, "btnSaveProvision", QStringLiteral("Save result..."));
    connect(m_btnProvision, &QPushButton::clicked, this, &ProvisionPanel::askPlanFile);
    connect(m_btnRetryFailed, &QPushButton::clicked, this, &ProvisionPanel::retryRequested);
    connect(m_btnSaveProvision, &QPushButton::clicked, this, &ProvisionPanel::saveRequested);
    for (QPushButton *b : {m_btnProvision, m_btnRetryFailed, m_btnSaveProvision})
        buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    auto *state = new QHBoxLayout;
    m_pbProvision = new QProgressBar(this);
    m_pbProvision->setObjectName(QStringLiteral("pbProvision"));
    m_pbProvision->setFormat(QStringLiteral("%v/%m"));
    state->addWidget(m_pbProvision, 1);
    m_lblProvision = label(this, "lblProvision", QString());
    WindowTranslator::exclude(m_lblProvision); // shows the run's state, not a caption
    m_lblProvision->setWordWrap(true);
    state->addWidget(m_lblProvision, 2);
    layout->addLayout(state);
    layout->addWidget(buildTable());
    // Until a plan is loaded only the buttons take room in the panel.
    m_pbProvision->hide();
    m_lblProvision->hide();
    m_grdProvision->hide();
    setActions(true, false, false);
}

// A few rows high, so the tag type pages above keep their room; it follows the row under way.
QTableView *ProvisionPanel::buildTable()
{
    m_grdProvision = new QTableView(this);
    m_grdProvision->setObjectName(QStringLiteral("grdProvision"));
    // The row headers number the rows and name the failed ones.
    m_grdProvision->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grdProvision->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdProvision->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdProvision->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grdProvision->horizontalHeader()->setStretchLastSection(true);
    m_grdProvision->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grdProvision->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int height = m_grdProvision->horizontalHeader()->sizeHint().height() +
                       kVisibleRows * m_grdProvision->verticalHeader()->defaultSectionSize() +
                       m_grdProvision->horizontalScrollBar()->sizeHint().height() +
                       2 * m_grdProvision->frameWidth();
    m_grdProvision->setFixedHeight(height);
    return m_grdProvision;
}

void ProvisionPanel::setModel(QAbstractItemModel *model)
{
    if (!m_marks)
        m_marks = new ProvisionRowMarks(this);
    m_marks->setSourceModel(model);
    m_grdProvision->setModel(m_marks);
}

void ProvisionPanel::setLanguage(Language language)
{
    m_language = language;
    if (m_marks)
        m_marks->setLanguage(language);
    for (QFileDialog *d : {m_planDialog, m_resultDialog}) {
        if (!d)
            continue;
        d->setWindowTitle(translate(language, d == m_planDialog ? kOpenTitle : kSaveTitle));
        d->setNameFilter(translate(language, kFilter));
    }
}

void ProvisionPanel::setActions(bool canStart, bool canRetry, bool canSave)
{
    m_btnProvision->setEnabled(canStart);
    m_btnRetryFailed->setEnabled(canRetry);
    m_btnSaveProvision->setEnabled(canSave);
}

void ProvisionPanel::showResults()
{
    m_pbProvision->show();
    m_lblProvision->show();
    m_grdProvision->show();
}

void ProvisionPanel::showProgress(int done, int total)
{
    showResults();
    m_pbProvision->setRange(0, total);
    m_pbProvision->setValue(done);
}

void ProvisionPanel::showSummary(const QString &text)
{
    showResults();
    m_lblProvision->setText(text);
}

QString ProvisionPanel::summary() const
{
    return m_lblProvision->text();
}

void ProvisionPanel::followRow(int row)
{
    if (QAbstractItemModel *model = m_grdProvision->model())
        m_grdProvision->scrollTo(model->index(row, 0));
}

QFileDialog *ProvisionPanel::makeDialog(const char *name, bool save)
{
    auto *dialog = new QFileDialog(this);
    dialog->setObjectName(QLatin1String(name));
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    connect(dialog, &QFileDialog::fileSelected, this, [this, save](const QString &file) {
        if (file.isEmpty())
            return;
        if (save)
            emit resultFileChosen(file);
        else
            emit planChosen(file);
    });
    return dialog;
}

// The dialogs are not modal to the event loop: a run's rows go on while one is open.
void ProvisionPanel::askPlanFile()
{
    if (!m_planDialog)
        m_planDialog = makeDialog("dlgOpenPlan", false);
    setLanguage(m_language);
    m_planDialog->open();
}

void ProvisionPanel::askResultFile(const QString &suggestedPath)
{
    if (!m_resultDialog)
        m_resultDialog = makeDialog("dlgSaveProvision", true);
    setLanguage(m_language);
    const QFileInfo suggested(suggestedPath);
    m_resultDialog->setDirectory(suggested.absolutePath());
    m_resultDialog->selectFile(suggested.fileName());
    m_resultDialog->open();
}
