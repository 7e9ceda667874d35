#include "app/SetReaderController.h"

#include "app/SetReaderPage.h"
#include "base/SettingsStore.h"
#include "i18n/ReaderCommandText.h"
#include "readercfg/ReaderCommands.h"
#include "readercfg/TcpListenerConfigLink.h"

namespace {
const QString kReadingBusy = QStringLiteral("Port in use: the reading links are still closing");
} // namespace

SetReaderController::SetReaderController(SetReaderPage *page, SettingsStore *settings, TonePlayer &tones,
                                         QObject *parent)
    : QObject(parent), m_page(page), m_settings(settings), m_executor(tones), m_runner(m_executor),
      m_relay(tones)
{
    ReaderCommandPanel *panel = m_page->commandPanel();
    connect(panel, &ReaderCommandPanel::commandRequested, this, &SetReaderController::handleCommand);
    connect(panel, &ReaderCommandPanel::relayToggleRequested, this, &SetReaderController::handleRelayToggle);
    connect(panel, &ReaderCommandPanel::outputsChanged, &m_relay, &RelayLoop::setOutputs);
    connect(panel, &ReaderCommandPanel::hiddenShownChanged, this, [this](bool shown) {
        m_settings->write(QLatin1String(SettingsStore::kShowHiddenControls), shown ? 1 : 0);
    });
    connect(m_page, &SetReaderPage::cancelRequested, this, &SetReaderController::cancel);
    panel->setHiddenShown(
        m_settings->read(QLatin1String(SettingsStore::kShowHiddenControls)).value_or(QVariant(0)).toInt() ==
        1);

    auto showText = [this](const QString &text) { m_page->showSendText(text); };
    auto showReply = [this](const QByteArray &payload) { m_page->showReply(QString::fromLatin1(payload)); };
    auto showMessage = [this](const ReaderCommandMessage &message) {
        m_page->showMessage(ReaderCommandText::message(message, m_language));
    };
    connect(&m_executor, &RunReaderCommand::sendTextChanged, this, showText);
    connect(&m_executor, &RunReaderCommand::replyPayloadChanged, this, showReply);
    connect(&m_executor, &RunReaderCommand::messageChanged, this, showMessage);
    // The end of a command empties the status text.
    connect(&m_executor, &RunReaderCommand::finished, this, [this] { emit statusText(QString()); });
    connect(&m_executor, &RunReaderCommand::linkCreated, this, &SetReaderController::handleLinkCreated);
    connect(&m_executor, &RunReaderCommand::problem, this, &SetReaderController::problemReported);
    connect(&m_relay, &RelayLoop::problem, this, &SetReaderController::problemReported);
    connect(&m_runner, &ReaderSequenceRunner::stepFinished, this, &SetReaderController::handleStepFinished);
    connect(&m_runner, &ReaderSequenceRunner::finished, this, &SetReaderController::updateBusy);

    connect(&m_relay, &RelayLoop::sendTextChanged, this, showText);
    connect(&m_relay, &RelayLoop::replyPayloadChanged, this, showReply);
    connect(&m_relay, &RelayLoop::messageChanged, this, showMessage);
    connect(&m_relay, &RelayLoop::linkCreated, this, &SetReaderController::handleLinkCreated);
    connect(&m_relay, &RelayLoop::inputsChanged, this, [this](bool di1, bool di2, bool di3, bool di4) {
        m_page->commandPanel()->showInputs({di1, di2, di3, di4});
    });
    connect(&m_relay, &RelayLoop::runningChanged, this, &SetReaderController::updateBusy);
}

SetReaderController::~SetReaderController()
{
    // The links close as the members go; the page may already be gone.
    disconnect(&m_executor, nullptr, this, nullptr);
    disconnect(&m_runner, nullptr, this, nullptr);
    disconnect(&m_relay, nullptr, this, nullptr);
}

void SetReaderController::setTiming(const Timing &timing)
{
    m_executor.setTiming(timing);
    m_relay.setTiming(timing);
}

void SetReaderController::setLanguage(Language language)
{
    m_language = language;
}

void SetReaderController::cancel()
{
    m_runner.cancel();
    m_relay.stop();
}

bool SetReaderController::refuseWhileReading()
{
    if (!m_readingBusy || !m_readingBusy())
        return false;
    m_page->showMessage(translate(m_language, kReadingBusy));
    return true;
}

void SetReaderController::handleCommand(const ReaderCommandSequence &steps, ReaderCommandPanel::ReplyUse use)
{
    if (isBusy() || steps.isEmpty() || refuseWhileReading())
        return;
    m_use = use;
    m_page->commandPanel()->showTestReply(QString());
    m_executor.setRequest(m_page->configLinkRequest());
    emit problemsCleared();
    m_runner.start(steps);
    updateBusy();
}

void SetReaderController::handleStepFinished(int, const RunReaderCommand::Result &result)
{
    if (!result.ok())
        return;
    m_page->commandPanel()->showTestReply(QString::fromLatin1(result.payload()));
    if (m_use == ReaderCommandPanel::ReplyUse::ReaderId) {
        if (const auto id = ReaderCommands::readerIdFromReply(result.reply))
            m_page->commandPanel()->setReaderId(*id);
    }
}

void SetReaderController::handleRelayToggle()
{
    if (m_relay.isRunning()) {
        m_relay.stop();
        return;
    }
    if (m_runner.isRunning() || refuseWhileReading())
        return;
    ReaderCommandPanel *panel = m_page->commandPanel();
    m_relay.setRequest(m_page->configLinkRequest());
    m_relay.setOutputs(panel->output(1), panel->output(2));
    emit problemsCleared();
    m_relay.start();
}

void SetReaderController::handleLinkCreated(ConfigLink *link)
{
    auto *listener = qobject_cast<TcpListenerConfigLink *>(link);
    if (!listener)
        return;
    connect(listener, &TcpListenerConfigLink::readerAccepted, m_page, &SetReaderPage::showAcceptedReader);
    connect(listener, &TcpListenerConfigLink::readerReleased, m_page, &SetReaderPage::releaseAcceptedReader);
}

void SetReaderController::updateBusy()
{
    const bool busy = isBusy();
    m_page->setBusy(busy, m_relay.isRunning());
    if (busy == m_busy)
        return;
    m_busy = busy;
    emit busyChanged(busy);
}
