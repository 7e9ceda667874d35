#pragma once

#include "app/ReadingLinkRequest.h"
#include "base/Clock.h"
#include "base/Timing.h"
#include "link/SerialPortMap.h"
#include "reading/ReadingSession.h"
#include "reading/ReportDecoder.h"
#include "reading/TagTables.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class ReadTagPage;
class ReadingLinks;
class SettingsStore;
class TagTablesBinding;
class TonePlayer;

// Runs the "Read TAG" page: Start/Stop of a reading session over the links of the page in front, the
// decoder and its tamper alarm, the activity blink, the counters, and the settings written when
// reading starts. Reading never blocks the window: the session is driven by the links' signals.
class ReadTagController : public QObject
{
    Q_OBJECT
public:
    using LinksFactory = std::function<std::unique_ptr<ReadingLinks>(const ReadingLinkRequest &)>;

    ReadTagController(ReadTagPage *page, SettingsStore *settings, TonePlayer *tone,
                      const QString &selectionListFile, QObject *parent = nullptr);
    ~ReadTagController() override;

    void setLinksFactory(LinksFactory factory) { m_factory = std::move(factory); }
    // The links of a request's kind, wired to the page's connection lists.
    std::unique_ptr<ReadingLinks> createLinks(const ReadingLinkRequest &request);
    // Shows next to each COM box the device its number opens.
    void loadPortMap();
    // The device COM `number` opens (kept with the settings, shown next to its box).
    void setComDevice(int number, const QString &device);
    void setTiming(const Timing &timing);
    void setLanguage(int language);
    void setLocalHostAddress(const QString &address) { m_localHostAddress = address; }
    // Frames are decoded only while the "Read TAG" page is in front.
    void setReadingActive(bool active) { m_decoder.setReadingActive(active); }

    // "Start" when idle, "Stop" while a session runs.
    const QString &sessionState() const { return m_sessionState; }
    bool isBusy() const { return m_session.state() != ReadingSession::State::Idle; }
    ReadingSession &session() { return m_session; }
    // The links of the running session (nullptr when idle).
    ReadingLinks *links() const { return m_links.get(); }
    ReportDecoder &decoder() { return m_decoder; }
    TagTables &tables() { return m_tables; }
    TagTablesBinding *binding() const { return m_binding; }
    // Start-up: the saved selection list goes into the tables; the controls' values go to the tables.
    void loadSelectionList();
    void syncFromControls();

    // The Start/Stop button.
    void startOrStop();
    // Stops a running session (page changes, "Save", closing the window).
    void stopIfRunning();
    // Rewrites the port boxes as numbers (4001 where a box holds no number).
    void normalizePortTexts();

signals:
    // The session is over and the links are closed.
    void sessionEnded();
    // Text for the first status-bar panel, and problems for the second.
    void statusText(const QString &text);
    void problemReported(const QString &message);
    // A reader connected or a UDP sender was heard: the configuration page offers it as its target
    // (`linkMode` says which page).
    void readerSeen(int linkMode, const QString &address, quint16 port);
    // The UID of the latest entered report ("TAG ID:").
    void tagIdChanged(const QString &uid);

private:
    void start();
    void requestStop();
    void handleSessionEnded();
    void handleTamper(bool shown, const QString &caption);
    void handleTemperReset();
    void updateTypeSwitches();
    void handleSave();
    void setSessionState(const QString &state);
    void saveStartSettings();
    void handleDeviceEdited(int number);
    ReadingLinkRequest buildRequest() const;

    ReadTagPage *m_page;
    SettingsStore *m_settings;
    QString m_selectionListFile;
    SystemClock m_clock;
    LinksFactory m_factory;
    ReadingSession m_session;
    ReportDecoder m_decoder;
    TagTables m_tables;
    TagTablesBinding *m_binding = nullptr;
    bool m_snapshotPending = false; // "Save" during a session writes once the session is over
    std::unique_ptr<ReadingLinks> m_links;
    SerialPortMap m_portMap;
    Timing m_timing;
    QString m_sessionState = QStringLiteral("Start");
    QString m_localHostAddress = QStringLiteral("192.168.1.1");
    int m_language = 0;
};
