#pragma once

#include "link/ReadingLinks.h"
#include "publish/MqttProblem.h"
#include "publish/PublishSettings.h"
#include "reading/ReportDecoder.h"
#include "reading/TagReport.h"

#include <QElapsedTimer>
#include <QSet>
#include <memory>

class MqttClient;

// Reads the reports other Talvo instances publish: subscribes to PREFIX/reports/# and hands every
// received report on, already decoded, as reportReceived(report, "SITE/READER") for the tag tables
// (the same filters, counters and CSV lines as reports read from a reader). The report type switches
// apply as they do to reader lines. Messages that are not published reports are counted and
// reported, never taken. A new site/reader is named in the log once.
class MqttReadingLinks : public ReadingLinks
{
    Q_OBJECT
public:
    static constexpr int kMaxPayload = 64 * 1024;
    // Received messages the network thread hands over before it waits for the session to take them.
    static constexpr int kMaxWaitingMessages = 1024;
    static constexpr qint64 kMaxWaitingBytes = 1024 * 1024;

    explicit MqttReadingLinks(const PublishSettings &settings, QObject *parent = nullptr);
    ~MqttReadingLinks() override;

    void open() override;
    void close() override;
    // The readers are not here: commands have no one to go to.
    void broadcastCommand(const QByteArray &) override {}

    void setTypeSwitches(const ReportTypeSwitches &switches) { m_switches = switches; }
    QString topicFilter() const;
    quint64 receivedReports() const { return m_received; }
    quint64 badMessages() const { return m_bad; }
    // Connected and subscribed: what is published from now on arrives.
    bool isConnected() const;
    // The broker connection (nullptr before open()).
    const MqttClient *client() const { return m_client.get(); }

signals:
    void reportReceived(const TTagReport &report, const QString &label);
    void connected();

private:
    void handleMessage(const QByteArray &topic, const QByteArray &payload);
    void handleBad(const QByteArray &topic, const QString &why);
    void report(const MqttProblem &problem);

    PublishSettings m_settings;
    std::unique_ptr<MqttClient> m_client;
    ReportTypeSwitches m_switches;
    QSet<QString> m_labels;
    quint64 m_received = 0;
    quint64 m_bad = 0;
    quint64 m_badShown = 0;
    QElapsedTimer m_sinceBadShown;
    bool m_closing = false;
    bool m_subscribed = false; // the broker has taken the subscription on this connection
};
