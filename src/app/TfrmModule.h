#pragma once

#include "app/ReadTagController.h"
#include "base/SettingsStore.h"

#include <QMainWindow>
#include <optional>

class PageControl;
class QLabel;
class ReadTagPage;
class SetReaderController;
class SetReaderPage;
class SetTagController;
class SetTagPage;
class TonePlayer;

// The main window: "Set Reader", "Read TAG" and the tab-less "Set TAG" page in `pcMain`, the status
// bar and the language buttons. It assembles the pages, loads the settings at start-up, switches
// languages and leaves through "Exit" (a close request from the window manager takes the same path:
// a running session is stopped first, then "PAGE" and "LanguageIndex" are stored).
class TfrmModule : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr const char *kTitle = "Talvo Utility V0304";
    // The application's own title (the window's icon text), older than the caption's version.
    static constexpr const char *kApplicationTitle = "Talvo Utility V0303";

    // `selectionListFile`: where the tag selection is kept between runs (empty: the documents folder).
    TfrmModule(SettingsStore *settings, TonePlayer *tone, const QString &selectionListFile = QString(),
               QWidget *parent = nullptr);
    ~TfrmModule() override;
    Q_DISABLE_COPY_MOVE(TfrmModule)

    ReadTagController *reading() const { return m_reading; }
    SetReaderController *readerCommands() const { return m_readerCommands; }
    SetTagController *tagPanel() const { return m_tagPanel; }
    // Window sizes while the tag settings panel is shown and after it is closed. The panel is taller
    // than its first layout's 688 pixels so that every control of a tag type page is in view; it
    // still fits a 1366 x 768 screen with its frame.
    static constexpr QSize kTagPanelSize{470, 720};
    static constexpr QSize kNormalSize{920, 680};
    static constexpr int kStatusPanelWidth = 320;
    Language language() const { return m_language; }
    // The link kind of the reading side (stored as "PAGE").
    LinkKind linkKind() const { return m_linkKind; }

    // Window size on a screen of `screen`: 1024 x 768, else 1000 x 700, else the screen.
    static QSize startupSize(const QSize &screen);
    // "Talvo Utility V0304", an ideographic space, "[" + the program file's date + "]".
    static QString caption(const QString &programFile);

    void setLanguage(Language language);
    // Reads one serial port: the "COM" page with only port `number` ticked, opening `device`.
    void readSerialPort(int number, const QString &device);
    // Re-translates every caption, refills `cmbNet` and resets the grids to their header rows.
    void applyLanguage();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();
    void buildStatusBar();
    void connectTagPanel();
    // "Set TAG": the tag settings panel in front (a tag must be chosen), "OK": back to "Read TAG".
    void openTagPanel();
    void closeTagPanel();
    void setTagPanelShown(bool shown);
    void fillComList();
    void loadSettings();
    void applyStoredValues(const SettingsStore::Values &v);
    void handleTagMainChange();
    void handleMainPageShown(int index);
    // The steps of showing "Read TAG": the reading link page follows the configuration link page.
    void followConfigLinkPage();
    void handleSessionEnded();
    void handleTagPanelBusy(bool busy);
    void resetGrids();
    // The second status panel: the latest problem of the reading or of a configuration link.
    void reportProblem(const Problem &problem);
    void clearProblem();
    void showProblem();

    SettingsStore *m_settings;
    TonePlayer *m_tone;
    PageControl *m_pcMain = nullptr;
    SetReaderPage *m_setReader = nullptr;
    ReadTagPage *m_readTag = nullptr;
    SetTagPage *m_setTag = nullptr;
    SetTagController *m_tagPanel = nullptr;
    ReadTagController *m_reading = nullptr;
    SetReaderController *m_readerCommands = nullptr;
    QLabel *m_statusPanel = nullptr;
    QLabel *m_problemPanel = nullptr;
    QString m_selectionListFile;
    Language m_language = Language::English;
    LinkKind m_linkKind = LinkKind::TcpToReaders;
    LinkKind m_configKindLeft = LinkKind::Serial; // the configuration page when "Read TAG" was left
    bool m_closing = false;                       // a close waits for the session to end
    bool m_shutDown = false;                      // the close steps ran
    std::optional<Problem> m_problem;             // shown in the second status panel, in the current language
};
