// publish_bench: reports from 100 simulated readers (talvo_sim, in this process, connecting to a
// listener) through a reading session and the report publisher to a real mosquitto broker on
// loopback, and back out at a subscriber. Prints, from one run:
//   - the session's reports/s without publishing, then with publishing (and the ratio);
//   - the reports/s arriving at the subscriber;
//   - end-to-end latency (report decoded at the host -> message at the subscriber), median and p99;
//   - reports lost with QoS 1 across a broker restart.
//
//   publish_bench [--readers 100] [--rate 400000] [--seconds 5] [--qos1-reports 20000] [--no-persistence]
//
// --no-persistence runs the broker without its store, to compare the QoS 1 figure.

#include "../tests/publish/MosquittoBroker.h"
#include "BenchSupport.h"
#include "link/TcpListenerReadingLinks.h"
#include "publish/MqttClient.h"
#include "publish/MqttReadingLinks.h"
#include "publish/ReportPublisher.h"
#include "reading/ReadingSession.h"
#include "reading/ReportDecoder.h"
#include "sim/SimOptions.h"
#include "sim/Simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <vector>

namespace {

PublishSettings settings(const MosquittoBroker &broker, int qos,
                         const QString &site = QStringLiteral("bench"))
{
    PublishSettings s;
    s.url = broker.url();
    s.site = site;
    s.qos = qos;
    s.queueCapacity = 1000000;
    s.reconnectFirstMs = 50;
    s.reconnectMaxMs = 400;
    return s;
}

double percentile(std::vector<qint64> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return double(v[size_t(p * double(v.size() - 1))]) / 1e6;
}

// QoS 1 reports published at a steady pace while the broker restarts; returns how many never arrived.
qint64 qos1Lost(MosquittoBroker &broker, int total)
{
    PublishSettings in = settings(broker, 1, QStringLiteral("restart"));
    in.clientId = QStringLiteral("publish-bench-subscriber");
    MqttReadingLinks links(in);
    QSet<QString> uids;
    QObject::connect(&links, &MqttReadingLinks::reportReceived, &links,
                     [&uids](const TTagReport &r, const QString &) { uids.insert(r.uid); });
    links.open();
    ReportPublisher publisher(settings(broker, 1, QStringLiteral("restart")));
    publisher.start();
    if (!runUntil([&] { return links.isConnected() && publisher.isConnected(); }, 10000))
        return -1;
    int n = 0;
    bool restarted = false;
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, &pace, [&] {
        for (int i = 0; i < 500 && n < total; ++i, ++n) {
            TTagReport r;
            r.uid = QString::number(n + 1).rightJustified(16, QLatin1Char('0'));
            r.t1 = r.t2 = QStringLiteral("-");
            publisher.publishReport(r, QStringLiteral("COM01"));
        }
        if (!restarted && n >= total / 2) {
            restarted = true;
            broker.stop();
            broker.restart();
        }
    });
    pace.start(10);
    runUntil([&] { return uids.size() >= total; }, 30000);
    return qint64(total) - qint64(uids.size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int readers = intArg(args, "--readers", 100);
    const int rate = intArg(args, "--rate", 400000);
    const int seconds = intArg(args, "--seconds", 5);
    const int qos1Reports = intArg(args, "--qos1-reports", 20000);

    if (MosquittoBroker::program().isEmpty()) {
        std::fprintf(stderr, "publish_bench: the mosquitto broker is not installed\n");
        return 1;
    }
    const bool noStore = args.contains(QStringLiteral("--no-persistence"));
    MosquittoBroker broker(noStore ? QByteArray("persistence false") : QByteArray());
    if (!broker.start()) {
        std::fprintf(stderr, "publish_bench: broker did not start: %s\n", qPrintable(broker.log()));
        return 1;
    }

    TcpListenerReadingLinks links;
    links.setListenAddress(QHostAddress::LocalHost);
    links.setListenPortText(QStringLiteral("0"));
    ReadingSession session;
    ReportDecoder decoder;
    QObject::connect(&session, &ReadingSession::frameReady, &decoder, &ReportDecoder::decodeReport);
    ReportPublisher publisher(settings(broker, 0));
    publisher.start();

    // Subscriber: counts messages and measures each one's time from decoding. It is another system in
    // real use, so it runs on a thread of its own here and does not take the session thread's time.
    QElapsedTimer clock;
    clock.start();
    std::mutex timesMutex;
    QHash<QByteArray, qint64> decodedAt;
    std::vector<qint64> latencies;
    quint64 decoded = 0;
    std::atomic<quint64> received{0};
    bool publishing = false;
    MqttClientOptions so;
    QString why;
    so.broker = *BrokerAddress::parse(broker.url(), &why);
    so.clientId = QStringLiteral("publish-bench-counter");
    so.subscriptions = {"talvo/bench/reports/#"};
    QThread subscriberThread;
    MqttClient subscriber(so);
    subscriber.moveToThread(&subscriberThread);
    QObject::connect(&subscriber, &MqttClient::messageReceived, &subscriber,
                     [&](const QByteArray &, const QByteArray &payload) {
                         received.fetch_add(1, std::memory_order_relaxed);
                         const qint64 now = clock.nsecsElapsed();
                         std::lock_guard lock(timesMutex);
                         const auto it = decodedAt.constFind(payload.mid(8, 16));
                         if (it != decodedAt.constEnd()) {
                             latencies.push_back(now - *it);
                             decodedAt.erase(it);
                         }
                     });
    subscriberThread.start();
    QMetaObject::invokeMethod(
        &subscriber, [&subscriber] { subscriber.start(); }, Qt::BlockingQueuedConnection);
    QObject::connect(&decoder, &ReportDecoder::reportDecoded, &app,
                     [&](const TTagReport &r, const QString &label) {
                         ++decoded;
                         if (!publishing)
                             return;
                         if ((decoded & 15) == 0) { // every 16th report is timed
                             std::lock_guard lock(timesMutex);
                             decodedAt.insert(r.uid.toLatin1(), clock.nsecsElapsed());
                         }
                         publisher.publishReport(r, label);
                     });
    session.start(&links);
    if (!runUntil(
            [&] { return links.serverPort() != 0 && publisher.isConnected() && subscriber.isConnected(); },
            10000)) {
        std::fprintf(stderr, "publish_bench: listener, publisher or subscriber not ready\n");
        return 1;
    }

    SimOptions o;
    o.transport = SimOptions::Transport::TcpClient;
    o.host = QStringLiteral("127.0.0.1");
    o.port = links.serverPort();
    o.bind = QHostAddress(QStringLiteral("127.0.0.2"));
    o.readers = readers;
    o.rate = rate;
    o.tags = 500;
    o.sequenceUids = true;
    Simulator sim(o);
    if (!sim.start(&why)) {
        std::fprintf(stderr, "publish_bench: %s\n", qPrintable(why));
        return 1;
    }
    runUntil([&] { return links.connectionCount() >= readers; }, 10000);
    const int connectedReaders = links.connectionCount();
    runUntil([] { return false; }, 1000); // warm-up

    auto measure = [&](bool publish, quint64 *subscriberCount) {
        publishing = publish;
        const quint64 d0 = decoded, r0 = received.load();
        QElapsedTimer t;
        t.start();
        runUntil([] { return false; }, seconds * 1000);
        const double s = double(t.elapsed()) / 1000.0;
        *subscriberCount = received.load() - r0;
        return std::pair{double(decoded - d0) / s, double(*subscriberCount) / s};
    };
    quint64 ignored = 0, arrived = 0;
    const auto [plainRate, unused] = measure(false, &ignored);
    const auto [publishRate, subscriberRate] = measure(true, &arrived);
    publishing = false;
    sim.stop();
    runUntil([&] { return publisher.queuedReports() == 0; }, 10000);

    std::printf("readers: %d connected, simulator asked for %d lines/s\n", connectedReaders, rate);
    std::printf("session without publishing: %.0f reports/s\n", plainRate);
    std::printf("session with publishing:    %.0f reports/s (%.2fx)\n", publishRate, publishRate / plainRate);
    std::printf("arriving at the subscriber: %.0f reports/s (QoS 0, %llu dropped by the queue)\n",
                subscriberRate, static_cast<unsigned long long>(publisher.droppedReports()));
    {
        std::lock_guard lock(timesMutex);
        std::printf("latency decode -> subscriber: median %.2f ms, p99 %.2f ms (%zu timed)\n",
                    percentile(latencies, 0.5), percentile(latencies, 0.99), latencies.size());
    }
    (void)unused;
    (void)arrived;

    const qint64 lost = qos1Lost(broker, qos1Reports);
    std::printf("QoS 1 across a broker restart (%s): %lld of %d reports lost\n",
                noStore ? "no broker store" : "broker store on", static_cast<long long>(lost), qos1Reports);
    session.stop();
    QMetaObject::invokeMethod(
        &subscriber, [&subscriber] { subscriber.moveToThread(qApp->thread()); },
        Qt::BlockingQueuedConnection);
    subscriberThread.quit();
    subscriberThread.wait();
    return 0;
}
