#include "../publish/MosquittoBroker.h"
#include "ReportLines.h"
#include "WindowControls.h"
#include "app/ChartView.h"
#include "app/CoverageView.h"
#include "app/DemoReader.h"
#include "app/ReadTagPublishing.h"
#include "app/SignalViews.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "link/DemoReplayLinks.h"
#include "publish/MqttClient.h"
#include "publish/ReportPublisher.h"
#include "reading/ReportDecoder.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

// The "Publish" group and the "MQTT" link page of "Read TAG": their settings, their texts, what a bad
// setting does to a session, and reports going to and coming from a real broker.
namespace {
constexpr int kWaitMs = 15000;

// Types into a box as a user does and leaves it (the value is stored then).
void type(QWidget *w, const char *name, const QString &text)
{
    auto *edit = control<QLineEdit>(w, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Short broker times, so that a test never waits for the real ones.
PublishSettings shortTimes()
{
    PublishSettings s;
    s.reconnectFirstMs = 50;
    s.reconnectMaxMs = 400;
    s.connectTimeoutMs = 3000;
    s.flushTimeoutMs = 3000;
    return s;
}

const QByteArray kRecording = "0000000000001234"
                              "50A3FF\r"
                              "0000000000005678"
                              "60B4FE0320\r";

// A subscriber that keeps every message it hears.
struct Recorder
{
    Recorder(const MosquittoBroker &broker, const QByteArray &topic)
    {
        MqttClientOptions o;
        QString why;
        o.broker = *BrokerAddress::parse(broker.url(), &why);
        o.clientId = QStringLiteral("window-recorder");
        o.subscriptions = {topic};
        o.reconnectFirstMs = 50;
        o.reconnectMaxMs = 400;
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
} // namespace

class TestPublishWindow : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    SilentTonePlayer m_tone;
    int m_files = 0;

    QString freshIni() { return m_dir.filePath(QStringLiteral("publish%1.ini").arg(++m_files)); }
    QString selectionFile() const { return m_dir.filePath(QStringLiteral("sel.csv")); }

    // A broker on a free loopback port; nullptr where the program is not installed. `started` says
    // whether it runs (its log says why not).
    static std::unique_ptr<MosquittoBroker> startBroker(bool *started)
    {
        *started = false;
        if (MosquittoBroker::program().isEmpty())
            return nullptr;
        auto broker = std::make_unique<MosquittoBroker>();
        *started = broker->start();
        return broker;
    }

    // The recorded reports again and again, `linesPerTick` lines every 5 ms.
    static void replay(TfrmModule &w, int linesPerTick = 2)
    {
        w.reading()->setLinksFactory([linesPerTick](const LinkRequest &) {
            return std::make_unique<DemoReplayLinks>(kRecording, linesPerTick, 5);
        });
    }

private slots:
    void init() { QFile::remove(selectionFile()); }

    // The group's values and the "MQTT" page's are stored under their own names when edited and
    // come back in the next window; the group folds out and back.
    void settingsRoundTrip()
    {
        const QString path = freshIni();
        {
            SettingsStore store(path);
            TfrmModule w(&store, &m_tone, selectionFile());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(control<QGroupBox>(&w, "grpPublish")->isVisible());
            QVERIFY(!control<QLineEdit>(&w, "edtMqttUrl")->isVisible());
            control<QToolButton>(&w, "btnMqttDetails")->click();
            QVERIFY(control<QLineEdit>(&w, "edtMqttUrl")->isVisible());
            control<QCheckBox>(&w, "chkPublish")->click();
            type(&w, "edtMqttUrl", "mqtts://127.0.0.1:8883");
            type(&w, "edtMqttPrefix", "plant/a");
            type(&w, "edtMqttSite", "Hall 2");
            type(&w, "edtMqttUser", "edge");
            type(&w, "edtMqttPasswordFile", "/etc/talvo/pw");
            type(&w, "edtMqttCaFile", "/etc/talvo/ca.pem");
            auto *qos = control<QComboBox>(&w, "cmbMqttQos");
            QCOMPARE(qos->count(), 2);
            qos->setCurrentIndex(1);
            emit qos->activated(1);
            control<QTabWidget>(&w, "pcTagMain")->setCurrentWidget(control<QWidget>(&w, "tsMQTT"));
            type(&w, "edtMqttInUrl", "mqtt://127.0.0.1:1883");
            type(&w, "edtMqttInPrefix", "talvo/+");
            control<QToolButton>(&w, "btnMqttDetails")->click();
            QVERIFY(!control<QLineEdit>(&w, "edtMqttUrl")->isVisible());
            w.close();
        }
        QSettings raw(path, QSettings::IniFormat);
        QCOMPARE(raw.value("MqttPublish").toInt(), 1);
        QCOMPARE(raw.value("MqttUrl").toString(), QStringLiteral("mqtts://127.0.0.1:8883"));
        QCOMPARE(raw.value("MqttQos").toInt(), 1);
        QCOMPARE(raw.value("MqttInPrefix").toString(), QStringLiteral("talvo/+"));
        // The "MQTT" page is stored as a page of its own; the four others keep their values.
        QCOMPARE(raw.value("PAGE").toInt(), 4);

        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        QCOMPARE(w.linkKind(), LinkKind::Mqtt);
        QVERIFY(control<QCheckBox>(&w, "chkPublish")->isChecked());
        QCOMPARE(control<QLineEdit>(&w, "edtMqttPrefix")->text(), QStringLiteral("plant/a"));
        QCOMPARE(control<QLineEdit>(&w, "edtMqttSite")->text(), QStringLiteral("Hall 2"));
        QCOMPARE(control<QLineEdit>(&w, "edtMqttUser")->text(), QStringLiteral("edge"));
        QCOMPARE(control<QLineEdit>(&w, "edtMqttPasswordFile")->text(), QStringLiteral("/etc/talvo/pw"));
        QCOMPARE(control<QLineEdit>(&w, "edtMqttCaFile")->text(), QStringLiteral("/etc/talvo/ca.pem"));
        QCOMPARE(control<QComboBox>(&w, "cmbMqttQos")->currentIndex(), 1);
        QCOMPARE(control<QLineEdit>(&w, "edtMqttInUrl")->text(), QStringLiteral("mqtt://127.0.0.1:1883"));
    }

    // The "MQTT" page has no configuration page; it stays in front across a visit to "Set Reader"
    // unless another configuration page is chosen there.
    void mqttPageHasNoConfigurationPage()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        auto *setReaderPages = control<QTabWidget>(&w, "pcSetReadMain");
        QCOMPARE(setReaderPages->count(), 4);
        auto *pages = control<QTabWidget>(&w, "pcTagMain");
        QCOMPARE(pages->count(), 5);
        pages->setCurrentWidget(control<QWidget>(&w, "tsMQTT"));
        auto *main = control<QTabWidget>(&w, "pcMain");
        main->setCurrentWidget(control<QWidget>(&w, "tsSetReader"));
        main->setCurrentWidget(control<QWidget>(&w, "tsReadTag"));
        QCOMPARE(w.linkKind(), LinkKind::Mqtt);
        main->setCurrentWidget(control<QWidget>(&w, "tsSetReader"));
        setReaderPages->setCurrentWidget(control<QWidget>(&w, "tsUdpServer"));
        main->setCurrentWidget(control<QWidget>(&w, "tsReadTag"));
        QCOMPARE(w.linkKind(), LinkKind::Udp);
    }

    void textsFollowTheLanguage()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        auto *state = control<QLabel>(&w, "lblPublishState");
        QCOMPARE(state->text(), QStringLiteral("Not publishing"));
        control<QPushButton>(&w, "btnCHT")->click();
        QCOMPARE(control<QGroupBox>(&w, "grpPublish")->title(), QStringLiteral("發佈"));
        QCOMPARE(control<QCheckBox>(&w, "chkPublish")->text(), QStringLiteral("發佈讀取資料"));
        QCOMPARE(control<QLabel>(&w, "lblMqttUrl")->text(), QStringLiteral("伺服器網址:"));
        QCOMPARE(control<QLabel>(&w, "lblMqttInUrl")->text(), QStringLiteral("伺服器網址:"));
        QCOMPARE(state->text(), QStringLiteral("未發佈"));
        control<QPushButton>(&w, "btnCHS")->click();
        QCOMPARE(control<QLabel>(&w, "lblMqttPasswordFile")->text(), QStringLiteral("密码文件:"));
        QCOMPARE(state->text(), QStringLiteral("未发布"));
        control<QPushButton>(&w, "btnEng")->click();
        QCOMPARE(control<QCheckBox>(&w, "chkPublish")->text(), QStringLiteral("Publish reports"));
        QCOMPARE(state->text(), QStringLiteral("Not publishing"));
    }

    // A URL that does not parse, or a password file that cannot be read, is said in the window's
    // message panel (in the user's language); the session reads all the same.
    void badSettingsAreSaidAndReadingGoesOn_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("passwordFile");
        QTest::addColumn<bool>("readFromBroker");
        QTest::addColumn<QString>("said");
        QTest::newRow("url") << "http://127.0.0.1" << QString() << false
                             << "is not an mqtt:// or mqtts:// URL";
        QTest::newRow("password file")
            << "mqtt://127.0.0.1:1" << m_dir.filePath("missing-pw") << false << "password file";
        // Publishing where the "MQTT" page reads would bring every report back, again and again.
        QTest::newRow("own reports") << "mqtt://127.0.0.1:1" << QString() << true
                                     << "talvo/Hall is also read from mqtt://127.0.0.1:1";
    }

    void badSettingsAreSaidAndReadingGoesOn()
    {
        QFETCH(QString, url);
        QFETCH(QString, passwordFile);
        QFETCH(bool, readFromBroker);
        QFETCH(QString, said);
        SettingsStore store(freshIni());
        SettingsStore::MqttValues m;
        m.publish = true;
        m.url = url;
        m.site = QStringLiteral("Hall");
        m.passwordFile = passwordFile;
        m.inUrl = url;
        store.writeMqtt(m);
        TfrmModule w(&store, &m_tone, selectionFile());
        if (readFromBroker)
            control<QTabWidget>(&w, "pcTagMain")->setCurrentWidget(control<QWidget>(&w, "tsMQTT"));
        w.show();
        w.reading()->setTiming(Timing().scaled(10));
        replay(w, 2);
        control<QPushButton>(&w, "btnStart")->click();
        auto *problems = control<QLabel>(&w, "sbMainPanel1");
        QVERIFY2(problems->text().startsWith("MQTT settings not usable: "), qPrintable(problems->text()));
        QVERIFY2(problems->text().contains(said), qPrintable(problems->text()));
        QCOMPARE(control<QLabel>(&w, "lblPublishState")->text(),
                 QStringLiteral("Not publishing: the settings are not usable"));
        QAbstractItemModel *all = control<QTableView>(&w, "grdUID")->model();
        QTRY_COMPARE_WITH_TIMEOUT(all->rowCount(), 2, kWaitMs);
        control<QPushButton>(&w, "btnCHT")->click();
        QVERIFY(problems->text().startsWith(QStringLiteral("MQTT 設定無法使用：")));
        control<QPushButton>(&w, "btnEng")->click();
        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, kWaitMs);
    }

    void ownReportsAreRecognised()
    {
        PublishSettings out;
        out.url = QStringLiteral("mqtt://127.0.0.1:1883");
        out.site = QStringLiteral("Hall");
        PublishSettings in = out;
        in.site.clear();
        QVERIFY(ReadTagPublishing::readsItsOwnReports(out, in)); // every site
        in.prefix = QStringLiteral("talvo/Hall");
        QVERIFY(ReadTagPublishing::readsItsOwnReports(out, in));
        in.prefix = QStringLiteral("talvo/North");
        QVERIFY(!ReadTagPublishing::readsItsOwnReports(out, in));
        out.prefix = QStringLiteral("plant/a/b");
        in.prefix = QStringLiteral("plant/+/b");
        QVERIFY(ReadTagPublishing::readsItsOwnReports(out, in));
        in.prefix = QStringLiteral("plant/+");
        QVERIFY(!ReadTagPublishing::readsItsOwnReports(out, in));
        in.prefix = QStringLiteral("plant/+/b");
        in.url = QStringLiteral("mqtt://127.0.0.1:1884"); // another broker
        QVERIFY(!ReadTagPublishing::readsItsOwnReports(out, in));
    }

    // A broker nobody answers on: the session reads; closing the window ends the session, gives the
    // publisher its flush time and then goes, without hanging.
    void closingWithABrokerAwayStillCloses()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 deadPort = probe.serverPort();
        probe.close();
        SettingsStore store(freshIni());
        SettingsStore::MqttValues m;
        m.publish = true;
        m.url = QStringLiteral("mqtt://127.0.0.1:%1").arg(deadPort);
        store.writeMqtt(m);
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setTiming(Timing().scaled(10));
        PublishSettings times = shortTimes();
        times.flushTimeoutMs = 300;
        w.reading()->setBrokerBase(times);
        replay(w);
        control<QPushButton>(&w, "btnStart")->click();
        QAbstractItemModel *all = control<QTableView>(&w, "grdUID")->model();
        QTRY_COMPARE_WITH_TIMEOUT(all->rowCount(), 2, kWaitMs);
        QCOMPARE(control<QLabel>(&w, "lblPublishState")->text(), QStringLiteral("Connecting to the broker"));
        QTRY_VERIFY_WITH_TIMEOUT(control<QLabel>(&w, "sbMainPanel1")->text().startsWith("MQTT broker"),
                                 kWaitMs);
        w.close();
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), kWaitMs);
        QVERIFY(!w.reading()->isBusy());
        QVERIFY(!w.reading()->isFlushing());
    }

    // The simulated reader read in the window with publishing on: every report entered reaches a
    // subscriber as its JSON object, the state line follows the publisher, and Stop ends the session
    // only once the publisher has sent everything and said "offline".
    void simulatorReadWithPublishingReachesASubscriber()
    {
        bool started = false;
        auto broker = startBroker(&started);
        if (!broker)
            QSKIP("the mosquitto broker is not installed (Debian package \"mosquitto\")");
        QVERIFY2(started, qPrintable(broker->log()));
        Recorder subscriber(*broker, "talvo/Hall 1/#");
        QTRY_VERIFY_WITH_TIMEOUT(subscriber.client->isConnected(), kWaitMs);
        const QString path = freshIni();
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setTiming(Timing().scaled(10));
        w.reading()->setBrokerBase(shortTimes());
        control<QToolButton>(&w, "btnMqttDetails")->click();
        control<QCheckBox>(&w, "chkPublish")->click();
        type(&w, "edtMqttUrl", broker->url());
        type(&w, "edtMqttSite", "Hall 1");
        QSignalSpy entered(&w.reading()->tables(), &TagTables::reportEntered);
        DemoReader demo;
        if (!demo.start(w, 6, 100.0))
            QSKIP("no pseudo-terminal for the simulated reader");
        auto *state = control<QLabel>(&w, "lblPublishState");
        QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("Connected"), kWaitMs);
        QVERIFY(!control<QLineEdit>(&w, "edtMqttUrl")->isEnabled()); // fixed while the session runs
        QTRY_VERIFY_WITH_TIMEOUT(entered.size() >= 20, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(subscriber.latest.contains("talvo/Hall 1/status/readers/COM01"), kWaitMs);

        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        bool flushedFirst = false;
        connect(w.reading(), &ReadTagController::sessionEnded, this, [&] {
            flushedFirst =
                !w.reading()->isFlushing() && w.reading()->publishing()->state() == PublishGroup::State::Off;
        });
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, kWaitMs);
        QVERIFY(flushedFirst);
        QCOMPARE(state->text(), QStringLiteral("Not publishing"));
        QVERIFY(control<QLineEdit>(&w, "edtMqttUrl")->isEnabled());

        // Everything entered went out, in order, as the reader's reports of this site.
        QTRY_COMPARE_WITH_TIMEOUT(subscriber.latest.value("talvo/Hall 1/status"),
                                  QByteArray(R"({"site":"Hall 1","state":"offline"})"), kWaitMs);
        QList<QJsonObject> reports;
        for (const auto &[topic, payload] : std::as_const(subscriber.messages)) {
            if (topic == "talvo/Hall 1/reports/COM01")
                reports.append(QJsonDocument::fromJson(payload).object());
        }
        QCOMPARE(reports.size(), entered.size());
        QAbstractItemModel *all = control<QTableView>(&w, "grdUID")->model();
        QSet<QString> uids;
        for (int row = 0; row < all->rowCount(); ++row)
            uids.insert(all->index(row, 1).data().toString());
        for (int i = 0; i < reports.size(); ++i) {
            QCOMPARE(reports[i].value("site").toString(), QStringLiteral("Hall 1"));
            QCOMPARE(reports[i].value("reader").toString(), QStringLiteral("COM01"));
            QCOMPARE(reports[i].value("uid").toString(), entered[i][0].value<TTagReport>().uid);
            QVERIFY(uids.contains(reports[i].value("uid").toString()));
        }
    }

    // The broker goes away mid-session: the state line says so and counts the reports dropped once
    // the queue is full; the broker comes back and the line says connected, with the count.
    void stateLineFollowsABrokerThatGoesAndComesBack()
    {
        bool started = false;
        auto broker = startBroker(&started);
        if (!broker)
            QSKIP("the mosquitto broker is not installed (Debian package \"mosquitto\")");
        QVERIFY2(started, qPrintable(broker->log()));
        SettingsStore store(freshIni());
        SettingsStore::MqttValues m;
        m.publish = true;
        m.url = broker->url();
        m.site = QStringLiteral("Hall 3");
        store.writeMqtt(m);
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setTiming(Timing().scaled(10));
        PublishSettings times = shortTimes();
        times.queueCapacity = 5;
        w.reading()->setBrokerBase(times);
        replay(w, 4);
        control<QPushButton>(&w, "btnStart")->click();
        auto *state = control<QLabel>(&w, "lblPublishState");
        QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("Connected"), kWaitMs);
        QVERIFY(broker->stop());
        QTRY_VERIFY_WITH_TIMEOUT(state->text().startsWith(QStringLiteral("Reconnecting | Dropped: ")),
                                 kWaitMs);
        control<QPushButton>(&w, "btnCHS")->click();
        QVERIFY2(state->text().startsWith(QStringLiteral("重新连接中 | 已丢弃：")),
                 qPrintable(state->text()));
        control<QPushButton>(&w, "btnEng")->click();
        QVERIFY(broker->restart());
        QTRY_VERIFY_WITH_TIMEOUT(state->text().startsWith(QStringLiteral("Connected | Dropped: ")), kWaitMs);
        QVERIFY(w.reading()->session().isRunning()); // reading went on all along
        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, kWaitMs);
    }

    // The "MQTT" page reads what another instance publishes into the same tables, labelled
    // SITE/READER; a message that is no report is said, not taken.
    void mqttPageReadsWhatAPublisherSends()
    {
        bool started = false;
        auto broker = startBroker(&started);
        if (!broker)
            QSKIP("the mosquitto broker is not installed (Debian package \"mosquitto\")");
        QVERIFY2(started, qPrintable(broker->log()));
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setBrokerBase(shortTimes());
        control<QTabWidget>(&w, "pcTagMain")->setCurrentWidget(control<QWidget>(&w, "tsMQTT"));
        QCOMPARE(w.linkKind(), LinkKind::Mqtt);
        type(&w, "edtMqttInUrl", broker->url());
        type(&w, "edtMqttInPrefix", "talvo/+");
        QSignalSpy decoded(&w.reading()->decoder(), &ReportDecoder::reportDecoded);
        control<QPushButton>(&w, "btnStart")->click();
        auto *log = control<QPlainTextEdit>(&w, "MemoMqtt");
        QTRY_VERIFY_WITH_TIMEOUT(log->toPlainText().contains("Subscribed:"), kWaitMs);

        PublishSettings out = shortTimes();
        out.url = broker->url();
        out.site = QStringLiteral("North");
        ReportPublisher publisher(out);
        QVERIFY(publisher.start());
        const QList<int> numbers = {1201, 1202, 1203, 1201};
        for (int n : numbers)
            publisher.publishReport(*ReportDecoder::parseLine(ReportLines::line(n), ReportTypeSwitches{}),
                                    QStringLiteral("COM05"));
        QTRY_COMPARE_WITH_TIMEOUT(decoded.size(), numbers.size(), kWaitMs);
        QCOMPARE(decoded[0][1].toString(), QStringLiteral("North/COM05"));
        QAbstractItemModel *all = control<QTableView>(&w, "grdUID")->model();
        QTRY_COMPARE_WITH_TIMEOUT(all->rowCount(), 3, kWaitMs);
        QCOMPARE(all->index(0, 1).data().toString(), decoded[0][0].value<TTagReport>().uid);
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(&w, "pnlTagCount")->text(), QStringLiteral("3"), kWaitMs);
        QVERIFY(log->toPlainText().contains("North/COM05"));

        // The signal views take the broker's reports as a reader's: the coverage column is
        // SITE/READER, and a selected tag is charted from the reports that follow.
        SignalViews *views = w.reading()->signalViews();
        auto *tagViews = control<QTabWidget>(&w, "pcReadTag");
        tagViews->setCurrentWidget(control<QWidget>(&w, "tsViewCoverage"));
        views->coverageView()->refresh();
        QAbstractItemModel *grid = control<QTableView>(&w, "grdCoverage")->model();
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->headerData(1, Qt::Horizontal).toString(), QStringLiteral("North/COM05"));
        w.reading()->tables().selectTag(0);
        tagViews->setCurrentWidget(control<QWidget>(&w, "tsViewChart"));
        QCOMPARE(views->chartView()->rssiSeries().size(), 1);
        for (int n : {1201, 1202, 1203})
            publisher.publishReport(*ReportDecoder::parseLine(ReportLines::line(n), ReportTypeSwitches{}),
                                    QStringLiteral("COM05"));
        QTRY_COMPARE_WITH_TIMEOUT(decoded.size(), numbers.size() + 3, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(views->chartView()->rssiSeries().at(0)->count() > 0, kWaitMs);

        // Not a report: said in the message panel, once, nothing entered.
        QSignalSpy problems(w.reading(), &ReadTagController::problemReported);
        Recorder noise(*broker, "unused/#");
        QTRY_VERIFY_WITH_TIMEOUT(noise.client->isConnected(), kWaitMs);
        noise.client->publish("talvo/North/reports/COM05", "not json", 0, false);
        QTRY_VERIFY_WITH_TIMEOUT(
            control<QLabel>(&w, "sbMainPanel1")->text().startsWith("MQTT message is not a report"), kWaitMs);
        QCOMPARE(decoded.size(), numbers.size() + 3);
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems[0][0].value<Problem>().kind, Problem::Kind::Broker);

        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, kWaitMs);
    }
};

QTEST_MAIN(TestPublishWindow)
#include "tst_publish_window.moc"
