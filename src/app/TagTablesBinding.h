#pragma once

#include "i18n/LanguageTable.h"

#include <QObject>

class ReadTagPage;
class SettingsStore;
class TagTables;

// Connects the tag tables to the "Read TAG" page: the grids and lists show the tables' models;
// the page's filters, "Beep", "Number:", the RSSI threshold, double clicks, "Clear" and the CSV
// choices go to the tables; the tables' texts come back to the page. Settings that belong to these
// controls are written by the actions that change them ("TagFilterUID", "FileName", "AutoSaveFile",
// "AllTags").
class TagTablesBinding : public QObject
{
    Q_OBJECT
public:
    TagTablesBinding(ReadTagPage *page, TagTables *tables, SettingsStore *settings,
                     QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TagTablesBinding)

    // Takes over the page's current values (after the settings were loaded).
    void syncFromControls();
    // Translated header texts; every data row is dropped.
    void resetGrids(Language language);

signals:
    void tagIdChanged(const QString &uid);

private:
    void connectTexts();
    void connectInputs();
    void connectCsv();
    void connectCurrentRows();
    void handleAutoSaveClicked(bool autoSave, bool allTags);

    ReadTagPage *m_page;
    TagTables *m_tables;
    SettingsStore *m_settings;
};
