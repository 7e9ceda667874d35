#include "http/LiveStream.h"

#include <QDateTime>
#include <algorithm>
#include <utility>

LiveStream::LiveStream(const Limits &limits, QObject *parent) : QObject(parent), m_limits(limits)
{
    m_timer.setInterval(m_limits.batchMs);
    connect(&m_timer, &QTimer::timeout, this, &LiveStream::flush);
}

LiveStream::~LiveStream()
{
    for (Client &c : m_clients)
        c.socket->abort();
}

void LiveStream::addClient(std::unique_ptr<QWebSocket> socket, Mode mode)
{
    removeClosed();
    if (int(m_clients.size()) >= m_limits.maxClients) {
        ++m_counters.refusedClients;
        socket->close(QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("too many live clients"));
        dispose(std::move(socket));
        return;
    }
    QWebSocket *raw = socket.get();
    raw->setParent(nullptr); // the server made it its child; the stream owns it now
    // A client only listens: whatever it sends is ignored, and a huge message is refused.
    raw->setMaxAllowedIncomingMessageSize(4096);
    raw->setMaxAllowedIncomingFrameSize(4096);
    connect(raw, &QWebSocket::disconnected, this,
            [this] { QMetaObject::invokeMethod(this, &LiveStream::removeClosed, Qt::QueuedConnection); });
    m_clients.push_back(Client{std::move(socket), mode, 0, 0});
    m_reportClients += mode == Mode::Reports;
    m_timer.start();
}

void LiveStream::refuseClient(std::unique_ptr<QWebSocket> socket)
{
    ++m_counters.refusedClients;
    socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("authorization required"));
    dispose(std::move(socket));
}

// Deleted from the event loop (it may be in one of its own signals), and with the stream at the latest.
void LiveStream::dispose(std::unique_ptr<QWebSocket> socket)
{
    socket->setParent(this);
    socket.release()->deleteLater();
}

void LiveStream::add(Batch &batch, const QByteArray &eventJson)
{
    if (batch.json.size() + eventJson.size() > m_limits.maxBatchBytes) {
        ++batch.overflow;
        return;
    }
    batch.json += batch.events == 0 ? '[' : ',';
    batch.json += eventJson;
    ++batch.events;
}

void LiveStream::append(const QByteArray &eventJson)
{
    ++m_counters.events;
    add(m_tags, eventJson);
    if (m_reportClients > 0)
        add(m_reports, eventJson);
}

void LiveStream::appendReport(const QByteArray &eventJson)
{
    ++m_counters.events;
    add(m_reports, eventJson);
}

void LiveStream::appendTag(const QByteArray &eventJson)
{
    ++m_counters.events;
    add(m_tags, eventJson);
}

void LiveStream::flush()
{
    if (m_round.active) {
        m_flushAgain = true;
        return;
    }
    removeClosed();
    if (m_clients.empty()) {
        m_timer.stop();
        m_tags = {};
        m_reports = {};
        return;
    }
    emit flushing();
    m_counters.gaps += quint64(m_tags.overflow > 0) + quint64(m_reports.overflow > 0);
    Round &r = m_round;
    r.tags = std::exchange(m_tags, {});
    r.reports = std::exchange(m_reports, {});
    r.tagsMessage = r.tags.events > 0 ? r.tags.json + ']' : QByteArray();
    r.reportsMessage = r.reports.events > 0 ? r.reports.json + ']' : QByteArray();
    r.nowMs = QDateTime::currentMSecsSinceEpoch();
    r.next = 0;
    r.end = m_clients.size();
    r.active = true;
    sendSome();
}

// Clients are only ever added at the end of the list, and closed ones are removed after a round,
// so the round's positions stay valid between turns.
void LiveStream::sendSome()
{
    Round &r = m_round;
    const size_t stop = std::min(r.end, r.next + kClientsPerTurn);
    for (; r.next < stop; ++r.next) {
        Client &c = m_clients[r.next];
        if (c.mode == Mode::Tags)
            sendTo(c, r.tags, r.tagsMessage, r.nowMs);
        else
            sendTo(c, r.reports, r.reportsMessage, r.nowMs);
    }
    if (r.next < r.end) {
        QMetaObject::invokeMethod(this, &LiveStream::sendSome, Qt::QueuedConnection);
        return;
    }
    r = Round{};
    removeClosed();
    if (std::exchange(m_flushAgain, false))
        flush();
}

void LiveStream::sendTo(Client &c, const Batch &batch, const QByteArray &message, qint64 now)
{
    if (batch.events == 0 && batch.overflow == 0 && c.skipped == 0)
        return;
    c.skipped += quint64(batch.overflow);
    m_counters.skippedEvents += quint64(batch.overflow);
    if (c.socket->bytesToWrite() > m_limits.backlogBytes) {
        if (c.behindSinceMs == 0)
            c.behindSinceMs = now;
        c.skipped += quint64(batch.events);
        m_counters.skippedEvents += quint64(batch.events);
        ++m_counters.gaps;
        if (now - c.behindSinceMs > m_limits.stallMs) {
            ++m_counters.droppedClients;
            c.socket->abort();
        }
        return;
    }
    c.behindSinceMs = 0;
    if (c.skipped > 0) {
        c.socket->sendBinaryMessage("[{\"type\":\"gap\",\"skipped\":" + QByteArray::number(c.skipped) + "}]");
        c.skipped = 0;
    }
    if (!message.isEmpty())
        c.socket->sendBinaryMessage(message);
}

void LiveStream::removeClosed()
{
    if (m_round.active)
        return; // done when the round ends
    const auto gone = std::remove_if(m_clients.begin(), m_clients.end(), [](const Client &c) {
        return c.socket->state() == QAbstractSocket::UnconnectedState;
    });
    for (auto it = gone; it != m_clients.end(); ++it) {
        m_reportClients -= it->mode == Mode::Reports;
        dispose(std::move(it->socket));
    }
    m_clients.erase(gone, m_clients.end());
}
