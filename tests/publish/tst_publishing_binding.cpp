#include "FakeClock.h"
#include "MosquittoBroker.h"
#include "RecordingTonePlayer.h"
#include "ReportLines.h"
#include "link/ReplayReadingLinks.h"
#include "publish/MqttClient.h"
#include "publish/MqttReading.h"
#include "publish/PublishingBinding.h"
#include "publish/ReportPublisher.h"
#include "reading/ReadingPipeline.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kWaitMs = 15000;

PublishSettings settingsFor(const QString &url, const QString &site, int qos = 0)
{
    PublishSettings s;
    s.url = url;
    s.site = site;
    s.qos = qos;
    s.reconnectFirstMs = 50;
    s.reconnectMaxMs = 400;
    s.connectTimeoutMs = 3000;
    s.flushTimeoutMs = 2000;
    return s;
}

// Keeps the latest message of every topic under `filter`.
struct Latest
{
    Latest(const QString &url, const QByteArray &filter)
    {
        MqttClientOptions o;
        QString why;
        o.broker = *BrokerAddress::parse(url, &why);
        o.clientId = QStringLiteral("latest-") + QString::number(quintptr(this), 16);
        o.subscriptions = {filter};
        client = std::make_unique<MqttClient>(o);
        QObject::connect(client.get(), &MqttClient::messageReceived, client.get(),
                         [this](const QByteArray &t, const QByteArray &p) { latest.insert(t, p); });
        client->start();
    }
    QHash<QByteArray, QByteArray> latest;
    std::unique_ptr<MqttClient> client;
};

QString writeReplay(const QTemporaryDir &dir, int lines)
{
    const QString path = dir.filePath(QStringLiteral("replay.txt"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    for (int i = 0; i < lines; ++i)
        f.write(ReportLines::line(2000 + i % 23, i % 3 ? "FE" : "0E", i % 4 ? "0320" : ""));
    return path;
}

} // namespace

// A reading pipeline tied to a broker: what one pipeline reads and publishes, another reads back
// through the same tables.
class TestPublishingBinding : public QObject
{
    Q_OBJECT

    std::unique_ptr<MosquittoBroker> m_broker;
    FakeClock m_clock;
    RecordingTonePlayer m_tones;

private slots:
    void initTestCase()
    {
        if (MosquittoBroker::program().isEmpty())
            QSKIP("the mosquitto broker is not installed (Debian package \"mosquitto\"): MQTT tests skipped");
    }
    void init()
    {
        m_broker = std::make_unique<MosquittoBroker>();
        QVERIFY2(m_broker->start(), qPrintable(m_broker->log()));
    }
    void cleanup() { m_broker.reset(); }

    // Near pipeline -> binding -> broker -> MqttReading -> far pipeline: the far all-tags table
    // holds what the near one holds, under "SITE/READER"; the far type switches apply; the reader's
    // coming and going is on the broker.
    void farPipelineReadsWhatTheNearOnePublishes()
    {
        QTemporaryDir dir;
        const QString replay = writeReplay(dir, 200);
        ReadingPipeline far(m_clock, m_tones);
        far.tables().startSession();
        auto farLinks = MqttReading::makeLinks(far, settingsFor(m_broker->url(), QStringLiteral("Dock"), 1));
        MqttReadingLinks *farRaw = farLinks.get();
        far.start(std::move(farLinks));
        QTRY_VERIFY_WITH_TIMEOUT(farRaw->isConnected(), kWaitMs);
        Latest status(m_broker->url(), "talvo/Dock/status/#");
        QTRY_VERIFY_WITH_TIMEOUT(status.client->isConnected(), kWaitMs);

        ReadingPipeline near(m_clock, m_tones);
        near.tables().startSession();
        PublishingBinding binding(near, settingsFor(m_broker->url(), QStringLiteral("Dock"), 1));
        QSignalSpy connected(&binding, &PublishingBinding::connected);
        QVERIFY(binding.start());
        QVERIFY(connected.wait(kWaitMs));
        QSignalSpy nearEnded(&near, &ReadingPipeline::ended);
        near.start(std::make_unique<ReplayReadingLinks>(replay, QStringLiteral("COM07")));

        QTRY_COMPARE_WITH_TIMEOUT(far.tables().totalReportCount(), quint64(200), kWaitMs);
        QCOMPARE(near.tables().totalReportCount(), quint64(200));
        TagTableModel *nearAll = near.tables().allTags();
        TagTableModel *farAll = far.tables().allTags();
        QCOMPARE(farAll->rowCount(), nearAll->rowCount());
        for (int row = 0; row < nearAll->rowCount(); ++row)
            for (int column = 0; column < 8; ++column)
                QCOMPARE(farAll->cellText(row, column), nearAll->cellText(row, column));
        QTRY_COMPARE_WITH_TIMEOUT(status.latest.value("talvo/Dock/status/readers/COM07"),
                                  QByteArray(R"({"site":"Dock","reader":"COM07","state":"connected"})"),
                                  kWaitMs);

        // Switched-off types are not taken from the broker either.
        ReportTypeSwitches noOneTemperature;
        noOneTemperature.oneTemperature = false;
        far.decoder().setTypeSwitches(noOneTemperature);
        const quint64 before = far.tables().totalReportCount();
        near.stop();
        QTRY_COMPARE_WITH_TIMEOUT(nearEnded.size(), 1, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(status.latest.value("talvo/Dock/status/readers/COM07"),
                                  QByteArray(R"({"site":"Dock","reader":"COM07","state":"disconnected"})"),
                                  kWaitMs);
        QSignalSpy farEntered(&far.tables(), &TagTables::reportEntered);
        near.enterReport(ReportLines::report(QStringLiteral("0000000000009999")), QStringLiteral("COM07"));
        TTagReport oneTemperature = ReportLines::report(QStringLiteral("0000000000009998"));
        oneTemperature.kind = ReportKind::OneTemperature;
        near.enterReport(oneTemperature, QStringLiteral("COM07"));
        QTRY_COMPARE_WITH_TIMEOUT(far.tables().totalReportCount(), before + 1, kWaitMs);
        QCOMPARE(farEntered.size(), 1);
        QCOMPARE(farEntered[0][0].value<TTagReport>().uid, QStringLiteral("0000000000009999"));
        QCOMPARE(farEntered[0][1].toString(), QStringLiteral("Dock/COM07"));

        QSignalSpy closed(&binding, &PublishingBinding::closed);
        binding.close();
        QVERIFY(closed.wait(kWaitMs));
        QTRY_COMPARE_WITH_TIMEOUT(status.latest.value("talvo/Dock/status"),
                                  QByteArray(R"({"site":"Dock","state":"offline"})"), kWaitMs);
        QSignalSpy farEnded(&far, &ReadingPipeline::ended);
        far.stop();
        QTRY_COMPARE_WITH_TIMEOUT(farEnded.size(), 1, kWaitMs);
    }

    // The pipeline's problems go to the status topic in English, once per reason.
    void problemsArePublishedOncePerReason()
    {
        ReadingPipeline pipeline(m_clock, m_tones);
        PublishingBinding binding(pipeline, settingsFor(m_broker->url(), QStringLiteral("P")));
        QVERIFY(binding.start());
        QTRY_VERIFY_WITH_TIMEOUT(binding.publisher().isConnected(), kWaitMs);
        Latest status(m_broker->url(), "talvo/P/status/problem");
        QTRY_VERIFY_WITH_TIMEOUT(status.client->isConnected(), kWaitMs);
        QSignalSpy recorded(status.client.get(), &MqttClient::messageReceived);
        for (int n = 1; n <= 50; ++n)
            emit pipeline.problem({Problem::Severity::Error,
                                   Problem::Kind::CsvLinesNotWritten,
                                   QStringLiteral("%1 CSV line(s) not written: %2"),
                                   {QString::number(n), QStringLiteral("disk full")}});
        emit pipeline.problem(Problem::message(QStringLiteral("COM09 cannot be opened")));
        QTRY_COMPARE_WITH_TIMEOUT(status.latest.value("talvo/P/status/problem"),
                                  QByteArray(R"({"site":"P","problem":"COM09 cannot be opened"})"), kWaitMs);
        QCOMPARE(recorded.size(), 2);
        QCOMPARE(recorded[0][1].toByteArray(),
                 QByteArray(R"({"site":"P","problem":"1 CSV line(s) not written: disk full"})"));
    }

    // Closing always ends: with the broker gone, closed() still comes once the flush time is over,
    // and the unsent reports are counted.
    void closeEndsWithoutABroker()
    {
        ReadingPipeline pipeline(m_clock, m_tones);
        pipeline.tables().startSession();
        PublishSettings s = settingsFor(m_broker->url(), QStringLiteral("Q"));
        s.flushTimeoutMs = 300;
        PublishingBinding binding(pipeline, s);
        QVERIFY(binding.start());
        QTRY_VERIFY_WITH_TIMEOUT(binding.publisher().isConnected(), kWaitMs);
        m_broker->kill();
        QTRY_VERIFY_WITH_TIMEOUT(!binding.publisher().isConnected(), kWaitMs);
        for (int i = 0; i < 10; ++i)
            pipeline.enterReport(ReportLines::report(QString::number(i + 1).rightJustified(16, '0')),
                                 QStringLiteral("COM01"));
        QSignalSpy closed(&binding, &PublishingBinding::closed);
        QElapsedTimer t;
        t.start();
        binding.close();
        QVERIFY(closed.wait(kWaitMs));
        QVERIFY(t.elapsed() < 300 + 2500);
        QCOMPARE(binding.publisher().droppedReports(), quint64(10));
        QVERIFY(binding.isClosed());
    }

    // Settings that cannot work: start() says so, close() still ends.
    void unusableSettings()
    {
        ReadingPipeline pipeline(m_clock, m_tones);
        PublishingBinding binding(pipeline, settingsFor(QStringLiteral("http://x"), QStringLiteral("R")));
        QSignalSpy problems(&binding, &PublishingBinding::problem);
        QVERIFY(!binding.start());
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems[0][0].value<MqttProblem>().kind, MqttProblem::Kind::BadSettings);
        QSignalSpy closed(&binding, &PublishingBinding::closed);
        binding.close();
        QVERIFY(closed.wait(kWaitMs));
    }
};

QTEST_GUILESS_MAIN(TestPublishingBinding)
#include "tst_publishing_binding.moc"
