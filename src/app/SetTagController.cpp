#include "app/SetTagController.h"

#include "app/ProvisionController.h"
#include "app/ProvisionPanel.h"
#include "app/SetTagPage.h"
#include "i18n/ReaderCommandText.h"
#include "i18n/TagFlowText.h"

#include <QMessageBox>

SetTagController::SetTagController(SetTagPage *page, TonePlayer *tone, RequestSource request, RssiSource rssi,
                                   QObject *parent)
    : QObject(parent), m_page(page), m_run(*tone, m_clock), m_readLoop(*tone), m_request(std::move(request)),
      m_rssi(std::move(rssi))
{
    page->setReadModel(m_readLoop.model());
    connect(page, &SetTagPage::tagButtonClicked, this, &SetTagController::runButton);
    connect(page, &SetTagPage::cancelRequested, &m_run, &TagButtonRun::cancel);
    connect(page, &SetTagPage::tagIdEdited, this, [this] { m_tagChosen = true; });
    connectRun();
    connect(&m_readLoop, &TagReadLoop::problem, this, &SetTagController::problemReported);

    connect(page, &SetTagPage::readRequested, this, [this] {
        m_readLoop.setRequest(m_request());
        m_readLoop.setRssiMinimum(m_rssi ? m_rssi() : 0);
        if (!m_readLoop.isRunning())
            emit problemsCleared();
        m_readLoop.toggle();
    });
    // "&Clear": the grid and its count emptied, "TAG ID:" back to no tag (also when it was typed).
    connect(page, &SetTagPage::clearRequested, this, [this] {
        m_readLoop.clear();
        m_page->setTagId(m_readLoop.currentUid());
    });
    connect(page, &SetTagPage::readRowClicked, this, &SetTagController::handleReadRowClicked);
    connect(&m_readLoop, &TagReadLoop::runningChanged, this, &SetTagController::handleReadRunning);
    connect(&m_readLoop, &TagReadLoop::countChanged, page, &SetTagPage::showReadCount);
    connect(&m_readLoop, &TagReadLoop::rowSelected, page, &SetTagPage::followReadRow);
    connect(&m_readLoop, &TagReadLoop::currentUidChanged, page, &SetTagPage::setTagId);
    connect(&m_readLoop, &TagReadLoop::tagChosen, this, [this] { m_tagChosen = true; });
    connectProvisioning(*tone);
}

// A plan runs over the same link as the buttons, so it starts only while the link is free, and
// while it runs the panel is locked as for one command; "Cancel" and Esc end it.
void SetTagController::connectProvisioning(TonePlayer &tone)
{
    m_provision = new ProvisionController(m_page->provisionPanel(), tone, m_clock, m_request, this);
    connect(m_provision, &ProvisionController::runningChanged, m_page, &SetTagPage::setSequenceRunning);
    connect(m_provision, &ProvisionController::runningChanged, this, &SetTagController::updateBusy);
    // A plan chosen or under way shows its bar, also when the user had folded it.
    connect(m_page->provisionPanel(), &ProvisionPanel::planChosen, m_page, &SetTagPage::unfoldProvisioning);
    connect(m_provision, &ProvisionController::runningChanged, m_page, [this](bool running) {
        if (running)
            m_page->unfoldProvisioning();
    });
    connect(m_provision, &ProvisionController::messageChanged, m_page, &SetTagPage::showMessage);
    connect(m_provision, &ProvisionController::planRefused, this,
            [this](const QString &text) { showMessageBox(m_page->window(), text); });
    connect(m_page, &SetTagPage::cancelRequested, m_provision, &ProvisionController::cancel);
    connect(&m_run.sequence(), &SendTagCommand::runningChanged, this, &SetTagController::updateBusy);
    connect(&m_run.action(), &RunReaderCommand::runningChanged, this, &SetTagController::updateBusy);
    connect(&m_readLoop, &TagReadLoop::runningChanged, this, &SetTagController::updateBusy);
    // An action refused before it sent anything ends without a running change.
    connect(&m_run, &TagButtonRun::finished, this, &SetTagController::updateBusy);
}

bool SetTagController::isBusy() const
{
    return m_run.isRunning() || m_readLoop.isRunning() || m_provision->isRunning();
}

void SetTagController::updateBusy()
{
    m_provision->setStartAllowed(!m_run.isRunning() && !m_readLoop.isRunning());
    if (isBusy() == m_busy)
        return;
    m_busy = isBusy();
    emit busyChanged(m_busy);
}

void SetTagController::endForClose()
{
    m_provision->cancelForClose();
    m_run.cancel();
    stopReading();
}

SetTagController::~SetTagController() = default;

void SetTagController::connectRun()
{
    SetTagPage *page = m_page;
    connect(&m_run, &TagButtonRun::messageChanged, page, [this](const TagFlowMessage &message) {
        m_page->showMessage(TagFlowText::message(message, m_language));
    });
    // The reader command's own texts show until the action's result replaces them.
    connect(&m_run.action(), &RunReaderCommand::messageChanged, page,
            [this](const ReaderCommandMessage &message) {
                const QString text = ReaderCommandText::tagPanelMessage(message, m_language);
                if (!text.isNull())
                    m_page->showMessage(text);
            });
    connect(&m_run.sequence(), &SendTagCommand::runningChanged, page, &SetTagPage::setSequenceRunning);
    connect(&m_run.action(), &RunReaderCommand::runningChanged, page, &SetTagPage::setSequenceRunning);
    connect(&m_run.sequence(), &SendTagCommand::statusTextChanged, this, &SetTagController::statusText);
    // While the action runs, its reply shows in the status text; its end empties it.
    connect(&m_run.action(), &RunReaderCommand::replyReceived, this, [this](const QByteArray &payload) {
        emit statusText(QStringLiteral("   ") + QString::fromLatin1(payload));
    });
    connect(&m_run.action(), &RunReaderCommand::finished, this, [this] { emit statusText(QString()); });
    // A read value lands on the page of the button that asked for it; pages sharing it follow.
    connect(&m_run, &TagButtonRun::valueRead, page, [this](TagValue target, int, int, int position) {
        if (m_button)
            m_page->showValue(m_button->page, target, position);
    });
    connect(&m_run, &TagButtonRun::problem, this, &SetTagController::problemReported);
    // The alarm page's buttons keep the panel and put the caret in "TAG ID:"; the others go back to
    // "Read TAG".
    connect(&m_run, &TagButtonRun::guardRefused, this, [this](const TagFlowMessage &message) {
        showMessageBox(m_page->window(), TagFlowText::message(message, m_language));
        if (m_button && m_button->page == TagPage::PvPj)
            m_page->focusTagId();
        else
            emit guardRefused();
    });
}

void SetTagController::setTiming(const Timing &timing)
{
    m_run.setTiming(timing);
    m_readLoop.setTiming(timing);
    m_provision->setTiming(timing);
}

void SetTagController::setLanguage(Language language)
{
    m_language = language;
    m_provision->setLanguage(language);
}

void SetTagController::stopReading()
{
    if (m_readLoop.isRunning())
        m_readLoop.stop();
}

void SetTagController::runButton(const TagButton *button)
{
    if (isBusy())
        return;
    m_button = button;
    m_run.setRequest(m_request());
    emit problemsCleared();
    m_run.start(*button, m_page->tagId(), m_tagChosen, m_page->values(button->page));
}

void SetTagController::handleReadRunning(bool running)
{
    // The read button's caption keeps its accelerator while stopped.
    m_page->setReading(running, running ? QStringLiteral("Stop Read") : QStringLiteral("Read T&AG"));
}

// A click on the panel's grid chooses that row's tag.
void SetTagController::handleReadRowClicked(int row)
{
    const QString uid = m_readLoop.model()->uidAt(row);
    if (uid.isEmpty())
        return;
    m_page->setTagId(uid);
    m_tagChosen = true;
}

void SetTagController::showMessageBox(QWidget *parent, const QString &text)
{
    if (m_box)
        m_box->close();
    m_box = new QMessageBox(QMessageBox::NoIcon, translate(m_language, QStringLiteral("Message")), text,
                            QMessageBox::Ok, parent);
    m_box->setObjectName(QStringLiteral("dlgMessage"));
    m_box->setAttribute(Qt::WA_DeleteOnClose);
    m_box->open();
}
