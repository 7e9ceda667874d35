#include "app/TagTablesBinding.h"

#include "app/ReadButtonPanel.h"
#include "app/ReadTagPage.h"
#include "base/SettingsStore.h"
#include "i18n/LanguageTable.h"
#include "reading/TagTables.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

namespace {
// Sets a text only when it changed, so a typing user's cursor stays put.
void showText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void followCurrentRow(QAbstractItemView *view, int row)
{
    if (row < 0 || !view->model())
        return;
    const QModelIndex index = view->model()->index(row, 0);
    view->setCurrentIndex(index);
    view->scrollTo(index);
}
} // namespace

TagTablesBinding::TagTablesBinding(ReadTagPage *page, TagTables *tables, SettingsStore *settings,
                                   QObject *parent)
    : QObject(parent), m_page(page), m_tables(tables), m_settings(settings)
{
    m_page->setModels(m_tables->allTags(), m_tables->selectedTags(), m_tables->tagList(),
                      m_tables->selectionList());
    connectTexts();
    connectInputs();
    connectCsv();
    connectCurrentRows();
}

void TagTablesBinding::connectTexts()
{
    ReadButtonPanel *buttons = m_page->buttons();
    connect(m_tables, &TagTables::tagCountTextChanged, buttons->pnlTagCount(), &QLabel::setText);
    connect(m_tables, &TagTables::tagIdTextChanged, this, [this](const QString &uid) {
        showText(m_page->buttons()->edtTagID(), uid);
        emit tagIdChanged(uid);
    });
    connect(m_tables, &TagTables::selectionTimeTextChanged, m_page->pnlTime(), &QLabel::setText);
    connect(m_tables, &TagTables::selectedCountTextChanged, m_page->pnCount(), &QLabel::setText);
    connect(m_tables, &TagTables::rssiTextChanged, buttons->pnRSSI(), &QLabel::setText);
    connect(m_tables, &TagTables::numberTextChanged, this,
            [this](const QString &text) { showText(m_page->edNo(), text); });
    connect(m_tables, &TagTables::tagFilterChanged, this,
            [this](const QString &text) { showText(m_page->edtTagFilter(), text); });
    connect(m_tables, &TagTables::problem, this, &TagTablesBinding::problemReported);
}

void TagTablesBinding::connectInputs()
{
    ReadButtonPanel *buttons = m_page->buttons();
    connect(m_page->edtTagFilter(), &QLineEdit::textEdited, this, [this](const QString &text) {
        m_tables->setTagFilter(text);
        m_settings->writeTagFilter(m_tables->tagFilter());
    });
    connect(buttons->sbRSSI(), &QScrollBar::valueChanged, m_tables, &TagTables::setRssiThreshold);
    connect(m_page->cbxBeep(), &QCheckBox::toggled, m_tables, &TagTables::setBeep);
    connect(m_page->chbAutoSave(), &QCheckBox::toggled, m_tables, &TagTables::setAutoSave);
    connect(m_page->chbAllTags(), &QCheckBox::toggled, m_tables, &TagTables::setAllTagsLog);
    connect(buttons->btnClear(), &QPushButton::clicked, m_tables, &TagTables::clear);
    connect(m_page->lvTag(), &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { m_tables->selectTag(index.row()); });
    connect(m_page->lvSel(), &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { m_tables->unselect(index.row()); });
    connect(m_tables, &TagTables::selectionEntryFocused, this, [this](int row) {
        m_page->lvSel()->setFocus();
        followCurrentRow(m_page->lvSel(), row);
    });
    m_numberBox = m_page->edNo();
    m_numberBox->installEventFilter(this);
}

void TagTablesBinding::connectCsv()
{
    CsvLog *csv = m_tables->csvLog();
    connect(csv, &CsvLog::fileNameChanged, this,
            [this](const QString &name) { showText(m_page->edFile(), name); });
    connect(csv, &CsvLog::allTagsFileNameChanged, m_page->edFile2(), &QLineEdit::setText);
    connect(csv, &CsvLog::linesNotWritten, this, [this](quint64 total, const QString &reason) {
        emit problemReported(tr("%1 CSV line(s) not written: %2").arg(total).arg(reason));
    });
    connect(m_page->edFile(), &QLineEdit::editingFinished, this,
            [this] { m_tables->csvLog()->setFileName(m_page->edFile()->text().trimmed()); });
    connect(m_page->chbAutoSave(), &QCheckBox::clicked, this, &TagTablesBinding::handleAutoSaveClicked);
    connect(m_page->chbAllTags(), &QCheckBox::clicked, this, &TagTablesBinding::handleAutoSaveClicked);
    connect(m_page->btnFile(), &QPushButton::clicked, this, &TagTablesBinding::chooseFile);
}

void TagTablesBinding::connectCurrentRows()
{
    connect(m_tables->allTags(), &TagTableModel::currentRowChanged, this,
            [this](int row) { followCurrentRow(m_page->grdUID(), row); });
    connect(m_tables->selectedTags(), &TagTableModel::currentRowChanged, this,
            [this](int row) { followCurrentRow(m_page->grdSel(), row); });
    connect(m_tables->tagList(), &TagListModel::currentRowChanged, this,
            [this](int row) { followCurrentRow(m_page->lvTag(), row); });
    connect(m_tables->selectionList(), &TagListModel::currentRowChanged, this,
            [this](int row) { followCurrentRow(m_page->lvSel(), row); });
}

void TagTablesBinding::syncFromControls()
{
    m_tables->csvLog()->setFileName(m_page->edFile()->text().trimmed());
    m_tables->setTagFilter(m_page->edtTagFilter()->text());
    m_tables->setAutoSave(m_page->chbAutoSave()->isChecked());
    m_tables->setAllTagsLog(m_page->chbAllTags()->isChecked());
    m_tables->setBeep(m_page->cbxBeep()->isChecked());
    m_tables->setRssiThreshold(m_page->buttons()->sbRSSI()->value());
    m_tables->flushChanges();
}

void TagTablesBinding::resetGrids(int language)
{
    for (TagTableModel *model : {m_tables->allTags(), m_tables->selectedTags()}) {
        QStringList headers = TagTableModel::defaultHeaderTexts(model->kind());
        for (QString &h : headers)
            h = translate(language, h);
        model->setHeaderTexts(headers);
        model->clear();
    }
    m_tables->flushChanges();
    m_page->fitGridColumns();
}

bool TagTablesBinding::eventFilter(QObject *watched, QEvent *event)
{
    // "Number:": a typed character restarts the selection timing; a released key also rewrites the
    // box as its number.
    if (m_numberBox && watched == m_numberBox) {
        if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent *>(event)->text().isEmpty()) {
            QMetaObject::invokeMethod(m_tables, &TagTables::numberKeyPressed, Qt::QueuedConnection);
        } else if (event->type() == QEvent::KeyRelease) {
            QPointer<QLineEdit> box = static_cast<QLineEdit *>(watched);
            QMetaObject::invokeMethod(
                this,
                [this, box] {
                    if (box)
                        m_tables->numberKeyReleased(box->text());
                },
                Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

void TagTablesBinding::handleAutoSaveClicked()
{
    const bool autoSave = m_page->chbAutoSave()->isChecked();
    m_settings->writeAutoSave(autoSave, m_page->chbAllTags()->isChecked());
    if (autoSave)
        m_tables->csvLog()->ensureFolder();
}

void TagTablesBinding::chooseFile()
{
    // The dialog is not modal to the event loop: reading goes on while it is open.
    if (!m_fileDialog) {
        m_fileDialog =
            new QFileDialog(m_page, QString(), QString(), QStringLiteral("Excel CSV files (*.csv)"));
        m_fileDialog->setObjectName(QStringLiteral("dlgSaveFile"));
        m_fileDialog->setAcceptMode(QFileDialog::AcceptSave);
        m_fileDialog->setDefaultSuffix(QStringLiteral("csv"));
        connect(m_fileDialog, &QFileDialog::fileSelected, this, [this](const QString &file) {
            if (file.isEmpty())
                return;
            m_tables->csvLog()->setFileName(file);
            showText(m_page->edFile(), file);
            m_settings->writeFileName(file);
        });
    }
    const QFileInfo current(m_page->edFile()->text());
    m_fileDialog->setDirectory(current.absolutePath());
    m_fileDialog->selectFile(current.fileName());
    m_fileDialog->open();
}
