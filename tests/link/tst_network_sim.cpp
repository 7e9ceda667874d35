// The three network link kinds end to end against the simulated reader talvo-sim.
#include "NetTestHelpers.h"

#include "link/TcpClientReadingLinks.h"
#include "link/TcpListenerReadingLinks.h"
#include "link/UdpReadingLinks.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QUdpSocket>
#include <QtTest>

using namespace nettest;

namespace {

QString simPath()
{
    return qEnvironmentVariable("TALVO_BIN_DIR") + QStringLiteral("/sim/talvo-sim");
}

// talvo-sim with --log: its standard error shows every command frame each reader received.
struct Sim
{
    QProcess process;
    QByteArray out;
    QByteArray err;

    bool start(const QStringList &args, int endpoints)
    {
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                         [this] { out += process.readAllStandardOutput(); });
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { err += process.readAllStandardError(); });
        process.start(simPath(), args + QStringList{"--log", "--sequence-uids"});
        if (!process.waitForStarted(5000))
            return false;
        return QTest::qWaitFor([&] { return out.count('\n') >= endpoints; }, 10000);
    }

    // The command frames each reader received so far, as "M1", "A3", ... by reader number.
    QMap<int, QStringList> commands() const
    {
        QMap<int, QStringList> byReader;
        const QRegularExpression frame(QStringLiteral("^reader (\\d+) <- .*\\|\\.(\\w+)[0-9A-F]{2}\\.\\|$"));
        for (const QByteArray &line : err.split('\n')) {
            const auto m = frame.match(QString::fromLatin1(line));
            if (m.hasMatch())
                byReader[m.captured(1).toInt()].append(m.captured(2));
        }
        return byReader;
    }

    // True when `readers` readers each received `command` at least `times` times.
    bool heard(int readers, const QString &command, int times) const
    {
        const auto byReader = commands();
        int n = 0;
        for (const QStringList &c : byReader)
            n += c.count(command) >= times;
        return n >= readers;
    }

    QMap<int, QStringList> stopAndListCommands()
    {
        process.terminate();
        process.waitForFinished(10000);
        err += process.readAllStandardError();
        return commands();
    }
};

int count(const QStringList &commands, const QString &command)
{
    return int(commands.count(command));
}

// Every decoded line of a reader carries its running number: they must follow on without a gap.
bool sequencesFollowOn(const ReadingHarness &h, const QString &label)
{
    quint64 last = 0;
    for (const Decoded &d : h.reports) {
        if (d.label != label)
            continue;
        const quint64 seq = d.uid.mid(4).toULongLong();
        if (last && seq != last + 1)
            return false;
        last = seq;
    }
    return last > 0;
}

bool stopSession(ReadingHarness &h)
{
    QSignalSpy ended(&h.session, &ReadingSession::ended);
    h.session.stop();
    return ended.wait(10000);
}

} // namespace

class TestNetworkSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFileInfo(simPath()).isExecutable())
            QSKIP("talvo-sim is not built");
        registerSignalTypes();
    }

    void connectsToListeningReaders()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress("127.0.0.21"), 0));
        const quint16 port = probe.serverPort();
        probe.close();
        Sim sim;
        QVERIFY(sim.start({"--tcp-server", QString::number(port), "--readers", "2", "--spread-addresses",
                           "--bind", "127.0.0.21", "--rate", "100"},
                          2));
        TcpClientReadingLinks links;
        links.setTiming(fastTiming());
        links.setReaders({{2, "127.0.0.21"}, {5, "127.0.0.22"}});
        links.setRemotePortText(QString::number(port));
        ReadingHarness h;
        h.session.start(&links);
        QTRY_VERIFY_WITH_TIMEOUT(sim.heard(2, "A3", 10), 10000); // greeted in full
        QTRY_VERIFY_WITH_TIMEOUT(h.countFrom("127.0.0.21") >= 5 && h.countFrom("127.0.0.22") >= 5, 10000);
        QVERIFY(stopSession(h));
        QVERIFY(sequencesFollowOn(h, "127.0.0.21"));
        QVERIFY(sequencesFollowOn(h, "127.0.0.22"));
        const auto commands = sim.stopAndListCommands();
        QCOMPARE(commands.size(), 2);
        for (const QStringList &c : commands) {
            QCOMPARE(count(c, "M1"), 10);
            QCOMPARE(count(c, "A3"), 10);
            QCOMPARE(count(c, "A0"), 5);
            QCOMPARE(c.last(), QStringLiteral("A0"));
        }
        QVERIFY(h.problems.isEmpty());
    }

    void listensForConnectingReaders()
    {
        TcpListenerReadingLinks links;
        links.setTiming(fastTiming());
        links.setListenAddress(QHostAddress::LocalHost);
        links.setListenPortText("0");
        ReadingHarness h;
        h.session.start(&links);
        Sim sim;
        QVERIFY(sim.start({"--tcp-client", "127.0.0.1:" + QString::number(links.serverPort()), "--readers",
                           "3", "--bind", "127.0.0.31", "--rate", "150"},
                          3));
        const QStringList labels{"127.0.0.31", "127.0.0.32", "127.0.0.33"};
        QTRY_VERIFY_WITH_TIMEOUT(sim.heard(3, "A3", 10), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(labels.begin(), labels.end(), [&h](const QString &l) { return h.countFrom(l) >= 5; }),
            10000);
        QCOMPARE(links.connectionCount(), 3);
        QVERIFY(stopSession(h));
        for (const QString &l : labels)
            QVERIFY2(sequencesFollowOn(h, l), qPrintable(l));
        const auto commands = sim.stopAndListCommands();
        QCOMPARE(commands.size(), 3);
        for (const QStringList &c : commands) {
            QCOMPARE(count(c, "M1"), 10);
            QCOMPARE(count(c, "A3"), 10);
            QCOMPARE(count(c, "A0"), 5);
        }
    }

    void readsUdpReaders()
    {
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress("127.0.0.41"), 0));
        const quint16 readerPort = probe.localPort();
        probe.close();
        Sim sim;
        QVERIFY(
            sim.start({"--udp", QString::number(readerPort), "--bind", "127.0.0.41", "--rate", "100"}, 1));
        UdpReadingLinks links;
        links.setTiming(fastTiming());
        links.setBindAddress(QHostAddress::LocalHost);
        links.setLocalPortText("0");
        // The one reader's own address stands in for the broadcast address on loopback.
        links.setBroadcastAddress(QHostAddress("127.0.0.41"));
        links.setDestinationPortText(QString::number(readerPort));
        links.setLocalHostAddress("127.0.0.1");
        ReadingHarness h;
        h.session.start(&links);
        QTRY_VERIFY_WITH_TIMEOUT(sim.heard(1, "A3", 5), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(h.countFrom("127.0.0.41") >= 5, 10000);
        QCOMPARE(links.senderCount(), 1);
        QVERIFY(stopSession(h));
        const auto commands = sim.stopAndListCommands();
        QCOMPARE(commands.size(), 1);
        const QStringList c = commands.first();
        QCOMPARE(c, QStringList() << QStringList(5, "M0") << QStringList(5, "A3") << QStringList(5, "A0"));
    }
};

QTEST_GUILESS_MAIN(TestNetworkSim)
#include "tst_network_sim.moc"
