#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QWebSocket>
#include <memory>
#include <vector>

// The live stream: events go out to every connected WebSocket client as one binary message per
// batch, a UTF-8 JSON array of event objects, each with a "seq" number that grows in the order the
// session produced them. A client chooses what it gets:
//   - tags (the default): reader state changes and problems, then each tag that changed since the
//     last batch, once, with its latest values (what a live table needs, whatever the report rate);
//     at most a set number of tags a batch, the ones that changed last: the others are a gap;
//   - reports ("?reports=all"): every report entered, in order, and the reader and problem events.
// The session never waits for a client: a client with more than the backlog still unsent skips whole
// batches, and is then sent {"type":"gap","skipped":N} before the next batch it does get; a client
// that stays behind for the stall time is dropped.
class LiveStream : public QObject
{
    Q_OBJECT
public:
    enum class Mode
    {
        Tags,
        Reports
    };
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
    void addClient(std::unique_ptr<QWebSocket> socket, Mode mode);
    // Closes a client that may not connect (no or a wrong token).
    void refuseClient(std::unique_ptr<QWebSocket> socket);
    bool hasClients() const { return !m_clients.empty(); }
    // True while a client takes every report (only then are report events made).
    bool wantsReports() const { return m_reportClients > 0; }
    // True while a client takes the changed tags.
    bool wantsTags() const { return int(m_clients.size()) > m_reportClients; }
    int clientCount() const { return int(m_clients.size()); }
    const Counters &counters() const { return m_counters; }

    // The next event's number.
    quint64 nextSeq() { return ++m_seq; }
    // An event for every client (a reader state change, a problem).
    void append(const QByteArray &eventJson);
    // A report event, for the clients that take every report.
    void appendReport(const QByteArray &eventJson);
    // A changed tag, for the other clients; called from flushing().
    void appendTag(const QByteArray &eventJson);
    // Changed tags that did not fit in this batch: a gap for the clients that take tags.
    void skipTags(qint64 count) { m_tags.overflow += count; }
    // Sends the events gathered so far (the batch timer calls it).
    void flush();

signals:
    // A batch is about to go out: the changed tags are to be appended now.
    void flushing();

private:
    struct Batch
    {
        QByteArray json;
        int events = 0;
        qint64 overflow = 0; // skipped for everyone: the batch was full
    };
    struct Client
    {
        std::unique_ptr<QWebSocket> socket;
        Mode mode = Mode::Tags;
        quint64 skipped = 0;      // events skipped since its last delivered batch
        qint64 behindSinceMs = 0; // 0: keeping up
    };
    // A batch on its way: sent to a few clients per turn of the event loop, so that the session's
    // reports and the API's requests never wait for a whole round of clients.
    struct Round
    {
        Batch tags;
        Batch reports;
        QByteArray tagsMessage;
        QByteArray reportsMessage;
        qint64 nowMs = 0;
        size_t next = 0; // the next client to send to
        size_t end = 0;  // the clients there were when the round began
        bool active = false;
    };
    static constexpr size_t kClientsPerTurn = 8;

    void add(Batch &batch, const QByteArray &eventJson);
    void sendSome();
    void sendTo(Client &client, const Batch &batch, const QByteArray &message, qint64 nowMs);
    void removeClosed();
    void dispose(std::unique_ptr<QWebSocket> socket);

    Limits m_limits;
    Counters m_counters;
    std::vector<Client> m_clients;
    int m_reportClients = 0;
    Batch m_tags;
    Batch m_reports;
    Round m_round;
    bool m_flushAgain = false; // the batch timer fired during a round
    quint64 m_seq = 0;
    QTimer m_timer;
};
