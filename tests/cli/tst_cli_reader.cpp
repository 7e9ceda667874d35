// `talvo-cli reader` end to end against the simulated reader in this process: the payload on
// standard output, the result text on standard error, JSON, exit codes, and usage errors; against a
// scripted reader: replies that are no answer, a relay round half taken, links that fail.
#include "../readercfg/FakeReader.h"
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

// A scripted reader over TCP; `answer` gives the frame sent back for each command.
struct Scripted
{
    QTcpServer server;
    FakeReader reader;
    QString at;
};
std::unique_ptr<Scripted> scripted(FakeReader::Responder answer)
{
    auto s = std::make_unique<Scripted>();
    if (!s->server.listen(QHostAddress::LocalHost, 0))
        return nullptr;
    s->reader.setResponder(std::move(answer));
    Scripted *raw = s.get();
    QObject::connect(&s->server, &QTcpServer::newConnection, &s->server,
                     [raw] { raw->reader.attachSocket(raw->server.nextPendingConnection()); });
    s->at = "127.0.0.1:" + QString::number(s->server.serverPort());
    return s;
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

    // Replies that came back but are no answer: an ID of the wrong length, a reply whose check
    // failed (neither printed as the reply); one holding a NUL is printed whole, escaped.
    void repliesAreJudgedBeforePrinting()
    {
        auto s = scripted([](const QByteArray &command) {
            if (command == "T")
                return FakeReader::reply("T00071");
            if (command == "V")
                return FakeReader::reply(QByteArray("V1\0"
                                                    "2\x1b",
                                                    5));
            return FakeReader::badBccReply(command);
        });
        QVERIFY(s);
        const QStringList fast{"--timing-scale", "20"};
        Run r = runCli(QStringList{"--tcp", s->at, "id"} + fast);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray());
        QVERIFY2(r.err.contains("carries no reader ID"), r.err.constData());
        r = runCli(QStringList{"--tcp", s->at, "id", "--format", "json"} + fast);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QJsonDocument::fromJson(r.out).object().value("ok").toBool(), false);
        r = runCli(QStringList{"--tcp", s->at, "version"} + fast);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("V1\\x002\\x1B\n"));
        r = runCli(QStringList{"--tcp", s->at, "sn"} + fast);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray());
    }

    // One relay round sets both outputs: DO1's command unanswered fails it, even with DO2 answered.
    void relayNeedsBothOutputs()
    {
        auto s = scripted([](const QByteArray &command) {
            return command.startsWith("L02") ? FakeReader::reply("L021 DO=01 DI1-4=0110 RELAY READY")
                                             : QByteArray();
        });
        QVERIFY(s);
        const Run r =
            runCli({"--tcp", s->at, "relay", "--do2", "on", "--format", "json", "--timing-scale", "20"});
        QCOMPARE(r.exitCode, 1);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.value("ok").toBool(), false);
        QCOMPARE(o.value("di").toArray().size(), 4); // the inputs read are still told
        QCOMPARE(o.value("detail").toString(), QStringLiteral("L010: no good reply"));
        QCOMPARE(s->reader.commands.count("L010"), 5);
    }

    // A refused connection and a reader that closes in the middle of its reply say why, on standard
    // error and in the JSON; frames that could not be written are not counted as transmissions.
    void failedLinksSayWhy()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const QString closedPort = "127.0.0.1:" + QString::number(probe.serverPort());
        probe.close();
        Run r = runCli({"--tcp", closedPort, "version", "--format", "json", "--timing-scale", "20"});
        QCOMPARE(r.exitCode, 1);
        QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QVERIFY2(o.value("detail").toString().contains("refused"), r.out.constData());
        QCOMPARE(o.value("transmissions").toInt(), 0);
        QVERIFY(r.err.contains("Connection refused"));

        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        connect(&server, &QTcpServer::newConnection, &server, [&server] {
            QTcpSocket *socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                socket->readAll();
                socket->write("\x02V1.0");
                socket->disconnectFromHost();
            });
        });
        r = runCli({"--tcp", "127.0.0.1:" + QString::number(server.serverPort()), "version", "--format",
                    "json", "--timing-scale", "20"});
        QCOMPARE(r.exitCode, 1);
        o = QJsonDocument::fromJson(r.out).object();
        QVERIFY2(o.value("detail").toString().contains("closed"), r.out.constData());
        QVERIFY(r.err.contains("closed"));
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
        QTest::newRow("port too high") << QStringList{"--tcp", "127.0.0.1:99999", "version"};
        QTest::newRow("port not a number") << QStringList{"--tcp", "127.0.0.1:abc", "version"};
        QTest::newRow("port with a tail") << QStringList{"--tcp", "127.0.0.1:4001x", "version"};
        QTest::newRow("udp port") << QStringList{"--udp", "127.0.0.1:40o1", "version"};
        QTest::newRow("local port") << QStringList{"--udp", "127.0.0.1", "--local-port", "abc", "version"};
        QTest::newRow("listen port") << QStringList{"--listen", "abc", "--accept", "127.0.0.1", "version"};
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
