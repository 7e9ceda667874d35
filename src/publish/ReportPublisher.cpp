#include "publish/ReportPublisher.h"

#include "publish/MqttClient.h"
#include "publish/ReportJson.h"

#include <QUuid>

namespace {

// Messages handed to the library and not yet out (QoS 0) or acknowledged (QoS 1). QoS 1 stays within
// the library's own in-flight limit, so that it holds nothing it has not put on the wire.
constexpr int kMaxInflightQos0 = 2048;
constexpr int kMaxInflightQos1 = 256;

MqttClientOptions clientOptions(const PublishSettings &s, const BrokerAddress &broker, const QByteArray &will)
{
    MqttClientOptions o;
    o.broker = broker;
    o.clientId = s.clientId.isEmpty()
                     ? QStringLiteral("talvo-pub-") + QUuid::createUuid().toString(QUuid::Id128).left(12)
                     : s.clientId;
    // With QoS 1 the session outlives a lost connection, so unacknowledged reports are sent again.
    o.cleanSession = s.qos == 0;
    o.user = s.user;
    o.password = s.password;
    o.caFile = s.caFile;
    o.keepAliveSec = s.keepAliveSec;
    o.reconnectFirstMs = s.reconnectFirstMs;
    o.reconnectMaxMs = s.reconnectMaxMs;
    o.connectTimeoutMs = s.connectTimeoutMs;
    o.willPayload = will;
    o.maxInflight = kMaxInflightQos1;
    return o;
}

} // namespace

ReportPublisher::ReportPublisher(const PublishSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_site(settings.effectiveSite()),
      m_prefix(settings.effectivePrefix())
{
    m_flushDeadline.setSingleShot(true);
    connect(&m_flushDeadline, &QTimer::timeout, this, &ReportPublisher::finishClose);
}

ReportPublisher::~ReportPublisher() = default;

QString ReportPublisher::topicLevel(const QString &text)
{
    QString level = text;
    level.replace(QLatin1Char('+'), QLatin1Char('_')).replace(QLatin1Char('#'), QLatin1Char('_'));
    return level.isEmpty() ? QStringLiteral("_") : level;
}

QByteArray ReportPublisher::reportTopic(const QString &label)
{
    auto it = m_topics.constFind(label);
    if (it == m_topics.constEnd())
        it = m_topics.insert(label, (m_prefix + QStringLiteral("/reports/") + topicLevel(label)).toUtf8());
    return *it;
}

QByteArray ReportPublisher::statusObject(const char *field, const QString &value) const
{
    return "{\"site\":" + ReportJson::jsonString(m_site) + ",\"" + field +
           "\":" + ReportJson::jsonString(value) + "}";
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
        clientOptions(m_settings, *broker, statusObject("state", QStringLiteral("offline")));
    options.willTopic = (m_prefix + QStringLiteral("/status")).toUtf8();
    m_client = std::make_unique<MqttClient>(options);
    connect(m_client.get(), &MqttClient::connected, this, &ReportPublisher::handleConnected);
    connect(m_client.get(), &MqttClient::disconnected, this, &ReportPublisher::handleDisconnected);
    connect(m_client.get(), &MqttClient::published, this, &ReportPublisher::handlePublished);
    connect(m_client.get(), &MqttClient::problem, this, &ReportPublisher::problem);
    connect(m_client.get(), &MqttClient::stopped, this, [this] {
        m_closed = true;
        emit closed();
    });
    if (!m_client->start())
        return false;
    m_started = true;
    return true;
}

bool ReportPublisher::isConnected() const
{
    return m_client && m_client->isConnected();
}

void ReportPublisher::publishReport(const TTagReport &report, const QString &label)
{
    if (!m_started || m_closing)
        return;
    if (queuedReports() >= m_settings.queueCapacity) {
        drop(1);
        return;
    }
    m_queue.push_back({reportTopic(label), ReportJson::published(report, label, m_site)});
    pump();
}

void ReportPublisher::drop(quint64 count)
{
    if (m_droppedUnreported == 0)
        emit problem({MqttProblem::Kind::ReportsDropped,
                      QStringLiteral("the queue of %1 reports is full").arg(m_settings.queueCapacity)});
    m_dropped += count;
    m_droppedUnreported += count;
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
    publishStatus((m_prefix + QStringLiteral("/status/problem")).toUtf8(), statusObject("problem", details));
}

// Status messages are kept (latest per topic) and sent again on every connection: a broker that
// restarted without its store still learns them.
void ReportPublisher::publishStatus(const QByteArray &topic, const QByteArray &payload)
{
    m_retained.insert(topic, payload);
    if (isConnected())
        m_client->publish(topic, payload, 1, true);
}

void ReportPublisher::pump()
{
    if (!isConnected())
        return;
    const int window = m_settings.qos == 0 ? kMaxInflightQos0 : kMaxInflightQos1;
    while (!m_queue.empty() && m_inflight.size() < window) {
        const Message &m = m_queue.front();
        const int mid = m_client->publish(m.topic, m.payload, m_settings.qos, false);
        if (mid < 0)
            return;
        m_inflight.insert(mid);
        m_queue.pop_front();
    }
    if (m_closing && m_queue.empty() && m_inflight.isEmpty())
        finishClose();
}

void ReportPublisher::handleConnected()
{
    m_client->publish((m_prefix + QStringLiteral("/status")).toUtf8(),
                      statusObject("state", QStringLiteral("online")), 1, true);
    for (auto it = m_retained.constBegin(); it != m_retained.constEnd(); ++it)
        m_client->publish(it.key(), it.value(), 1, true);
    if (m_droppedUnreported > 0) {
        m_client->publish((m_prefix + QStringLiteral("/status/dropped")).toUtf8(),
                          "{\"site\":" + ReportJson::jsonString(m_site) +
                              ",\"dropped\":" + QByteArray::number(m_droppedUnreported) +
                              ",\"total\":" + QByteArray::number(m_dropped) + "}",
                          1, true);
        emit problem({MqttProblem::Kind::ReportsDropped,
                      QStringLiteral("%1 reports were not sent while the broker was away (%2 in all)")
                          .arg(m_droppedUnreported)
                          .arg(m_dropped)});
        m_droppedUnreported = 0;
    }
    emit connected();
    pump();
}

// QoS 0 messages the library held when the connection went are gone with it; QoS 1 messages stay
// with the library's session and are sent again, so their acknowledgements still come.
void ReportPublisher::handleDisconnected()
{
    if (m_settings.qos == 0)
        m_inflight.clear();
    emit disconnected();
}

void ReportPublisher::handlePublished(int mid)
{
    if (m_inflight.remove(mid)) {
        ++m_sent;
        pump();
    }
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
    m_flushDeadline.start(m_settings.flushTimeoutMs);
    pump();
}

void ReportPublisher::finishClose()
{
    if (m_finishing)
        return;
    m_finishing = true;
    m_flushDeadline.stop();
    const quint64 unsent = quint64(queuedReports());
    if (unsent > 0) {
        m_queue.clear();
        m_inflight.clear();
        m_dropped += unsent;
        emit problem({MqttProblem::Kind::ReportsDropped,
                      QStringLiteral("%1 reports not sent before closing").arg(unsent)});
    }
    if (isConnected())
        m_client->publish((m_prefix + QStringLiteral("/status")).toUtf8(),
                          statusObject("state", QStringLiteral("offline")), 1, true);
    m_client->stop();
}
