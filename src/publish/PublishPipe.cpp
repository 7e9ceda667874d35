#include "publish/PublishPipe.h"

#include "publish/MqttClient.h"
#include "publish/ReportJson.h"

#include <algorithm>

namespace {
// Reports taken from the queue at once: the JSON is built for these outside the lock.
constexpr size_t kChunk = 256;
} // namespace

PublishPipe::PublishPipe(const Config &config, Events events) : m_config(config), m_events(std::move(events))
{
}

PublishPipe::~PublishPipe()
{
    stop();
}

void PublishPipe::start(MqttClient *client)
{
    m_client = client;
    m_thread = std::thread(&PublishPipe::run, this);
}

quint64 PublishPipe::stop()
{
    quint64 unsent = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_stop)
            return 0;
        m_stop = true;
        unsent = quint64(m_reports.size()) + quint64(m_reportsInflight);
        m_reports.clear();
        m_inflight.clear();
        m_reportsInflight = 0;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    countLost(unsent);
    return unsent;
}

void PublishPipe::countLost(quint64 count)
{
    if (count == 0)
        return;
    m_dropped.fetch_add(count, std::memory_order_relaxed);
    m_done.fetch_add(count, std::memory_order_relaxed);
}

QByteArray PublishPipe::statusObject(const char *field, const QString &value) const
{
    return "{\"site\":" + ReportJson::jsonString(m_config.site) + ",\"" + field +
           "\":" + ReportJson::jsonString(value) + "}";
}

void PublishPipe::append(std::vector<Report> &batch)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        for (Report &r : batch)
            m_reports.push_back(std::move(r));
    }
    batch.clear();
    m_wake.notify_one();
}

void PublishPipe::setStatus(const QByteArray &topic, const QByteArray &payload)
{
    {
        std::lock_guard lock(m_mutex);
        m_kept.insert(topic, payload);
        if (!m_up)
            return;
        m_statuses.push_back({topic, payload, true});
    }
    m_wake.notify_one();
}

void PublishPipe::setClosing()
{
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_one();
}

void PublishPipe::addDropped(quint64 count)
{
    std::lock_guard lock(m_mutex);
    m_dropped.fetch_add(count, std::memory_order_relaxed);
    m_unreportedDrops += count;
}

// A connection lost with QoS 0 takes the messages the library held with it: they count as dropped.
// With QoS 1 the library keeps them and sends them again on the next connection.
void PublishPipe::sessionChanged(bool up)
{
    {
        std::lock_guard lock(m_mutex);
        m_up = up;
        ++m_generation;
        m_early.clear();
        if (up) {
            m_greet = true;
        } else if (m_config.qos == 0) {
            const quint64 lost = quint64(m_reportsInflight);
            m_inflight.clear();
            m_reportsInflight = 0;
            m_statuses.clear();
            m_unreportedDrops += lost;
            countLost(lost);
        }
    }
    m_wake.notify_one();
}

void PublishPipe::published(int mid)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_inflight.constFind(mid);
        if (it == m_inflight.constEnd()) {
            m_early.insert(mid);
            return;
        }
        if (*it) {
            --m_reportsInflight;
            m_sent.fetch_add(1, std::memory_order_relaxed);
            m_done.fetch_add(1, std::memory_order_relaxed);
            wake = m_reportsInflight == m_config.window - 1 || (m_closing && m_reportsInflight == 0);
        }
        m_inflight.erase(it);
    }
    if (wake)
        m_wake.notify_one();
}

bool PublishPipe::hasWork() const
{
    if (m_stop)
        return true;
    if (m_closing && !m_drainedSaid && m_reports.empty() && m_reportsInflight == 0)
        return true;
    if (!m_up)
        return false;
    return m_greet || !m_statuses.empty() || (!m_reports.empty() && m_reportsInflight < m_config.window);
}

void PublishPipe::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return hasWork(); });
        if (m_stop)
            return;
        if (m_up && m_greet)
            queueGreeting();
        if (m_up)
            sendStatuses(lock);
        if (m_up && !m_reports.empty() && m_reportsInflight < m_config.window)
            sendReports(lock);
        if (m_closing && !m_drainedSaid && m_reports.empty() && m_reportsInflight == 0) {
            m_drainedSaid = true;
            lock.unlock();
            m_events.drained();
            lock.lock();
        }
    }
}

// A new connection: the site is online, the kept statuses go out again (a broker that restarted
// without its store learns them), and so does the count of reports not sent while it was away.
void PublishPipe::queueGreeting()
{
    m_greet = false;
    std::deque<Message> greeting;
    greeting.push_back({(m_config.prefix + QStringLiteral("/status")).toUtf8(),
                        statusObject("state", QStringLiteral("online")), true});
    for (auto it = m_kept.constBegin(); it != m_kept.constEnd(); ++it)
        greeting.push_back({it.key(), it.value(), true});
    const quint64 drops = m_unreportedDrops;
    if (drops > 0) {
        m_unreportedDrops = 0;
        const quint64 total = m_dropped.load(std::memory_order_relaxed);
        greeting.push_back({(m_config.prefix + QStringLiteral("/status/dropped")).toUtf8(),
                            "{\"site\":" + ReportJson::jsonString(m_config.site) + ",\"dropped\":" +
                                QByteArray::number(drops) + ",\"total\":" + QByteArray::number(total) + "}",
                            true});
        if (m_events.dropsPublished)
            m_events.dropsPublished(drops, total);
    }
    m_statuses = std::move(greeting); // what was waiting is in the kept statuses already
}

void PublishPipe::sendStatuses(std::unique_lock<std::mutex> &lock)
{
    while (!m_statuses.empty() && m_up) {
        const Message m = m_statuses.front();
        m_statuses.pop_front();
        const quint64 generation = m_generation;
        lock.unlock();
        const int mid = m_client->publishFromAnyThread(m.topic, m.payload, 1, m.retain);
        lock.lock();
        if (mid < 0)
            return; // the connection is going; the greeting of the next one sends it
        track(mid, false, generation);
    }
}

// A message the library took: in flight until confirmed, unless the confirmation came first. One
// taken on a connection that has gone since (QoS 0) went with it.
void PublishPipe::track(int mid, bool report, quint64 generation)
{
    if (generation != m_generation && m_config.qos == 0) {
        if (report) {
            ++m_unreportedDrops;
            countLost(1);
        }
        return;
    }
    if (m_early.remove(mid)) {
        if (report) {
            m_sent.fetch_add(1, std::memory_order_relaxed);
            m_done.fetch_add(1, std::memory_order_relaxed);
        }
        return;
    }
    m_inflight.insert(mid, report);
    if (report)
        ++m_reportsInflight;
}

QByteArray PublishPipe::reportTopic(const QString &label)
{
    auto it = m_topics.constFind(label);
    if (it == m_topics.constEnd()) {
        QString level = label;
        level.replace(QLatin1Char('+'), QLatin1Char('_')).replace(QLatin1Char('#'), QLatin1Char('_'));
        if (level.isEmpty())
            level = QStringLiteral("_");
        it = m_topics.insert(label, (m_config.prefix + QStringLiteral("/reports/") + level).toUtf8());
    }
    return *it;
}

// Takes a chunk of reports and builds their messages, then hands each to the library, all without
// the lock: the session's thread is never kept waiting on the library.
void PublishPipe::sendReports(std::unique_lock<std::mutex> &lock)
{
    const size_t room = size_t(m_config.window - m_reportsInflight);
    const size_t n = std::min({room, kChunk, m_reports.size()});
    std::vector<Report> chunk(std::make_move_iterator(m_reports.begin()),
                              std::make_move_iterator(m_reports.begin() + std::ptrdiff_t(n)));
    m_reports.erase(m_reports.begin(), m_reports.begin() + std::ptrdiff_t(n));
    const quint64 generation = m_generation;
    lock.unlock();
    std::vector<Message> messages;
    messages.reserve(n);
    for (const Report &r : chunk)
        messages.push_back(
            {reportTopic(r.label), ReportJson::published(r.report, r.label, m_config.site), false});
    std::vector<int> mids;
    mids.reserve(n);
    for (const Message &m : messages) {
        const int mid = m_client->publishFromAnyThread(m.topic, m.payload, m_config.qos, false);
        if (mid < 0)
            break;
        mids.push_back(mid);
    }
    lock.lock();
    for (int mid : mids)
        track(mid, true, generation);
    // Not taken (the connection went, or is stopping): back to the front, in order.
    for (size_t j = n; j > mids.size(); --j)
        m_reports.push_front(std::move(chunk[j - 1]));
}
