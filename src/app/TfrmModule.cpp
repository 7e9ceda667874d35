#include "app/TfrmModule.h"

#include "app/LanguageFonts.h"
#include "app/PageControl.h"
#include "app/ProvisionController.h"
#include "app/ReadTagPage.h"
#include "app/ReaderCommandPanel.h"
#include "app/SetReaderController.h"
#include "app/SetReaderPage.h"
#include "app/SetTagController.h"
#include "app/SetTagPage.h"
#include "app/TagTablesBinding.h"
#include "app/WindowTranslator.h"
#include "i18n/LanguageTable.h"
#include "i18n/ProblemText.h"
#include "link/ComPortNames.h"
#include "link/SerialPortMap.h"
#include "reading/SelectionListFile.h"
#include "reading/TagTableModel.h"
#include "tagcfg/TagUid.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QSerialPortInfo>
#include <QStatusBar>
#include <QTabBar>

TfrmModule::TfrmModule(SettingsStore *settings, TonePlayer *tone, const QString &selectionListFile,
                       QWidget *parent)
    : QMainWindow(parent), m_settings(settings), m_tone(tone),
      m_selectionListFile(selectionListFile.isEmpty() ? SelectionListFile::defaultPath() : selectionListFile)
{
    setObjectName(QStringLiteral("frmModule"));
    // The application's title is the window's icon text only: an application display name would be
    // appended to the caption of every window and message box by the X11 window system.
    setWindowIconText(QLatin1String(kApplicationTitle));
    // A system menu and a maximise button, no minimise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    buildUi();
    // Start-up: size and centre, caption, configuration port list, stored settings, language.
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect full = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QRect available = screen ? screen->availableGeometry() : full;
    resize(startupSize(full.size()));
    move(available.center() - rect().center());
    setWindowTitle(caption(QCoreApplication::applicationFilePath()));
    fillComList();
    loadSettings();
    m_reading->syncFromControls();
    WindowTranslator::captureKeys(this);
    setFont(LanguageFonts::fontFor(m_language));
    applyLanguage();
    // The saved selection comes in after the first language pass, which would drop its rows again.
    m_reading->loadSelectionList();
    handleTagMainChange();
}

TfrmModule::~TfrmModule() = default;

QSize TfrmModule::startupSize(const QSize &screen)
{
    int w = screen.width();
    int h = screen.height();
    if (w >= 1024)
        w = 1024;
    else if (w >= 1000)
        w = 1000;
    if (h >= 768)
        h = 768;
    else if (h >= 700)
        h = 700;
    return {w, h};
}

QString TfrmModule::caption(const QString &programFile)
{
    const QString date = QFileInfo(programFile).lastModified().toString(QStringLiteral("yyyy-MM-dd"));
    return QLatin1String(kTitle) + QChar(0x3000) + QLatin1Char('[') + date + QLatin1Char(']');
}

void TfrmModule::buildUi()
{
    m_pcMain = new PageControl(QStringLiteral("pcMain"), this);
    m_setReader = new SetReaderPage;
    m_readTag = new ReadTagPage;
    m_setTag = new SetTagPage;
    m_pcMain->addPage(m_setReader, QStringLiteral("tsSetReader"), QStringLiteral("Set Reader"));
    m_pcMain->addPage(m_readTag, QStringLiteral("tsReadTag"), QStringLiteral("Read TAG"));
    m_pcMain->addPage(m_setTag, QStringLiteral("tsSetTAG"), QStringLiteral("Set TAG"));
    m_pcMain->setTabVisible(2, false);
    setCentralWidget(m_pcMain);
    buildStatusBar();

    m_reading = new ReadTagController(m_readTag, m_settings, m_tone, m_selectionListFile, this);
    connect(m_reading, &ReadTagController::tagIdChanged, m_setTag, &SetTagPage::setTagId);
    connect(m_reading, &ReadTagController::readerSeen, m_setReader,
            [this](LinkKind kind, const QString &address, quint16 port) {
                m_setReader->setConfigTarget(kind, address, port, port);
            });
    connect(m_reading, &ReadTagController::sessionEnded, this, &TfrmModule::handleSessionEnded);
    m_readerCommands = new SetReaderController(m_setReader, m_settings, *m_tone, this);
    // A reader command never opens a port the reading links still hold while they close.
    m_readerCommands->setReadingBusyCheck([this] { return m_reading->isBusy(); });
    connect(m_readerCommands, &SetReaderController::statusText, m_statusPanel, &QLabel::setText);
    connect(m_reading, &ReadTagController::statusText, m_statusPanel, &QLabel::setText);
    connect(m_reading, &ReadTagController::problemReported, this, &TfrmModule::reportProblem);
    connect(m_reading, &ReadTagController::problemsCleared, this, &TfrmModule::clearProblem);
    connect(m_readerCommands, &SetReaderController::problemReported, this, &TfrmModule::reportProblem);
    connect(m_readerCommands, &SetReaderController::problemsCleared, this, &TfrmModule::clearProblem);
    connect(m_readTag, &ReadTagPage::linkKindChanged, this, &TfrmModule::handleTagMainChange);
    connect(m_pcMain, &QTabWidget::currentChanged, this, &TfrmModule::handleMainPageShown);
    connect(m_readTag, &ReadTagPage::exitRequested, this, &QWidget::close);
    connect(m_setReader, &SetReaderPage::exitRequested, this, &QWidget::close);
    connectTagPanel();
}

void TfrmModule::connectTagPanel()
{
    // The tag buttons, the read loop and provisioning read the link panel as "Set Reader" does.
    const auto request = [this] { return m_setReader->configLinkRequest(); };
    m_tagPanel = new SetTagController(
        m_setTag, m_tone, request, [this] { return m_readTag->rssiThreshold(); }, this);
    connect(m_readTag, &ReadTagPage::setTagRequested, this, &TfrmModule::openTagPanel);
    connect(m_setTag, &SetTagPage::doneRequested, this, &TfrmModule::closeTagPanel);
    connect(m_setTag, &SetTagPage::foldsChanged, this, [this](bool readFolded, bool provisionFolded) {
        m_settings->writeTagPanelFolds(readFolded, provisionFolded);
    });
    connect(m_tagPanel, &SetTagController::guardRefused, this, &TfrmModule::closeTagPanel);
    connect(m_tagPanel, &SetTagController::busyChanged, this, &TfrmModule::handleTagPanelBusy);
    connect(m_tagPanel, &SetTagController::statusText, m_statusPanel, &QLabel::setText);
    connect(m_tagPanel, &SetTagController::problemReported, this, &TfrmModule::reportProblem);
    connect(m_tagPanel, &SetTagController::problemsCleared, this, &TfrmModule::clearProblem);
    // A tag is chosen by clicking it, by typing its UID, and whenever a report of it is entered in
    // the all-tags table (so a tag the user sees in "TAG ID:" is one the panel accepts, also when a
    // loaded selection holds the first row). Clearing the tag list clears the choice.
    connect(m_readTag, &ReadTagPage::tagClicked, this, [this](const QString &uid) {
        m_setTag->setTagId(uid);
        m_tagPanel->setTagChosen(true);
    });
    connect(m_readTag, &ReadTagPage::tagIdEdited, this, [this] { m_tagPanel->setTagChosen(true); });
    connect(m_reading, &ReadTagController::tagIdChanged, this, [this](const QString &uid) {
        if (TagUid::isValid(uid))
            m_tagPanel->setTagChosen(true);
    });
    connect(m_readTag, &ReadTagPage::clearRequested, this, [this] { m_tagPanel->setTagChosen(false); });
    // The tag pages' hidden controls (the PA rows) follow the reader page's "show hidden controls".
    ReaderCommandPanel *commands = m_setReader->commandPanel();
    m_setTag->setHiddenShown(commands->hiddenShown());
    connect(commands, &ReaderCommandPanel::hiddenShownChanged, m_setTag, &SetTagPage::setHiddenShown);
    // Choosing one of the four parameter pages starts both message panels afresh; the alarm page
    // leaves them.
    connect(m_setTag, &SetTagPage::tagTypeShown, this, [this](TagPage page) {
        if (page == TagPage::PvPj)
            return;
        const QString text = translate(m_language, QStringLiteral("Select Function"));
        m_setTag->showMessage(text);
        m_setReader->showMessage(text);
    });
}

void TfrmModule::openTagPanel()
{
    m_setTag->setTagId(m_readTag->tagId());
    if (m_setTag->tagId().isEmpty() || !m_tagPanel->isTagChosen()) {
        m_tagPanel->showMessageBox(this, translate(m_language, QStringLiteral("Please Read TAG First!")));
        return;
    }
    m_reading->stopIfRunning();
    m_tagPanel->stopReading();
    m_readTag->showFirstTagView();
    // Showing the page brings the configuration link page that matches the reading page and the
    // link panel into the tag settings panel.
    m_pcMain->showPage(QStringLiteral("tsSetTAG"));
    setTagPanelShown(true);
    m_statusPanel->clear();
    m_setReader->resetMessages(m_language);
    m_setTag->showMessage(translate(m_language, QStringLiteral("Select Function")) +
                          QStringLiteral("[Set Tag]"));
}

void TfrmModule::closeTagPanel()
{
    setTagPanelShown(false);
    m_pcMain->showPage(QStringLiteral("tsReadTag"));
}

// While the panel is shown the other main pages cannot be chosen and their tabs give their line to
// the panel, and no page or status panel holds the window above the panel's size (what does not fit
// is clipped, as on a small screen).
void TfrmModule::setTagPanelShown(bool shown)
{
    m_pcMain->tabBar()->setVisible(!shown);
    const QSizePolicy::Policy policy = shown ? QSizePolicy::Ignored : QSizePolicy::Preferred;
    for (int i = 0; i < m_pcMain->count(); ++i) {
        QWidget *page = m_pcMain->widget(i);
        page->setSizePolicy(policy, policy);
        if (page != m_setTag)
            m_pcMain->setTabEnabled(i, !shown);
    }
    m_statusPanel->setMinimumWidth(shown ? 0 : kStatusPanelWidth);
    // The pages' new policies take effect before the window is resized, not at the next layout pass.
    m_pcMain->updateGeometry();
    layout()->activate();
    resize(shown ? kTagPanelSize : kNormalSize);
}

void TfrmModule::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("sbMain"));
    m_statusPanel = new QLabel(bar);
    m_statusPanel->setObjectName(QStringLiteral("sbMainPanel0"));
    WindowTranslator::exclude(m_statusPanel);
    m_statusPanel->setMinimumWidth(kStatusPanelWidth);
    m_problemPanel = new QLabel(bar);
    m_problemPanel->setObjectName(QStringLiteral("sbMainPanel1"));
    WindowTranslator::exclude(m_problemPanel);
    bar->addWidget(m_statusPanel);
    bar->addWidget(m_problemPanel, 1);
    const struct
    {
        const char *name;
        const char *caption;
        Language language;
    } buttons[] = {{"btnEng", "ENG", Language::English},
                   {"btnCHT", "CHT", Language::TraditionalChinese},
                   {"btnCHS", "CHS", Language::SimplifiedChinese}};
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QLatin1String(b.caption), bar);
        button->setObjectName(QLatin1String(b.name));
        connect(button, &QPushButton::clicked, this,
                [this, language = b.language] { setLanguage(language); });
        bar->addPermanentWidget(button);
    }
}

void TfrmModule::fillComList()
{
    // The numbered ports with the devices the reading page gave them, then the system's devices.
    QStringList devices;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        devices << info.systemLocation();
    m_setReader->setComPorts(ComPortNames::fromSystemNames(ComPortNames::systemNames()),
                             SerialPortMap::fromVariantMap(m_settings->comDevices()), devices);
}

void TfrmModule::loadSettings()
{
    m_pcMain->showPage(QStringLiteral("tsReadTag"));
    m_setReader->showLinkKind(LinkKind::Serial);
    m_readTag->showFirstTagView();
    m_setTag->showFirstTagType();
    m_linkKind = LinkKind::TcpToReaders;
    applyStoredValues(m_settings->load().value_or(SettingsStore::designValues()));
    m_reading->loadPortMap();
    m_reading->setLocalHostAddress(ReadingPipeline::localHostAddress());
}

void TfrmModule::applyStoredValues(const SettingsStore::Values &v)
{
    m_language = v.language;
    m_linkKind = v.page;
    m_readTag->applySettings(v);
    m_setTag->setFolded(v.tagReadFolded, v.tagProvisionFolded);
}

void TfrmModule::setLanguage(Language language)
{
    m_language = language;
    setFont(LanguageFonts::fontFor(m_language));
    applyLanguage();
    m_settings->writeLanguageIndex(m_language);
}

void TfrmModule::applyLanguage()
{
    setEnabled(false);
    WindowTranslator::applyCaptions(this, m_language);
    m_reading->setLanguage(m_language);
    m_setReader->setLanguage(m_language);
    m_readerCommands->setLanguage(m_language);
    m_tagPanel->setLanguage(m_language);
    resetGrids();
    showProblem();
    setEnabled(true);
}

void TfrmModule::resetGrids()
{
    QStringList headers = TagTableModel::defaultHeaderTexts(TagTableModel::Kind::SelectedTags);
    for (QString &h : headers)
        h = translate(m_language, h);
    m_tagPanel->readLoop().model()->reset(headers);
    m_reading->binding()->resetGrids(m_language);
}

void TfrmModule::reportProblem(const Problem &problem)
{
    m_problem = problem;
    showProblem();
}

void TfrmModule::clearProblem()
{
    m_problem.reset();
    showProblem();
}

void TfrmModule::showProblem()
{
    m_problemPanel->setText(m_problem ? problemText(*m_problem, m_language) : QString());
}

void TfrmModule::handleTagMainChange()
{
    m_linkKind = m_readTag->linkKind();
    m_setReader->showLinkKind(m_linkKind);
}

void TfrmModule::followConfigLinkPage()
{
    // The "MQTT" page has no configuration page: it stays in front unless another configuration
    // page was chosen while "Read TAG" was away.
    if (m_readTag->linkKind() != LinkKind::Mqtt || m_setReader->linkKind() != m_configKindLeft)
        m_readTag->showLinkKind(m_setReader->linkKind());
    handleTagMainChange();
}

void TfrmModule::handleMainPageShown(int index)
{
    QWidget *page = m_pcMain->widget(index);
    const bool reading = page == m_readTag;
    if (reading) {
        followConfigLinkPage();
        m_setReader->adoptConfigPanel();
    } else {
        fillComList();
        m_setReader->showLinkKind(m_readTag->linkKind());
        m_configKindLeft = m_setReader->linkKind();
        if (page == m_setTag)
            m_setTag->adoptConfigPanel(m_setReader->configPanel());
        else
            m_setReader->adoptConfigPanel();
    }
    // A reader command or the relay loop does not outlive its page.
    m_readerCommands->cancel();
    m_statusPanel->clear();
    m_setReader->resetMessages(m_language);
    m_setTag->resetMessage(m_language);
    m_reading->stopIfRunning();
    m_tagPanel->stopReading();
    m_reading->setReadingActive(reading);
    m_readTag->showFirstTagView();
}

void TfrmModule::handleSessionEnded()
{
    if (m_closing)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

// A close waited for the tag panel. When the rows of a plan it ended could not be written, the
// window stays and says why, so the user can save them elsewhere.
void TfrmModule::handleTagPanelBusy(bool busy)
{
    if (busy || !m_closing)
        return;
    const QString saveError = m_tagPanel->provisioning()->takeCloseSaveError();
    if (!saveError.isEmpty()) {
        m_closing = false;
        m_tagPanel->showMessageBox(this, saveError);
        return;
    }
    handleSessionEnded();
}

void TfrmModule::closeEvent(QCloseEvent *event)
{
    if (!m_shutDown) {
        // A running session is stopped first; the readers are told to stop and the links close,
        // then the close goes on.
        // A session's publisher also sends what it holds before the window goes.
        // A tag command or plan under way ends as on Cancel: its tag hears that the session is over.
        if (m_reading->isBusy() || m_reading->isFlushing() || m_tagPanel->isBusy()) {
            m_closing = true;
            m_reading->stopIfRunning();
            m_tagPanel->endForClose();
            event->ignore();
            return;
        }
        // Closing runs the "Read TAG" show steps: the stored link kind follows the configuration page
        // when another page is in front.
        if (m_pcMain->currentWidget() != m_readTag)
            followConfigLinkPage();
        m_settings->writeShutdown(m_linkKind, m_language);
        m_shutDown = true;
    }
    event->accept();
}

void TfrmModule::readSerialPort(int number, const QString &device)
{
    m_pcMain->showPage(QStringLiteral("tsReadTag"));
    m_readTag->showLinkKind(LinkKind::Serial);
    m_readTag->tickOnlyComPort(number);
    m_reading->setComDevice(number, device);
    if (!m_reading->isRunning())
        m_reading->startOrStop();
}
