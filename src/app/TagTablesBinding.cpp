#include "app/TagTablesBinding.h"

#include "app/ReadTagPage.h"
#include "base/SettingsStore.h"
#include "reading/TagTables.h"

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
    connect(m_tables, &TagTables::tagCountTextChanged, m_page, &ReadTagPage::showTagCount);
    connect(m_tables, &TagTables::tagIdTextChanged, this, [this](const QString &uid) {
        m_page->showTagId(uid);
        emit tagIdChanged(uid);
    });
    connect(m_tables, &TagTables::selectionTimeTextChanged, m_page, &ReadTagPage::showSelectionTime);
    connect(m_tables, &TagTables::selectedCountTextChanged, m_page, &ReadTagPage::showSelectedCount);
    connect(m_tables, &TagTables::rssiTextChanged, m_page, &ReadTagPage::showRssi);
    connect(m_tables, &TagTables::numberTextChanged, m_page, &ReadTagPage::showNumber);
    connect(m_tables, &TagTables::tagFilterChanged, m_page, &ReadTagPage::showTagFilter);
}

void TagTablesBinding::connectInputs()
{
    connect(m_page, &ReadTagPage::tagFilterEdited, this, [this](const QString &text) {
        m_tables->setTagFilter(text);
        m_settings->writeTagFilter(m_tables->tagFilter());
    });
    connect(m_page, &ReadTagPage::rssiThresholdChanged, m_tables, &TagTables::setRssiThreshold);
    connect(m_page, &ReadTagPage::beepToggled, m_tables, &TagTables::setBeep);
    connect(m_page, &ReadTagPage::autoSaveToggled, m_tables, &TagTables::setAutoSave);
    connect(m_page, &ReadTagPage::allTagsToggled, m_tables, &TagTables::setAllTagsLog);
    connect(m_page, &ReadTagPage::clearRequested, m_tables, &TagTables::clear);
    connect(m_page, &ReadTagPage::tagListActivated, m_tables, &TagTables::selectTag);
    connect(m_page, &ReadTagPage::selectionActivated, m_tables, &TagTables::unselect);
    connect(m_tables, &TagTables::selectionEntryFocused, m_page, &ReadTagPage::focusSelectionRow);
    connect(m_page, &ReadTagPage::numberKeyPressed, m_tables, &TagTables::numberKeyPressed);
    connect(m_page, &ReadTagPage::numberKeyReleased, m_tables, &TagTables::numberKeyReleased);
}

void TagTablesBinding::connectCsv()
{
    CsvLog *csv = m_tables->csvLog();
    connect(csv, &CsvLog::fileNameChanged, m_page, &ReadTagPage::showCsvFile);
    connect(csv, &CsvLog::allTagsFileNameChanged, m_page, &ReadTagPage::showAllTagsFile);
    connect(m_page, &ReadTagPage::csvFileEdited, csv, &CsvLog::setFileName);
    connect(m_page, &ReadTagPage::autoSaveClicked, this, &TagTablesBinding::handleAutoSaveClicked);
    connect(m_page, &ReadTagPage::csvFileChosen, this, [this](const QString &file) {
        m_tables->csvLog()->setFileName(file);
        m_settings->writeFileName(file);
    });
}

void TagTablesBinding::connectCurrentRows()
{
    using Grid = ReadTagPage::Grid;
    connect(m_tables->allTags(), &TagTableModel::currentRowChanged, this,
            [this](int row) { m_page->followRow(Grid::AllTags, row); });
    connect(m_tables->selectedTags(), &TagTableModel::currentRowChanged, this,
            [this](int row) { m_page->followRow(Grid::SelectedTags, row); });
    connect(m_tables->tagList(), &TagListModel::currentRowChanged, this,
            [this](int row) { m_page->followRow(Grid::TagList, row); });
    connect(m_tables->selectionList(), &TagListModel::currentRowChanged, this,
            [this](int row) { m_page->followRow(Grid::Selection, row); });
}

void TagTablesBinding::syncFromControls()
{
    m_tables->csvLog()->setFileName(m_page->csvFile());
    m_tables->setTagFilter(m_page->tagFilter());
    m_tables->setAutoSave(m_page->autoSave());
    m_tables->setAllTagsLog(m_page->allTags());
    m_tables->setBeep(m_page->beep());
    m_tables->setRssiThreshold(m_page->rssiThreshold());
    m_tables->flushChanges();
}

void TagTablesBinding::resetGrids(Language language)
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

void TagTablesBinding::handleAutoSaveClicked(bool autoSave, bool allTags)
{
    m_settings->writeAutoSave(autoSave, allTags);
    if (autoSave)
        m_tables->csvLog()->ensureFolder();
}
