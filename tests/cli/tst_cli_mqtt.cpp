#include "../publish/MosquittoBroker.h"
#include "../publish/MqttRecorder.h"
#include "ReportLines.h"
#include "publish/ReportJson.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kWaitMs = 20000;

QString binPath(const char *relative)
{
    return qEnvironmentVariable("TALVO_BIN_DIR") + QLatin1Char('/') + QLatin1String(relative);
}

QString cliPath()
{
    return binPath("cli/talvo-cli");
}

// Reports of every kind, some repeated, some dropped by the UID check.
QByteArray replayBytes(int lines)
{
    static const char *const kDi[] = {"FF", "FE", "F0", "5F", "0E", "FF"};
    static const char *const kWords[] = {"", "0320", "03203FE0", "4000ab3c", "996403E8", "FA3B3A3B"};
    QByteArray out;
    for (int i = 0; i < lines; ++i)
        out += ReportLines::line(100 + i % 17, kDi[i % 6], kWords[i % 6]);
    out += "0000000000000000"
           "50A3FF\r";
    return out;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(bytes);
    return path;
}

QList<QByteArray> linesOf(const QByteArray &out)
{
    QList<QByteArray> lines = out.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A talvo-cli process whose standard error is gathered as it comes (to wait for a line on it).
struct Cli
{
    explicit Cli(const QStringList &args)
    {
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { err += process.readAllStandardError(); });
        process.start(cliPath(), QStringList{QStringLiteral("read")} + args);
    }
    bool finished(int ms = kWaitMs)
    {
        if (!QTest::qWaitFor([this] { return process.state() == QProcess::NotRunning; }, ms))
            return false;
        err += process.readAllStandardError();
        out += process.readAllStandardOutput();
        return true;
    }
    bool saidOnStderr(const QByteArray &text, int ms = kWaitMs)
    {
        return QTest::qWaitFor([&] { return err.contains(text); }, ms);
    }
    QProcess process;
    QByteArray out;
    QByteArray err;
};

bool runOpenssl(const QString &dir, const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral("openssl"), args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A throwaway certificate authority NAME.pem (NAME.key) in `dir`, and with `server`, a broker
// certificate for 127.0.0.1 that it signs (server.pem, server.key).
bool makeAuthority(const QString &dir, const QString &name, bool server)
{
    const QStringList ec{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                         QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    if (!runOpenssl(dir, QStringList{"req", "-x509", "-days", "1", "-subj", "/CN=" + name + " test CA",
                                     "-keyout", name + ".key", "-out", name + ".pem"} +
                             ec))
        return false;
    if (!server)
        return true;
    QFile ext(dir + QStringLiteral("/server.ext"));
    if (!ext.open(QIODevice::WriteOnly))
        return false;
    ext.write("subjectAltName=IP:127.0.0.1\n");
    ext.close();
    return runOpenssl(dir, QStringList{"req", "-subj", "/CN=127.0.0.1", "-keyout", "server.key", "-out",
                                       "server.csr"} +
                               ec) &&
           runOpenssl(dir,
                      {"x509", "-req", "-days", "1", "-in", "server.csr", "-CA", name + ".pem", "-CAkey",
                       name + ".key", "-CAcreateserial", "-extfile", "server.ext", "-out", "server.pem"});
}

} // namespace

// talvo-cli read with a broker: --mqtt publishes what is printed, --mqtt-in reads what others publish.
class TestCliMqtt : public QObject
{
    Q_OBJECT

    std::unique_ptr<MosquittoBroker> m_broker;

    void requireBroker()
    {
        if (MosquittoBroker::program().isEmpty())
            QSKIP("the mosquitto broker is not installed (Debian package \"mosquitto\"): MQTT tests skipped");
        m_broker = std::make_unique<MosquittoBroker>();
        QVERIFY2(m_broker->start(), qPrintable(m_broker->log()));
    }

private slots:
    void cleanup() { m_broker.reset(); }

    void rejectsUnusableOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QStringList replay{"--replay", "/dev/null"};
        QTest::newRow("not a URL") << replay + QStringList{"--mqtt", "127.0.0.1:1883"} << "not an mqtt://";
        QTest::newRow("other scheme")
            << replay + QStringList{"--mqtt", "http://127.0.0.1"} << "not an mqtt://";
        QTest::newRow("no host") << replay + QStringList{"--mqtt", "mqtt://:1883"} << "--mqtt";
        QTest::newRow("path") << replay + QStringList{"--mqtt", "mqtt://127.0.0.1/x"} << "no path";
        QTest::newRow("in not a URL") << QStringList{"--mqtt-in", "broker"} << "--mqtt-in";
        QTest::newRow("missing password file")
            << replay + QStringList{"--mqtt", "mqtt://127.0.0.1",     "--mqtt-user",
                                    "u",      "--mqtt-password-file", "/nonexistent/secret"}
            << "/nonexistent/secret";
        QTest::newRow("password without user")
            << replay + QStringList{"--mqtt", "mqtt://127.0.0.1", "--mqtt-password-file", "/dev/null"}
            << "needs --mqtt-user";
        QTest::newRow("missing CA file")
            << replay + QStringList{"--mqtt", "mqtts://127.0.0.1", "--mqtt-cafile", "/nonexistent/ca.pem"}
            << "/nonexistent/ca.pem";
        QTest::newRow("qos 2") << replay + QStringList{"--mqtt", "mqtt://127.0.0.1", "--mqtt-qos", "2"}
                               << "--mqtt-qos";
        QTest::newRow("detail alone") << replay + QStringList{"--site", "A"} << "--site needs --mqtt";
        QTest::newRow("wildcard prefix")
            << replay + QStringList{"--mqtt", "mqtt://127.0.0.1", "--mqtt-prefix", "a/#"} << "--mqtt-prefix";
        QTest::newRow("both ways") << QStringList{"--mqtt", "mqtt://127.0.0.1", "--mqtt-in",
                                                  "mqtt://127.0.0.1"}
                                   << "together";
        QTest::newRow("two kinds of link")
            << replay + QStringList{"--mqtt-in", "mqtt://127.0.0.1"} << "one kind of link";
    }
    void rejectsUnusableOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        Cli cli(args);
        QVERIFY(cli.finished());
        QCOMPARE(cli.process.exitCode(), 2);
        QVERIFY2(cli.err.contains(message.toUtf8()), cli.err.constData());
        QVERIFY(cli.out.isEmpty());
    }

    void helpNamesTheOptions()
    {
        Cli cli({"--help"});
        QVERIFY(cli.finished());
        for (const char *name :
             {"--mqtt <URL>", "--mqtt-in <URL>", "--mqtt-prefix <P>", "--site <NAME>", "--mqtt-qos <0|1>",
              "--mqtt-user <U>", "--mqtt-password-file <F>", "--mqtt-cafile <F>"})
            QVERIFY2(cli.out.contains(name), name);
    }

    // What --mqtt publishes is the printed JSON line plus "site" and "reader"; what --mqtt-in prints
    // from it is the same line with the label "SITE/READER". Closing says "offline" and the reader gone.
    void publishedAndReadBackAsTheJsonLines()
    {
        requireBroker();
        QTemporaryDir dir;
        const QString replay = writeFile(dir, QStringLiteral("replay.txt"), replayBytes(60));
        MqttRecorder raw(m_broker->url(), "talvo/Hall 1/#");
        QTRY_VERIFY_WITH_TIMEOUT(raw.client->isConnected(), kWaitMs);
        Cli in({"--mqtt-in", m_broker->url(), "--mqtt-prefix", "talvo/Hall 1", "--count", "60", "--verbose"});
        QVERIFY2(in.saidOnStderr("Subscribed:"), in.err.constData());

        Cli pub({"--replay", replay, "--label", "COM03", "--mqtt", m_broker->url(), "--site", "Hall 1"});
        QVERIFY(pub.finished());
        QCOMPARE(pub.process.exitCode(), 0);
        const QList<QByteArray> lines = linesOf(pub.out);
        QCOMPARE(lines.size(), 60);
        QVERIFY2(pub.err.contains("MQTT broker connected"), pub.err.constData());

        QTRY_COMPARE_WITH_TIMEOUT(raw.payloadsOn("talvo/Hall 1/reports/COM03").size(), 60, kWaitMs);
        const QList<QByteArray> payloads = raw.payloadsOn("talvo/Hall 1/reports/COM03");
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(payloads[i], lines[i].chopped(1) + R"(,"site":"Hall 1","reader":"COM03"})");
        QTRY_COMPARE_WITH_TIMEOUT(raw.latest.value("talvo/Hall 1/status"),
                                  QByteArray(R"({"site":"Hall 1","state":"offline"})"), kWaitMs);
        QCOMPARE(raw.latest.value("talvo/Hall 1/status/readers/COM03"),
                 QByteArray(R"({"site":"Hall 1","reader":"COM03","state":"disconnected"})"));

        QVERIFY(in.finished());
        QCOMPARE(in.process.exitCode(), 0);
        const QList<QByteArray> back = linesOf(in.out);
        QCOMPARE(back.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(back[i],
                     QByteArray(lines[i]).replace(R"("label":"COM03")", R"("label":"Hall 1/COM03")"));
    }

    // A publisher killed without a goodbye: the broker's last will says "offline"; the reader state it
    // last published stays.
    void killedPublisherLeavesItsLastWill()
    {
        requireBroker();
        Cli pub({"--replay", "-", "--label", "COM05", "--mqtt", m_broker->url(), "--site", "K"});
        QVERIFY(pub.saidOnStderr("MQTT broker connected"));
        MqttRecorder raw(m_broker->url(), "talvo/K/#");
        QTRY_COMPARE_WITH_TIMEOUT(raw.latest.value("talvo/K/status"),
                                  QByteArray(R"({"site":"K","state":"online"})"), kWaitMs);
        pub.process.write(ReportLines::line(42));
        QTRY_COMPARE_WITH_TIMEOUT(raw.payloadsOn("talvo/K/reports/COM05").size(), 1, kWaitMs);
        pub.process.kill();
        QVERIFY(pub.finished());

        MqttRecorder late(m_broker->url(), "talvo/K/#");
        QTRY_COMPARE_WITH_TIMEOUT(late.latest.value("talvo/K/status"),
                                  QByteArray(R"({"site":"K","state":"offline"})"), kWaitMs);
        QCOMPARE(late.latest.value("talvo/K/status/readers/COM05"),
                 QByteArray(R"({"site":"K","reader":"COM05","state":"connected"})"));
        QVERIFY(!late.latest.contains("talvo/K/reports/COM05")); // reports are not retained
    }

    // SIGTERM ends the run as a service stop does: what was read is published, then the site goes
    // "offline" by the publisher's own word and the reader is marked gone.
    void sigtermFlushesThePublisher()
    {
        requireBroker();
        MqttRecorder raw(m_broker->url(), "talvo/S/#");
        QTRY_VERIFY_WITH_TIMEOUT(raw.client->isConnected(), kWaitMs);
        Cli pub({"--replay", "-", "--label", "COM06", "--mqtt", m_broker->url(), "--site", "S"});
        QVERIFY(pub.saidOnStderr("MQTT broker connected"));
        pub.process.write(replayBytes(50).chopped(23));
        QTRY_COMPARE_WITH_TIMEOUT(linesOf(pub.process.peek(1 << 20)).size(), 50, kWaitMs);
        pub.process.terminate();
        QVERIFY(pub.finished());
        QCOMPARE(pub.process.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(raw.payloadsOn("talvo/S/reports/COM06").size(), 50, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(raw.latest.value("talvo/S/status/readers/COM06"),
                                  QByteArray(R"({"site":"S","reader":"COM06","state":"disconnected"})"),
                                  kWaitMs);
        QCOMPARE(raw.latest.value("talvo/S/status"), QByteArray(R"({"site":"S","state":"offline"})"));
    }

    // Simulator -> talvo-cli read --mqtt -> broker -> talvo-cli read --mqtt-in: the second prints the
    // CSV the first printed reading the simulator directly, row for row; only the label differs
    // (SITE/ in front).
    void simulatorThroughTheBrokerMatchesReadingItDirectly()
    {
        requireBroker();
        const int count = 300;
        QProcess sim;
        sim.start(binPath("sim/talvo-sim"), {"--pty", "--rate", "400", "--tags", "30", "--seed", "11"});
        QVERIFY(QTest::qWaitFor([&] { return sim.canReadLine(); }, kWaitMs));
        const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(pty.startsWith(QLatin1String("/dev/")), qPrintable(pty));

        Cli in({"--mqtt-in", m_broker->url(), "--mqtt-prefix", "talvo/E2E", "--format", "csv", "--count",
                QString::number(count), "--verbose"});
        QVERIFY2(in.saidOnStderr("Subscribed:"), in.err.constData());
        Cli pub({"--com", "3=" + pty, "--format", "csv", "--count", QString::number(count), "--mqtt",
                 m_broker->url(), "--site", "E2E", "--mqtt-qos", "1"});
        QVERIFY(pub.finished());
        QVERIFY(in.finished());
        sim.terminate();
        sim.waitForFinished(5000);
        QCOMPARE(pub.process.exitCode(), 0);
        QCOMPARE(in.process.exitCode(), 0);

        const QList<QByteArray> direct = linesOf(pub.out);
        const QList<QByteArray> through = linesOf(in.out);
        QCOMPARE(direct.size(), count + 1);
        QCOMPARE(through.size(), direct.size());
        QCOMPARE(through[0], direct[0]); // the header
        for (int i = 1; i < direct.size(); ++i) {
            QVERIFY2(direct[i].endsWith(",COM03"), direct[i].constData());
            QCOMPARE(through[i], direct[i].chopped(5) + "E2E/COM03");
        }
    }

    // mqtts:// with the CA that signed the broker's certificate: published and read back. With
    // another CA the connection is refused; the reading itself goes on, and the unsent reports are
    // reported (exit status 1).
    void tlsWithACaFile()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
            QSKIP("openssl is not installed: no certificates for the TLS test (Debian package \"openssl\")");
        if (MosquittoBroker::program().isEmpty())
            QSKIP("the mosquitto broker is not installed (Debian package \"mosquitto\"): MQTT tests skipped");
        QTemporaryDir certs;
        QVERIFY(makeAuthority(certs.path(), QStringLiteral("good"), true));
        QVERIFY(makeAuthority(certs.path(), QStringLiteral("other"), false));
        const QString dir = certs.path();
        // A broker started as root reads its files as the "mosquitto" user.
        const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        QFile::setPermissions(dir, readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        for (const char *name : {"good.pem", "server.pem", "server.key"})
            QFile::setPermissions(dir + QLatin1Char('/') + QLatin1String(name), readable);
        m_broker = std::make_unique<MosquittoBroker>(
            ("cafile " + dir + "/good.pem\ncertfile " + dir + "/server.pem\nkeyfile " + dir + "/server.key\n")
                .toUtf8());
        QVERIFY2(m_broker->start(), qPrintable(m_broker->log()));
        const QString url = QStringLiteral("mqtts://127.0.0.1:%1").arg(m_broker->port());
        const QString replay = writeFile(certs, QStringLiteral("replay.txt"), replayBytes(20));

        Cli in({"--mqtt-in", url, "--mqtt-cafile", dir + "/good.pem", "--mqtt-prefix", "talvo/T", "--count",
                "20", "--verbose"});
        QVERIFY2(in.saidOnStderr("Subscribed:"), in.err.constData());
        Cli pub({"--replay", replay, "--label", "COM01", "--mqtt", url, "--mqtt-cafile", dir + "/good.pem",
                 "--site", "T"});
        QVERIFY(pub.finished());
        QCOMPARE(pub.process.exitCode(), 0);
        QVERIFY(in.finished());
        QCOMPARE(linesOf(in.out).size(), 20);

        Cli wrong({"--replay", replay, "--label", "COM01", "--mqtt", url, "--mqtt-cafile", dir + "/other.pem",
                   "--site", "T"});
        QVERIFY(wrong.finished());
        QCOMPARE(linesOf(wrong.out), linesOf(pub.out));
        QVERIFY2(wrong.err.contains("MQTT broker not reachable"), wrong.err.constData());
        QVERIFY2(wrong.err.contains("20 reports not sent"), wrong.err.constData());
        QCOMPARE(wrong.process.exitCode(), 1);
    }

    // A peer that publishes other things on the report topics: each is counted and named, the good
    // reports among them are read as ever.
    void misbehavingPeerIsCountedAndReported()
    {
        requireBroker();
        Cli in({"--mqtt-in", m_broker->url(), "--mqtt-prefix", "talvo/M", "--count", "2", "--verbose"});
        QVERIFY2(in.saidOnStderr("Subscribed:"), in.err.constData());
        MqttRecorder peer(m_broker->url(), "nothing/here");
        QTRY_VERIFY_WITH_TIMEOUT(peer.client->isConnected(), kWaitMs);
        const QByteArray good = ReportJson::published(ReportLines::report(QStringLiteral("0000000000000007")),
                                                      QStringLiteral("COM02"), QStringLiteral("M"));
        QByteArray wrongField = good;
        wrongField.replace(R"("rssi":80)", R"("rssi":"80")");
        QByteArray forged = good; // would add a line of its own to the CSV logs
        forged.replace(R"("site":"M")", R"("site":"M\r\n0000000001\t,")");
        for (const QByteArray &payload : {QByteArray("not json"), good, wrongField, forged,
                                          QByteArray(1024 * 1024, 'x'), QByteArray(R"({"uid":1})"), good})
            QVERIFY(peer.client->publish("talvo/M/reports/COM02", payload, 1, false) >= 0);
        QVERIFY(in.finished());
        QCOMPARE(in.process.exitCode(), 0);
        const QList<QByteArray> lines = linesOf(in.out);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], ReportJson::object(ReportLines::report(QStringLiteral("0000000000000007")),
                                              QStringLiteral("M/COM02")));
        QVERIFY2(in.err.contains("MQTT message is not a report: talvo/M/reports/COM02: not JSON (1 so far)"),
                 in.err.constData());
        QVERIFY2(in.err.contains("broker reports received 2, bad broker messages 5"), in.err.constData());
    }

    // The broker goes away mid-run: the reading goes on at full pace, the loss is said on stderr,
    // and what could not be sent by the end is counted.
    void brokerGoneMidRunNeverStallsReading()
    {
        requireBroker();
        Cli pub({"--replay", "-", "--label", "COM04", "--mqtt", m_broker->url(), "--site", "G"});
        QVERIFY(pub.saidOnStderr("MQTT broker connected"));
        MqttRecorder raw(m_broker->url(), "talvo/G/reports/#");
        QTRY_VERIFY_WITH_TIMEOUT(raw.client->isConnected(), kWaitMs);
        pub.process.write(replayBytes(10).chopped(23)); // without the line the UID check drops
        QTRY_COMPARE_WITH_TIMEOUT(raw.messages.size(), 10, kWaitMs);
        m_broker->kill();
        QVERIFY2(pub.saidOnStderr("MQTT broker connection lost"), pub.err.constData());
        QElapsedTimer t;
        t.start();
        pub.process.write(replayBytes(5000));
        pub.process.closeWriteChannel();
        QVERIFY(pub.finished());
        QCOMPARE(linesOf(pub.out).size(), 10 + 5000);
        QVERIFY2(pub.err.contains("5000 reports not sent before closing"), pub.err.constData());
        QCOMPARE(pub.process.exitCode(), 1);
        QVERIFY(t.elapsed() < 3000 + 5000); // the flush time, not a wait per report
    }
};

QTEST_GUILESS_MAIN(TestCliMqtt)
#include "tst_cli_mqtt.moc"
