#pragma once

#include "app/PublishGroup.h"
#include "base/Problem.h"
#include "base/SettingsStore.h"
#include "publish/PublishSettings.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

class PublishingBinding;
class ReadingPipeline;

// The broker side of the "Read TAG" page's reading sessions: publishing a session's reports when the
// "Publish" group says so, and the broker settings the "MQTT" link page reads with.
//
// A session's publisher starts with the session and is closed when the session has ended; closing
// sends what is still queued (waiting at most the flush time, never blocking) and finished() follows.
// The group's state line follows the publisher: connecting, connected, reconnecting, closing, and
// how many reports were dropped while the broker was away.
class ReadTagPublishing : public QObject
{
    Q_OBJECT
public:
    explicit ReadTagPublishing(ReadingPipeline &pipeline, QObject *parent = nullptr);
    ~ReadTagPublishing() override;
    Q_DISABLE_COPY_MOVE(ReadTagPublishing)

    // Times and queue sizes the broker links use (tests shorten them); the broker values of the page
    // are filled in over them.
    void setBase(const PublishSettings &base) { m_base = base; }

    // The settings for the publisher (nullopt and problem() when the password file cannot be read).
    std::optional<PublishSettings> publishSettings(const SettingsStore::MqttValues &values);
    // The settings the "MQTT" link page subscribes with: its URL and prefix, the group's user,
    // password file, CA file and QoS.
    std::optional<PublishSettings> readingSettings(const SettingsStore::MqttValues &values);

    // A session starts: publishes its reports when `values` say so. A URL that does not parse or a
    // password file that cannot be read is a problem; the session reads on without publishing. A
    // session that reads from a broker does not publish where it reads: each report would come back
    // to it, again and again.
    void startSession(const SettingsStore::MqttValues &values, bool readingFromBroker);
    // True when what is published with `out` is among what is read with `in`.
    static bool readsItsOwnReports(const PublishSettings &out, const PublishSettings &in);
    // The session has ended: closes the publisher; finished() follows (at once, before this returns, when
    // none runs).
    void finishSession();
    // True from a publishing start until the publisher has closed.
    bool isActive() const { return m_binding != nullptr; }
    PublishGroup::State state() const { return m_state; }

signals:
    void stateChanged(PublishGroup::State state, quint64 dropped);
    void problem(const Problem &problem);
    void finished();

private:
    std::optional<PublishSettings> withCredentials(const SettingsStore::MqttValues &values);
    void setState(PublishGroup::State state);
    void pollDropped();
    void handleClosed();

    ReadingPipeline &m_pipeline;
    PublishSettings m_base;
    std::unique_ptr<PublishingBinding> m_binding;
    QTimer m_dropPoll;
    PublishGroup::State m_state = PublishGroup::State::Off;
    quint64 m_dropped = 0;
};
