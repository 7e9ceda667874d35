#pragma once

#include "publish/MqttProblem.h"
#include "publish/PublishSettings.h"
#include "reading/TagReport.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <deque>
#include <memory>

class MqttClient;

// Publishes the reports of a reading session to an MQTT broker. Each report becomes one JSON object
// (the JSON-lines fields plus "site" and "reader") on PREFIX/reports/LABEL. Retained status messages:
// PREFIX/status says "online" while connected, and the broker says "offline" there (the last will) when
// the connection is lost; PREFIX/status/readers/LABEL follows each reader's connection;
// PREFIX/status/problem carries the latest problem; PREFIX/status/dropped counts reports that were
// not sent.
//
// Reports wait in a bounded queue while the broker is slow or away; publishReport() never waits on
// the network. When the queue is full further reports are dropped and counted; the count goes out
// when the connection returns.
class ReportPublisher : public QObject
{
    Q_OBJECT
public:
    explicit ReportPublisher(const PublishSettings &settings, QObject *parent = nullptr);
    // Without close(), the connection is cut: the broker marks the site offline.
    ~ReportPublisher() override;

    // False (and problem()) when the settings are not usable; nothing is published then.
    bool start();
    void publishReport(const TTagReport &report, const QString &label);
    void publishReaderState(const QString &label, bool connected);
    void publishProblem(const QString &details);
    // Sends what is queued (waiting at most the flush time), says "offline" and disconnects;
    // closed() follows.
    void close();

    QString prefix() const { return m_prefix; }
    QString site() const { return m_site; }
    QByteArray reportTopic(const QString &label);
    bool isConnected() const;
    quint64 sentReports() const { return m_sent; }
    quint64 droppedReports() const { return m_dropped; }
    int queuedReports() const { return int(m_queue.size() + size_t(m_inflight.size())); }

signals:
    void connected();
    void disconnected();
    void problem(const MqttProblem &problem);
    void closed();

private:
    struct Message
    {
        QByteArray topic;
        QByteArray payload;
    };

    void pump();
    void drop(quint64 count);
    void publishStatus(const QByteArray &topic, const QByteArray &payload);
    void handleConnected();
    void handleDisconnected();
    void handlePublished(int mid);
    void finishClose();
    QByteArray statusObject(const char *field, const QString &value) const;
    static QString topicLevel(const QString &text);

    PublishSettings m_settings;
    QString m_site;
    QString m_prefix;
    std::unique_ptr<MqttClient> m_client;
    std::deque<Message> m_queue;
    QSet<int> m_inflight;
    QHash<QString, QByteArray> m_topics;      // label -> report topic
    QHash<QByteArray, QByteArray> m_retained; // status topic -> latest payload
    quint64 m_sent = 0;
    quint64 m_dropped = 0;
    quint64 m_droppedUnreported = 0;
    bool m_started = false;
    bool m_closing = false;
    bool m_closed = false;
    bool m_finishing = false;
    QTimer m_flushDeadline;
};
