#include "app/ReadTagController.h"

#include "app/ReadTagPage.h"
#include "app/ReadTagPublishing.h"
#include "app/ReadTagWebView.h"
#include "app/SignalViews.h"
#include "app/TagTablesBinding.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "link/ReadingLinks.h"
#include "publish/MqttReading.h"
#include "reading/SelectionListFile.h"

#include <utility>

ReadTagController::ReadTagController(ReadTagPage *page, SettingsStore *settings, TonePlayer *tone,
                                     const QString &selectionListFile, QObject *parent)
    : QObject(parent), m_page(page), m_settings(settings), m_selectionListFile(selectionListFile),
      m_pipeline(m_clock, *tone)
{
    TagTables &tables = m_pipeline.tables();
    m_binding = new TagTablesBinding(page, &tables, settings, this);
    connect(&m_pipeline, &ReadingPipeline::problem, this, &ReadTagController::problemReported);
    connect(m_binding, &TagTablesBinding::tagIdChanged, this, &ReadTagController::tagIdChanged);
    connect(&tables, &TagTables::statusTextChanged, this, &ReadTagController::statusText);
    ReadingSession &session = m_pipeline.session();
    connect(&m_pipeline, &ReadingPipeline::ended, this, &ReadTagController::handleSessionEnded);
    connect(&session, &ReadingSession::blinkPhaseChanged, page, &ReadTagPage::setBlinkPhase);
    // The connection log is the "TCP Server" page's; the other kinds list their readers instead.
    connect(&session, &ReadingSession::logged, this, [this](const LinkLogEvent &event) {
        if (m_page->linkKind() == LinkKind::TcpToReaders || m_page->linkKind() == LinkKind::Mqtt)
            m_page->appendConnectionLog(event);
    });
    connect(&m_pipeline, &ReadingPipeline::readerSeen, this, &ReadTagController::readerSeen);
    connect(&m_pipeline, &ReadingPipeline::clientListed, page, &ReadTagPage::listClient);
    connect(&m_pipeline, &ReadingPipeline::clientUnlisted, page, &ReadTagPage::unlistClient);
    connect(&m_pipeline, &ReadingPipeline::senderListed, page, &ReadTagPage::listSender);
    connect(&m_pipeline.decoder(), &ReportDecoder::tamperChanged, this, &ReadTagController::handleTamper);
    connect(page, &ReadTagPage::startStopRequested, this, &ReadTagController::startOrStop);
    connect(page, &ReadTagPage::tamperResetRequested, this, &ReadTagController::handleTamperReset);
    connect(page, &ReadTagPage::saveRequested, this, &ReadTagController::handleSave);
    connect(page, &ReadTagPage::comDeviceEdited, this, &ReadTagController::handleDeviceEdited);
    connect(page, &ReadTagPage::typeSwitchesChanged, this,
            [this] { m_pipeline.decoder().setTypeSwitches(m_page->typeSwitches()); });
    m_publishing = new ReadTagPublishing(m_pipeline, this);
    m_webView = new ReadTagWebView(m_pipeline, page->publishGroup(), settings, this);
    connect(m_publishing, &ReadTagPublishing::problem, this, &ReadTagController::problemReported);
    connect(m_publishing, &ReadTagPublishing::stateChanged, page, &ReadTagPage::showPublishState);
    connect(m_publishing, &ReadTagPublishing::finished, this, &ReadTagController::finishSessionEnd);
    connect(page, &ReadTagPage::mqttEdited, this, &ReadTagController::writeMqttSettings);
    m_factory = [this](const LinkRequest &request) { return makeLinks(request); };
    // The CSV logs never overwrite a file the session reads.
    m_pipeline.tables().csvLog()->setSessionInputs({selectionListFile});
    m_page->setRunning(false);
    m_pipeline.decoder().setTypeSwitches(m_page->typeSwitches());
    m_signalViews = new SignalViews(page, &tables, m_clock, *tone, this);
    m_signalViews->loadBound(*settings);
}

// The publisher goes before the pipeline it publishes from.
ReadTagController::~ReadTagController()
{
    delete m_publishing;
}

void ReadTagController::loadPortMap()
{
    m_portMap = SerialPortMap::fromVariantMap(m_settings->comDevices());
    for (int n = 1; n <= kNumberedLinkCount; ++n)
        m_page->showComDevice(n, m_portMap.device(n));
}

void ReadTagController::setComDevice(int number, const QString &device)
{
    m_page->showComDevice(number, device);
    handleDeviceEdited(number, device.trimmed());
}

void ReadTagController::handleDeviceEdited(int number, const QString &device)
{
    if (device == m_portMap.device(number))
        return;
    if (device.isEmpty() || device == SerialPortMap::defaultDevice(number))
        m_portMap.clearDevice(number);
    else
        m_portMap.setDevice(number, device);
    m_page->showComDevice(number, m_portMap.device(number));
    m_settings->writeComDevices(m_portMap.toVariantMap());
}

void ReadTagController::setLanguage(Language language)
{
    m_language = language;
    m_page->setLanguage(language);
    m_signalViews->setLanguage(language);
    handleTamper(m_pipeline.decoder().tamperShown(), m_tamperCountdown);
}

bool ReadTagController::isFlushing() const
{
    return m_publishing->isActive() && !m_pipeline.isBusy() && !m_running;
}

void ReadTagController::setBrokerBase(const PublishSettings &base)
{
    m_publishing->setBase(base);
}

void ReadTagController::writeMqttSettings()
{
    m_settings->writeMqtt(m_page->mqttValues());
}

// The "MQTT" page reads from a broker with the page's settings; the other kinds are the pipeline's.
std::unique_ptr<ReadingLinks> ReadTagController::makeLinks(const LinkRequest &request)
{
    if (request.kind != LinkKind::Mqtt)
        return ReadingPipeline::makeLinks(request);
    const auto settings = m_publishing->readingSettings(m_page->mqttValues());
    if (!settings) {
        m_linksProblemShown = true;
        return nullptr;
    }
    // The broker's problems reach the status bar as the pipeline's, like those of any links.
    return MqttReading::makeLinks(m_pipeline, *settings);
}

void ReadTagController::startOrStop()
{
    if (m_running)
        requestStop();
    else
        start();
}

void ReadTagController::stopIfRunning()
{
    if (m_running)
        requestStop();
}

LinkRequest ReadTagController::buildRequest() const
{
    LinkRequest r = m_page->linkRequest();
    for (auto &[number, device] : r.comPorts)
        device = m_portMap.device(number);
    r.localHostAddress = m_localHostAddress;
    r.timing = m_pipeline.timing();
    r.udpBroadcastAddress = QHostAddress(m_settings->udpBroadcastAddress());
    return r;
}

void ReadTagController::start()
{
    if (m_publishing->isActive())
        return; // the last session's publisher is still sending what it holds
    emit problemsCleared();
    TagTables &tables = m_pipeline.tables();
    tables.csvLog()->setFileName(m_page->csvFile());
    if (const CsvLog::Refusal refusal = tables.startSession(); refusal.refused()) {
        emit problemReported({Problem::Severity::Error,
                              Problem::Kind::CsvRefused,
                              CsvLog::refusalText(refusal.reason),
                              {refusal.fileName}});
        return; // nothing was emptied; the session does not start
    }
    m_running = true;
    m_page->setRunning(true);
    m_signalViews->setSessionRunning(true);
    m_settings->writeReadingStart(m_page->startSettings());
    writeMqttSettings();
    tables.setTagFilter(m_page->tagFilter());
    m_publishing->startSession(m_page->mqttValues(), m_page->linkKind() == LinkKind::Mqtt);
    m_linksProblemShown = false;
    std::unique_ptr<ReadingLinks> links = m_factory ? m_factory(buildRequest()) : nullptr;
    m_pipeline.decoder().resetTamper();
    handleTamper(false, ReportDecoder::kNoCountdown);
    emit statusText(QString());
    if (!links && !m_linksProblemShown)
        emit problemReported({Problem::Severity::Error,
                              Problem::Kind::NoReadingLinks,
                              QStringLiteral("No reading links for this link kind"),
                              {}});
    m_pipeline.start(std::move(links));
}

void ReadTagController::requestStop()
{
    m_running = false;
    m_signalViews->setSessionRunning(false);
    m_page->setStopping();
    m_pipeline.stop();
}

// The links are closed; a publisher still sends what it holds before the session is over.
void ReadTagController::handleSessionEnded()
{
    m_publishing->finishSession();
}

void ReadTagController::finishSessionEnd()
{
    m_running = false;
    m_signalViews->setSessionRunning(false);
    m_page->setRunning(false);
    m_pipeline.decoder().resetTamper();
    handleTamper(false, ReportDecoder::kNoCountdown);
    m_pipeline.tables().endSession(m_selectionListFile);
    if (std::exchange(m_snapshotPending, false))
        m_pipeline.tables().saveSnapshot();
    emit sessionEnded();
}

void ReadTagController::handleTamper(bool shown, int countdown)
{
    m_tamperCountdown = countdown;
    QString caption = translate(m_language, QStringLiteral("Tamper Alarm"));
    if (countdown != ReportDecoder::kNoCountdown)
        caption += QStringLiteral(" (%1)").arg(countdown);
    m_page->showTamper(shown, caption);
}

void ReadTagController::handleTamperReset()
{
    if (links() && m_pipeline.session().isRunning())
        links()->broadcastCommand(QByteArrayLiteral("BT"));
    m_pipeline.decoder().resetTamper();
    handleTamper(false, m_tamperCountdown);
}

void ReadTagController::handleSave()
{
    if (isBusy()) {
        m_snapshotPending = true;
        stopIfRunning();
        return;
    }
    m_pipeline.tables().csvLog()->setFileName(m_page->csvFile());
    m_pipeline.tables().saveSnapshot();
}

void ReadTagController::loadSelectionList()
{
    int skipped = 0;
    m_pipeline.tables().loadSelection(SelectionListFile::load(m_selectionListFile, &skipped));
    if (skipped > 0)
        emit problemReported({Problem::Severity::Warning,
                              Problem::Kind::SelectionLinesSkipped,
                              SelectionListFile::skippedLinesText(),
                              {QString::number(skipped)}});
}

void ReadTagController::syncFromControls()
{
    m_binding->syncFromControls();
}
