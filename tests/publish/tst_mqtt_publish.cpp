#include "FakeClock.h"
#include "MosquittoBroker.h"
#include "RecordingTonePlayer.h"
#include "ReportLines.h"
#include "link/ReplayReadingLinks.h"
#include "publish/MqttClient.h"
#include "publish/MqttReadingLinks.h"
#include "publish/ReportJson.h"
#include "publish/ReportPublisher.h"
#include "reading/ReadingSession.h"
#include "reading/ReportDecoder.h"
#include "reading/TagTables.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <cstdio>

namespace {

constexpr int kWaitMs = 15000;

PublishSettings settingsFor(const MosquittoBroker &broker, const QString &site, int qos = 0)
{
    PublishSettings s;
    s.url = broker.url();
    s.site = site;
    s.qos = qos;
    s.reconnectFirstMs = 50;
    s.reconnectMaxMs = 400;
    s.connectTimeoutMs = 3000;
    s.flushTimeoutMs = 3000;
    return s;
}

// A plain subscriber that keeps everything it hears.
struct Recorder
{
    Recorder(const MosquittoBroker &broker, const QByteArray &topic, int qos = 0)
    {
        MqttClientOptions o;
        QString why;
        o.broker = *BrokerAddress::parse(broker.url(), &why);
        o.clientId = QStringLiteral("recorder-") + QString::number(quintptr(this), 16);
        o.subscriptions = {topic};
        o.subscribeQos = qos;
        o.reconnectFirstMs = 50;
        o.reconnectMaxMs = 400;
        o.maxPayload = 2 * 1024 * 1024;
        client = std::make_unique<MqttClient>(o);
        QObject::connect(client.get(), &MqttClient::messageReceived, client.get(),
                         [this](const QByteArray &t, const QByteArray &p) {
                             messages.append({t, p});
                             latest.insert(t, p);
                         });
        client->start();
    }
    QList<QPair<QByteArray, QByteArray>> messages;
    QHash<QByteArray, QByteArray> latest;
    std::unique_ptr<MqttClient> client;
};

TTagReport reportOf(const QByteArray &line)
{
    return *ReportDecoder::parseLine(line, ReportTypeSwitches{});
}

QList<TTagReport> everyKind()
{
    QList<TTagReport> reports;
    for (const QByteArray &line :
         {ReportLines::line(1234), ReportLines::line(1235, "FE", "0320"),
          ReportLines::line(1236, "F0", "03203FE0"), ReportLines::line(1237, "5F", "4000ab3c"),
          ReportLines::line(1238, "0E", "996403E8"), ReportLines::line(1239, "FF", "FA3B3A3B")})
        reports.append(reportOf(line));
    return reports;
}

// What `talvo-cli read --format jsonl` prints for these reports, line by line.
QList<QByteArray> jsonLines(const QList<TTagReport> &reports, const QString &label)
{
    QList<QByteArray> lines;
    for (const TTagReport &r : reports)
        lines.append(ReportJson::object(r, label));
    return lines;
}

} // namespace

class TestMqttPublish : public QObject
{
    Q_OBJECT

    std::unique_ptr<MosquittoBroker> m_broker;

    bool brokerUp(const QByteArray &extra = {})
    {
        m_broker = std::make_unique<MosquittoBroker>(extra);
        return m_broker->start();
    }

private slots:
    void initTestCase()
    {
        if (MosquittoBroker::program().isEmpty())
            QSKIP("the mosquitto broker is not installed (Debian package \"mosquitto\"): MQTT tests skipped");
    }
    void init() { QVERIFY2(brokerUp(), qPrintable(m_broker->log())); }
    void cleanup() { m_broker.reset(); }

    // A report goes out as its JSON line plus site and reader, and comes back as the same report.
    void reportsPublishedAndReceivedAsTheirJsonLines()
    {
        PublishSettings in = settingsFor(*m_broker, QString());
        in.prefix = QStringLiteral("talvo/+");
        MqttReadingLinks links(in);
        QSignalSpy received(&links, &MqttReadingLinks::reportReceived);
        links.open();
        QTRY_VERIFY_WITH_TIMEOUT(links.isConnected(), kWaitMs);
        Recorder raw(*m_broker, "talvo/Hall 1/#");
        QTRY_VERIFY_WITH_TIMEOUT(raw.client->isConnected(), kWaitMs);

        ReportPublisher publisher(settingsFor(*m_broker, QStringLiteral("Hall 1")));
        QVERIFY(publisher.start());
        QTRY_VERIFY_WITH_TIMEOUT(raw.latest.contains("talvo/Hall 1/status"), kWaitMs);
        QCOMPARE(raw.latest.value("talvo/Hall 1/status"),
                 QByteArray(R"({"site":"Hall 1","state":"online"})"));

        const QList<TTagReport> reports = everyKind();
        for (const TTagReport &r : reports)
            publisher.publishReport(r, QStringLiteral("COM03"));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), reports.size(), kWaitMs);

        const QList<QByteArray> lines = jsonLines(reports, QStringLiteral("COM03"));
        QList<QByteArray> payloads;
        for (const auto &[topic, payload] : std::as_const(raw.messages)) {
            if (topic == "talvo/Hall 1/reports/COM03")
                payloads.append(payload);
        }
        QCOMPARE(payloads.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(payloads[i], QByteArray(lines[i].chopped(1) + R"(,"site":"Hall 1","reader":"COM03"})"));
            const auto args = received[i];
            QCOMPARE(args[1].toString(), QStringLiteral("Hall 1/COM03"));
            QCOMPARE(ReportJson::object(args[0].value<TTagReport>(), QStringLiteral("COM03")), lines[i]);
        }
        QCOMPARE(publisher.sentReports(), quint64(reports.size()));
        QCOMPARE(links.badMessages(), quint64(0));
    }

    // Reader states and problems stay on the broker; a publisher that vanishes leaves "offline" there
    // (the last will), one that closes says so itself.
    void retainedStatusAndLastWill()
    {
        auto publisher = std::make_unique<ReportPublisher>(settingsFor(*m_broker, QStringLiteral("S2")));
        QSignalSpy connected(publisher.get(), &ReportPublisher::connected);
        publisher->publishReaderState(QStringLiteral("COM01"), true); // before the start: kept for later
        QVERIFY(publisher->start());
        QVERIFY(connected.wait(kWaitMs));
        publisher->publishReaderState(QStringLiteral("192.168.1.101"), true);
        publisher->publishReaderState(QStringLiteral("192.168.1.101"), false);
        publisher->publishProblem(QStringLiteral("COM02 cannot be opened"));
        // Round trip through the broker before the publisher goes.
        Recorder probe(*m_broker, "talvo/S2/status/problem");
        QTRY_VERIFY_WITH_TIMEOUT(probe.latest.contains("talvo/S2/status/problem"), kWaitMs);
        publisher.reset(); // no goodbye: the broker sends the will

        Recorder late(*m_broker, "talvo/S2/#");
        QTRY_COMPARE_WITH_TIMEOUT(late.latest.value("talvo/S2/status"),
                                  QByteArray(R"({"site":"S2","state":"offline"})"), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(late.latest.size(), 4, kWaitMs);
        QCOMPARE(late.latest.value("talvo/S2/status/readers/COM01"),
                 QByteArray(R"({"site":"S2","reader":"COM01","state":"connected"})"));
        QCOMPARE(late.latest.value("talvo/S2/status/readers/192.168.1.101"),
                 QByteArray(R"({"site":"S2","reader":"192.168.1.101","state":"disconnected"})"));
        QCOMPARE(late.latest.value("talvo/S2/status/problem"),
                 QByteArray(R"({"site":"S2","problem":"COM02 cannot be opened"})"));

        // Back online, then a clean close: "offline" comes from the publisher itself.
        ReportPublisher again(settingsFor(*m_broker, QStringLiteral("S2")));
        QVERIFY(again.start());
        QTRY_COMPARE_WITH_TIMEOUT(late.latest.value("talvo/S2/status"),
                                  QByteArray(R"({"site":"S2","state":"online"})"), kWaitMs);
        QSignalSpy closed(&again, &ReportPublisher::closed);
        again.close();
        QVERIFY(closed.wait(kWaitMs));
        QTRY_COMPARE_WITH_TIMEOUT(late.latest.value("talvo/S2/status"),
                                  QByteArray(R"({"site":"S2","state":"offline"})"), kWaitMs);
    }

    // The broker goes away mid-run: reports queue up to the capacity, the rest are dropped and
    // counted, and the count is published once the broker is back.
    void brokerRestartPublishesTheDropCount()
    {
        PublishSettings s = settingsFor(*m_broker, QStringLiteral("S3"));
        s.queueCapacity = 5;
        ReportPublisher publisher(s);
        QSignalSpy problems(&publisher, &ReportPublisher::problem);
        QSignalSpy disconnected(&publisher, &ReportPublisher::disconnected);
        QVERIFY(publisher.start());
        QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), kWaitMs);

        QVERIFY(m_broker->stop());
        QVERIFY(disconnected.wait(kWaitMs));
        for (int i = 1; i <= 20; ++i)
            publisher.publishReport(ReportLines::report(QString::number(i).rightJustified(16, '0')),
                                    QStringLiteral("COM01"));
        QCOMPARE(publisher.queuedReports(), 5);
        QCOMPARE(publisher.droppedReports(), quint64(15));
        auto kinds = [&problems] {
            QList<MqttProblem::Kind> k;
            for (const auto &args : std::as_const(problems))
                k.append(args[0].value<MqttProblem>().kind);
            return k;
        };
        QVERIFY(kinds().contains(MqttProblem::Kind::ConnectionLost));
        QCOMPARE(kinds().count(MqttProblem::Kind::ReportsDropped), 1); // once per outage, not per report

        QVERIFY2(m_broker->restart(), qPrintable(m_broker->log()));
        QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(publisher.sentReports(), quint64(5), kWaitMs);
        QCOMPARE(kinds().count(MqttProblem::Kind::ReportsDropped), 2); // and the count when it is back
        Recorder late(*m_broker, "talvo/S3/status/dropped");
        QTRY_COMPARE_WITH_TIMEOUT(late.latest.value("talvo/S3/status/dropped"),
                                  QByteArray(R"({"site":"S3","dropped":15,"total":15})"), kWaitMs);
    }

    // A full queue is said once while it stays full: the report that comes as the broker returns (the
    // backlog still going out) is the same outage. Once it has drained, a new outage says it again.
    void queueFullIsSaidOncePerFilling()
    {
        constexpr int kCapacity = 20000;
        PublishSettings s = settingsFor(*m_broker, QStringLiteral("S7"), 1);
        s.queueCapacity = kCapacity;
        ReportPublisher publisher(s);
        int fullSaid = 0;
        int n = 0;
        auto publish = [&](int count) {
            for (int i = 0; i < count; ++i, ++n)
                publisher.publishReport(ReportLines::report(QString::number(n + 1).rightJustified(16, '0')),
                                        QStringLiteral("COM03"));
        };
        connect(&publisher, &ReportPublisher::problem, this, [&](const MqttProblem &p) {
            if (p.kind != MqttProblem::Kind::ReportsDropped)
                return;
            if (p.details.contains(QLatin1String("is full")))
                ++fullSaid;
            else
                publish(1); // the broker is back and the backlog has only begun to go out
        });
        QSignalSpy disconnected(&publisher, &ReportPublisher::disconnected);
        QVERIFY(publisher.start());
        QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), kWaitMs);

        for (int outage = 1; outage <= 2; ++outage) {
            QVERIFY(m_broker->stop());
            QVERIFY(disconnected.wait(kWaitMs));
            publish(kCapacity + 1);
            QCOMPARE(fullSaid, outage);
            QVERIFY2(m_broker->restart(), qPrintable(m_broker->log()));
            QTRY_COMPARE_WITH_TIMEOUT(publisher.queuedReports(), 0, kWaitMs);
            QCOMPARE(fullSaid, outage);
        }
    }

    // QoS 1 through a broker restart: every report arrives (duplicates allowed, losses not).
    void qos1LosesNothingAcrossABrokerRestart()
    {
        PublishSettings in = settingsFor(*m_broker, QStringLiteral("S4"), 1);
        in.clientId = QStringLiteral("talvo-test-subscriber");
        MqttReadingLinks links(in);
        QSet<QString> uids;
        connect(&links, &MqttReadingLinks::reportReceived, this,
                [&uids](const TTagReport &r, const QString &) { uids.insert(r.uid); });
        links.open();
        QTRY_VERIFY_WITH_TIMEOUT(links.isConnected(), kWaitMs);

        ReportPublisher publisher(settingsFor(*m_broker, QStringLiteral("S4"), 1));
        QVERIFY(publisher.start());
        QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), kWaitMs);
        int n = 0;
        auto publish = [&](int count) {
            for (int i = 0; i < count; ++i, ++n)
                publisher.publishReport(ReportLines::report(QString::number(n + 1).rightJustified(16, '0')),
                                        QStringLiteral("COM01"));
        };
        publish(2000);
        // Once what was handed over is acknowledged the broker restarts; the reports that come while
        // it is away partly go to a dead connection (the library sends them again) and partly wait in
        // the queue. The subscriber's session and backlog are kept in the broker's store.
        QTRY_VERIFY_WITH_TIMEOUT(publisher.sentReports() >= 2000, kWaitMs);
        QVERIFY(m_broker->stop());
        publish(300);
        QVERIFY2(m_broker->restart(), qPrintable(m_broker->log()));
        publish(300);
        QTRY_COMPARE_WITH_TIMEOUT(uids.size(), n, 30000);
        QCOMPARE(publisher.droppedReports(), quint64(0));
        QTRY_COMPARE_WITH_TIMEOUT(publisher.queuedReports(), 0, kWaitMs);
    }

    // Reader lines -> decoder -> tables -> publisher -> broker -> subscriber source -> tables: the
    // far tables hold what the near ones hold.
    void subscriberFeedsTheTablesLikeAReader()
    {
        QTemporaryDir dir;
        const QString replayPath = dir.filePath(QStringLiteral("replay.txt"));
        QFile replay(replayPath);
        QVERIFY(replay.open(QIODevice::WriteOnly));
        for (int i = 0; i < 300; ++i)
            replay.write(ReportLines::line(1000 + i % 37, i % 3 ? "FE" : "0E", i % 2 ? "0320" : ""));
        replay.write("0000000000000000"
                     "50A3FF\r"); // dropped by the UID check at the source
        replay.close();

        FakeClock clock;
        RecordingTonePlayer tones;
        TagTables nearTables(clock, tones);
        TagTables farTables(clock, tones);
        nearTables.startSession();
        farTables.startSession();

        PublishSettings in = settingsFor(*m_broker, QStringLiteral("Yard"), 1);
        MqttReadingLinks farLinks(in);
        ReadingSession farSession;
        connect(&farLinks, &MqttReadingLinks::reportReceived, &farTables, &TagTables::applyReport);
        QSignalSpy farLog(&farSession, &ReadingSession::logLine);
        farSession.start(&farLinks);
        QTRY_VERIFY_WITH_TIMEOUT(farLinks.isConnected(), kWaitMs);

        ReportPublisher publisher(settingsFor(*m_broker, QStringLiteral("Yard"), 1));
        QVERIFY(publisher.start());
        QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), kWaitMs);
        ReplayReadingLinks nearLinks(replayPath, QStringLiteral("COM07"));
        ReadingSession nearSession;
        ReportDecoder decoder;
        connect(&nearSession, &ReadingSession::frameReady, &decoder, &ReportDecoder::decodeReport);
        connect(&decoder, &ReportDecoder::reportDecoded, &nearTables, &TagTables::applyReport);
        connect(&nearTables, &TagTables::reportEntered, &publisher, &ReportPublisher::publishReport);
        nearSession.start(&nearLinks);

        QTRY_COMPARE_WITH_TIMEOUT(farTables.totalReportCount(), quint64(300), kWaitMs);
        QCOMPARE(nearTables.totalReportCount(), quint64(300));
        TagTableModel *nearAll = nearTables.allTags();
        TagTableModel *farAll = farTables.allTags();
        QCOMPARE(farAll->rowCount(), nearAll->rowCount());
        for (int row = 0; row < nearAll->rowCount(); ++row) {
            for (int column = 0; column < 8; ++column)
                QCOMPARE(farAll->cellText(row, column), nearAll->cellText(row, column));
        }
        bool named = false;
        for (const auto &args : std::as_const(farLog))
            named = named || args[0].toString() == QLatin1String("Reader:Yard/COM07");
        QVERIFY(named);

        QSignalSpy ended(&farSession, &ReadingSession::ended);
        farSession.stop();
        QVERIFY(ended.wait(kWaitMs));
    }

    // A flood that the session's thread does not take as fast as it comes waits at the broker: the
    // network thread stops reading once a bounded number of messages wait, and nothing is lost.
    void aFloodWaitsAtTheBrokerNotInMemory()
    {
        QVERIFY2(brokerUp("max_queued_messages 0"), qPrintable(m_broker->log()));
        MqttReadingLinks links(settingsFor(*m_broker, QStringLiteral("F"), 1));
        int received = 0;
        int waitingWhenHeld = -1;
        connect(&links, &MqttReadingLinks::reportReceived, this, [&] {
            if (received++ > 0)
                return;
            // The session's thread is busy: the network thread must stop at the bound. A hold-back
            // from before this hand-over does not count: the hand-over emptied the waiting room.
            const quint64 heldBefore = links.client()->timesHeldBack();
            QElapsedTimer busy;
            busy.start();
            while (links.client()->timesHeldBack() == heldBefore && busy.elapsed() < kWaitMs)
                QThread::yieldCurrentThread();
            waitingWhenHeld = links.client()->waitingMessages();
        });
        links.open();
        QTRY_VERIFY_WITH_TIMEOUT(links.isConnected(), kWaitMs);
        Recorder peer(*m_broker, "nothing/here", 1);
        QTRY_VERIFY_WITH_TIMEOUT(peer.client->isConnected(), kWaitMs);
        constexpr int kFlood = 3 * MqttReadingLinks::kMaxWaitingMessages;
        for (int i = 0; i < kFlood; ++i) {
            const TTagReport r = ReportLines::report(QString::number(i + 1).rightJustified(16, '0'));
            QVERIFY(peer.client->publish("talvo/F/reports/COM01", ReportJson::published(r, "COM01", "F"), 1,
                                         false) >= 0);
        }
        QTRY_COMPARE_WITH_TIMEOUT(received, kFlood, kWaitMs);
        QVERIFY(links.client()->timesHeldBack() > 0);
        QVERIFY(waitingWhenHeld > 0 && waitingWhenHeld <= MqttReadingLinks::kMaxWaitingMessages);
    }

    // Messages on the report topics that are not reports are counted and named, never taken.
    void badMessagesAreCountedNotTaken()
    {
        PublishSettings in = settingsFor(*m_broker, QStringLiteral("S6"));
        MqttReadingLinks links(in);
        QSignalSpy received(&links, &MqttReadingLinks::reportReceived);
        QSignalSpy problems(&links, &ReadingLinks::problem);
        links.open();
        QTRY_VERIFY_WITH_TIMEOUT(links.isConnected(), kWaitMs);

        Recorder peer(*m_broker, "nothing/here");
        QTRY_VERIFY_WITH_TIMEOUT(peer.client->isConnected(), kWaitMs);
        const QByteArray topic = "talvo/S6/reports/COM01";
        const QByteArray good = ReportJson::published(ReportLines::report(QStringLiteral("0000000000001234")),
                                                      QStringLiteral("COM01"), QStringLiteral("S6"));
        for (const QByteArray &payload :
             {QByteArray("not json"), QByteArray("{\"uid\":1}"), QByteArray("[]"),
              QByteArray(1024 * 1024, '{'), QByteArray(good).replace("80", "-1"), good})
            QVERIFY(peer.client->publish(topic, payload, 0, false) >= 0);
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, kWaitMs);
        QCOMPARE(links.badMessages(), quint64(5));
        QCOMPARE(received[0][1].toString(), QStringLiteral("S6/COM01"));
        QVERIFY(!problems.isEmpty());
        const QString said = problems[0][0].value<Problem>().englishText();
        QVERIFY2(said.contains(QLatin1String("talvo/S6/reports/COM01: not JSON (1 so far)")),
                 qPrintable(said));
    }

    // Settings that cannot work are reported at the start; brokers that cannot be had are reported
    // and the publisher keeps taking reports (queued) without waiting.
    void unusableSettingsAndBrokers()
    {
        PublishSettings s = settingsFor(*m_broker, QStringLiteral("S7"));
        for (const char *url : {"mqtt//127.0.0.1", "tcp://127.0.0.1:1883", "mqtt://127.0.0.1:0"}) {
            s.url = QLatin1String(url);
            ReportPublisher publisher(s);
            QSignalSpy problems(&publisher, &ReportPublisher::problem);
            QVERIFY(!publisher.start());
            QCOMPARE(problems.size(), 1);
            QCOMPARE(problems[0][0].value<MqttProblem>().kind, MqttProblem::Kind::BadSettings);
            publisher.publishReport(ReportLines::report(QStringLiteral("0000000000001234")),
                                    QStringLiteral("X"));
        }
        s = settingsFor(*m_broker, QStringLiteral("S7"));
        s.caFile = QStringLiteral("/nonexistent/ca.pem");
        ReportPublisher noCa(s);
        QSignalSpy caProblems(&noCa, &ReportPublisher::problem);
        QVERIFY(!noCa.start());
        QVERIFY(caProblems[0][0].value<MqttProblem>().text().contains(QLatin1String("/nonexistent/ca.pem")));
    }

    void brokerThatRefusesOrIsSilentOrAbsent()
    {
        // Refused: the broker wants a user name.
        MosquittoBroker strict("allow_anonymous false");
        QVERIFY2(strict.start(), qPrintable(strict.log()));
        PublishSettings s = settingsFor(strict, QStringLiteral("S8"));
        s.user = QStringLiteral("nobody");
        s.password = QStringLiteral("wrong");
        ReportPublisher refused(s);
        QSignalSpy refusedProblems(&refused, &ReportPublisher::problem);
        QVERIFY(refused.start());
        QVERIFY(refusedProblems.wait(kWaitMs));
        QCOMPARE(refusedProblems[0][0].value<MqttProblem>().kind, MqttProblem::Kind::Refused);

        // Silent: something takes the connection and never answers.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        s = settingsFor(*m_broker, QStringLiteral("S8"));
        s.url = QStringLiteral("mqtt://127.0.0.1:%1").arg(silent.serverPort());
        s.connectTimeoutMs = 300;
        ReportPublisher unanswered(s);
        QSignalSpy silentProblems(&unanswered, &ReportPublisher::problem);
        QVERIFY(unanswered.start());
        QTRY_VERIFY_WITH_TIMEOUT(!silentProblems.isEmpty(), kWaitMs);
        QCOMPARE(silentProblems[0][0].value<MqttProblem>().kind, MqttProblem::Kind::NoAnswer);

        // Absent: nothing listens; reports wait in the queue, the call returns at once.
        const quint16 port = silent.serverPort();
        silent.close();
        s.url = QStringLiteral("mqtt://127.0.0.1:%1").arg(port);
        ReportPublisher absent(s);
        QSignalSpy absentProblems(&absent, &ReportPublisher::problem);
        QVERIFY(absent.start());
        QTRY_VERIFY_WITH_TIMEOUT(!absentProblems.isEmpty(), kWaitMs);
        QCOMPARE(absentProblems[0][0].value<MqttProblem>().kind, MqttProblem::Kind::Unreachable);
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 1000; ++i)
            absent.publishReport(ReportLines::report(QStringLiteral("0000000000001234")),
                                 QStringLiteral("X"));
        QVERIFY(t.elapsed() < 1000);
        QCOMPARE(absent.queuedReports(), 1000);
        QSignalSpy closed(&absent, &ReportPublisher::closed);
        absent.close(); // the flush time passes, the queue is counted as dropped
        QVERIFY(closed.wait(kWaitMs));
        QCOMPARE(absent.droppedReports(), quint64(1000));
    }
};

QTEST_GUILESS_MAIN(TestMqttPublish)
#include "tst_mqtt_publish.moc"
