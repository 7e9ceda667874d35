#include "publish/MqttReadingLinks.h"

#include "publish/BrokerProblem.h"
#include "publish/MqttClient.h"
#include "publish/ReportJson.h"

namespace {
constexpr qint64 kBadReportGapMs = 1000; // bad messages are named at most this often; all are counted
}

MqttReadingLinks::MqttReadingLinks(const PublishSettings &settings, QObject *parent)
    : ReadingLinks(parent), m_settings(settings)
{
}

MqttReadingLinks::~MqttReadingLinks() = default;

QString MqttReadingLinks::topicFilter() const
{
    return m_settings.subscriberPrefix() + QStringLiteral("/reports/#");
}

bool MqttReadingLinks::isConnected() const
{
    return m_subscribed && m_client && m_client->isConnected();
}

void MqttReadingLinks::open()
{
    QString why;
    const auto broker = BrokerAddress::parse(m_settings.url, &why);
    if (!broker || (m_settings.qos != 0 && m_settings.qos != 1)) {
        report({MqttProblem::Kind::BadSettings, broker ? QStringLiteral("QoS must be 0 or 1") : why});
        emit opened();
        return;
    }
    MqttClientOptions o = MqttClientOptions::from(m_settings, *broker, QStringLiteral("talvo-in-"));
    o.subscriptions = {topicFilter().toUtf8()};
    o.subscribeQos = m_settings.qos;
    o.maxPayload = kMaxPayload;
    // A flood waits at the broker, not in memory, and the session's thread gets its turns.
    o.maxWaitingMessages = kMaxWaitingMessages;
    o.maxWaitingBytes = kMaxWaitingBytes;
    m_client = std::make_unique<MqttClient>(o);
    connect(m_client.get(), &MqttClient::messageReceived, this, &MqttReadingLinks::handleMessage);
    connect(m_client.get(), &MqttClient::oversizeReceived, this, [this](const QByteArray &topic, int size) {
        handleBad(topic, QStringLiteral("%1 bytes, more than a report can be").arg(size));
    });
    connect(m_client.get(), &MqttClient::problem, this, &MqttReadingLinks::report);
    // Reports published from now on reach this side: the broker has taken the subscription.
    connect(m_client.get(), &MqttClient::disconnected, this, [this] { m_subscribed = false; });
    connect(m_client.get(), &MqttClient::subscribed, this, [this] {
        m_subscribed = true;
        emit logged(LinkLogEvent::of(LinkLogEvent::Kind::Subscribed, m_settings.url, 0, topicFilter()));
        emit connected();
    });
    connect(m_client.get(), &MqttClient::stopped, this, &ReadingLinks::closed);
    m_client->start();
    emit opened();
}

void MqttReadingLinks::close()
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_client)
        m_client->stop();
    else
        QMetaObject::invokeMethod(this, &ReadingLinks::closed, Qt::QueuedConnection);
}

// A broker problem is said once, as a problem of the links: the window words it in the user's
// language, the command line in English.
void MqttReadingLinks::report(const MqttProblem &problem)
{
    raiseProblem(brokerProblem(problem));
}

void MqttReadingLinks::handleMessage(const QByteArray &topic, const QByteArray &payload)
{
    if (m_closing)
        return;
    QString why;
    const auto in = ReportJson::parse(payload, &why);
    if (!in) {
        handleBad(topic, why);
        return;
    }
    ++m_received;
    if (!m_switches.accepts(in->report.kind))
        return;
    const QString label = in->site + QLatin1Char('/') + in->reader;
    if (!m_labels.contains(label)) {
        m_labels.insert(label);
        emit logged(LinkLogEvent::of(LinkLogEvent::Kind::ReaderHeard, label));
    }
    emit reportReceived(in->report, label);
}

void MqttReadingLinks::handleBad(const QByteArray &topic, const QString &why)
{
    ++m_bad;
    if (m_badShown > 0 && m_sinceBadShown.isValid() && m_sinceBadShown.elapsed() < kBadReportGapMs)
        return;
    m_badShown = m_bad;
    m_sinceBadShown.start();
    report({MqttProblem::Kind::BadPayload,
            QStringLiteral("%1: %2 (%3 so far)").arg(QString::fromUtf8(topic.left(200)), why).arg(m_bad)});
}
