// `talvo-cli read` as a service: --reconnect against readers that go and come back, --config files,
// time-stamped log lines and SIGTERM.
#include "PtyPair.h"
#include "link/CommandFrame.h"

#include "ReportLines.h"
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>

namespace {

QString cliPath()
{
    return qEnvironmentVariable("TALVO_BIN_DIR") + QStringLiteral("/cli/talvo-cli");
}

QString simPath()
{
    return qEnvironmentVariable("TALVO_BIN_DIR") + QStringLiteral("/sim/talvo-sim");
}

// A process whose output is collected as it comes.
struct Run
{
    QProcess process;
    QByteArray out;
    QByteArray err;

    void start(const QString &program, const QStringList &args)
    {
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                         [this] { out += process.readAllStandardOutput(); });
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { err += process.readAllStandardError(); });
        process.start(program, args);
    }
    bool finish()
    {
        const bool done = process.waitForFinished(10000);
        out += process.readAllStandardOutput();
        err += process.readAllStandardError();
        return done;
    }
    void signal(int sig) { ::kill(pid_t(process.processId()), sig); }
};

// A port nothing listens on right now at this address.
quint16 freePort(const QHostAddress &address)
{
    QTcpServer s;
    s.listen(address, 0);
    return s.serverPort();
}

QStringList simArgs(quint16 port)
{
    // In auto-send mode 0 the reader reports only once it has been told "A3" again.
    return {"--tcp-server", QString::number(port), "--bind", "127.0.0.12", "--rate",
            "50",           "--start-mode",        "0",      "--log"};
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return f.fileName();
}

QByteArray report(int n)
{
    return ReportLines::line(n, "FF");
}

QByteArray frames(const char *command, int times)
{
    return CommandFrame::buildCommandFrame(command).repeated(times);
}

// The simulator's log of a command frame it received.
bool heard(const QByteArray &simLog, const char *command)
{
    return QRegularExpression(QStringLiteral("\\|\\.%1[0-9A-F]{2}\\.\\|").arg(QLatin1String(command)))
        .match(QString::fromLatin1(simLog))
        .hasMatch();
}

} // namespace

class TestCliUnattended : public QObject
{
    Q_OBJECT

private slots:
    void reconnectsToASimulatorThatIsRestartedAndStopsItOnSigterm()
    {
        const quint16 port = freePort(QHostAddress("127.0.0.12"));
        QVERIFY(port != 0);
        const QString endpoint = "127.0.0.12:" + QString::number(port);
        auto sim = std::make_unique<Run>();
        sim->start(simPath(), simArgs(port));
        QTRY_VERIFY_WITH_TIMEOUT(sim->out.contains('\n'), 10000); // listening
        Run cli;
        cli.start(cliPath(), {"read", "--tcp", endpoint, "--reconnect"});
        QTRY_VERIFY_WITH_TIMEOUT(cli.out.count('\n') >= 3, 10000);

        sim->process.terminate();
        QVERIFY(sim->finish());
        QTRY_VERIFY_WITH_TIMEOUT(cli.err.contains("reconnecting to " + endpoint.toLatin1() + " in 1 s"),
                                 10000);
        QCOMPARE(cli.process.state(), QProcess::Running);

        sim = std::make_unique<Run>();
        sim->start(simPath(), simArgs(port));
        QTRY_VERIFY_WITH_TIMEOUT(cli.err.contains("reconnected: " + endpoint.toLatin1()), 15000);
        const qsizetype before = cli.out.count('\n');
        QTRY_VERIFY_WITH_TIMEOUT(cli.out.count('\n') >= before + 3, 10000); // reports resume

        cli.signal(SIGTERM);
        QVERIFY(cli.finish());
        QCOMPARE(cli.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.process.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(heard(sim->err, "A0"), 10000); // the restarted reader was told to stop
        sim->process.terminate();
        sim->finish();

        // Every log line carries its local time with milliseconds.
        const QRegularExpression stamped(
            "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d talvo-cli: ");
        for (const QByteArray &line : cli.err.split('\n'))
            if (!line.isEmpty())
                QVERIFY2(stamped.match(QString::fromUtf8(line)).hasMatch(), line.constData());
    }

    // A reader that stops answering without closing (power or cable gone; here a stopped simulator,
    // whose system still holds the connection open) is taken as lost after --idle-timeout.
    void silentReaderIsTakenAsLost()
    {
        const quint16 port = freePort(QHostAddress("127.0.0.12"));
        QVERIFY(port != 0);
        const QByteArray endpoint = "127.0.0.12:" + QByteArray::number(port);
        Run sim;
        sim.start(simPath(), simArgs(port));
        QTRY_VERIFY_WITH_TIMEOUT(sim.out.contains('\n'), 10000); // listening
        Run cli;
        cli.start(cliPath(), {"read", "--tcp", endpoint, "--reconnect", "--idle-timeout", "2"});
        QTRY_VERIFY_WITH_TIMEOUT(cli.out.count('\n') >= 3, 10000);
        sim.signal(SIGSTOP);
        QTRY_VERIFY_WITH_TIMEOUT(cli.err.contains("taken as lost: nothing received for 2 s"), 10000);
        QVERIFY2(cli.err.contains("reconnecting to " + endpoint), cli.err.constData());
        sim.signal(SIGCONT);
        QTRY_VERIFY_WITH_TIMEOUT(cli.err.contains("reconnected: " + endpoint), 15000);
        const qsizetype before = cli.out.count('\n');
        QTRY_VERIFY_WITH_TIMEOUT(cli.out.count('\n') >= before + 3, 10000); // reports resume
        cli.signal(SIGTERM);
        QVERIFY(cli.finish());
        QCOMPARE(cli.process.exitCode(), 0);

        // Without --reconnect the session ends: its only reader is gone.
        Run once;
        once.start(cliPath(), {"read", "--tcp", endpoint, "--idle-timeout", "2"});
        QTRY_VERIFY_WITH_TIMEOUT(once.out.count('\n') >= 3, 10000);
        sim.signal(SIGSTOP);
        QVERIFY(once.finish());
        QCOMPARE(once.process.exitCode(), 1);
        QVERIFY2(once.err.contains("taken as lost") && once.err.contains("no reader left"),
                 once.err.constData());
        sim.signal(SIGCONT);
        sim.process.terminate();
        QVERIFY(sim.finish());
    }

    void idleTimeoutIsForTcpReaders()
    {
        Run p;
        p.start(cliPath(), {"read", "--listen", "0", "--idle-timeout", "5"});
        QVERIFY(p.finish());
        QCOMPARE(p.process.exitCode(), 2);
        QVERIFY2(p.err.contains("--idle-timeout works with --tcp readers"), p.err.constData());
    }

    void reopensASerialPortThatComesBack()
    {
        QTemporaryDir dir;
        const QString device = dir.filePath("ttyREADER");
        auto pty = std::make_unique<PtyPair>();
        QVERIFY(QFile::link(pty->slavePath(), device));
        Run cli;
        // The program must not hold the reader's side open itself, or the device never goes away.
        cli.process.setChildProcessModifier([master = pty->masterFd()] { ::close(master); });
        cli.start(cliPath(), {"read", "--com", "4=" + device, "--reply-wait", "20", "--reconnect"});
        const QByteArray start =
            CommandFrame::buildCommandFrame("M0") + CommandFrame::buildCommandFrame("A3");
        QByteArray got;
        QTRY_COMPARE_WITH_TIMEOUT(got += pty->readAvailable(), start, 10000);
        pty.reset(); // the device goes away
        QTRY_VERIFY_WITH_TIMEOUT(cli.err.contains("reconnecting to COM04 (" + device.toUtf8() + ") in 1 s"),
                                 10000);

        pty = std::make_unique<PtyPair>();
        QVERIFY(QFile::remove(device));
        QVERIFY(QFile::link(pty->slavePath(), device));
        QTRY_VERIFY_WITH_TIMEOUT(cli.err.contains("reconnected: COM04"), 15000);
        QCOMPARE(pty->readAtLeast(int(start.size()), 5000), start); // told to report again
        pty->write(report(44));
        QTRY_VERIFY_WITH_TIMEOUT(cli.out.contains("\"uid\":\"0000000000000044\""), 10000);
        cli.signal(SIGTERM);
        QVERIFY(cli.finish());
        QCOMPARE(cli.process.exitCode(), 0);
        QCOMPARE(pty->readAtLeast(4, 5000), CommandFrame::buildCommandFrame("A0"));
    }

    void configFileGivesOptionsAndTheCommandLineWins()
    {
        QTemporaryDir dir;
        const QString replay = writeFile(dir, "in.txt", report(1) + report(2) + report(3));
        const QString config = writeFile(dir, "read.ini",
                                         "# a reading service\n"
                                         "replay = " +
                                             replay.toUtf8() +
                                             "\n"
                                             "\n"
                                             "label = \" FROM FILE \"\n"
                                             "; CSV rows instead of JSON\n"
                                             "format=csv\n"
                                             "count = 3\n"
                                             "verbose = false\n");
        Run fileOnly;
        fileOnly.start(cliPath(), {"read", "--config", config});
        QVERIFY(fileOnly.finish());
        QCOMPARE(fileOnly.process.exitCode(), 0);
        QVERIFY2(fileOnly.out.startsWith("uid,"), fileOnly.out.constData());
        QCOMPARE(fileOnly.out.count('\n'), 4);
        QVERIFY(fileOnly.out.contains(", FROM FILE \n"));

        Run both;
        both.start(cliPath(),
                   {"read", "--count", "2", "--config", config, "--label", "CLI", "--format", "jsonl"});
        QVERIFY(both.finish());
        QCOMPARE(both.process.exitCode(), 0);
        QCOMPARE(both.out.count('\n'), 2);
        QVERIFY(both.out.contains("\"label\":\"CLI\""));
        QVERIFY(!both.out.contains("FROM FILE"));
    }

    void configFileErrorsNameTheFileLineAndKey_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown key") << QByteArray("replay = x\n\ncolour = red\n")
                                     << ":3: unknown option 'colour'";
        QTest::newRow("switch value")
            << QByteArray("reconnect = sometimes\n") << ":1: reconnect needs true or false";
        QTest::newRow("bad count") << QByteArray("replay = x\ncount = many\n") << ":2: count: --count";
        QTest::newRow("bad port") << QByteArray("\n\ntcp = 127.0.0.1:x\n") << ":3: tcp: --tcp";
        QTest::newRow("not a setting") << QByteArray("replay x\n") << ":1: expected name = value";
        QTest::newRow("a file in a file")
            << QByteArray("config = other.ini\n") << ":1: unknown option 'config'";
        // A NUL would cut the name short (both logs in one file); other control characters end up
        // in file names and log lines.
        QTest::newRow("NUL in a value") << QByteArray("replay = x\ncsv = a.csv\0b\n", 25)
                                        << ":2: csv: control character 0x00 in the value";
        QTest::newRow("escape in a value") << QByteArray("label = A\x1b[2J\nreplay = x\n")
                                           << ":1: label: control character 0x1b in the value";
        QTest::newRow("tab inside a value")
            << QByteArray("replay = x\tz\n") << ":1: replay: control character 0x09 in the value";
    }
    void configFileErrorsNameTheFileLineAndKey()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString config = writeFile(dir, "read.ini", text);
        Run p;
        p.start(cliPath(), {"read", "--config", config});
        QVERIFY(p.finish());
        QCOMPARE(p.process.exitCode(), 2);
        QVERIFY2(p.err.contains((config + expected).toUtf8()), p.err.constData());
        QVERIFY(p.out.isEmpty());
    }

    void conflictBetweenFileAndCommandLineNamesTheFile()
    {
        QTemporaryDir dir;
        const QString config = writeFile(dir, "read.ini", "tcp = 127.0.0.1:4001\n");
        Run p;
        p.start(cliPath(), {"read", "--config", config, "--listen", "0"});
        QVERIFY(p.finish());
        QCOMPARE(p.process.exitCode(), 2);
        QVERIFY2(p.err.contains("one kind of link") && p.err.contains(config.toUtf8()), p.err.constData());
    }

    void missingConfigFileIsAUsageError()
    {
        Run p;
        p.start(cliPath(), {"read", "--config", "/nonexistent/read.ini"});
        QVERIFY(p.finish());
        QCOMPARE(p.process.exitCode(), 2);
        QVERIFY2(p.err.contains("/nonexistent/read.ini"), p.err.constData());
    }

    void sigtermStopsTheReadersAndExitsCleanly()
    {
        QTcpServer reader;
        QVERIFY(reader.listen(QHostAddress("127.0.0.13"), 0));
        Run cli;
        cli.start(cliPath(), {"read", "--tcp", "127.0.0.13:" + QString::number(reader.serverPort())});
        QVERIFY(reader.waitForNewConnection(10000));
        QTcpSocket *c = reader.nextPendingConnection();
        QByteArray received;
        connect(c, &QTcpSocket::readyRead, this, [&] { received += c->readAll(); });
        QTRY_COMPARE_WITH_TIMEOUT(received, (frames("M1", 1) + frames("A3", 1)).repeated(10), 10000);
        c->write(report(5));
        QTRY_VERIFY_WITH_TIMEOUT(cli.out.contains("\"uid\":\"0000000000000005\""), 10000);
        cli.signal(SIGTERM);
        QVERIFY(cli.finish());
        QCOMPARE(cli.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.process.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(received.endsWith(frames("A0", 5)), 10000);
    }
};

QTEST_GUILESS_MAIN(TestCliUnattended)
#include "tst_cli_unattended.moc"
