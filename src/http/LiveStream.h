#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QWebSocket>
#include <memory>
#include <vector>

// The live stream: events (reports, reader state changes, problems) go out to every connected
// WebSocket client as one binary message per batch, a UTF-8 JSON array of event objects, each with its
// "seq" number in the order the session produced them. The session never waits for a client: a client
// with more than the backlog still unsent skips whole batches, and is then sent
// {"type":"gap","skipped":N} before the next batch it does get; a client that stays behind for the
// stall time is dropped.
class LiveStream : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        int maxClients = 64;
        int batchMs = 100;
        qint64 backlogBytes = 1 << 20;
        int stallMs = 10000;
        qint64 maxBatchBytes = 16 << 20; // events beyond this before the next batch are skipped for all
    };
    struct Counters
    {
        quint64 events = 0;         // events made
        quint64 gaps = 0;           // batches a client skipped
        quint64 skippedEvents = 0;  // events the clients skipped, summed over the clients
        quint64 droppedClients = 0; // clients dropped for staying behind
        quint64 refusedClients = 0; // clients refused at the limit or without the token
    };

    explicit LiveStream(const Limits &limits, QObject *parent = nullptr);
    ~LiveStream() override;
    Q_DISABLE_COPY_MOVE(LiveStream)

    // Takes a client; a client over the limit is closed ("going away") and counted.
    void addClient(std::unique_ptr<QWebSocket> socket);
    // Closes a client that may not connect (no or a wrong token).
    void refuseClient(std::unique_ptr<QWebSocket> socket);
    bool hasClients() const { return !m_clients.empty(); }
    int clientCount() const { return int(m_clients.size()); }
    const Counters &counters() const { return m_counters; }

    // The next event's number; events are only made while there are clients.
    quint64 nextSeq() { return ++m_seq; }
    // One event object, built with nextSeq().
    void append(const QByteArray &eventJson);
    // Sends the events gathered so far (the batch timer calls it).
    void flush();

private:
    struct Client
    {
        std::unique_ptr<QWebSocket> socket;
        quint64 skipped = 0;      // events skipped since its last delivered batch
        qint64 behindSinceMs = 0; // 0: keeping up
    };
    void sendTo(Client &client, const QByteArray &message, int events, qint64 nowMs);
    void removeClosed();
    void dispose(std::unique_ptr<QWebSocket> socket);

    Limits m_limits;
    Counters m_counters;
    std::vector<Client> m_clients;
    QByteArray m_batch;
    int m_batchEvents = 0;
    int m_overflowEvents = 0; // skipped for everyone: the batch was full
    quint64 m_seq = 0;
    QTimer m_timer;
};
