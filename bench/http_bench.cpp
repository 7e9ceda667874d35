// http_bench: 100 simulated readers (talvo_sim, in this process) report to a listener read by a
// ReadingPipeline; then the web view serves the same session to 50 live-stream clients and 20 API
// requests/s, the clients and the API script each running on a thread of their own (they are other
// computers in real use).
// Prints, from one run:
//   - the session's entered reports/s without the web view, then with it (and the ratio);
//   - API latency (request sent -> reply finished), median and p99;
//   - stream lag (report entered -> event received by a client), median and p99, and events skipped.
//
//   http_bench [--readers 100] [--rate 100000] [--clients 50] [--requests 20] [--seconds 5]
//              [--tags 500] [--sequence-uids] [--max-tags N]
// The readers hear a population of --tags tags, as readers do; --sequence-uids makes every report's
// UID new instead (the worst case: every report is a tag never seen before), and --max-tags bounds
// the all-tags table as `talvo-cli read --max-tags` does.

#include "BenchSupport.h"
#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "http/LiveStream.h"
#include "http/WebView.h"
#include "link/TcpListenerReadingLinks.h"
#include "reading/ReadingPipeline.h"
#include "sim/SimOptions.h"
#include "sim/Simulator.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QThread>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace {

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[size_t(p * double(v.size() - 1))];
}

const char *const kPaths[] = {"/api/v1/tags?limit=100", "/api/v1/stats", "/api/v1/readers",
                              "/api/v1/tags?uid=00000000000001"};

// The other computers: live-stream clients and a script asking the API, on their own thread.
class Clients : public QObject
{
public:
    Clients(QUrl base, int clients, int requestsPerSecond) : m_base(std::move(base))
    {
        m_manager.setProxy(QNetworkProxy::NoProxy);
        QUrl stream = m_base.resolved(QUrl(QStringLiteral("/api/v1/stream")));
        stream.setScheme(QStringLiteral("ws"));
        for (int i = 0; i < clients; ++i) {
            auto socket = std::make_unique<QWebSocket>();
            connect(socket.get(), &QWebSocket::binaryMessageReceived, this, &Clients::received);
            connect(socket.get(), &QWebSocket::connected, this, [this] { ++connected; });
            socket->open(stream);
            m_sockets.push_back(std::move(socket));
        }
        m_requests.setInterval(1000 / std::max(1, requestsPerSecond));
        connect(&m_requests, &QTimer::timeout, this, &Clients::ask);
        if (requestsPerSecond > 0)
            m_requests.start();
    }

    std::mutex mutex;
    std::vector<double> apiMs;
    std::vector<double> apiMsByPath[4];
    std::vector<double> lagMs;
    quint64 skipped = 0;
    std::atomic<int> connected{0};

private:
    void ask()
    {
        const int path = m_asked++ % 4;
        const QUrl url = m_base.resolved(QUrl(QLatin1String(kPaths[path])));
        auto *timer = new QElapsedTimer;
        timer->start();
        QNetworkReply *reply = m_manager.get(QNetworkRequest(url));
        connect(reply, &QNetworkReply::finished, this, [this, reply, timer, path] {
            std::lock_guard lock(mutex);
            apiMs.push_back(double(timer->nsecsElapsed()) / 1e6);
            apiMsByPath[path].push_back(apiMs.back());
            delete timer;
            reply->deleteLater();
        });
    }

    // Every 64th report's lag is measured: its last_seen is when the session entered it.
    void received(const QByteArray &message)
    {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        qsizetype at = 0;
        std::lock_guard lock(mutex);
        while ((at = message.indexOf("\"last_seen\":\"", at)) >= 0) {
            at += 13;
            if ((++m_events & 63) != 0)
                continue;
            const QDateTime t =
                QDateTime::fromString(QString::fromLatin1(message.mid(at, 24)), Qt::ISODateWithMs);
            if (t.isValid())
                lagMs.push_back(double(now - t.toMSecsSinceEpoch()));
        }
        for (at = 0; (at = message.indexOf("\"skipped\":", at)) >= 0;) {
            at += 10;
            skipped += message.mid(at, message.indexOf('}', at) - at).toULongLong();
        }
    }

    QUrl m_base;
    QNetworkAccessManager m_manager;
    std::vector<std::unique_ptr<QWebSocket>> m_sockets;
    QTimer m_requests;
    int m_asked = 0;
    quint64 m_events = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int readers = intArg(args, "--readers", 100);
    const int rate = intArg(args, "--rate", 100000);
    const int clients = intArg(args, "--clients", 50);
    const int requests = intArg(args, "--requests", 20);
    const int seconds = intArg(args, "--seconds", 5);
    const int tagCount = intArg(args, "--tags", 500);
    const bool sequenceUids = args.contains(QStringLiteral("--sequence-uids"));
    const int maxTags = intArg(args, "--max-tags", 0);

    SystemClock clock;
    SilentTonePlayer tones;
    ReadingPipeline pipeline(clock, tones);
    auto links = std::make_unique<TcpListenerReadingLinks>();
    TcpListenerReadingLinks *listener = links.get();
    listener->setListenAddress(QHostAddress::LocalHost);
    listener->setListenPortText(QStringLiteral("0"));
    pipeline.tables().setMaxTags(maxTags);
    pipeline.tables().startSession();
    pipeline.start(std::move(links));
    if (!runUntil([&] { return listener->serverPort() != 0; }, 10000)) {
        std::fprintf(stderr, "http_bench: the listener did not open\n");
        return 1;
    }
    SimOptions o;
    o.transport = SimOptions::Transport::TcpClient;
    o.host = QStringLiteral("127.0.0.1");
    o.port = listener->serverPort();
    o.bind = QHostAddress(QStringLiteral("127.0.0.2"));
    o.readers = readers;
    o.rate = rate;
    o.tags = tagCount;
    o.sequenceUids = sequenceUids;
    Simulator sim(o);
    QString why;
    if (!sim.start(&why)) {
        std::fprintf(stderr, "http_bench: %s\n", qPrintable(why));
        return 1;
    }
    runUntil([&] { return listener->connectionCount() >= readers; }, 10000);
    const int connectedReaders = listener->connectionCount();
    runUntil([] { return false; }, 1000); // warm-up

    const auto measure = [&] {
        const quint64 n0 = pipeline.tables().enteredReports();
        QElapsedTimer t;
        t.start();
        runUntil([] { return false; }, seconds * 1000);
        return double(pipeline.tables().enteredReports() - n0) * 1000.0 / double(t.elapsed());
    };
    const double plainRate = measure();

    WebView view(pipeline, WebViewSettings{});
    if (!view.start(&why)) {
        std::fprintf(stderr, "http_bench: %s\n", qPrintable(why));
        return 1;
    }
    // The live clients and the script asking the API are other computers: threads of their own, so
    // that reading the stream never delays the timing of an API reply.
    QThread streamThread;
    QThread apiThread;
    const auto spawn = [&](QThread &thread, int streamClients, int requestsPerSecond) {
        thread.start();
        Clients *made = nullptr;
        auto *context = new QObject;
        context->moveToThread(&thread);
        QMetaObject::invokeMethod(
            context, [&] { made = new Clients(view.url(), streamClients, requestsPerSecond); },
            Qt::BlockingQueuedConnection);
        context->deleteLater();
        return made;
    };
    Clients *stream = spawn(streamThread, clients, 0);
    Clients *api = spawn(apiThread, 0, requests);
    runUntil([&] { return stream->connected.load() >= clients; }, 10000);
    runUntil([] { return false; }, 1000); // warm-up
    for (Clients *c : {stream, api}) {
        std::lock_guard lock(c->mutex);
        c->apiMs.clear();
        for (auto &v : c->apiMsByPath)
            v.clear();
        c->lagMs.clear();
    }
    const double webRate = measure();
    sim.stop();

    std::printf("readers: %d connected, simulator asked for %d lines/s, %s, %d tags in the table\n",
                connectedReaders, rate, sequenceUids ? "every UID new" : "a population of tags",
                pipeline.tables().allTags()->size());
    std::printf("session without the web view: %.0f reports/s\n", plainRate);
    std::printf("session with the web view:    %.0f reports/s (%.2fx), %d live clients, %d API requests/s\n",
                webRate, webRate / plainRate, stream->connected.load(), requests);
    {
        std::lock_guard lock(api->mutex);
        std::printf("API latency: median %.1f ms, p99 %.1f ms (%zu requests)\n", percentile(api->apiMs, 0.5),
                    percentile(api->apiMs, 0.99), api->apiMs.size());
        for (int i = 0; i < 4; ++i)
            std::printf("  %-34s median %.1f ms, max %.1f ms\n", kPaths[i],
                        percentile(api->apiMsByPath[i], 0.5), percentile(api->apiMsByPath[i], 1.0));
    }
    {
        std::lock_guard lock(stream->mutex);
        std::printf("stream lag: median %.0f ms, p99 %.0f ms (%zu timed); events skipped by clients: %llu\n",
                    percentile(stream->lagMs, 0.5), percentile(stream->lagMs, 0.99), stream->lagMs.size(),
                    static_cast<unsigned long long>(stream->skipped));
    }
    std::printf("server: %llu stream gaps, %llu clients dropped\n",
                static_cast<unsigned long long>(view.stream().counters().gaps),
                static_cast<unsigned long long>(view.stream().counters().droppedClients));
    for (Clients *c : {stream, api})
        QMetaObject::invokeMethod(
            c, [c] { delete c; }, Qt::BlockingQueuedConnection);
    for (QThread *t : {&streamThread, &apiThread}) {
        t->quit();
        t->wait();
    }
    pipeline.stop();
    return 0;
}
