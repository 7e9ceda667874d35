#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "http/LiveStream.h"
#include "http/WebView.h"
#include "reading/ReadingPipeline.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QtTest>
#include <memory>
#include <sys/resource.h>

namespace {

// What a raw client gets back for `request`: the bytes until the response header is complete or the
// server closes. The server runs in this thread, so the client waits on the event loop.
QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    QByteArray got;
    bool wasConnected = false;
    QObject::connect(&socket, &QTcpSocket::connected, &socket, [&] {
        wasConnected = true;
        socket.write(request);
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [&] { got += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
    static_cast<void>(QTest::qWaitFor(
        [&] {
            return got.contains("\r\n\r\n") ||
                   (wasConnected && socket.state() == QAbstractSocket::UnconnectedState);
        },
        10000));
    return got;
}

QByteArray statusLine(const QByteArray &response)
{
    return response.left(response.indexOf("\r\n"));
}

TTagReport report(int n)
{
    TTagReport r;
    r.uid = QString::number(n).rightJustified(16, QLatin1Char('0'));
    r.rssi = 0x50;
    r.lqi = 0xA3;
    r.t1 = r.t2 = QStringLiteral("-");
    return r;
}

QUrl streamUrl(const WebView &view, const char *query = "")
{
    QUrl url = view.url().resolved(QUrl(QStringLiteral("/api/v1/stream") + QLatin1String(query)));
    url.setScheme(QStringLiteral("ws"));
    return url;
}

} // namespace

class TestWebLimits : public QObject
{
    Q_OBJECT

    std::unique_ptr<WebView> serve(const WebViewSettings &settings)
    {
        auto view = std::make_unique<WebView>(m_pipeline, settings);
        QString error;
        if (!view->start(&error))
            qWarning() << error;
        return view;
    }

    SystemClock m_clock;
    SilentTonePlayer m_tones;
    ReadingPipeline m_pipeline{m_clock, m_tones};

private slots:
    void initTestCase()
    {
        // Many connections at once need more descriptors than a shell's usual soft limit.
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 8192);
        setrlimit(RLIMIT_NOFILE, &limit);
    }

    // Oversized and malformed requests are answered or closed, and the next request is served.
    void refusesHostileRequests()
    {
        const auto view = serve({});
        const quint16 port = view->serverPort();
        const QByteArray big(20 * 1024, 'a');
        QCOMPARE(statusLine(exchange(port, "GET / HTTP/1.1\r\nX-Big: " + big + "\r\n\r\n")),
                 "HTTP/1.1 431 Request Header Fields Too Large");
        QCOMPARE(statusLine(exchange(port, "GET / HTTP/1.1\r\nContent-Length: 30000\r\n\r\n" + big + big)),
                 "HTTP/1.1 413 Content Too Large");
        QByteArray many = "GET /api/v1/stats HTTP/1.1\r\n";
        for (int i = 0; i < 80; ++i)
            many += "X-" + QByteArray::number(i) + ": 1\r\n";
        QVERIFY(statusLine(exchange(port, many + "\r\n")).startsWith("HTTP/1.1 431"));
        for (const QByteArray &bad :
             {QByteArray("GARBAGE\r\n\r\n"), QByteArray("GET\r\n\r\n"), QByteArray("\x01\x02\xff\r\n\r\n", 7),
              QByteArray("GET /%00%ff HTTP/1.1\r\n\r\n")}) {
            const QByteArray status = statusLine(exchange(port, bad));
            QVERIFY2(!status.startsWith("HTTP/1.1 200") && !status.startsWith("HTTP/1.1 5"),
                     status.constData());
        }
        for (const char *path : {"/../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/..%2f..%2fetc%2fpasswd",
                                 "//etc/passwd", "/web/index.html", "/app.js%00.txt"})
            QCOMPARE(statusLine(exchange(port, QByteArray("GET ") + path + " HTTP/1.1\r\n\r\n")),
                     "HTTP/1.1 404 Not Found");
        QCOMPARE(statusLine(exchange(port, "DELETE /api/v1/tags HTTP/1.1\r\n\r\n")),
                 "HTTP/1.1 405 Method Not Allowed");
        QCOMPARE(statusLine(exchange(port, "GET /api/v1/stats HTTP/1.1\r\n\r\n")), "HTTP/1.1 200 OK");
    }

    // A request that trickles in is cut off at the request time.
    void timesOutATrickledRequest()
    {
        WebViewSettings settings;
        settings.requestTimeoutMs = 300;
        const auto view = serve(settings);
        QTcpSocket slow;
        slow.connectToHost(QHostAddress::LocalHost, view->serverPort());
        QVERIFY(slow.waitForConnected(5000));
        slow.write("GET / HTTP/1.1\r\n");
        QTimer drip;
        connect(&drip, &QTimer::timeout, &slow, [&slow] { slow.write("X: y\r\n"); });
        drip.start(50);
        QByteArray got;
        connect(&slow, &QTcpSocket::readyRead, &slow, [&] { got += slow.readAll(); });
        QTRY_VERIFY_WITH_TIMEOUT(got.startsWith("HTTP/1.1 408"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(slow.state(), QAbstractSocket::UnconnectedState, 10000);
    }

    // Connections past the limit are answered 503; idle ones are closed; the server goes on.
    void boundsIdleConnections()
    {
        WebViewSettings settings;
        settings.maxConnections = 100;
        settings.requestTimeoutMs = 2000;
        const auto view = serve(settings);
        constexpr int kClients = 2000;
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        int refused = 0;
        for (int i = 0; i < kClients; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            connect(socket.get(), &QTcpSocket::readyRead, this, [&refused, s = socket.get()] {
                if (s->readAll().startsWith("HTTP/1.1 503"))
                    ++refused;
            });
            socket->connectToHost(QHostAddress::LocalHost, view->serverPort());
            clients.push_back(std::move(socket));
        }
        int peak = 0;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] { peak = std::max(peak, view->openConnections()); });
        sampler.start(5);
        const auto open = [&clients] {
            return std::count_if(clients.cbegin(), clients.cend(), [](const auto &s) {
                return s->state() != QAbstractSocket::UnconnectedState;
            });
        };
        // Each one is either refused at once or closed idle after the request time.
        QTRY_COMPARE_WITH_TIMEOUT(open(), 0, 60000);
        QVERIFY(refused > 0);
        QVERIFY2(peak <= settings.maxConnections, QByteArray::number(peak).constData());
        clients.clear();
        QCOMPARE(statusLine(exchange(view->serverPort(), "GET /api/v1/stats HTTP/1.1\r\n\r\n")),
                 "HTTP/1.1 200 OK");
    }

    void limitsLiveClients()
    {
        WebViewSettings settings;
        settings.maxLiveClients = 2;
        const auto view = serve(settings);
        std::vector<std::unique_ptr<QWebSocket>> clients;
        for (int i = 0; i < 2; ++i) {
            clients.push_back(std::make_unique<QWebSocket>());
            QSignalSpy connected(clients.back().get(), &QWebSocket::connected);
            clients.back()->open(streamUrl(*view));
            QVERIFY(connected.wait(10000));
        }
        QTRY_COMPARE_WITH_TIMEOUT(view->stream().clientCount(), 2, 10000);
        const QByteArray third = exchange(
            view->serverPort(), "GET /api/v1/stream HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                                "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                "Sec-WebSocket-Version: 13\r\n\r\n");
        QCOMPARE(statusLine(third), "HTTP/1.1 503 Service Unavailable");
        QCOMPARE(view->stream().clientCount(), 2);
    }

    // A client that reads nothing skips batches, counted; another one gets every report in order or
    // is told how many it missed.
    void stalledClientSkipsWithACountedGap()
    {
        WebViewSettings settings;
        settings.streamBacklogBytes = 4 << 20;
        settings.streamBatchMs = 20;
        settings.streamStallMs = 600000;
        const auto view = serve(settings);

        QTcpSocket stalled; // a WebSocket client that stops reading after the handshake
        stalled.setReadBufferSize(1024);
        stalled.connectToHost(QHostAddress::LocalHost, view->serverPort());
        QVERIFY(stalled.waitForConnected(5000));
        stalled.write("GET /api/v1/stream?reports=all HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                      "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                      "Sec-WebSocket-Version: 13\r\n\r\n");
        QWebSocket healthy;
        quint64 lastSeq = 0;
        int received = 0;
        int missed = 0;
        bool inOrder = true;
        connect(&healthy, &QWebSocket::binaryMessageReceived, this, [&](const QByteArray &message) {
            for (const QJsonValue &v : QJsonDocument::fromJson(message).array()) {
                if (v[QStringLiteral("type")].toString() == QLatin1String("gap")) {
                    missed += v[QStringLiteral("skipped")].toInt();
                    continue;
                }
                const quint64 seq = quint64(v[QStringLiteral("seq")].toDouble());
                inOrder = inOrder && seq > lastSeq;
                lastSeq = seq;
                received += v[QStringLiteral("type")].toString() == QLatin1String("report");
            }
        });
        QSignalSpy connected(&healthy, &QWebSocket::connected);
        healthy.open(streamUrl(*view, "?reports=all"));
        QVERIFY(connected.wait(10000));
        QTRY_COMPARE_WITH_TIMEOUT(view->stream().clientCount(), 2, 10000);

        constexpr int kReports = 100000;
        constexpr int kPerTurn = 500;
        int sent = 0;
        QTimer feeder;
        connect(&feeder, &QTimer::timeout, this, [&] {
            for (int i = 0; i < kPerTurn && sent < kReports; ++i, ++sent)
                m_pipeline.enterReport(report(sent % 1000 + 1), QStringLiteral("R1"));
        });
        feeder.start(0);
        QTRY_VERIFY_WITH_TIMEOUT(sent == kReports, 60000);
        feeder.stop();
        QTRY_VERIFY_WITH_TIMEOUT(received + missed >= kReports, 60000); // a reader event may be missed too
        QVERIFY(received > 0);
        QVERIFY(inOrder);
        QVERIFY(view->stream().counters().skippedEvents > 0);
        QVERIFY(view->stream().counters().gaps > 0);
    }

    // The directory follows a bounded table row for row: a tag that leaves the table leaves the
    // API with it, and the one taking its row starts afresh. A UID prefix is found in any case,
    // short or long.
    void followsABoundedTable()
    {
        ReadingPipeline pipeline{m_clock, m_tones};
        pipeline.tables().setMaxTags(3);
        WebView view(pipeline, WebViewSettings{});
        const QStringList uids{QStringLiteral("0000000000001E01"), QStringLiteral("0000000000001e02"),
                               QStringLiteral("00000000000000012345"), QStringLiteral("0000000000000002")};
        for (const QString &uid : uids) {
            TTagReport r = report(1);
            r.uid = uid;
            pipeline.enterReport(r, QStringLiteral("R1"));
            pipeline.enterReport(r, QStringLiteral("R1"));
        }
        const TagDirectory &tags = view.tags();
        const TagTableModel &table = *pipeline.tables().allTags();
        QCOMPARE(tags.size(), 3);
        QVERIFY(!tags.find(uids[0])); // the least recently seen left
        QCOMPARE(tags.find(uids[3])->count, 2);
        for (int row = 0; row < table.size(); ++row)
            QCOMPARE(tags.entries()[size_t(row)].report.uid, table.row(row).uid);

        const auto matching = [&](const QString &prefix) {
            QStringList out;
            tags.forEachWithPrefix(prefix, [&](const TagDirectory::Entry &e) {
                out << e.report.uid;
                return true;
            });
            out.sort();
            return out;
        };
        QCOMPARE(matching(QStringLiteral("0000000000001E")), QStringList{uids[1]});
        QCOMPARE(matching(QStringLiteral("00000000000000")), (QStringList{uids[2], uids[3]}));
        QCOMPARE(matching(QStringLiteral("000000000000000123")), QStringList{uids[2]});
        QCOMPARE(matching(QStringLiteral("0\u00e9")), QStringList{});
        QCOMPARE(matching(QString()).size(), 3);

        pipeline.tables().clear();
        QCOMPARE(tags.size(), 0);
    }

    // More changed tags than a batch takes: the ones that changed last go out, the rest are a gap
    // the client is told of first.
    void capsTheChangedTagsOfABatch()
    {
        ReadingPipeline pipeline{m_clock, m_tones};
        WebViewSettings settings;
        settings.streamBatchTags = 10;
        settings.streamBatchMs = 50;
        const auto view = std::make_unique<WebView>(pipeline, settings);
        QString error;
        QVERIFY2(view->start(&error), qPrintable(error));
        QWebSocket client;
        QList<QJsonArray> batches;
        connect(&client, &QWebSocket::binaryMessageReceived, this,
                [&](const QByteArray &message) { batches << QJsonDocument::fromJson(message).array(); });
        QSignalSpy connected(&client, &QWebSocket::connected);
        client.open(streamUrl(*view));
        QVERIFY(connected.wait(10000));
        QTRY_COMPARE_WITH_TIMEOUT(view->stream().clientCount(), 1, 10000);
        batches.clear();

        for (int n = 1; n <= 100; ++n) // within one batch: nothing runs the event loop
            pipeline.enterReport(report(n), QStringLiteral("R1"));
        QTRY_VERIFY_WITH_TIMEOUT(batches.size() >= 2, 10000);
        const QJsonArray gap = batches[0];
        QCOMPARE(gap.size(), 1);
        QCOMPARE(gap[0][QStringLiteral("type")].toString(), QStringLiteral("gap"));
        const QJsonArray sent = batches[1];
        QStringList tagUids;
        for (const QJsonValue &v : sent)
            if (v[QStringLiteral("type")].toString() == QLatin1String("tag"))
                tagUids << v[QStringLiteral("uid")].toString();
        QCOMPARE(tagUids.size(), 10);
        QCOMPARE(tagUids.first(), report(91).uid);
        QCOMPARE(tagUids.last(), report(100).uid);
        QCOMPARE(gap[0][QStringLiteral("skipped")].toInt(), 90);
        QCOMPARE(view->stream().counters().skippedEvents, 90u);
    }

    // A batch reaches more clients than one turn of the event loop serves, each in order.
    void servesManyClientsOverSeveralTurns()
    {
        ReadingPipeline pipeline{m_clock, m_tones};
        WebViewSettings settings;
        settings.streamBatchMs = 20;
        const auto view = std::make_unique<WebView>(pipeline, settings);
        QString error;
        QVERIFY2(view->start(&error), qPrintable(error));
        constexpr int kClients = 20;
        std::vector<std::unique_ptr<QWebSocket>> clients;
        std::vector<int> tagEvents(kClients, 0);
        bool inOrder = true;
        for (int i = 0; i < kClients; ++i) {
            clients.push_back(std::make_unique<QWebSocket>());
            connect(clients.back().get(), &QWebSocket::binaryMessageReceived, this,
                    [&, i, lastSeq = 0.0](const QByteArray &message) mutable {
                        for (const QJsonValue &v : QJsonDocument::fromJson(message).array()) {
                            inOrder = inOrder && v[QStringLiteral("seq")].toDouble() > lastSeq;
                            lastSeq = v[QStringLiteral("seq")].toDouble();
                            tagEvents[size_t(i)] +=
                                v[QStringLiteral("type")].toString() == QLatin1String("tag");
                        }
                    });
            clients.back()->open(streamUrl(*view));
        }
        QTRY_COMPARE_WITH_TIMEOUT(view->stream().clientCount(), kClients, 10000);
        for (int round = 1; round <= 3; ++round) {
            for (int n = 1; n <= 5; ++n)
                pipeline.enterReport(report(n), QStringLiteral("R1"));
            QTRY_VERIFY_WITH_TIMEOUT(
                std::all_of(tagEvents.begin(), tagEvents.end(), [&](int got) { return got == 5 * round; }),
                10000);
        }
        QVERIFY(inOrder);
    }
};

QTEST_MAIN(TestWebLimits)
#include "tst_web_limits.moc"
