#pragma once

#include "base/Problem.h"
#include "publish/MqttProblem.h"
#include "publish/PublishSettings.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class ReadingPipeline;
class ReportPublisher;

// Publishes what a reading pipeline reads: every report entered in the all-tags table (with its
// reader label), each reader connecting or going, and the pipeline's problems (in English). The
// window and `talvo-cli read` each make one beside their pipeline when publishing is asked for.
//
// close() sends what is still queued, waiting at most the flush time, and says closed() once the
// broker connection is down, or when the flush time and a short grace have passed whatever the
// network does: a shutdown can always rely on closed() coming.
class PublishingBinding : public QObject
{
    Q_OBJECT
public:
    PublishingBinding(ReadingPipeline &pipeline, const PublishSettings &settings, QObject *parent = nullptr);
    ~PublishingBinding() override;
    Q_DISABLE_COPY_MOVE(PublishingBinding)

    // False (and problem()) when the settings are not usable; nothing is published then.
    bool start();
    void close();
    bool isClosed() const { return m_closed; }

    ReportPublisher &publisher() { return *m_publisher; }

signals:
    void problem(const MqttProblem &problem);
    void connected();
    void closed();

private:
    void handleProblem(const Problem &problem);
    void finish();

    std::unique_ptr<ReportPublisher> m_publisher;
    QTimer m_closeGuard;
    QString m_lastProblemKey;
    int m_flushTimeoutMs;
    bool m_closing = false;
    bool m_closed = false;
};
