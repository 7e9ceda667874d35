#pragma once

#include "app/ReadingLinkRequest.h"
#include "base/Timing.h"
#include "link/SerialPortMap.h"
#include "reading/ReadingSession.h"
#include "reading/ReportDecoder.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class ReadTagPage;
class ReadingLinks;
class SettingsStore;
class TonePlayer;

// Runs the "Read TAG" page: Start/Stop of a reading session over the links of the page in front, the
// decoder and its tamper alarm, the activity blink, the counters, and the settings written when
// reading starts. Reading never blocks the window: the session is driven by the links' signals.
class ReadTagController : public QObject
{
    Q_OBJECT
public:
    using LinksFactory = std::function<std::unique_ptr<ReadingLinks>(const ReadingLinkRequest &)>;

    ReadTagController(ReadTagPage *page, SettingsStore *settings, TonePlayer *tone, QObject *parent = nullptr);
    ~ReadTagController() override;

    void setLinksFactory(LinksFactory factory) { m_factory = std::move(factory); }
    // The links this build offers for a request: serial ports; the other kinds arrive with the
    // network links (nullptr until then).
    static std::unique_ptr<ReadingLinks> createLinks(const ReadingLinkRequest &request);
    // Shows next to each COM box the device its number opens.
    void loadPortMap();
    void setTiming(const Timing &timing);
    void setLanguage(int language);
    void setLocalHostAddress(const QString &address) { m_localHostAddress = address; }
    // Frames are decoded only while the "Read TAG" page is in front.
    void setReadingActive(bool active) { m_decoder.setReadingActive(active); }

    // "Start" when idle, "Stop" while a session runs.
    const QString &sessionState() const { return m_sessionState; }
    bool isBusy() const { return m_session.state() != ReadingSession::State::Idle; }
    ReadingSession &session() { return m_session; }
    ReportDecoder &decoder() { return m_decoder; }

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

private:
    void start();
    void requestStop();
    void handleSessionEnded();
    void handleTamper(bool shown, const QString &caption);
    void handleTemperReset();
    void updateTypeSwitches();
    void refreshCounters();
    void setSessionState(const QString &state);
    void saveStartSettings();
    void handleDeviceEdited(int number);
    ReadingLinkRequest buildRequest() const;

    ReadTagPage *m_page;
    SettingsStore *m_settings;
    TonePlayer *m_tone;
    LinksFactory m_factory;
    ReadingSession m_session;
    ReportDecoder m_decoder;
    std::unique_ptr<ReadingLinks> m_links;
    SerialPortMap m_portMap;
    Timing m_timing;
    QTimer m_refresh; // counters are repainted ten times a second, never per report
    QString m_sessionState = QStringLiteral("Start");
    QString m_localHostAddress = QStringLiteral("192.168.1.1");
    int m_language = 0;
};
