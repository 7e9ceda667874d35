#include "http/WebView.h"

#include "http/ApiJson.h"
#include "http/GuardedTcpServer.h"
#include "http/LiveStream.h"
#include "http/TagQuery.h"
#include "reading/ReadingPipeline.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QJsonDocument>
#include <QNetworkInterface>
#include <QUrlQuery>
#include <QWebSocketServer>

namespace {

constexpr int kRateSampleMs = 1000;
constexpr int kRateWindow = 10; // samples: the rate is the mean over the last ten seconds

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

WebServer::Reply json(const QJsonDocument &doc)
{
    return {200, "application/json", doc.toJson(QJsonDocument::Compact)};
}

WebServer::Reply failure(int status, const QString &text)
{
    return {status, "application/json", ApiJson::error(text)};
}

LiveStream::Limits streamLimits(const WebViewSettings &s)
{
    LiveStream::Limits l;
    l.maxClients = s.maxLiveClients;
    l.batchMs = s.streamBatchMs;
    l.backlogBytes = s.streamBacklogBytes;
    l.stallMs = s.streamStallMs;
    return l;
}

} // namespace

WebView::WebView(ReadingPipeline &pipeline, const WebViewSettings &settings, QObject *parent)
    : QObject(parent), m_pipeline(pipeline), m_settings(settings), m_tags(*pipeline.tables().allTags()),
      m_stream(std::make_unique<LiveStream>(streamLimits(settings)))
{
    WebServer::Policy policy{settings.token, settings.corsOrigin.toUtf8(), settings.maxHeaders};
    m_server = std::make_unique<WebServer>(
        policy, [this](const QString &path, const QHttpServerRequest &r) { return route(path, r); });
    m_webSockets =
        std::make_unique<QWebSocketServer>(QStringLiteral("talvo"), QWebSocketServer::NonSecureMode);
    m_webSockets->setMaxPendingConnections(settings.maxLiveClients);
    connect(m_webSockets.get(), &QWebSocketServer::newConnection, this, &WebView::acceptLiveClient);

    TagTables &tables = pipeline.tables();
    connect(&tables, &TagTables::reportEntered, this, &WebView::enterReport);
    connect(tables.allTags(), &QAbstractItemModel::modelReset, this, [this] { m_tags.clear(); });
    connect(&pipeline.decoder(), &ReportDecoder::tamperChanged, this, [this](bool shown, int countdown) {
        m_tamperPending = shown && countdown == ReportDecoder::kNoCountdown;
    });
    connect(&pipeline.decoder(), &ReportDecoder::reportDecoded, this, &WebView::noteTamper);
    connect(&pipeline, &ReadingPipeline::readerConnected, this,
            [this](const QString &label) { readerStateChanged(label, ReaderDirectory::State::Connected); });
    connect(&pipeline, &ReadingPipeline::readerDisconnected, this, [this](const QString &label) {
        readerStateChanged(label, ReaderDirectory::State::Disconnected);
    });
    connect(&pipeline, &ReadingPipeline::problem, this, &WebView::noteProblem);
    connect(m_stream.get(), &LiveStream::flushing, this, &WebView::appendChangedTags);
    m_rateTimer.setInterval(kRateSampleMs);
    connect(&m_rateTimer, &QTimer::timeout, this, &WebView::sampleRate);
}

// The live clients go first: their connections were the listener's sockets.
WebView::~WebView()
{
    m_stream.reset();
    m_server.reset();
    m_webSockets.reset();
}

bool WebView::isLoopback(const QHostAddress &address)
{
    return address.isLoopback();
}

bool WebView::start(QString *error)
{
    GuardedTcpServer::Limits limits{m_settings.maxConnections, m_settings.maxRequestBytes,
                                    m_settings.requestTimeoutMs, m_settings.idleTimeoutMs};
    auto listener = std::make_unique<GuardedTcpServer>(limits);
    listener->setMaxPendingConnections(64);
    listener->setListenBacklogSize(1024);
    listener->setWebSocketServer(m_webSockets.get(), "/api/v1/stream",
                                 [this] { return m_stream->clientCount() < m_settings.maxLiveClients; });
    if (!listener->listen(m_settings.address, m_settings.port)) {
        m_systemError = listener->errorString();
        *error = QStringLiteral("cannot serve the web view on %1 port %2: %3")
                     .arg(m_settings.address.toString())
                     .arg(m_settings.port)
                     .arg(listener->errorString());
        return false;
    }
    m_listener = listener.get();
    m_server->bind(listener.release());
    m_startedMs = nowMs();
    m_uptime.start();
    m_rateSamples.assign(1, {0, m_pipeline.tables().enteredReports()});
    m_rateTimer.start();
    return true;
}

quint16 WebView::serverPort() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

int WebView::openConnections() const
{
    return m_listener ? m_listener->openConnections() : 0;
}

QUrl WebView::url() const
{
    QUrl u;
    u.setScheme(QStringLiteral("http"));
    u.setHost(m_settings.address.toString());
    u.setPort(serverPort());
    u.setPath(QStringLiteral("/"));
    return u;
}

void WebView::enterReport(const TTagReport &report, const QString &label)
{
    const qint64 now = nowMs();
    const TagDirectory::Entry *entry = m_tags.enter(report, label, now);
    const bool stateChanged = m_readers.report(label, now);
    if (!m_stream->hasClients())
        return;
    if (stateChanged)
        readerStateChanged(label, ReaderDirectory::State::Reporting);
    if (entry && m_stream->wantsReports() && !m_tamperPending) // a tamper-bearing one goes out once marked
        m_stream->appendReport(ApiJson::tag(
            *entry, m_time, "\"type\":\"report\",\"seq\":" + QByteArray::number(m_stream->nextSeq()) + ','));
}

// The decoder says that a report raised the tamper alarm just before it hands the report on; the
// tables have entered it by the time this runs.
void WebView::noteTamper(const TTagReport &report)
{
    if (!std::exchange(m_tamperPending, false))
        return;
    m_tags.markTamper(report.uid);
    const TagDirectory::Entry *entry = m_tags.find(report.uid);
    if (entry && entry->lastSeenMs > 0 && m_stream->wantsReports())
        m_stream->appendReport(ApiJson::tag(
            *entry, m_time, "\"type\":\"report\",\"seq\":" + QByteArray::number(m_stream->nextSeq()) + ','));
}

void WebView::readerStateChanged(const QString &label, ReaderDirectory::State state)
{
    if (state != ReaderDirectory::State::Reporting && !m_readers.setState(label, state))
        return;
    if (!m_stream->hasClients())
        return;
    QJsonObject event{{QStringLiteral("type"), QStringLiteral("reader")},
                      {QStringLiteral("seq"), double(m_stream->nextSeq())},
                      {QStringLiteral("reader"), label},
                      {QStringLiteral("state"), QLatin1String(ReaderDirectory::stateName(state))},
                      {QStringLiteral("time"), QString::fromLatin1(m_time.format(nowMs()))}};
    m_stream->append(QJsonDocument(event).toJson(QJsonDocument::Compact));
}

void WebView::noteProblem(const Problem &problem)
{
    const qint64 now = nowMs();
    const QString label = m_readers.addProblem(problem, now);
    if (!m_stream->hasClients())
        return;
    QJsonObject event = ApiJson::problem({now, problem}, m_time);
    event.insert(QStringLiteral("type"), QStringLiteral("problem"));
    event.insert(QStringLiteral("seq"), double(m_stream->nextSeq()));
    event.insert(QStringLiteral("reader"), label);
    m_stream->append(QJsonDocument(event).toJson(QJsonDocument::Compact));
}

// Each tag that changed since the last batch goes out once, with its latest values. When more
// changed than a batch takes, the ones that changed last go and the rest are a gap: a client then
// catches up from /api/v1/tags.
void WebView::appendChangedTags()
{
    const qsizetype max = m_stream->wantsTags() ? m_settings.streamBatchTags : 0;
    const qsizetype left = m_tags.takeChanged(max, [this](const TagDirectory::Entry &e) {
        m_stream->appendTag(ApiJson::tag(
            e, m_time, "\"type\":\"tag\",\"seq\":" + QByteArray::number(m_stream->nextSeq()) + ','));
    });
    if (max > 0)
        m_stream->skipTags(left);
}

void WebView::acceptLiveClient()
{
    while (m_webSockets->hasPendingConnections()) {
        std::unique_ptr<QWebSocket> socket(m_webSockets->nextPendingConnection());
        if (!socket)
            break;
        const QByteArray header = socket->request().rawHeader("Authorization");
        const bool everyReport =
            QUrlQuery(socket->requestUrl()).queryItemValue(QStringLiteral("reports")) == QLatin1String("all");
        if (!WebServer::authorized(header, m_settings.token))
            m_stream->refuseClient(std::move(socket));
        else
            m_stream->addClient(std::move(socket),
                                everyReport ? LiveStream::Mode::Reports : LiveStream::Mode::Tags);
    }
}

void WebView::sampleRate()
{
    m_rateSamples.emplace_back(m_uptime.elapsed(), m_pipeline.tables().enteredReports());
    while (m_rateSamples.size() > size_t(kRateWindow + 1))
        m_rateSamples.pop_front();
}

double WebView::reportRate() const
{
    if (m_rateSamples.size() < 2)
        return 0;
    const auto &[t0, n0] = m_rateSamples.front();
    const auto &[t1, n1] = m_rateSamples.back();
    return t1 > t0 ? double(n1 - n0) * 1000.0 / double(t1 - t0) : 0.0;
}

WebServer::Reply WebView::route(const QString &path, const QHttpServerRequest &request)
{
    static const QString kTagPrefix = QStringLiteral("/api/v1/tags/");
    if (path == QLatin1String("/api/v1/tags"))
        return tagList(request);
    if (path.startsWith(kTagPrefix))
        return oneTag(path.mid(kTagPrefix.size()));
    if (path == QLatin1String("/api/v1/readers"))
        return readerList();
    if (path == QLatin1String("/api/v1/stats"))
        return stats();
    if (path == QLatin1String("/api/v1/openapi.json"))
        return openApi();
    if (path == QLatin1String("/api/v1/stream"))
        return failure(426, QStringLiteral("the live stream is a WebSocket"));
    return failure(404, QStringLiteral("not found"));
}

WebServer::Reply WebView::tagList(const QHttpServerRequest &request)
{
    QString error;
    const auto query = TagQuery::from(request.query(), &error);
    if (!query)
        return failure(400, error);
    QByteArray body = "[";
    int n = 0;
    m_tags.forEachWithPrefix(query->uidPrefix, [&](const TagDirectory::Entry &e) {
        if (!query->matches(e))
            return true;
        if (n++ > 0)
            body += ',';
        body += ApiJson::tag(e, m_time);
        return n < query->limit;
    });
    body += ']';
    return {200, "application/json", body};
}

WebServer::Reply WebView::oneTag(const QString &uid)
{
    const TagDirectory::Entry *e = m_tags.find(uid);
    if (!e)
        return failure(404, QStringLiteral("no tag %1").arg(uid));
    return {200, "application/json", ApiJson::tag(*e, m_time)};
}

WebServer::Reply WebView::readerList()
{
    QJsonArray readers;
    for (const ReaderDirectory::Reader &r : m_readers.readers())
        readers.append(ApiJson::reader(r, m_time));
    return json(QJsonDocument(readers));
}

WebServer::Reply WebView::stats()
{
    const TagTables &t = m_pipeline.tables();
    ReadingPipeline &p = m_pipeline;
    const LiveStream::Counters &s = m_stream->counters();
    const GuardedTcpServer::Counters &c = m_listener->counters();
    const QJsonObject dropped{{QStringLiteral("by_filter"), double(t.droppedByFilter())},
                              {QStringLiteral("by_uid_check"), double(t.droppedByUidCheck())},
                              {QStringLiteral("by_rssi"), double(t.droppedByRssi())},
                              {QStringLiteral("frames_discarded"), double(p.decoder().discardedFrames())}};
    const QJsonObject stream{{QStringLiteral("clients"), m_stream->clientCount()},
                             {QStringLiteral("events"), double(s.events)},
                             {QStringLiteral("gaps"), double(s.gaps)},
                             {QStringLiteral("skipped_events"), double(s.skippedEvents)},
                             {QStringLiteral("dropped_clients"), double(s.droppedClients)},
                             {QStringLiteral("refused_clients"), double(s.refusedClients)}};
    const QJsonObject http{{QStringLiteral("requests"), double(m_server->requests())},
                           {QStringLiteral("refused"), double(m_server->refused())},
                           {QStringLiteral("connections"), m_listener->openConnections()},
                           {QStringLiteral("refused_busy"), double(c.refusedBusy)},
                           {QStringLiteral("too_large"), double(c.tooLarge)},
                           {QStringLiteral("timed_out"), double(c.timedOut)}};
    const QJsonObject o{{QStringLiteral("started"), QString::fromLatin1(m_time.format(m_startedMs))},
                        {QStringLiteral("uptime_s"), double(m_uptime.elapsed()) / 1000.0},
                        {QStringLiteral("reports"), double(t.totalReportCount())},
                        {QStringLiteral("entered"), double(t.enteredReports())},
                        {QStringLiteral("rate_per_s"), reportRate()},
                        {QStringLiteral("frames"), double(p.session().framesCut())},
                        {QStringLiteral("bytes"), double(p.session().bytesRead())},
                        {QStringLiteral("tags"), m_tags.size()},
                        {QStringLiteral("readers"), int(m_readers.readers().size())},
                        {QStringLiteral("tamper_alarm"), p.decoder().tamperShown()},
                        {QStringLiteral("dropped"), dropped},
                        {QStringLiteral("problems"), ApiJson::problems(m_readers.sessionProblems(), m_time)},
                        {QStringLiteral("stream"), stream},
                        {QStringLiteral("http"), http}};
    return json(QJsonDocument(o));
}

WebServer::Reply WebView::openApi()
{
    QFile file(QStringLiteral(":/web/openapi.json"));
    if (!file.open(QIODevice::ReadOnly))
        return failure(404, QStringLiteral("not found"));
    return {200, "application/json", file.readAll()};
}
