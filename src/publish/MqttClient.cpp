#include "publish/MqttClient.h"

#include <QFileInfo>
#include <QUuid>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mosquitto.h>
#include <mutex>
#include <sys/socket.h>
#include <vector>

namespace {

constexpr int kLoopWaitMs = 100;  // how soon the network thread notices stop()
constexpr int kGoodbyeLoops = 20; // network loop turns a clean disconnect may take

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString errorText(int rc)
{
    if (rc == MOSQ_ERR_ERRNO)
        return qt_error_string(errno);
    return QString::fromUtf8(mosquitto_strerror(rc));
}

} // namespace

struct MqttClient::Event
{
    enum class Type
    {
        Connected,
        Subscribed,
        Disconnected,
        Published,
        Message,
        Oversize,
        Problem,
        Stopped
    };
    Type type = Type::Connected;
    int value = 0; // message id or size
    QByteArray topic;
    QByteArray payload;
    MqttProblem problem;
};

struct MqttClient::Shared
{
    MqttClientOptions options;
    mosquitto *mosq = nullptr;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool graceful = false;
    MqttClient *owner = nullptr;
    std::vector<Event> events;
    std::condition_variable room; // the owner took the waiting messages
    int waitingMessages = 0;      // received messages in `events`
    qint64 waitingBytes = 0;
    std::atomic<quint64> heldBack{0};
    std::atomic<bool> sessionUp{false};
    std::atomic<bool> connackSeen{false};
    std::atomic<bool> resetBackoff{false};

    ~Shared()
    {
        if (mosq)
            mosquitto_destroy(mosq);
    }

    // Hands an event to the owner's thread; events that pile up go in one hand-over.
    void post(Event event)
    {
        std::lock_guard lock(mutex);
        postLocked(std::move(event));
    }
    // A received message, once there is room for it: until then the network thread waits and reads
    // nothing more. After stop() nobody takes messages any more, and they are let go.
    void postMessage(Event event)
    {
        const qint64 bytes = event.payload.size();
        std::unique_lock lock(mutex);
        const auto full = [this] {
            return (options.maxWaitingMessages > 0 && waitingMessages >= options.maxWaitingMessages) ||
                   (options.maxWaitingBytes > 0 && waitingMessages > 0 &&
                    waitingBytes >= options.maxWaitingBytes);
        };
        if (full()) {
            ++heldBack;
            room.wait(lock, [this, &full] { return stop || !owner || !full(); });
        }
        if (stop)
            return;
        ++waitingMessages;
        waitingBytes += bytes;
        postLocked(std::move(event));
    }
    void postLocked(Event event)
    {
        if (!owner)
            return;
        const bool first = events.empty();
        events.push_back(std::move(event));
        if (first) {
            MqttClient *o = owner;
            QMetaObject::invokeMethod(
                o, [o] { o->drainEvents(); }, Qt::QueuedConnection);
        }
    }
    void postProblem(MqttProblem::Kind kind, const QString &details)
    {
        Event e;
        e.type = Event::Type::Problem;
        e.problem = {kind, details};
        post(std::move(e));
    }
    void postPlain(Event::Type type, int value = 0)
    {
        Event e;
        e.type = type;
        e.value = value;
        post(std::move(e));
    }
    bool stopRequested(bool *gracefulOut = nullptr)
    {
        std::lock_guard lock(mutex);
        if (gracefulOut)
            *gracefulOut = graceful;
        return stop;
    }

    static void onConnect(mosquitto *mosq, void *obj, int rc);
    static void onPublish(mosquitto *, void *obj, int mid);
    static void onMessage(mosquitto *, void *obj, const mosquitto_message *message);
    static void onSubscribe(mosquitto *, void *obj, int, int, const int *);
    static void run(std::shared_ptr<Shared> s);
    static void runConnection(Shared &s);
    static void finish(Shared &s, bool graceful);
};

void MqttClient::Shared::onConnect(mosquitto *mosq, void *obj, int rc)
{
    auto *s = static_cast<Shared *>(obj);
    s->connackSeen = true;
    if (rc != 0) {
        s->postProblem(MqttProblem::Kind::Refused, QString::fromUtf8(mosquitto_connack_string(rc)));
        return;
    }
    s->sessionUp = true;
    s->resetBackoff = true;
    for (const QByteArray &topic : std::as_const(s->options.subscriptions))
        mosquitto_subscribe(mosq, nullptr, topic.constData(), s->options.subscribeQos);
    if (s->options.sessionHook)
        s->options.sessionHook(true);
    s->postPlain(Event::Type::Connected);
}

void MqttClient::Shared::onPublish(mosquitto *, void *obj, int mid)
{
    auto *s = static_cast<Shared *>(obj);
    if (s->options.publishedHook)
        s->options.publishedHook(mid);
    else
        s->postPlain(Event::Type::Published, mid);
}

void MqttClient::Shared::onSubscribe(mosquitto *, void *obj, int, int, const int *)
{
    static_cast<Shared *>(obj)->postPlain(Event::Type::Subscribed);
}

void MqttClient::Shared::onMessage(mosquitto *, void *obj, const mosquitto_message *message)
{
    auto *s = static_cast<Shared *>(obj);
    Event e;
    e.topic = QByteArray(message->topic);
    if (message->payloadlen > s->options.maxPayload) {
        e.type = Event::Type::Oversize;
        e.value = message->payloadlen;
    } else {
        e.type = Event::Type::Message;
        e.payload = QByteArray(static_cast<const char *>(message->payload), message->payloadlen);
    }
    s->postMessage(std::move(e));
}

// The network thread: connect, serve the connection, pause, connect again, until stopped.
void MqttClient::Shared::run(std::shared_ptr<Shared> s)
{
    const MqttClientOptions &o = s->options;
    const QByteArray host = o.broker.host.toUtf8();
    int pauseMs = o.reconnectFirstMs;
    while (!s->stopRequested()) {
        s->connackSeen = false;
        const int rc = mosquitto_connect(s->mosq, host.constData(), o.broker.port, o.keepAliveSec);
        if (rc == MOSQ_ERR_SUCCESS)
            runConnection(*s);
        else
            s->postProblem(
                MqttProblem::Kind::Unreachable,
                QStringLiteral("%1:%2: %3").arg(o.broker.host).arg(o.broker.port).arg(errorText(rc)));
        if (s->sessionUp.exchange(false)) {
            if (o.sessionHook)
                o.sessionHook(false);
            s->postPlain(Event::Type::Disconnected);
        }
        if (s->resetBackoff.exchange(false))
            pauseMs = o.reconnectFirstMs;
        std::unique_lock lock(s->mutex);
        if (s->wake.wait_for(lock, std::chrono::milliseconds(pauseMs), [&s] { return s->stop; }))
            break;
        pauseMs = std::min(pauseMs * 2, o.reconnectMaxMs);
    }
    s->postPlain(Event::Type::Stopped);
}

void MqttClient::Shared::runConnection(Shared &s)
{
    const auto begin = std::chrono::steady_clock::now();
    const auto timeout = std::chrono::milliseconds(s.options.connectTimeoutMs);
    for (;;) {
        bool graceful = false;
        if (s.stopRequested(&graceful)) {
            finish(s, graceful);
            return;
        }
        const int rc = mosquitto_loop(s.mosq, kLoopWaitMs, 1);
        if (rc != MOSQ_ERR_SUCCESS) {
            // Before the broker's answer (a TLS handshake that fails, a connection reset) the broker
            // was not reached; a refusal was said when it came.
            if (s.sessionUp)
                s.postProblem(MqttProblem::Kind::ConnectionLost, errorText(rc));
            else if (!s.connackSeen)
                s.postProblem(MqttProblem::Kind::Unreachable, QStringLiteral("%1:%2: %3")
                                                                  .arg(s.options.broker.host)
                                                                  .arg(s.options.broker.port)
                                                                  .arg(errorText(rc)));
            return;
        }
        if (!s.connackSeen && std::chrono::steady_clock::now() - begin > timeout) {
            s.postProblem(
                MqttProblem::Kind::NoAnswer,
                QStringLiteral("no answer to the connection in %1 ms").arg(s.options.connectTimeoutMs));
            ::shutdown(mosquitto_socket(s.mosq), SHUT_RDWR);
            mosquitto_loop(s.mosq, 0, 1);
            return;
        }
    }
}

// A clean stop says goodbye (no last will); otherwise the connection is cut so the broker sends it.
void MqttClient::Shared::finish(Shared &s, bool graceful)
{
    if (graceful && s.sessionUp) {
        mosquitto_disconnect(s.mosq);
        for (int i = 0; i < kGoodbyeLoops && mosquitto_loop(s.mosq, kLoopWaitMs / 2, 1) == MOSQ_ERR_SUCCESS;
             ++i) {
        }
    } else {
        ::shutdown(mosquitto_socket(s.mosq), SHUT_RDWR);
    }
}

MqttClientOptions MqttClientOptions::from(const PublishSettings &settings, const BrokerAddress &broker,
                                          const QString &idPrefix)
{
    MqttClientOptions o;
    o.broker = broker;
    o.clientId = settings.clientId.isEmpty() ? idPrefix + QUuid::createUuid().toString(QUuid::Id128).left(12)
                                             : settings.clientId;
    o.cleanSession = settings.qos == 0;
    o.user = settings.user;
    o.password = settings.password;
    o.caFile = settings.caFile;
    o.keepAliveSec = settings.keepAliveSec;
    o.reconnectFirstMs = settings.reconnectFirstMs;
    o.reconnectMaxMs = settings.reconnectMaxMs;
    o.connectTimeoutMs = settings.connectTimeoutMs;
    return o;
}

MqttClient::MqttClient(const MqttClientOptions &options, QObject *parent)
    : QObject(parent), m_options(options)
{
    qRegisterMetaType<MqttProblem>();
}

MqttClient::~MqttClient()
{
    if (!m_shared)
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->owner = nullptr;
        m_shared->stop = true;
    }
    m_shared->wake.notify_all();
    m_shared->room.notify_all();
    // The thread may be inside a connection attempt to a silent host: it ends by itself and frees
    // what it shares; nothing here waits for it.
    if (m_thread.joinable())
        m_thread.detach();
}

bool MqttClient::start()
{
    if (m_shared)
        return true;
    m_shared = std::make_shared<Shared>();
    m_shared->options = m_options;
    m_shared->owner = this;
    if (!configure())
        return false;
    m_thread = std::thread(&Shared::run, m_shared);
    return true;
}

bool MqttClient::configure()
{
    const MqttClientOptions &o = m_options;
    auto refuse = [this](const QString &why) {
        handleProblem({MqttProblem::Kind::BadSettings, why});
        return false;
    };
    if (!o.caFile.isEmpty() && !QFileInfo(o.caFile).isReadable())
        return refuse(QStringLiteral("CA file %1 cannot be read").arg(o.caFile));
    initLibrary();
    mosquitto *mosq = mosquitto_new(o.clientId.toUtf8().constData(), o.cleanSession, m_shared.get());
    if (!mosq)
        return refuse(QStringLiteral("client id \"%1\" not usable").arg(o.clientId));
    m_shared->mosq = mosq;
    mosquitto_threaded_set(mosq, true);
    mosquitto_int_option(mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_max_inflight_messages_set(mosq, unsigned(o.maxInflight));
    mosquitto_connect_callback_set(mosq, &Shared::onConnect);
    mosquitto_publish_callback_set(mosq, &Shared::onPublish);
    mosquitto_message_callback_set(mosq, &Shared::onMessage);
    mosquitto_subscribe_callback_set(mosq, &Shared::onSubscribe);
    if (!o.user.isEmpty() &&
        mosquitto_username_pw_set(mosq, o.user.toUtf8().constData(),
                                  o.password.isEmpty() ? nullptr : o.password.toUtf8().constData()) !=
            MOSQ_ERR_SUCCESS)
        return refuse(QStringLiteral("user name not usable"));
    if (!o.willTopic.isEmpty() && mosquitto_will_set(mosq, o.willTopic.constData(), int(o.willPayload.size()),
                                                     o.willPayload.constData(), 1, true) != MOSQ_ERR_SUCCESS)
        return refuse(QStringLiteral("topic \"%1\" not usable").arg(QString::fromUtf8(o.willTopic)));
    if (o.broker.tls) {
        const int rc = o.caFile.isEmpty() ? mosquitto_int_option(mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                                          : mosquitto_tls_set(mosq, o.caFile.toUtf8().constData(), nullptr,
                                                              nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            return refuse(QStringLiteral("TLS: %1").arg(errorText(rc)));
    }
    return true;
}

void MqttClient::stop()
{
    if (m_stopRequested)
        return;
    m_stopRequested = true;
    if (!m_shared || !m_thread.joinable()) {
        QMetaObject::invokeMethod(this, &MqttClient::stopped, Qt::QueuedConnection);
        return;
    }
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
        m_shared->graceful = true;
    }
    m_shared->wake.notify_all();
    m_shared->room.notify_all();
}

quint64 MqttClient::timesHeldBack() const
{
    return m_shared ? m_shared->heldBack.load() : 0;
}

int MqttClient::waitingMessages() const
{
    if (!m_shared)
        return 0;
    std::lock_guard lock(m_shared->mutex);
    return m_shared->waitingMessages;
}

int MqttClient::publish(const QByteArray &topic, const QByteArray &payload, int qos, bool retain)
{
    if (!m_connected || m_stopRequested)
        return -1;
    int mid = 0;
    const int rc = mosquitto_publish(m_shared->mosq, &mid, topic.constData(), int(payload.size()),
                                     payload.constData(), qos, retain);
    return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

int MqttClient::publishFromAnyThread(const QByteArray &topic, const QByteArray &payload, int qos, bool retain)
{
    if (!m_shared || !m_shared->sessionUp)
        return -1;
    int mid = 0;
    const int rc = mosquitto_publish(m_shared->mosq, &mid, topic.constData(), int(payload.size()),
                                     payload.constData(), qos, retain);
    return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

void MqttClient::handleProblem(const MqttProblem &problem)
{
    if (m_problemShown && problem.kind == m_lastProblem.kind && problem.details == m_lastProblem.details)
        return;
    m_lastProblem = problem;
    m_problemShown = true;
    emit this->problem(problem);
}

void MqttClient::drainEvents()
{
    std::vector<Event> events;
    {
        std::lock_guard lock(m_shared->mutex);
        events.swap(m_shared->events);
        m_shared->waitingMessages = 0;
        m_shared->waitingBytes = 0;
    }
    m_shared->room.notify_all();
    for (Event &e : events) {
        switch (e.type) {
        case Event::Type::Subscribed:
            emit subscribed();
            break;
        case Event::Type::Connected:
            m_connected = true;
            m_problemShown = false;
            emit connected();
            break;
        case Event::Type::Disconnected:
            m_connected = false;
            emit disconnected();
            break;
        case Event::Type::Published:
            emit published(e.value);
            break;
        case Event::Type::Message:
            emit messageReceived(e.topic, e.payload);
            break;
        case Event::Type::Oversize:
            emit oversizeReceived(e.topic, e.value);
            break;
        case Event::Type::Problem:
            handleProblem(e.problem);
            break;
        case Event::Type::Stopped:
            if (m_thread.joinable())
                m_thread.join();
            m_connected = false;
            emit stopped();
            break;
        }
    }
}
