#pragma once

#include "app/PublishGroup.h"
#include "base/LinkKind.h"
#include "base/SettingsStore.h"
#include "i18n/LanguageTable.h"
#include "reading/LinkRequest.h"
#include "reading/ReportDecoder.h"

#include <QWidget>
#include <array>

struct LinkLogEvent;
class PageControl;
class QAbstractItemModel;
class QAbstractItemView;
class QCheckBox;
class QFileDialog;
class QFontMetrics;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTableView;
class ReadButtonPanel;
class ReadLinkPages;

// The "Read TAG" page (`tsReadTag`): the link pages and the button panel on the left; on the right
// `pcReadTag` with "View All TAG" (filters, type switches, the all-tags grid, the tag list and the
// selection) and "View Select TAG" (the selected-tags grid, its timing and the CSV controls).
//
// The page keeps its controls to itself: it hands out the values the user set (the link request, what
// reading start stores, the filters) and says what the user asked for through signals; it shows the
// values it is given.
class ReadTagPage : public QWidget
{
    Q_OBJECT
public:
    enum class Grid
    {
        AllTags,
        SelectedTags,
        TagList,
        Selection
    };

    explicit ReadTagPage(QWidget *parent = nullptr);

    // Link kind and link settings.
    LinkKind linkKind() const;
    void showLinkKind(LinkKind kind);
    // The request for the links of the page in front; `comDevice(n)` is the device port n opens.
    LinkRequest linkRequest() const;
    // Rewrites the port boxes as port numbers and the tag filter trimmed, then gives what reading
    // start stores.
    SettingsStore::ReadingStart startSettings();
    // The stored values into the controls (start-up).
    void applySettings(const SettingsStore::Values &values);
    // The broker settings of the "Publish" group and the "MQTT" link page.
    SettingsStore::MqttValues mqttValues() const;
    // The "Publish" group (broker and web view values, and their states).
    PublishGroup *publishGroup() const { return m_publish; }
    bool publishing() const;
    void showPublishState(PublishGroup::State state, quint64 dropped);
    // Ticks COM port `number` alone.
    void tickOnlyComPort(int number);
    // "View All TAG" in front.
    void showFirstTagView();
    // Adds a view of the tag data as a page of its own after the tag tables.
    void addTagView(QWidget *view, const QString &name, const QString &caption);
    QString comDevice(int number) const;
    void showComDevice(int number, const QString &device);

    // Session look: while running the button says "Stop", the link pages are locked and the network
    // pages show their connection lists. Stopping: the readers are being told to stop; nothing can be
    // pressed until the session has ended.
    void setRunning(bool running);
    void setStopping();
    bool isRunning() const { return m_running; }
    void setLanguage(Language language);

    // Values of the filters and options.
    ReportTypeSwitches typeSwitches() const;
    QString tagFilter() const;
    QString csvFile() const;
    QString tagId() const;
    bool autoSave() const;
    bool allTags() const;
    bool beep() const;
    int rssiThreshold() const;

    // What the page shows.
    void setModels(QAbstractItemModel *allTags, QAbstractItemModel *selectedTags, QAbstractItemModel *tagList,
                   QAbstractItemModel *selection);
    // Gives the grid columns room for their texts (after a model or font change).
    void fitGridColumns();
    // Room for the 16 characters of a UID in the widest hex digits of `fm`.
    static int uidWidth(const QFontMetrics &fm);
    void followRow(Grid grid, int row);
    void focusSelectionRow(int row);
    void showTagCount(const QString &text);
    void showTagId(const QString &uid);
    void showSelectionTime(const QString &text);
    void showSelectedCount(const QString &text);
    void showRssi(const QString &text);
    void showNumber(const QString &text);
    void showTagFilter(const QString &text);
    void showCsvFile(const QString &file);
    void showAllTagsFile(const QString &file);
    // The tamper alarm panel and its reset button.
    void showTamper(bool shown, const QString &caption);
    void setBlinkPhase(int phase);
    void appendConnectionLog(const LinkLogEvent &event);
    void listClient(const QString &line);
    void unlistClient(const QString &line);
    void listSender(const QString &line);

signals:
    void startStopRequested();
    void exitRequested();
    void setTagRequested();
    void tamperResetRequested();
    void saveRequested();
    void clearRequested();
    void linkKindChanged(LinkKind kind);
    // A broker setting was changed (to be stored).
    void mqttEdited();
    void comDeviceEdited(int number, const QString &device);
    void typeSwitchesChanged();
    void tagFilterEdited(const QString &text);
    void rssiThresholdChanged(int position);
    void beepToggled(bool on);
    void autoSaveToggled(bool on);
    void allTagsToggled(bool on);
    // A click on "Auto Save To File" or "All tags" (the settings follow the click, not the toggle).
    void autoSaveClicked(bool autoSave, bool allTags);
    void tagListActivated(int row);
    void selectionActivated(int row);
    // "Number:": a character typed, a key released (with the text then).
    void numberKeyPressed();
    void numberKeyReleased(const QString &text);
    void csvFileEdited(const QString &file);
    void csvFileChosen(const QString &file);
    // A row of the all-tags grid was clicked: its UID is now in "TAG ID:".
    void tagClicked(const QString &uid);
    // The user typed in "TAG ID:".
    void tagIdEdited(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildViewAllPage();
    QWidget *buildViewSelectPage();
    void connectIntents();
    void connectTagChoice();
    QString allTagsUid(int row) const;
    void chooseFile();
    void showStartCaption(const char *key);
    QAbstractItemView *view(Grid grid) const;

    ReadLinkPages *m_links = nullptr;
    ReadButtonPanel *m_buttons = nullptr;
    PageControl *m_pcReadTag = nullptr;
    PublishGroup *m_publish = nullptr;
    QTableView *m_grdUID = nullptr;
    QTableView *m_grdSel = nullptr;
    QWidget *m_pnlSel = nullptr;
    QListView *m_lvTag = nullptr;
    QListView *m_lvSel = nullptr;
    QLineEdit *m_edtTagFilter = nullptr;
    std::array<QCheckBox *, 4> m_typeChecks{};
    QCheckBox *m_cbxBeep = nullptr;
    QLineEdit *m_edNo = nullptr;
    QLabel *m_pnlTime = nullptr;
    QLabel *m_pnCount = nullptr;
    QLineEdit *m_edFile = nullptr;
    QLineEdit *m_edFile2 = nullptr;
    QPushButton *m_btnFile = nullptr;
    QPushButton *m_btnSave = nullptr;
    QCheckBox *m_chbAutoSave = nullptr;
    QCheckBox *m_chbAllTags = nullptr;
    QFileDialog *m_fileDialog = nullptr;
    bool m_running = false;
    Language m_language = Language::English;
};
