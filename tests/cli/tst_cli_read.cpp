#include "PtyPair.h"
#include "link/CommandFrame.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>
#include <csignal>
#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

QString cliPath()
{
    return qEnvironmentVariable("TALVO_BIN_DIR") + QStringLiteral("/cli/talvo-cli");
}

QByteArray report(int n, const char *words = "")
{
    return QByteArray::number(n).rightJustified(16, '0') + "50A3FE" + words + '\r';
}

} // namespace

class TestCliRead : public QObject
{
    Q_OBJECT
private slots:
    void replaysAFileAsJsonLines()
    {
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write(report(1) + "noise\r" + report(2, "0320") + "\x02V12\r" + report(3).left(10));
        file.close();
        QProcess p;
        p.start(cliPath(), {QStringLiteral("read"), QStringLiteral("--replay"), file.fileName(),
                            QStringLiteral("--label"), QStringLiteral("LAB")});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
        QCOMPARE(lines.size(), 3); // two reports and the empty tail
        const QJsonObject second = QJsonDocument::fromJson(lines[1]).object();
        QCOMPARE(second[QStringLiteral("uid")].toString(), QStringLiteral("0000000000000002"));
        QCOMPARE(second[QStringLiteral("rssi")].toInt(), 0x50);
        QCOMPARE(second[QStringLiteral("lqi")].toInt(), 0xA3);
        QCOMPARE(second[QStringLiteral("di")].toString(), QStringLiteral("[SW]"));
        QCOMPARE(second[QStringLiteral("t1")].toString(), QStringLiteral("25.00 C / 77.00 F"));
        QCOMPARE(second[QStringLiteral("kind")].toString(), QStringLiteral("one-temperature"));
        QCOMPARE(second[QStringLiteral("label")].toString(), QStringLiteral("LAB"));
    }

    // The coverage file at the end of a session: one line per tag and reader, or exit status 1 with
    // the reason when it cannot be written.
    void writesCoverageAtTheEnd()
    {
        QTemporaryDir dir;
        QTemporaryFile input;
        QVERIFY(input.open());
        input.write(report(1) + report(2) + report(1));
        input.close();
        const auto run = [&input](const QString &coverage, QByteArray *err) {
            QProcess p;
            p.start(cliPath(),
                    {"read", "--replay", input.fileName(), "--label", "LAB", "--coverage", coverage});
            if (!p.waitForFinished(10000))
                return -1;
            *err = p.readAllStandardError();
            return p.exitCode();
        };
        QByteArray err;
        QCOMPARE(run(dir.filePath("cov.csv"), &err), 0);
        QFile file(dir.filePath("cov.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QByteArray("uid,reader,reports,last_rssi,max_rssi,last_seen"));
        QVERIFY(lines[1].startsWith("0000000000000001,LAB,2,80,80,"));
        QVERIFY(lines[2].startsWith("0000000000000002,LAB,1,80,80,"));
        const QByteArray seen = lines[1].split(',').last();
        QVERIFY(QDateTime::fromString(QString::fromLatin1(seen), Qt::ISODateWithMs).isValid());

        QCOMPARE(run(dir.filePath("missing/cov.csv"), &err), 1);
        QVERIFY2(err.contains("coverage file"), err.constData());
    }

    void readsStandardInputAndStopsAtCount()
    {
        QProcess p;
        p.start(cliPath(), {QStringLiteral("read"), QStringLiteral("--replay"), QStringLiteral("-"),
                            QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--format"),
                            QStringLiteral("csv"), QStringLiteral("--types"), QStringLiteral("standard")});
        QVERIFY(p.waitForStarted());
        p.write(report(1) + report(2, "0320") + report(3) + report(4));
        QVERIFY(p.waitForFinished(10000)); // ends at the count with stdin still open
        QCOMPARE(p.exitCode(), 0);
        const QByteArray out = p.readAllStandardOutput();
        QCOMPARE(out, QByteArray("uid,rssi,lqi,di,t1,t2,kind,label\n"
                                 "0000000000000001,80,163,[SW],-,-,standard,REPLAY\n"
                                 "0000000000000003,80,163,[SW],-,-,standard,REPLAY\n"));
    }

    void rejectsBadArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing to read") << QStringList{"read"};
        QTest::newRow("unknown option") << QStringList{"read", "--replay", "-", "--bogus"};
        QTest::newRow("bad port") << QStringList{"read", "--com", "0"};
        QTest::newRow("bad count") << QStringList{"read", "--replay", "-", "--count", "x"};
        QTest::newRow("bad type") << QStringList{"read", "--replay", "-", "--types", "standard,hot"};
        QTest::newRow("two link kinds") << QStringList{"read", "--replay", "-", "--com", "1"};
        QTest::newRow("duration zero") << QStringList{"read", "--replay", "-", "--duration", "0"};
        QTest::newRow("duration infinite") << QStringList{"read", "--replay", "-", "--duration", "inf"};
        QTest::newRow("duration nan") << QStringList{"read", "--replay", "-", "--duration", "nan"};
        QTest::newRow("duration 31710 years") << QStringList{"read", "--replay", "-", "--duration", "1e12"};
        QTest::newRow("unknown command") << QStringList{"write"};
    }
    void rejectsBadArguments()
    {
        QFETCH(QStringList, args);
        QProcess p;
        p.start(cliPath(), args);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        QVERIFY(!p.readAllStandardError().isEmpty());
    }

    void replayThatCannotBeReadFails()
    {
        QTemporaryDir dir;
        for (const QString &path : {dir.filePath(QStringLiteral("missing.txt")), dir.path()}) {
            QProcess p;
            p.start(cliPath(), {QStringLiteral("read"), QStringLiteral("--replay"), path});
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), 1);
            const QByteArray err = p.readAllStandardError();
            QVERIFY2(err.contains(path.toUtf8() + " could not be opened"), err);
        }
    }

    void closedStandardOutputEndsTheSession()
    {
#ifdef Q_OS_UNIX
        // Standard output is a pipe nobody reads any more (`talvo-cli read ... | head -1` once head
        // has gone). The session ends by itself with a message, not killed by SIGPIPE and not running on.
        int fds[2];
        QCOMPARE(::pipe(fds), 0);
        ::close(fds[0]);
        const int writeEnd = fds[1];
        QProcess p;
        p.setChildProcessModifier([writeEnd] { ::dup2(writeEnd, STDOUT_FILENO); });
        p.start(cliPath(), {QStringLiteral("read"), QStringLiteral("--replay"), QStringLiteral("-")});
        QVERIFY(p.waitForStarted());
        ::close(writeEnd);
        p.write(report(1) + report(2));
        QVERIFY(p.waitForFinished(10000)); // standard input stays open
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(err.contains("standard output could not be written: Broken pipe"), err);
#else
        QSKIP("pipes and SIGPIPE are a Unix matter");
#endif
    }

    void durationEndsTheSession()
    {
        QProcess p;
        p.start(cliPath(), {QStringLiteral("read"), QStringLiteral("--replay"), QStringLiteral("-"),
                            QStringLiteral("--duration"), QStringLiteral("0.3")});
        QVERIFY(p.waitForStarted());
        p.write(report(1));
        QVERIFY(p.waitForFinished(10000)); // standard input stays open
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().contains("\"uid\":\"0000000000000001\""));
    }

    void durationBeyondTwentyFourDaysRuns()
    {
        // 2,147,484 s is more milliseconds than an int holds: the session must run, not overflow.
        QProcess p;
        QByteArray out;
        QByteArray err;
        connect(&p, &QProcess::readyReadStandardOutput, this, [&] { out += p.readAllStandardOutput(); });
        connect(&p, &QProcess::readyReadStandardError, this, [&] { err += p.readAllStandardError(); });
        p.start(cliPath(), {QStringLiteral("read"), QStringLiteral("--replay"), QStringLiteral("-"),
                            QStringLiteral("--duration"), QStringLiteral("2147484")});
        QVERIFY(p.waitForStarted());
        p.write(report(1));
        QTRY_VERIFY_WITH_TIMEOUT(out.contains("\"uid\":\"0000000000000001\""), 10000);
        QCOMPARE(p.state(), QProcess::Running);
        QVERIFY2(!err.contains("negative"), err);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
    }

    void everySerialPortGoneEndsTheSession()
    {
        auto pty = std::make_unique<PtyPair>();
        QVERIFY(pty->isValid());
        QByteArray received;
        auto notifier = std::make_unique<QSocketNotifier>(pty->masterFd(), QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, [&] { received += pty->readAvailable(); });
        QProcess p;
        // The program must not hold the reader's side open itself, or the device never goes away.
        p.setChildProcessModifier([master = pty->masterFd()] { ::close(master); });
        p.start(cliPath(),
                {QStringLiteral("read"), QStringLiteral("--com"), QStringLiteral("2=") + pty->slavePath(),
                 QStringLiteral("--reply-wait"), QStringLiteral("20")});
        const QByteArray start =
            CommandFrame::buildCommandFrame("M0") + CommandFrame::buildCommandFrame("A3");
        QTRY_COMPARE_WITH_TIMEOUT(received, start, 10000);
        pty->write(report(9));
        QTRY_VERIFY_WITH_TIMEOUT(p.bytesAvailable() > 0, 10000);
        notifier.reset();
        pty.reset(); // the device goes away
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 1);
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(err.contains("every serial port has failed"), err);
        QVERIFY(p.readAllStandardOutput().contains("\"uid\":\"0000000000000009\""));
    }

    void interruptStillStopsTheReaders()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        QByteArray received;
        QSocketNotifier notifier(pty.masterFd(), QSocketNotifier::Read);
        connect(&notifier, &QSocketNotifier::activated, this, [&] { received += pty.readAvailable(); });
        QProcess p;
        p.start(cliPath(),
                {QStringLiteral("read"), QStringLiteral("--com"), QStringLiteral("2=") + pty.slavePath(),
                 QStringLiteral("--reply-wait"), QStringLiteral("20")});
        const QByteArray start =
            CommandFrame::buildCommandFrame("M0") + CommandFrame::buildCommandFrame("A3");
        QTRY_COMPARE_WITH_TIMEOUT(received, start, 10000);
        pty.write(report(9));
        QTRY_VERIFY_WITH_TIMEOUT(p.bytesAvailable() > 0 || p.canReadLine(), 10000);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QTRY_COMPARE(received, start + CommandFrame::buildCommandFrame("A0"));
        QVERIFY(p.readAllStandardOutput().contains("\"uid\":\"0000000000000009\""));
    }
};

QTEST_GUILESS_MAIN(TestCliRead)
#include "tst_cli_read.moc"
