#include "publish/ReportPublisher.h"

#include "publish/MqttClient.h"
#include "publish/PublishPipe.h"
#include "publish/ReportJson.h"

namespace {

// Messages handed to the library and not yet out (QoS 0) or acknowledged (QoS 1). QoS 1 stays within
// the library's own in-flight limit, so that it holds nothing it has not put on the wire.
constexpr int kMaxInflightQos0 = 2048;
constexpr int kMaxInflightQos1 = 256;
// A batch this long is handed over at once, without waiting for the event loop's turn.
constexpr size_t kBatch = 512;

MqttClientOptions clientOptions(const PublishSettings &s, const BrokerAddress &broker, const QByteArray &will)
{
    MqttClientOptions o = MqttClientOptions::from(s, broker, QStringLiteral("talvo-pub-"));
    o.willPayload = will;
    o.maxInflight = kMaxInflightQos1;
    return o;
}

} // namespace

ReportPublisher::ReportPublisher(const PublishSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_site(settings.effectiveSite()),
      m_prefix(settings.effectivePrefix())
{
    PublishPipe::Config config;
    config.prefix = m_prefix;
    config.site = m_site;
    config.qos = settings.qos;
    config.window = settings.qos == 0 ? kMaxInflightQos0 : kMaxInflightQos1;
    PublishPipe::Events events;
    // The pipe's thread ends before this object does (the destructor stops it), so these calls
    // never reach a publisher that is gone.
    events.drained = [this] {
        QMetaObject::invokeMethod(this, &ReportPublisher::finishClose, Qt::QueuedConnection);
    };
    events.dropsPublished = [this](quint64 dropped, quint64 total) {
        QMetaObject::invokeMethod(
            this,
            [this, dropped, total] {
                emit problem({MqttProblem::Kind::ReportsDropped,
                              QStringLiteral("%1 reports were not sent while the broker was away (%2 in all)")
                                  .arg(dropped)
                                  .arg(total)});
            },
            Qt::QueuedConnection);
    };
    m_pipe = std::make_shared<PublishPipe>(config, std::move(events));
    m_batch.reserve(kBatch);
    m_flushDeadline.setSingleShot(true);
    connect(&m_flushDeadline, &QTimer::timeout, this, &ReportPublisher::finishClose);
}

ReportPublisher::~ReportPublisher()
{
    m_pipe->stop();
}

QString ReportPublisher::topicLevel(const QString &text)
{
    QString level = text;
    level.replace(QLatin1Char('+'), QLatin1Char('_')).replace(QLatin1Char('#'), QLatin1Char('_'));
    return level.isEmpty() ? QStringLiteral("_") : level;
}

bool ReportPublisher::start()
{
    if (m_started)
        return true;
    QString why;
    const auto broker = BrokerAddress::parse(m_settings.url, &why);
    if (!broker || (m_settings.qos != 0 && m_settings.qos != 1) || m_settings.queueCapacity < 1) {
        if (broker)
            why = QStringLiteral("QoS %1 and queue of %2: QoS must be 0 or 1, the queue at least 1")
                      .arg(m_settings.qos)
                      .arg(m_settings.queueCapacity);
        emit problem({MqttProblem::Kind::BadSettings, why});
        return false;
    }
    MqttClientOptions options =
        clientOptions(m_settings, *broker, m_pipe->statusObject("state", QStringLiteral("offline")));
    options.willTopic = (m_prefix + QStringLiteral("/status")).toUtf8();
    // The network thread tells the pipe directly: confirmations never pass through this thread.
    std::shared_ptr<PublishPipe> pipe = m_pipe;
    options.publishedHook = [pipe](int mid) { pipe->published(mid); };
    options.sessionHook = [pipe](bool up) { pipe->sessionChanged(up); };
    m_client = std::make_unique<MqttClient>(options);
    connect(m_client.get(), &MqttClient::connected, this, &ReportPublisher::connected);
    connect(m_client.get(), &MqttClient::disconnected, this, &ReportPublisher::disconnected);
    connect(m_client.get(), &MqttClient::problem, this, &ReportPublisher::problem);
    connect(m_client.get(), &MqttClient::stopped, this, &ReportPublisher::closed);
    if (!m_client->start())
        return false;
    m_pipe->start(m_client.get());
    m_started = true;
    return true;
}

bool ReportPublisher::isConnected() const
{
    return m_client && m_client->isConnected();
}

quint64 ReportPublisher::sentReports() const
{
    return m_pipe->sent();
}

quint64 ReportPublisher::droppedReports() const
{
    return m_pipe->dropped();
}

int ReportPublisher::queuedReports() const
{
    return int(m_taken - m_pipe->done());
}

void ReportPublisher::publishReport(const TTagReport &report, const QString &label)
{
    if (!m_started || m_closing)
        return;
    // A full queue is said again only once it has drained to half: right after a reconnect the
    // backlog is still going out, and a report then is the same outage, not a new one.
    if (m_dropSaid && queuedReports() <= m_settings.queueCapacity / 2)
        m_dropSaid = false;
    if (queuedReports() >= m_settings.queueCapacity) {
        drop(1);
        return;
    }
    ++m_taken;
    m_batch.push_back({report, label});
    if (m_batch.size() >= kBatch) {
        handOver();
    } else if (!m_handOverScheduled) {
        m_handOverScheduled = true;
        QMetaObject::invokeMethod(this, &ReportPublisher::handOver, Qt::QueuedConnection);
    }
}

void ReportPublisher::handOver()
{
    m_handOverScheduled = false;
    if (!m_batch.empty())
        m_pipe->append(m_batch);
}

// Said once per filling of the queue (the first report that does not fit), not once per report.
void ReportPublisher::drop(quint64 count)
{
    if (!m_dropSaid) {
        m_dropSaid = true;
        emit problem({MqttProblem::Kind::ReportsDropped,
                      QStringLiteral("the queue of %1 reports is full").arg(m_settings.queueCapacity)});
    }
    m_pipe->addDropped(count);
}

void ReportPublisher::publishReaderState(const QString &label, bool up)
{
    publishStatus((m_prefix + QStringLiteral("/status/readers/") + topicLevel(label)).toUtf8(),
                  "{\"site\":" + ReportJson::jsonString(m_site) +
                      ",\"reader\":" + ReportJson::jsonString(label) + ",\"state\":\"" +
                      (up ? "connected" : "disconnected") + "\"}");
}

void ReportPublisher::publishProblem(const QString &details)
{
    publishStatus((m_prefix + QStringLiteral("/status/problem")).toUtf8(),
                  m_pipe->statusObject("problem", details));
}

// Status messages are kept (latest per topic) and sent again on every connection: a broker that
// restarted without its store still learns them. Reports handed over before a status go out first.
void ReportPublisher::publishStatus(const QByteArray &topic, const QByteArray &payload)
{
    handOver();
    m_pipe->setStatus(topic, payload);
}

void ReportPublisher::close()
{
    if (m_closing)
        return;
    m_closing = true;
    if (!m_started) {
        QMetaObject::invokeMethod(this, &ReportPublisher::closed, Qt::QueuedConnection);
        return;
    }
    handOver();
    m_flushDeadline.start(m_settings.flushTimeoutMs);
    m_pipe->setClosing();
}

void ReportPublisher::finishClose()
{
    if (m_finishing)
        return;
    m_finishing = true;
    m_flushDeadline.stop();
    const quint64 unsent = m_pipe->stop();
    if (unsent > 0)
        emit problem({MqttProblem::Kind::ReportsDropped,
                      QStringLiteral("%1 reports not sent before closing").arg(unsent)});
    if (isConnected())
        m_client->publish((m_prefix + QStringLiteral("/status")).toUtf8(),
                          m_pipe->statusObject("state", QStringLiteral("offline")), 1, true);
    m_client->stop();
}
