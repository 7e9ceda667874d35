#include "app/ReadTagPublishing.h"

#include "publish/BrokerProblem.h"
#include "publish/PublishingBinding.h"
#include "publish/ReportPublisher.h"

namespace {
// The dropped count on the state line follows the publisher this often while a session publishes.
constexpr int kDropPollMs = 500;

// MQTT topic filter matching: "+" stands for one level, a final "#" for any number of them.
bool filterMatches(const QString &filter, const QString &topic)
{
    const QStringList f = filter.split(QLatin1Char('/'));
    const QStringList t = topic.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < f.size(); ++i) {
        if (f[i] == QLatin1String("#"))
            return true;
        if (i >= t.size() || (f[i] != QLatin1String("+") && f[i] != t[i]))
            return false;
    }
    return f.size() == t.size();
}
} // namespace

bool ReadTagPublishing::readsItsOwnReports(const PublishSettings &out, const PublishSettings &in)
{
    QString why;
    const auto a = BrokerAddress::parse(out.url, &why);
    const auto b = BrokerAddress::parse(in.url, &why);
    if (!a || !b || a->host.compare(b->host, Qt::CaseInsensitive) != 0 || a->port != b->port)
        return false;
    return filterMatches(in.subscriberPrefix() + QStringLiteral("/reports/#"),
                         out.effectivePrefix() + QStringLiteral("/reports/x"));
}

ReadTagPublishing::ReadTagPublishing(ReadingPipeline &pipeline, QObject *parent)
    : QObject(parent), m_pipeline(pipeline)
{
    m_dropPoll.setInterval(kDropPollMs);
    connect(&m_dropPoll, &QTimer::timeout, this, &ReadTagPublishing::pollDropped);
}

ReadTagPublishing::~ReadTagPublishing()
{
    // A publisher that goes with the window unannounced leaves the broker's last will ("offline").
    if (m_binding)
        disconnect(m_binding.get(), nullptr, this, nullptr);
}

std::optional<PublishSettings> ReadTagPublishing::withCredentials(const SettingsStore::MqttValues &values)
{
    PublishSettings s = m_base;
    s.qos = values.qos;
    s.user = values.user;
    s.caFile = values.caFile;
    if (!values.passwordFile.isEmpty()) {
        QString why;
        const auto password = PublishSettings::readPasswordFile(values.passwordFile, &why);
        if (!password) {
            emit problem(brokerProblem({MqttProblem::Kind::BadSettings, why}));
            return std::nullopt;
        }
        s.password = *password;
    }
    return s;
}

std::optional<PublishSettings> ReadTagPublishing::publishSettings(const SettingsStore::MqttValues &values)
{
    auto s = withCredentials(values);
    if (s) {
        s->url = values.url;
        s->prefix = values.prefix;
        s->site = values.site;
    }
    return s;
}

std::optional<PublishSettings> ReadTagPublishing::readingSettings(const SettingsStore::MqttValues &values)
{
    auto s = withCredentials(values);
    if (s) {
        s->url = values.inUrl;
        s->prefix = values.inPrefix;
    }
    return s;
}

void ReadTagPublishing::startSession(const SettingsStore::MqttValues &values, bool readingFromBroker)
{
    m_dropped = 0;
    if (!values.publish) {
        setState(PublishGroup::State::Off);
        return;
    }
    const auto settings = publishSettings(values);
    if (!settings) {
        setState(PublishGroup::State::NotStarted);
        return;
    }
    if (readingFromBroker) {
        PublishSettings in = *settings;
        in.url = values.inUrl;
        in.prefix = values.inPrefix;
        if (readsItsOwnReports(*settings, in)) {
            emit problem(brokerProblem(
                {MqttProblem::Kind::BadSettings,
                 QStringLiteral("%1 is also read from %2").arg(settings->effectivePrefix(), values.inUrl)}));
            setState(PublishGroup::State::NotStarted);
            return;
        }
    }
    m_binding = std::make_unique<PublishingBinding>(m_pipeline, *settings);
    connect(m_binding.get(), &PublishingBinding::problem, this,
            [this](const MqttProblem &p) { emit problem(brokerProblem(p)); });
    connect(&m_binding->publisher(), &ReportPublisher::connected, this,
            [this] { setState(PublishGroup::State::Connected); });
    connect(&m_binding->publisher(), &ReportPublisher::disconnected, this, [this] {
        if (m_state == PublishGroup::State::Connected)
            setState(PublishGroup::State::Reconnecting);
    });
    connect(m_binding.get(), &PublishingBinding::closed, this, &ReadTagPublishing::handleClosed);
    if (!m_binding->start()) {
        m_binding.reset();
        setState(PublishGroup::State::NotStarted);
        return;
    }
    setState(PublishGroup::State::Connecting);
    m_dropPoll.start();
}

void ReadTagPublishing::finishSession()
{
    if (!m_binding) {
        emit finished();
        return;
    }
    setState(PublishGroup::State::Closing);
    m_binding->close();
}

void ReadTagPublishing::handleClosed()
{
    pollDropped();
    m_dropPoll.stop();
    // The binding is the sender: it goes once its signal has been delivered.
    m_binding.release()->deleteLater();
    setState(PublishGroup::State::Off);
    emit finished();
}

void ReadTagPublishing::pollDropped()
{
    if (!m_binding)
        return;
    const quint64 dropped = m_binding->publisher().droppedReports();
    if (dropped != m_dropped) {
        m_dropped = dropped;
        emit stateChanged(m_state, m_dropped);
    }
}

void ReadTagPublishing::setState(PublishGroup::State state)
{
    m_state = state;
    emit stateChanged(m_state, m_dropped);
}
