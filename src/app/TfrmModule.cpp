#include "app/TfrmModule.h"

#include "app/LanguageFonts.h"
#include "app/PageControl.h"
#include "app/ReadButtonPanel.h"
#include "app/ReadLinkPages.h"
#include "app/ReadTagPage.h"
#include "app/SetReaderPage.h"
#include "app/SetTagPage.h"
#include "app/TagTablesBinding.h"
#include "app/WindowTranslator.h"
#include "base/PortText.h"
#include "i18n/LanguageTable.h"
#include "link/ComPortNames.h"
#include "reading/SelectionListFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>

namespace {
const QStringList kGridHeaders = {"No.", "UID", "RSSI", "LQI", "DI", "T1", "T2", "Count"};

void resetGrid(QStandardItemModel *model, int columns, int language)
{
    model->clear();
    model->setColumnCount(columns);
    for (int c = 0; c < columns; ++c)
        model->setHeaderData(c, Qt::Horizontal, translate(language, kGridHeaders.at(c)));
}
} // namespace

TfrmModule::TfrmModule(SettingsStore *settings, TonePlayer *tone, const QString &selectionListFile,
                       QWidget *parent)
    : QMainWindow(parent), m_settings(settings), m_tone(tone),
      m_selectionListFile(selectionListFile.isEmpty() ? SelectionListFile::defaultPath() : selectionListFile)
{
    setObjectName(QStringLiteral("frmModule"));
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

    m_setTagGrid = new QStandardItemModel(this);
    m_setTag->grdTagUID()->setModel(m_setTagGrid);

    m_reading = new ReadTagController(m_readTag, m_settings, m_tone, m_selectionListFile, this);
    connect(m_reading, &ReadTagController::tagIdChanged, m_setTag->pnTagID(), &QLineEdit::setText);
    connect(m_reading, &ReadTagController::readerSeen, this,
            [this](int linkMode, const QString &address, quint16 port) {
                m_setReader->setConfigTarget(linkMode, address, port, port);
            });
    connect(m_reading, &ReadTagController::sessionEnded, this, &TfrmModule::handleSessionEnded);
    connect(m_reading, &ReadTagController::statusText, m_statusPanel, &QLabel::setText);
    connect(m_reading, &ReadTagController::problemReported, m_problemPanel, &QLabel::setText);
    connect(m_readTag->links(), &QTabWidget::currentChanged, this, &TfrmModule::handleTagMainChange);
    connect(m_pcMain, &QTabWidget::currentChanged, this, &TfrmModule::handleMainPageShown);
    ReadButtonPanel *buttons = m_readTag->buttons();
    connect(buttons->btnExit(), &QPushButton::clicked, this, &QWidget::close);
    connect(m_setReader->btnExit01(), &QPushButton::clicked, this, &QWidget::close);
    connect(buttons->btnSetTag(), &QPushButton::clicked, this, [this] {
        m_setTag->pnTagID()->setText(m_readTag->buttons()->edtTagID()->text());
        m_pcMain->showPage(QStringLiteral("tsSetTAG"));
    });
    connect(findChild<QPushButton *>(QStringLiteral("btnTagExit")), &QPushButton::clicked, this,
            [this] { m_pcMain->showPage(QStringLiteral("tsReadTag")); });
}

void TfrmModule::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("sbMain"));
    m_statusPanel = new QLabel(bar);
    m_statusPanel->setObjectName(QStringLiteral("sbMainPanel0"));
    WindowTranslator::exclude(m_statusPanel);
    m_statusPanel->setMinimumWidth(320);
    m_problemPanel = new QLabel(bar);
    m_problemPanel->setObjectName(QStringLiteral("sbMainPanel1"));
    WindowTranslator::exclude(m_problemPanel);
    bar->addWidget(m_statusPanel);
    bar->addWidget(m_problemPanel, 1);
    const struct
    {
        const char *name;
        const char *caption;
        int language;
    } buttons[] = {{"btnEng", "ENG", 0}, {"btnCHT", "CHT", 1}, {"btnCHS", "CHS", 2}};
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QLatin1String(b.caption), bar);
        button->setObjectName(QLatin1String(b.name));
        const int language = b.language;
        connect(button, &QPushButton::clicked, this, [this, language] { setLanguage(language); });
        bar->addPermanentWidget(button);
    }
}

void TfrmModule::fillComList()
{
    QComboBox *box = m_setReader->cbxCom();
    box->clear();
    box->addItems(ComPortNames::fromSystemNames(ComPortNames::systemNames()));
    box->setCurrentIndex(0);
}

void TfrmModule::loadSettings()
{
    m_pcMain->showPage(QStringLiteral("tsReadTag"));
    m_setReader->pcSetReadMain()->showPage(QStringLiteral("tsComPort"));
    m_readTag->pcReadTag()->showPage(QStringLiteral("tsViewAllTag"));
    m_readTag->links()->showPage(QStringLiteral("tsNET"));
    m_setTag->pcSelTagType()->showPage(QStringLiteral("tsTAG"));
    m_linkMode = 0;
    m_readTag->chbAllTags()->setChecked(false);
    m_readTag->chbAutoSave()->setChecked(false);
    if (const auto stored = m_settings->load())
        applyStoredValues(*stored);
    else
        applyStoredValues(SettingsStore::designValues());
    m_reading->loadPortMap();
    m_localHostAddress = findLocalHostAddress();
    m_reading->setLocalHostAddress(m_localHostAddress);
}

void TfrmModule::applyStoredValues(const SettingsStore::Values &v)
{
    m_language = SettingsStore::sanitizedLanguage(v.languageIndex);
    m_linkMode = SettingsStore::linkModeForPage(v.page);
    m_readTag->links()->showLinkMode(m_linkMode);
    m_readTag->edtTagFilter()->setText(v.tagFilterUid);
    ReadLinkPages *links = m_readTag->links();
    links->edtTcpRemotePort()->setText(v.tcpRemotePort);
    links->edLocalPort()->setText(v.localPort);
    links->edDesPort()->setText(v.desPort);
    links->edtListenPort()->setText(v.listenPort);
    links->edtTcpRemotePort()->setText(PortText::normalized(v.tcpRemotePort));
    m_readTag->edFile()->setText(v.fileName);
    m_readTag->chbAutoSave()->setChecked(v.autoSaveFile);
    m_readTag->chbAllTags()->setChecked(v.allTags);
    for (int n = 1; n <= ReadLinkPages::kCount; ++n) {
        links->comCheck(n)->setChecked(v.com[size_t(n - 1)]);
        links->ipCheck(n)->setChecked(v.net[size_t(n - 1)]);
        links->ipEdit(n)->setText(v.ip[size_t(n - 1)]);
    }
}

QString TfrmModule::findLocalHostAddress() const
{
    const auto addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &a : addresses) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a.toString();
    }
    return QStringLiteral("192.168.1.1");
}

void TfrmModule::setLanguage(int language)
{
    m_language = SettingsStore::sanitizedLanguage(language);
    setFont(LanguageFonts::fontFor(m_language));
    applyLanguage();
    m_settings->writeLanguageIndex(m_language);
}

void TfrmModule::applyLanguage()
{
    setEnabled(false);
    WindowTranslator::applyCaptions(this, m_language);
    m_reading->setLanguage(m_language);
    m_setReader->fillNetPorts(m_language);
    resetGrids();
    setEnabled(true);
}

void TfrmModule::resetGrids()
{
    resetGrid(m_setTagGrid, 7, m_language);
    m_reading->binding()->resetGrids(m_language);
}

void TfrmModule::handleTagMainChange()
{
    m_linkMode = m_readTag->links()->linkMode();
    m_setReader->pcSetReadMain()->showPage(SetReaderPage::pageForLinkMode(m_linkMode));
}

void TfrmModule::handleMainPageShown(int index)
{
    QWidget *page = m_pcMain->widget(index);
    const bool reading = page == m_readTag;
    if (reading) {
        const QString config = m_setReader->pcSetReadMain()->currentPageName();
        m_readTag->links()->showLinkMode(SetReaderPage::linkModeForPage(config));
        handleTagMainChange();
        m_setReader->adoptConfigPanel();
    } else {
        m_setReader->pcSetReadMain()->showPage(
            SetReaderPage::pageForLinkMode(m_readTag->links()->linkMode()));
        if (page == m_setTag)
            m_setTag->adoptConfigPanel(m_setReader->configPanel());
        else
            m_setReader->adoptConfigPanel();
    }
    m_statusPanel->clear();
    m_setReader->edSend()->clear();
    m_setReader->edRecv()->clear();
    m_setReader->pnMsg()->setText(translate(m_language, QStringLiteral("Select Function")));
    m_setTag->pnlTagMsg()->setText(translate(m_language, QStringLiteral("Select Function")));
    m_reading->stopIfRunning();
    m_reading->setReadingActive(reading);
    m_readTag->pcReadTag()->showPage(QStringLiteral("tsViewAllTag"));
}

void TfrmModule::handleSessionEnded()
{
    if (m_closing)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TfrmModule::closeEvent(QCloseEvent *event)
{
    if (!m_shutDown) {
        // A running session is stopped first; the readers are told to stop and the links close,
        // then the close goes on.
        if (m_reading->isBusy()) {
            m_closing = true;
            m_reading->stopIfRunning();
            event->ignore();
            return;
        }
        m_settings->writeShutdown(m_linkMode, m_language);
        m_shutDown = true;
    }
    event->accept();
}

void TfrmModule::readSerialPort(int number, const QString &device)
{
    ReadLinkPages *links = m_readTag->links();
    m_pcMain->showPage(QStringLiteral("tsReadTag"));
    links->showLinkMode(1);
    for (int n = 1; n <= ReadLinkPages::kCount; ++n)
        links->comCheck(n)->setChecked(n == number);
    m_reading->setComDevice(number, device);
    if (m_reading->sessionState() == QLatin1String("Start"))
        m_reading->startOrStop();
}
