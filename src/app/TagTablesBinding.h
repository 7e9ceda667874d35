#pragma once

#include <QObject>
#include <QPointer>

class QFileDialog;
class QLineEdit;
class ReadTagPage;
class SettingsStore;
class TagTables;

// Connects the tag tables to the controls of the "Read TAG" page: the grids and lists show the
// tables' models; filters, "Beep", "Number:", the RSSI threshold, double clicks, "Clear" and the CSV
// controls go to the tables; the tables' texts come back to the panels. Settings that belong to these
// controls are written by the actions that change them ("TagFilterUID", "FileName", "AutoSaveFile",
// "AllTags").
class TagTablesBinding : public QObject
{
    Q_OBJECT
public:
    TagTablesBinding(ReadTagPage *page, TagTables *tables, SettingsStore *settings,
                     QObject *parent = nullptr);

    // Takes over the controls' current values (after the settings were loaded).
    void syncFromControls();
    // Translated header texts; every data row is dropped.
    void resetGrids(int language);

signals:
    void tagIdChanged(const QString &uid);
    void problemReported(const QString &message);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectTexts();
    void connectInputs();
    void connectCsv();
    void connectCurrentRows();
    void handleAutoSaveClicked();
    void chooseFile();

    ReadTagPage *m_page;
    TagTables *m_tables;
    SettingsStore *m_settings;
    QFileDialog *m_fileDialog = nullptr;
    // The "Number:" box whose keys are filtered. Held on its own, and only as an object to compare
    // with: the box outlives the page object while the page's children are destroyed, and still
    // receives events then, when it is no longer a line edit.
    QPointer<QObject> m_numberBox;
};
