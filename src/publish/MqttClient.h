#pragma once

#include "publish/MqttProblem.h"
#include "publish/PublishSettings.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <functional>
#include <memory>
#include <thread>

struct MqttClientOptions
{
    BrokerAddress broker;
    QString clientId;
    bool cleanSession = true;
    QString user;
    QString password;
    QString caFile;
    int keepAliveSec = 30;
    int reconnectFirstMs = 1000;
    int reconnectMaxMs = 30000;
    int connectTimeoutMs = 10000;
    QByteArray willTopic; // empty: no last will
    QByteArray willPayload;
    QList<QByteArray> subscriptions; // subscribed again on every connection
    int subscribeQos = 0;
    int maxInflight = 256;      // QoS 1 messages the library keeps unacknowledged at once
    int maxPayload = 64 * 1024; // longer received messages are reported by size only
    // Received messages waiting for the owner's thread: once this many (or this many bytes) wait, the
    // network thread stops reading from the broker until the owner has taken them, so that a flood
    // is held back by TCP and the broker instead of filling memory. 0: no bound.
    int maxWaitingMessages = 0;
    qint64 maxWaitingBytes = 0;
    // For owners that keep their own books on another thread: called on the network thread, without
    // a detour through the owner's thread. With publishedHook set, published() is not signalled.
    std::function<void(int mid)> publishedHook;
    std::function<void(bool up)> sessionHook; // the connection is up (after the broker's answer) or down

    // The connection values of `settings` for `broker`: credentials, times, and a client id made up
    // as `idPrefix` + a random part when none is set. With QoS 1 the session is kept across lost
    // connections (the broker holds what is unacknowledged or arrives meanwhile).
    static MqttClientOptions from(const PublishSettings &settings, const BrokerAddress &broker,
                                  const QString &idPrefix);
};

// One connection to an MQTT broker, kept up by a thread of its own: the thread connects, runs the
// library's network loop, and after a loss waits (first pause doubling up to the longest) and
// connects again. Everything it learns comes to the owner's thread as signals. publish() only hands
// a message to the library (it never waits on the network).
//
// stop() ends the connection cleanly (stopped() follows); destroying a client that was not stopped
// drops the connection without a goodbye, so that the broker sends the last will.
class MqttClient : public QObject
{
    Q_OBJECT
public:
    explicit MqttClient(const MqttClientOptions &options, QObject *parent = nullptr);
    ~MqttClient() override;

    // False (and problem()) when the options are not usable; the client then does nothing.
    bool start();
    void stop();
    // The message id, or -1 when the message was not taken (not connected).
    int publish(const QByteArray &topic, const QByteArray &payload, int qos, bool retain);
    // The same from any thread, between start() and the client's end: the connection is the network
    // thread's view of it.
    int publishFromAnyThread(const QByteArray &topic, const QByteArray &payload, int qos, bool retain);
    bool isConnected() const { return m_connected; }
    // How often the network thread stopped reading because the owner had not taken what waited.
    quint64 timesHeldBack() const;
    // Received messages handed over and not yet taken by the owner's thread.
    int waitingMessages() const;

signals:
    void connected();
    // The broker has taken a subscription (one per subscribed topic, on every connection).
    void subscribed();
    void disconnected();
    // A message handed over by publish() has gone out (QoS 0) or been acknowledged (QoS 1).
    void published(int mid);
    void messageReceived(const QByteArray &topic, const QByteArray &payload);
    void oversizeReceived(const QByteArray &topic, int size);
    // Said once per new problem; repeats of the same problem while reconnecting are not.
    void problem(const MqttProblem &problem);
    void stopped();

private:
    struct Event;
    struct Shared;

    void drainEvents();
    bool configure();
    void handleProblem(const MqttProblem &problem);

    MqttClientOptions m_options;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    bool m_connected = false;
    bool m_stopRequested = false;
    MqttProblem m_lastProblem;
    bool m_problemShown = false;
};
