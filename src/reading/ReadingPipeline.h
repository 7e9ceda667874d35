#pragma once

#include "base/Problem.h"
#include "base/Timing.h"
#include "reading/LinkRequest.h"
#include "reading/ReadingSession.h"
#include "reading/ReportDecoder.h"
#include "reading/TagTables.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <memory>

class Clock;
class ReadingLinks;
class TonePlayer;

// The reading side from a byte on a link to a row in the tag tables: the session cuts the links'
// bytes into frames, the decoder turns frames into reports, the tables take the reports (filters,
// counters, selection, CSV lines). The window and `talvo-cli read` each build one and add only what
// they show.
class ReadingPipeline : public QObject
{
    Q_OBJECT
public:
    ReadingPipeline(Clock &clock, TonePlayer &tones, QObject *parent = nullptr);
    ~ReadingPipeline() override;
    Q_DISABLE_COPY_MOVE(ReadingPipeline)

    // The links of a request's kind, not yet open. MQTT links are not made here: they need the broker
    // settings (MqttReading::makeLinks); nullptr for that kind.
    static std::unique_ptr<ReadingLinks> makeLinks(const LinkRequest &request);
    // This computer's address as UDP reading knows it: the first IPv4 address of an interface that is
    // up and not loopback; 192.168.1.1 when there is none.
    static QHostAddress localHostAddress();

    void setTiming(const Timing &timing);
    const Timing &timing() const { return m_timing; }

    ReadingSession &session() { return m_session; }
    ReportDecoder &decoder() { return m_decoder; }
    TagTables &tables() { return m_tables; }
    // The links of the running session (nullptr when idle).
    ReadingLinks *links() const { return m_links.get(); }
    bool isBusy() const { return m_session.state() != ReadingSession::State::Idle; }

    // Reads over `links` until stop(); ended() follows at once when there are none.
    void start(std::unique_ptr<ReadingLinks> links);
    // Tells the readers to stop and closes the links; ended() follows.
    void stop();
    // Enters a report that arrived already decoded (from a broker) as a decoded line would be.
    void enterReport(const TTagReport &report, const QString &label);

signals:
    // The session is over and its links are closed.
    void ended();
    // A problem of the links, the tables or the CSV logs (lost CSV lines included).
    void problem(const Problem &problem);
    // A reader connected (or, over UDP, was first heard): the configuration side may address it.
    void readerSeen(LinkKind kind, const QString &address, quint16 port);
    // The listener's connected readers and the UDP senders, one "address:port" line each.
    void clientListed(const QString &line);
    // A source of the running session came or went: a serial port opened or closed, a reader
    // connected or was lost, a UDP sender was registered or forgotten. The label is the one its
    // reports carry.
    void readerConnected(const QString &label);
    void readerDisconnected(const QString &label);
    void clientUnlisted(const QString &line);
    void senderListed(const QString &line);

private:
    void connectKindSignals(ReadingLinks *links);
    void connectSourceSignals(ReadingLinks *links);
    void handleSessionEnded();

    Timing m_timing;
    ReadingSession m_session;
    ReportDecoder m_decoder;
    TagTables m_tables;
    std::unique_ptr<ReadingLinks> m_links;
    QHash<int, QString> m_sourceLabels; // source index -> label, while the source is there
};
