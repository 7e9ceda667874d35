#pragma once

#include "http/IsoTime.h"
#include "http/ReaderDirectory.h"
#include "http/TagDirectory.h"
#include "http/WebServer.h"
#include "http/WebViewSettings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <memory>

class GuardedTcpServer;
class LiveStream;
class QHttpServerRequest;
class QWebSocketServer;
class ReadingPipeline;
struct Problem;
struct TTagReport;

// A reading session seen from a browser or a script: serves the page, the JSON API
// (/api/v1/tags, /api/v1/tags/{uid}, /api/v1/readers, /api/v1/stats, /api/v1/openapi.json) and the live
// stream (/api/v1/stream, a WebSocket) from the pipeline's signals, on the session's own event loop.
// It only reads: nothing a client sends changes the session.
class WebView : public QObject
{
    Q_OBJECT
public:
    WebView(ReadingPipeline &pipeline, const WebViewSettings &settings, QObject *parent = nullptr);
    ~WebView() override;
    Q_DISABLE_COPY_MOVE(WebView)

    // Listens; false and a reason for the user when the address or port cannot be had (systemError()
    // is the system's part of it).
    bool start(QString *error);
    QString systemError() const { return m_systemError; }
    quint16 serverPort() const;
    QUrl url() const; // "http://address:port/"

    // True when the address is one of this computer's loopback addresses.
    static bool isLoopback(const QHostAddress &address);

    const TagDirectory &tags() const { return m_tags; }
    const ReaderDirectory &readers() const { return m_readers; }
    const LiveStream &stream() const { return *m_stream; }
    // Open HTTP connections (live-stream clients included).
    int openConnections() const;

private:
    void enterReport(const TTagReport &report, const QString &label);
    void noteTamper(const TTagReport &report);
    void readerStateChanged(const QString &label, ReaderDirectory::State state);
    void noteProblem(const Problem &problem);
    void acceptLiveClient();
    void appendChangedTags();
    void sampleRate();

    WebServer::Reply route(const QString &path, const QHttpServerRequest &request);
    WebServer::Reply tagList(const QHttpServerRequest &request);
    WebServer::Reply oneTag(const QString &uid);
    WebServer::Reply readerList();
    WebServer::Reply stats();
    static WebServer::Reply openApi();
    double reportRate() const;

    ReadingPipeline &m_pipeline;
    WebViewSettings m_settings;
    TagDirectory m_tags;
    ReaderDirectory m_readers;
    IsoTime m_time;
    std::unique_ptr<LiveStream> m_stream;
    std::unique_ptr<QWebSocketServer> m_webSockets; // outlives the listener that hands it sockets
    std::unique_ptr<WebServer> m_server;
    GuardedTcpServer *m_listener = nullptr; // owned by m_server once bound
    bool m_tamperPending = false;
    QString m_systemError;
    qint64 m_startedMs = 0;
    QElapsedTimer m_uptime;
    QTimer m_rateTimer;
    std::deque<std::pair<qint64, quint64>> m_rateSamples; // (elapsed ms, reports entered)
};
