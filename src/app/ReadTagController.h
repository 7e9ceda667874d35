#pragma once

#include "base/Clock.h"
#include "base/LinkKind.h"
#include "base/Timing.h"
#include "i18n/LanguageTable.h"
#include "link/SerialPortMap.h"
#include "reading/LinkRequest.h"
#include "reading/ReadingPipeline.h"

#include <QHostAddress>
#include <QObject>
#include <functional>
#include <memory>

class ReadTagPage;
class ReadTagPublishing;
class ReadTagWebView;
struct PublishSettings;
class ReadingLinks;
class SettingsStore;
class SignalViews;
class TagTablesBinding;
class TonePlayer;

// Runs the "Read TAG" page: Start/Stop of a reading session over the links of the page in front, the
// tamper alarm, the activity blink, the counters, and the settings written when reading starts. The
// reading itself is the core's pipeline; reading never blocks the window: the session is driven by
// the links' signals.
class ReadTagController : public QObject
{
    Q_OBJECT
public:
    using LinksFactory = std::function<std::unique_ptr<ReadingLinks>(const LinkRequest &)>;

    ReadTagController(ReadTagPage *page, SettingsStore *settings, TonePlayer *tone,
                      const QString &selectionListFile, QObject *parent = nullptr);
    ~ReadTagController() override;
    Q_DISABLE_COPY_MOVE(ReadTagController)

    // Tests and the demo replace the links a request makes.
    void setLinksFactory(LinksFactory factory) { m_factory = std::move(factory); }
    // Shows next to each COM box the device its number opens.
    void loadPortMap();
    // The device COM `number` opens (kept with the settings, shown next to its box).
    void setComDevice(int number, const QString &device);
    void setTiming(const Timing &timing) { m_pipeline.setTiming(timing); }
    void setLanguage(Language language);
    void setLocalHostAddress(const QHostAddress &address) { m_localHostAddress = address; }
    // Frames are decoded only while the "Read TAG" page is in front.
    void setReadingActive(bool active) { m_pipeline.decoder().setReadingActive(active); }

    // True from Start until Stop is pressed (the button then says "Stop").
    bool isRunning() const { return m_running; }
    // True until the links of the last session are closed.
    bool isBusy() const { return m_pipeline.isBusy(); }
    // True while the last session's publisher sends what it still holds (the session has ended;
    // sessionEnded() follows).
    bool isFlushing() const;
    // Times and queue sizes of the broker links (tests shorten them).
    void setBrokerBase(const PublishSettings &base);
    ReadTagPublishing *publishing() const { return m_publishing; }
    ReadingSession &session() { return m_pipeline.session(); }
    // The links of the running session (nullptr when idle).
    ReadingLinks *links() const { return m_pipeline.links(); }
    ReportDecoder &decoder() { return m_pipeline.decoder(); }
    TagTables &tables() { return m_pipeline.tables(); }
    TagTablesBinding *binding() const { return m_binding; }
    // The "Chart", "Coverage" and "Find TAG" views and their data.
    SignalViews *signalViews() const { return m_signalViews; }
    // Start-up: the saved selection list goes into the tables; the controls' values go to the tables.
    void loadSelectionList();
    void syncFromControls();

    // The Start/Stop button.
    void startOrStop();
    // Stops a running session (page changes, "Save", closing the window).
    void stopIfRunning();

signals:
    // The session is over and the links are closed.
    void sessionEnded();
    // Text for the first status-bar panel, and problems for the second.
    void statusText(const QString &text);
    void problemReported(const Problem &problem);
    void problemsCleared();
    // A reader connected or a UDP sender was heard: the configuration page of its kind offers it as
    // its target.
    void readerSeen(LinkKind kind, const QString &address, quint16 port);
    // The UID of the latest entered report ("TAG ID:").
    void tagIdChanged(const QString &uid);

private:
    void start();
    void requestStop();
    void handleSessionEnded();
    void finishSessionEnd();
    std::unique_ptr<ReadingLinks> makeLinks(const LinkRequest &request);
    void writeMqttSettings();
    void handleTamper(bool shown, int countdown);
    void handleTamperReset();
    void handleSave();
    void handleDeviceEdited(int number, const QString &device);
    LinkRequest buildRequest() const;

    ReadTagPage *m_page;
    SettingsStore *m_settings;
    QString m_selectionListFile;
    SystemClock m_clock;
    ReadingPipeline m_pipeline;
    LinksFactory m_factory;
    TagTablesBinding *m_binding = nullptr;
    ReadTagPublishing *m_publishing = nullptr;
    ReadTagWebView *m_webView = nullptr;
    SignalViews *m_signalViews = nullptr;
    bool m_linksProblemShown = false; // the links' maker said why there are none
    bool m_snapshotPending = false;   // "Save" during a session writes once the session is over
    bool m_running = false;
    SerialPortMap m_portMap;
    QHostAddress m_localHostAddress;
    Language m_language = Language::English;
    int m_tamperCountdown = ReportDecoder::kNoCountdown; // what the alarm panel shows
};
