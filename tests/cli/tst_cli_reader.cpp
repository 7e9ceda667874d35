// `talvo-cli reader` end to end against the simulated reader in this process: the payload on
// standard output, the result text on standard error, JSON, exit codes, and usage errors.
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/TagPopulation.h"
#include "sim/TcpClientTransport.h"
#include "sim/TcpServerTransport.h"
#include "sim/UdpTransport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QtTest>

namespace {

QString cliPath()
{
    return qEnvironmentVariable("TALVO_BIN_DIR") + QStringLiteral("/cli/talvo-cli");
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs talvo-cli while this process's event loop keeps the simulated reader answering.
Run runCli(const QStringList &args)
{
    QProcess p;
    p.start(cliPath(), QStringList{QStringLiteral("reader")} + args);
    Run run;
    if (!QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 30000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    return run;
}

} // namespace

class TestCliReader : public QObject
{
    Q_OBJECT

    TagPopulation m_tags{5, 3};

    std::unique_ptr<ReaderChannel> reader(std::unique_ptr<SimTransport> transport,
                                          ReaderChannel::Settings s = {})
    {
        auto channel = std::make_unique<ReaderChannel>(&m_tags, std::move(transport), s);
        return channel->open() ? std::move(channel) : nullptr;
    }

private slots:
    void versionOverAPty()
    {
        ReaderChannel::Settings s;
        s.reader.portKind = SimReader::PortKind::Serial;
        auto sim = reader(std::make_unique<PtyTransport>(), s);
        QVERIFY(sim);
        const Run r = runCli({"--com", "3=" + sim->transport().endpoint(), "version"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("V1.00-SIM\n"));
        QCOMPARE(r.err, QByteArray("Command Ok.\n"));
    }

    void jsonOverTcpWithTheIdAndTheGainSteps()
    {
        auto sim = reader(std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0));
        QVERIFY(sim);
        const QString at = "127.0.0.1:" + QString::number(sim->transport().localPort());
        Run r = runCli({"--tcp", at, "set-id", "7", "--format", "json"});
        QCOMPARE(r.exitCode, 0);
        r = runCli({"--tcp", at, "id", "--format", "json"});
        QCOMPARE(r.exitCode, 0);
        QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.value("command").toString(), QStringLiteral("T"));
        QCOMPARE(o.value("payload").toString(), QStringLiteral("T0007"));
        QCOMPARE(o.value("id").toString(), QStringLiteral("0007"));
        QCOMPARE(o.value("ok").toBool(), true);
        QCOMPARE(o.value("attempts").toInt(), 1);
        QCOMPARE(o.value("transmissions").toInt(), 1);
        QCOMPARE(r.err, QByteArray());

        r = runCli({"--tcp", at, "gain-level", "7", "--format", "json"});
        QCOMPARE(r.exitCode, 0);
        o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.value("command").toString(), QStringLiteral("W1C01C7 BR"));
        QCOMPARE(o.value("steps").toArray().size(), 2);
        QCOMPARE(sim->reader().gain(), 0xC7);
    }

    void relayOverAConnectionInFromTheReader()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        auto sim = reader(std::make_unique<TcpClientTransport>(QStringLiteral("127.0.0.1"), port,
                                                               QHostAddress("127.0.0.7"), 20));
        QVERIFY(sim);
        sim->reader().setExtraInputs(0x1);
        const Run r =
            runCli({"--listen", QString::number(port), "--accept", "127.0.0.7", "relay", "--do2", "on"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("L021 DO=01 DI1-4=0110 RELAY READY\nDI1=0 DI2=1 DI3=1 DI4=0\n"));
        QVERIFY(sim->reader().relay(2));
    }

    void aSilentUdpReaderFailsAfterTwentyFiveTransmissions()
    {
        ReaderChannel::Settings s;
        s.dropReplies = 1.0;
        auto sim = reader(std::make_unique<UdpTransport>(QHostAddress("127.0.0.2"), 0), s);
        QVERIFY(sim);
        const Run r = runCli({"--udp", "127.0.0.2:" + QString::number(sim->transport().localPort()),
                              "--local-port", "0", "sn", "--format", "json", "--timing-scale", "20"});
        QCOMPARE(r.exitCode, 1);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.value("ok").toBool(), false);
        QCOMPARE(o.value("attempts").toInt(), 5);
        QCOMPARE(o.value("transmissions").toInt(), 25);
        QCOMPARE(o.value("message").toString(), QStringLiteral("Connect Error ! [ 1 ]"));
        QCOMPARE(sim->commandsAnswered(), quint64(25));
    }

    void aPortThatCannotOpenSaysWhy()
    {
        const Run r = runCli({"--com", "2=/dev/talvo-no-such-port", "version"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.startsWith("Cannot open /dev/talvo-no-such-port: "));
        QVERIFY(r.err.endsWith("\nConnect Error !\n"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no link") << QStringList{"version"};
        QTest::newRow("two links") << QStringList{"--com", "1", "--tcp", "127.0.0.1", "version"};
        QTest::newRow("no command") << QStringList{"--com", "1"};
        QTest::newRow("unknown command") << QStringList{"--com", "1", "reboot"};
        QTest::newRow("rssi too high") << QStringList{"--com", "1", "rssi", "251"};
        QTest::newRow("hex rssi") << QStringList{"--com", "1", "rssi", "0x10"};
        QTest::newRow("auto-send 5") << QStringList{"--com", "1", "auto-send", "5"};
        QTest::newRow("unknown net") << QStringList{"--com", "1", "net", "WIFI"};
        QTest::newRow("230400 is not a reader speed") << QStringList{"--com", "1", "baud", "230400,n,8,1"};
        QTest::newRow("gain-level 8") << QStringList{"--com", "1", "gain-level", "8"};
        QTest::newRow("gain field too big") << QStringList{"--com", "1", "gain", "4", "0", "0"};
        QTest::newRow("long id") << QStringList{"--com", "1", "set-id", "12345"};
        QTest::newRow("relay-on-time 1000") << QStringList{"--com", "1", "relay-on-time", "1000"};
        QTest::newRow("relay output") << QStringList{"--com", "1", "relay", "--do1", "maybe"};
        QTest::newRow("listen without accept") << QStringList{"--listen", "4001", "version"};
        QTest::newRow("udp host name") << QStringList{"--udp", "reader.local", "version"};
        QTest::newRow("baud without com")
            << QStringList{"--tcp", "127.0.0.1", "--baud", "9600,n,8,1", "version"};
        QTest::newRow("bad line settings") << QStringList{"--com", "1", "--baud", "9600,q,8,1", "version"};
        QTest::newRow("extra argument") << QStringList{"--com", "1", "version", "now"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = runCli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("talvo-cli reader --help"));
    }

    void helpListsTheCommands()
    {
        const Run r = runCli({"--help"});
        QCOMPARE(r.exitCode, 0);
        for (const char *word : {"--com", "--tcp", "--listen", "--accept", "--udp", "--local-port", "--baud",
                                 "--format", "version", "set-id", "gain-level", "relay-on-time", "raw"})
            QVERIFY2(r.out.contains(word), word);
    }
};

QTEST_GUILESS_MAIN(TestCliReader)
#include "tst_cli_reader.moc"
