#pragma once

#include "publish/PublishSettings.h"
#include "reading/TagReport.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class MqttClient;

// The hand-over from a reading session to the network, and the thread that works it. The session's
// thread only appends reports (a batch at a time, one lock per batch); this thread turns each into
// its JSON message and gives it to the MQTT library, keeping at most `window` messages unconfirmed.
// Status messages (retained) go before reports; on every new connection the site's "online", every
// kept status and the count of reports not sent go out first.
//
// Confirmations (a QoS 0 message written, a QoS 1 message acknowledged) and the connection going up
// or down come from the client's network thread through sessionChanged() and published().
class PublishPipe
{
public:
    struct Report
    {
        TTagReport report;
        QString label;
    };
    struct Config
    {
        QString prefix;
        QString site;
        int qos = 0;
        int window = 2048;
    };
    // Told on the pipe's thread: `dropped` reports were counted as not sent since the last time
    // (published to PREFIX/status/dropped with `total`); `drained`: closing and nothing left to send.
    struct Events
    {
        std::function<void(quint64 dropped, quint64 total)> dropsPublished;
        std::function<void()> drained;
    };

    PublishPipe(const Config &config, Events events);
    ~PublishPipe();

    // The client must outlive start() .. stop().
    void start(MqttClient *client);
    // Ends the thread (after the message in hand); reports not yet confirmed are counted as dropped and
    // their number returned.
    quint64 stop();

    void append(std::vector<Report> &batch);
    // Kept (latest per topic), sent now and again on every connection.
    void setStatus(const QByteArray &topic, const QByteArray &payload);
    // Closing: drained() follows once every report is confirmed.
    void setClosing();
    // Counted on the session's side (the queue was full).
    void addDropped(quint64 count);

    // From the network thread.
    void sessionChanged(bool up);
    void published(int mid);

    quint64 sent() const { return m_sent.load(std::memory_order_relaxed); }
    quint64 dropped() const { return m_dropped.load(std::memory_order_relaxed); }
    // Reports taken by append() and not yet sent or dropped.
    quint64 done() const { return m_done.load(std::memory_order_relaxed); }

    QByteArray statusObject(const char *field, const QString &value) const;

private:
    struct Message
    {
        QByteArray topic;
        QByteArray payload;
        bool retain = false;
    };

    void run();
    bool hasWork() const;
    void queueGreeting();
    void sendStatuses(std::unique_lock<std::mutex> &lock);
    void sendReports(std::unique_lock<std::mutex> &lock);
    QByteArray reportTopic(const QString &label);
    void countLost(quint64 count);
    void track(int mid, bool report, quint64 generation);

    Config m_config;
    Events m_events;
    MqttClient *m_client = nullptr;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Report> m_reports;
    std::deque<Message> m_statuses;
    QHash<QByteArray, QByteArray> m_kept; // status topic -> latest payload
    QHash<int, bool> m_inflight;          // message id -> is a report
    QSet<int> m_early;                    // confirmed before publish() returned the id
    int m_reportsInflight = 0;
    bool m_up = false;
    quint64 m_generation = 0; // one more on every connection change
    bool m_greet = false;
    bool m_closing = false;
    bool m_drainedSaid = false;
    bool m_stop = false;
    quint64 m_unreportedDrops = 0;

    QHash<QString, QByteArray> m_topics; // the thread's own: label -> report topic
    std::atomic<quint64> m_sent{0};
    std::atomic<quint64> m_dropped{0};
    std::atomic<quint64> m_done{0};
};
