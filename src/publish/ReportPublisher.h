#pragma once

#include "publish/MqttProblem.h"
#include "publish/PublishPipe.h"
#include "publish/PublishSettings.h"
#include "reading/TagReport.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

class MqttClient;

// Publishes the reports of a reading session to an MQTT broker. Each report becomes one JSON object
// (the JSON-lines fields plus "site" and "reader") on PREFIX/reports/LABEL. Retained status messages:
// PREFIX/status says "online" while connected, and the broker says "offline" there (the last will) when
// the connection is lost; PREFIX/status/readers/LABEL follows each reader's connection;
// PREFIX/status/problem carries the latest problem; PREFIX/status/dropped counts reports that were
// not sent.
//
// publishReport() never waits on the network and does little: the report joins a batch that is
// handed to the publishing thread once per turn of the event loop (or every few hundred reports);
// that thread builds the JSON and gives the messages to the MQTT library. Reports wait in a bounded
// queue while the broker is slow or away; when it is full further reports are dropped and counted;
// the count goes out when the connection returns.
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
    bool isConnected() const;
    quint64 sentReports() const;
    quint64 droppedReports() const;
    // Reports taken and neither sent nor dropped yet.
    int queuedReports() const;

signals:
    void connected();
    void disconnected();
    void problem(const MqttProblem &problem);
    void closed();

private:
    void handOver();
    void drop(quint64 count);
    void publishStatus(const QByteArray &topic, const QByteArray &payload);
    void finishClose();
    static QString topicLevel(const QString &text);

    PublishSettings m_settings;
    QString m_site;
    QString m_prefix;
    std::shared_ptr<PublishPipe> m_pipe;
    std::unique_ptr<MqttClient> m_client;
    std::vector<PublishPipe::Report> m_batch;
    quint64 m_taken = 0;   // reports handed to the pipe (or waiting in the batch)
    quint64 m_refused = 0; // dropped here, the queue being full
    bool m_handOverScheduled = false;
    bool m_dropSaid = false; // the queue-full problem was said; re-armed once the queue drains to half
    bool m_started = false;
    bool m_closing = false;
    bool m_finishing = false;
    QTimer m_flushDeadline;
};
