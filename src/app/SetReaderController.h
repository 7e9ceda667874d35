#pragma once

#include "app/ReaderCommandPanel.h"
#include "base/Timing.h"
#include "i18n/LanguageTable.h"
#include "readercfg/ReaderSequenceRunner.h"
#include "readercfg/RelayLoop.h"
#include "readercfg/RunReaderCommand.h"

#include <QObject>
#include <functional>

class ConfigLink;
class SetReaderPage;
class SettingsStore;
class TonePlayer;

// Runs the "Set Reader" page: each command button's steps go to the reader over the configuration
// link the page describes, one command at a time; the relay loop starts and stops on its toggle.
// While either runs the page is busy (Cancel and Esc end it). Replies fill the reader ID and the
// digital-input indicators; the hidden-controls switch is kept with the settings.
class SetReaderController : public QObject
{
    Q_OBJECT
public:
    SetReaderController(SetReaderPage *page, SettingsStore *settings, TonePlayer &tones,
                        QObject *parent = nullptr);
    ~SetReaderController() override;
    Q_DISABLE_COPY_MOVE(SetReaderController)

    void setTiming(const Timing &timing);
    void setLanguage(Language language);
    // Asked before a link opens: true while the reading links still hold their ports (a session
    // that is closing), so that no port gets a second owner.
    void setReadingBusyCheck(std::function<bool()> check) { m_readingBusy = std::move(check); }

    bool isBusy() const { return m_runner.isRunning() || m_relay.isRunning(); }
    // Ends a running command or the relay loop (leaving the page, Cancel, Esc).
    void cancel();
    RunReaderCommand &executor() { return m_executor; }
    RelayLoop &relayLoop() { return m_relay; }

signals:
    // Text for the first status-bar panel.
    void statusText(const QString &text);
    void busyChanged(bool busy);
    // Why the configuration link could not be opened; cleared when the next command starts.
    void problemReported(const Problem &problem);
    void problemsCleared();

private:
    void handleCommand(const ReaderCommandSequence &steps, ReaderCommandPanel::ReplyUse use);
    void handleStepFinished(int index, const RunReaderCommand::Result &result);
    void handleRelayToggle();
    void handleLinkCreated(ConfigLink *link);
    bool refuseWhileReading();
    void updateBusy();

    SetReaderPage *m_page;
    SettingsStore *m_settings;
    RunReaderCommand m_executor;
    ReaderSequenceRunner m_runner;
    RelayLoop m_relay;
    Language m_language = Language::English;
    ReaderCommandPanel::ReplyUse m_use = ReaderCommandPanel::ReplyUse::Show;
    std::function<bool()> m_readingBusy;
    bool m_busy = false;
};
