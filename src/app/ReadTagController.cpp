#include "app/ReadTagController.h"

#include "app/ReadButtonPanel.h"
#include "app/ReadLinkPages.h"
#include "app/ReadTagPage.h"
#include "app/TagTablesBinding.h"
#include "app/WindowTranslator.h"
#include "base/PortText.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "i18n/LanguageTable.h"
#include "link/ReadingLinks.h"
#include "link/SerialReadingLinks.h"
#include "link/TcpClientReadingLinks.h"
#include "link/TcpListenerReadingLinks.h"
#include "link/UdpReadingLinks.h"
#include "reading/SelectionListFile.h"

#include <QCheckBox>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <utility>

ReadTagController::ReadTagController(ReadTagPage *page, SettingsStore *settings, TonePlayer *tone,
                                     const QString &selectionListFile, QObject *parent)
    : QObject(parent), m_page(page), m_settings(settings), m_selectionListFile(selectionListFile),
      m_tables(m_clock, *tone)
{
    m_binding = new TagTablesBinding(page, &m_tables, settings, this);
    connect(m_binding, &TagTablesBinding::problemReported, this, &ReadTagController::problemReported);
    connect(m_binding, &TagTablesBinding::tagIdChanged, this, &ReadTagController::tagIdChanged);
    connect(&m_tables, &TagTables::statusTextChanged, this, &ReadTagController::statusText);
    connect(&m_decoder, &ReportDecoder::reportDecoded, &m_tables, &TagTables::applyReport);
    connect(m_page->btnSave(), &QPushButton::clicked, this, &ReadTagController::handleSave);
    ReadButtonPanel *buttons = m_page->buttons();
    connect(&m_session, &ReadingSession::frameReady, &m_decoder, &ReportDecoder::decodeReport);
    connect(&m_session, &ReadingSession::ended, this, &ReadTagController::handleSessionEnded);
    connect(&m_session, &ReadingSession::blinkPhaseChanged, buttons, &ReadButtonPanel::setBlinkPhase);
    connect(&m_session, &ReadingSession::problem, this, &ReadTagController::problemReported);
    // The connection log is the "TCP Server" page's; the other kinds list their readers instead.
    connect(&m_session, &ReadingSession::logLine, this, [this](const QString &line) {
        if (m_page->links()->linkMode() == 0)
            m_page->links()->appendLog(line);
    });
    connect(&m_decoder, &ReportDecoder::tamperAlarmChanged, this, &ReadTagController::handleTamper);
    connect(buttons->btnStart(), &QPushButton::clicked, this, &ReadTagController::startOrStop);
    connect(buttons->btnTemperReset(), &QPushButton::clicked, this, &ReadTagController::handleTemperReset);
    for (int n = 1; n <= 4; ++n)
        connect(m_page->typeCheck(n), &QCheckBox::toggled, this, &ReadTagController::updateTypeSwitches);
    for (int n = 1; n <= ReadLinkPages::kCount; ++n)
        connect(m_page->links()->comDevice(n), &QLineEdit::editingFinished, this,
                [this, n] { handleDeviceEdited(n); });
    m_factory = [this](const ReadingLinkRequest &request) { return createLinks(request); };
    m_tables.csvLog()->setSessionInputs({selectionListFile});
    connect(m_tables.csvLog(), &CsvLog::fallbackUsed, this,
            [this](const QString &wanted, const QString &used) {
                emit problemReported(translate(m_language, CsvLog::fallbackText()).arg(wanted, used));
            });
    WindowTranslator::setKey(buttons->btnStart(), m_sessionState);
    updateTypeSwitches();
}

ReadTagController::~ReadTagController()
{
    if (m_links)
        disconnect(m_links.get(), nullptr, nullptr, nullptr);
}

void ReadTagController::setTiming(const Timing &timing)
{
    m_timing = timing;
    m_session.setTiming(timing);
}

std::unique_ptr<ReadingLinks> ReadTagController::createLinks(const ReadingLinkRequest &request)
{
    ReadLinkPages *pages = m_page->links();
    switch (request.linkMode) {
    case 0: {
        auto links = std::make_unique<TcpClientReadingLinks>();
        QList<ReaderAddress> readers;
        for (const auto &[number, address] : request.readerAddresses)
            readers.append({number, address});
        links->setReaders(readers);
        links->setRemotePortText(QString::number(request.tcpRemotePort));
        links->setTiming(request.timing);
        connect(links.get(), &TcpClientReadingLinks::readerConnected, this,
                [this](const QString &address, quint16 port) { emit readerSeen(0, address, port); });
        return links;
    }
    case 1: {
        SerialPortMap map;
        QList<int> numbers;
        for (const auto &[number, device] : request.comPorts) {
            map.setDevice(number, device);
            numbers << number;
        }
        return std::make_unique<SerialReadingLinks>(map, numbers, request.timing);
    }
    case 2: {
        auto links = std::make_unique<TcpListenerReadingLinks>();
        links->setListenPortText(QString::number(request.listenPort));
        links->setTiming(request.timing);
        connect(links.get(), &TcpListenerReadingLinks::clientListed, pages, &ReadLinkPages::listClient);
        connect(links.get(), &TcpListenerReadingLinks::clientUnlisted, pages, &ReadLinkPages::unlistClient);
        connect(links.get(), &TcpListenerReadingLinks::readerConnected, this,
                [this](const QString &address, quint16 port) { emit readerSeen(2, address, port); });
        return links;
    }
    default: {
        auto links = std::make_unique<UdpReadingLinks>();
        links->setLocalPortText(QString::number(request.localPort));
        links->setDestinationPortText(QString::number(request.desPort));
        links->setBroadcastAddress(QHostAddress(request.udpBroadcastAddress));
        links->setLocalHostAddress(request.localHostAddress);
        links->setTiming(request.timing);
        connect(links.get(), &UdpReadingLinks::senderListed, pages, &ReadLinkPages::listSender);
        connect(links.get(), &UdpReadingLinks::senderRegistered, this,
                [this](const QString &address, quint16 port) { emit readerSeen(3, address, port); });
        return links;
    }
    }
}

void ReadTagController::loadPortMap()
{
    m_portMap = SerialPortMap::fromVariantMap(m_settings->comDevices());
    for (int n = 1; n <= ReadLinkPages::kCount; ++n)
        m_page->links()->comDevice(n)->setText(m_portMap.device(n));
}

void ReadTagController::setComDevice(int number, const QString &device)
{
    m_page->links()->comDevice(number)->setText(device);
    handleDeviceEdited(number);
}

void ReadTagController::handleDeviceEdited(int number)
{
    QLineEdit *box = m_page->links()->comDevice(number);
    const QString device = box->text().trimmed();
    if (device == m_portMap.device(number))
        return;
    if (device.isEmpty() || device == SerialPortMap::defaultDevice(number))
        m_portMap.clearDevice(number);
    else
        m_portMap.setDevice(number, device);
    box->setText(m_portMap.device(number));
    m_settings->writeComDevices(m_portMap.toVariantMap());
}

void ReadTagController::setLanguage(int language)
{
    m_language = language;
    m_page->buttons()->btnStart()->setText(translate(m_language, m_sessionState));
}

void ReadTagController::setSessionState(const QString &state)
{
    m_sessionState = state;
    QPushButton *start = m_page->buttons()->btnStart();
    WindowTranslator::setKey(start, state);
    start->setText(translate(m_language, state));
}

void ReadTagController::updateTypeSwitches()
{
    ReportTypeSwitches s;
    s.standard = m_page->typeCheck(1)->isChecked();
    s.oneTemperature = m_page->typeCheck(2)->isChecked();
    s.twoTemperature = m_page->typeCheck(3)->isChecked();
    s.temperatureHumidity = m_page->typeCheck(4)->isChecked();
    m_decoder.setTypeSwitches(s);
}

void ReadTagController::startOrStop()
{
    if (m_sessionState == QLatin1String("Start"))
        start();
    else
        requestStop();
}

void ReadTagController::stopIfRunning()
{
    if (m_sessionState == QLatin1String("Stop"))
        requestStop();
}

void ReadTagController::normalizePortTexts()
{
    ReadLinkPages *links = m_page->links();
    for (QLineEdit *e :
         {links->edLocalPort(), links->edDesPort(), links->edtListenPort(), links->edtTcpRemotePort()})
        e->setText(PortText::normalized(e->text()));
}

void ReadTagController::saveStartSettings()
{
    m_page->edtTagFilter()->setText(m_page->edtTagFilter()->text().trimmed());
    normalizePortTexts();
    ReadLinkPages *links = m_page->links();
    SettingsStore::ReadingStart s;
    s.tagFilterUid = m_page->edtTagFilter()->text();
    s.tcpRemotePort = links->edtTcpRemotePort()->text();
    s.localPort = links->edLocalPort()->text();
    s.desPort = links->edDesPort()->text();
    s.listenPort = links->edtListenPort()->text();
    s.page = links->linkMode();
    for (int n = 1; n <= ReadLinkPages::kCount; ++n) {
        s.com[size_t(n - 1)] = links->comCheck(n)->isChecked();
        s.net[size_t(n - 1)] = links->ipCheck(n)->isChecked();
        s.ip[size_t(n - 1)] = links->ipEdit(n)->text();
    }
    m_settings->writeReadingStart(s);
}

ReadingLinkRequest ReadTagController::buildRequest() const
{
    ReadLinkPages *links = m_page->links();
    ReadingLinkRequest r;
    r.linkMode = links->linkMode();
    for (int n = 1; n <= ReadLinkPages::kCount; ++n) {
        if (links->comCheck(n)->isChecked())
            r.comPorts.append({n, m_portMap.device(n)});
        if (links->ipCheck(n)->isChecked())
            r.readerAddresses.append({n, links->ipEdit(n)->text().trimmed()});
    }
    r.tcpRemotePort = PortText::value(links->edtTcpRemotePort()->text());
    r.listenPort = PortText::value(links->edtListenPort()->text());
    r.localPort = PortText::value(links->edLocalPort()->text());
    r.desPort = PortText::value(links->edDesPort()->text());
    r.localHostAddress = m_localHostAddress;
    r.timing = m_timing;
    r.udpBroadcastAddress = m_settings->udpBroadcastAddress();
    return r;
}

void ReadTagController::start()
{
    emit problemReported(QString());
    m_tables.csvLog()->setFileName(m_page->edFile()->text().trimmed());
    if (const CsvLog::Refusal refusal = m_tables.startSession(); refusal.refused()) {
        emit problemReported(
            translate(m_language, CsvLog::refusalText(refusal.reason)).arg(refusal.fileName));
        return; // nothing was emptied; the session does not start
    }
    ReadButtonPanel *buttons = m_page->buttons();
    buttons->btnExit()->setEnabled(false);
    buttons->setEnabled(false);
    setSessionState(QStringLiteral("Stop"));
    saveStartSettings();
    m_tables.setTagFilter(m_page->edtTagFilter()->text());
    m_links = m_factory ? m_factory(buildRequest()) : nullptr;
    buttons->setEnabled(true);
    m_page->links()->setEnabled(false);
    m_decoder.resetTamper();
    handleTamper(false, QStringLiteral("Tamper Alarm"));
    emit statusText(QString());
    m_page->links()->showConnectionLists(true);
    if (!m_links) {
        emit problemReported(tr("No reading links for this link kind"));
        handleSessionEnded();
        return;
    }
    m_session.start(m_links.get());
}

void ReadTagController::requestStop()
{
    ReadButtonPanel *buttons = m_page->buttons();
    buttons->btnExit()->setEnabled(false);
    buttons->setEnabled(false);
    buttons->btnStart()->setEnabled(false);
    buttons->btnClear()->setEnabled(false);
    setSessionState(QStringLiteral("Start"));
    m_session.stop();
}

void ReadTagController::handleSessionEnded()
{
    if (m_links) {
        // The links are still inside their closed() signal: delete them once it has returned.
        m_links.release()->deleteLater();
    }
    ReadButtonPanel *buttons = m_page->buttons();
    setSessionState(QStringLiteral("Start"));
    m_page->links()->setEnabled(true);
    m_page->links()->showConnectionLists(false);
    buttons->btnStart()->setEnabled(true);
    buttons->btnClear()->setEnabled(true);
    buttons->btnExit()->setEnabled(true);
    buttons->setEnabled(true);
    buttons->setIdleLook();
    m_decoder.resetTamper();
    handleTamper(false, QStringLiteral("Tamper Alarm"));
    m_tables.endSession(m_selectionListFile);
    if (std::exchange(m_snapshotPending, false))
        m_tables.saveSnapshot();
    emit sessionEnded();
}

void ReadTagController::handleTamper(bool shown, const QString &caption)
{
    ReadButtonPanel *buttons = m_page->buttons();
    buttons->pnlTamper()->setText(caption);
    buttons->pnlTamper()->setVisible(shown);
    buttons->btnTemperReset()->setVisible(shown);
}

void ReadTagController::handleTemperReset()
{
    if (m_links && m_session.isRunning())
        m_links->broadcastCommand(QByteArrayLiteral("BT"));
    m_decoder.resetTamper();
    handleTamper(false, m_page->buttons()->pnlTamper()->text());
}

void ReadTagController::handleSave()
{
    if (isBusy()) {
        m_snapshotPending = true;
        stopIfRunning();
        return;
    }
    m_tables.csvLog()->setFileName(m_page->edFile()->text().trimmed());
    m_tables.saveSnapshot();
}

void ReadTagController::loadSelectionList()
{
    int skipped = 0;
    m_tables.loadSelection(SelectionListFile::load(m_selectionListFile, &skipped));
    if (skipped > 0)
        emit problemReported(translate(m_language, SelectionListFile::skippedLinesText()).arg(skipped));
}

void ReadTagController::syncFromControls()
{
    m_binding->syncFromControls();
}
