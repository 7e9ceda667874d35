// `talvo-cli tag` end to end against the simulated reader on a pty and over TCP: setting and
// reading a tag's active time (text and JSON output, progress on standard error), a tag that never
// answers, a link lost while polling, provisioning plans (checked first; files that must not be
// used; a result that cannot be written; a stopped plan), and the usage errors that keep anything
// from being sent.
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/TagPopulation.h"
#include "sim/TcpServerTransport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

class TestCliTag : public QObject
{
    Q_OBJECT

    TagPopulation m_tags{4, 11};
    std::unique_ptr<ReaderChannel> m_sim;
    QList<QByteArray> m_heard;

    // The simulated reader; returns the link options that reach it.
    QStringList startSim(const QString &kind, ReaderChannel::Settings s = {})
    {
        s.reader.airDelayMs = 20;
        std::unique_ptr<SimTransport> transport;
        if (kind == QLatin1String("serial")) {
            s.reader.portKind = SimReader::PortKind::Serial;
            transport = std::make_unique<PtyTransport>();
        } else {
            transport = std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0);
        }
        m_sim = std::make_unique<ReaderChannel>(&m_tags, std::move(transport), s);
        connect(m_sim.get(), &ReaderChannel::commandAnswered, this,
                [this](const QByteArray &command) { m_heard.append(command); });
        if (!m_sim->open())
            return {};
        if (kind == QLatin1String("serial"))
            return {QStringLiteral("--com"), QStringLiteral("1=") + m_sim->transport().endpoint()};
        return {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(m_sim->transport().localPort())};
    }

    QString uid() const { return QString::fromLatin1(m_tags.tag(1).uid); }

    // Runs talvo-cli with the event loop turning, so the in-process reader answers.
    static Run run(const QStringList &args)
    {
        QProcess p;
        p.start(cliPath(), QStringList{QStringLiteral("tag")} + args);
        Run r;
        if (!p.waitForStarted(10000))
            return r;
        if (!QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 60000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

private slots:
    void init() { m_heard.clear(); }
    void cleanup() { m_sim.reset(); }

    void setThenGet_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("serial") << QStringLiteral("serial");
        QTest::newRow("tcp") << QStringLiteral("tcp");
    }
    void setThenGet()
    {
        QFETCH(QString, kind);
        const QStringList link = startSim(kind);
        QVERIFY(!link.isEmpty());
        const QStringList scale{QStringLiteral("--timing-scale"), QStringLiteral("5")};
        Run r = run(link + scale +
                    QStringList{"--uid", uid(), "set-active-time", "--interval", "12", "--count", "100"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Set TAG Ok\n"));
        QVERIFY(r.err.startsWith("Please Wait!!\nSetting TAG ......10\nSetting TAG ......30\n"));
        QCOMPARE(m_tags.tag(1).registers[0x40], quint8(12));
        QCOMPARE(m_tags.tag(1).registers[0x41], quint8(100));

        r = run(link + scale + QStringList{"--uid", uid(), "get-active-time"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("interval=12 count=100\n"));
        QVERIFY(r.err.contains("Getting TAG......30\n"));

        m_heard.clear();
        r = run(link + scale + QStringList{"--uid", uid(), "--format", "json", "get-active-time"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.value("command").toString(), QStringLiteral("get-active-time"));
        QCOMPARE(o.value("uid").toString(), uid());
        QCOMPARE(o.value("ok").toBool(), true);
        QCOMPARE(o.value("text").toString(), QStringLiteral("Set TAG Ok"));
        QCOMPARE(o.value("values").toObject(), (QJsonObject{{"40", 12}, {"41", 100}}));
        QCOMPARE(o.value("session_closed").toBool(false), true);
        QStringList sent;
        for (const QJsonValue &v : o.value("sent").toArray())
            sent.append(v.toString());
        QStringList heard;
        for (const QByteArray &c : m_heard)
            heard.append(QString::fromLatin1(c));
        QCOMPARE(sent, heard); // every command, in the order the reader got them
        QCOMPARE(sent.first(), QStringLiteral("A0"));
        QCOMPARE(sent.at(1), QStringLiteral("E") + uid() + QStringLiteral("r4000"));
        const qsizetype closing = sent.lastIndexOf(QStringLiteral("E") + uid() + QStringLiteral("X0000"));
        QVERIFY(closing > 2);
        for (qsizetype i = closing + 1; i < sent.size(); ++i)
            QCOMPARE(sent.at(i), QStringLiteral("C")); // polls until the tag acknowledges the end
        QVERIFY(closing < sent.size() - 1);
    }

    void tagNeverAnswers()
    {
        ReaderChannel::Settings s;
        s.reader.noAck = true;
        const QStringList link = startSim(QStringLiteral("serial"), s);
        const Run r =
            run(link + QStringList{"--timing-scale", "100", "--reply-wait", "200", "--uid", uid(), "--format",
                                   "json", "set-active-time", "--interval", "0", "--count", "1"});
        QCOMPARE(r.exitCode, 1);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.value("ok").toBool(), false);
        QCOMPARE(o.value("text").toString(), QStringLiteral("Set TAG Active Time Error!"));
        QCOMPARE(o.value("values").toObject(), QJsonObject());
        QCOMPARE(o.value("session_closed").toBool(true), false);
        QVERIFY(r.err.contains("Setting TAG ......30\n"));
        QVERIFY(r.err.endsWith("Set TAG Active Time Error!\n"));
    }

    // Ctrl-C (or SIGTERM) once the tag was addressed: the tag session is still closed.
    void stopClosesTheTagSession()
    {
        ReaderChannel::Settings s;
        s.reader.noAck = true;
        const QStringList link = startSim(QStringLiteral("serial"), s);
        QProcess p;
        QByteArray err;
        QVERIFY(startUntilSaid(p, link + QStringList{"--uid", uid(), "get-active-time"},
                               "Getting TAG......30", &err));
        p.terminate();
        QVERIFY(QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 20000));
        QCOMPARE(p.exitCode(), 1);
        QCOMPARE(p.readAllStandardOutput(), QByteArray("Cancelled\n"));
        QCOMPARE(m_heard.last(), "E" + uid().toLatin1() + "X0000");
    }

    // The other commands by their script names: the register, what is printed, what the tag holds.
    void everyKindOfCommand()
    {
        const QStringList link = startSim(QStringLiteral("tcp")) + QStringList{"--timing-scale", "5"};
        const QStringList tag{"--uid", uid()};
        Run r = run(link + tag + QStringList{"set-receive-count", "0"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Set TAG Ok\n"));
        QCOMPARE(m_tags.tag(1).registers[0x43], quint8(0));
        r = run(link + tag + QStringList{"get-receive-count"});
        QCOMPARE(r.out, QByteArray("count=0\n"));
        r = run(link + tag + QStringList{"version"});
        QCOMPARE(r.out, QByteArray("TAG Version 1.2\n"));
        r = run(link + tag + QStringList{"power-key-mode", "1"});
        QCOMPARE(r.out, QByteArray("Set TAG Power On/Off Mode Ok.\n"));
        QCOMPARE(m_tags.tag(1).registers[0x45], quint8(1));
        r = run(link + tag + QStringList{"anti-tamper", "off"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Set TAG Ok\n"));
        QTRY_COMPARE(m_tags.tag(1).registers[0x54], quint8(0));
        // Done once "X0000" went out: the text is the plain success text, the JSON says the end of
        // the tag session was not confirmed.
        r = run(link + tag + QStringList{"--format", "json", "alarm-beep", "on"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject alarmBeep = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(alarmBeep.value("text").toString(), QStringLiteral("Set TAG Ok"));
        QCOMPARE(alarmBeep.value("session_closed").toBool(true), false);
        m_heard.clear();
        r = run(link + tag + QStringList{"led", "--led1", "off", "--led2", "off", "--time", "30"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Set TAG LED Ok.\n"));
        QCOMPARE(m_heard, (QList<QByteArray>{"E" + uid().toLatin1() + "L001E"}));
        r = run(link + tag +
                QStringList{"--page", "WK", "set-active-time", "--interval", "20", "--count", "255"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Set TAG Active Time Ok.\n"));
        QCOMPARE(m_tags.tag(1).registers[0x40], quint8(20));
    }

    void explainSendsNothing()
    {
        Run r = run({"--explain", "low-level", "100", "--standard-temp", "36"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QString("position 100 = 35.9 \u2103\n").toUtf8());
        r = run({"--explain", "set-active-time", "--interval", "11", "--count", "2"});
        QCOMPARE(r.out, QByteArray("count 2 = 2\ninterval 11 = 5 Sec\n"));
        r = run({"--explain", "high-level", "0"});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("high-level takes 1..100"));
    }

    // A plan with one silent tag and one malformed row: refused whole unless bad rows are skipped;
    // then the others succeed, the result names each row, the exit status says not all did; the
    // retry runs only the failed rows.
    void plan()
    {
        ReaderChannel::Settings s;
        s.reader.silentUids = {m_tags.tag(2).uid};
        const QStringList link = startSim(QStringLiteral("serial"), s);
        QTemporaryDir dir;
        const QString planPath = dir.filePath("plan.csv");
        QFile f(planPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("uid,command,args\n");
        for (int i = 0; i < 4; ++i)
            f.write(m_tags.tag(i).uid + ",set-active-time,--interval 3 --count 7\n");
        f.write(m_tags.tag(0).uid + ",get-active-time,\n");
        f.write(m_tags.tag(0).uid + ",set-pa,0\n");
        f.close();
        const QStringList timing{"--timing-scale", "100", "--reply-wait", "200"};
        const QString resultPath = dir.filePath("result.csv");
        Run r = run(link + timing + QStringList{"--plan", planPath, "--result", resultPath});
        QCOMPARE(r.exitCode, 2); // checked first: the bad row is named, nothing is sent
        QVERIFY2(r.err.contains(planPath.toUtf8() + ":7: set-pa takes 1..100"), r.err.constData());
        QVERIFY(m_heard.isEmpty());
        QVERIFY(!QFile::exists(resultPath));
        r = run(link + timing + QStringList{"--plan", planPath, "--result", resultPath, "--skip-bad-rows"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("6/6 rows done, 2 failed"));
        QFile result(resultPath);
        QVERIFY(result.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = result.readAll().split('\n');
        QCOMPARE(lines.at(0), QByteArray("uid,command,args,ok,text,values,seconds"));
        QVERIFY(lines.at(1).startsWith(m_tags.tag(0).uid +
                                       ",set-active-time,--interval 3 --count 7,1,Set TAG Ok,,"));
        QVERIFY(lines.at(3).startsWith(
            m_tags.tag(2).uid + ",set-active-time,--interval 3 --count 7,0,Set TAG Active Time Error!,,"));
        QVERIFY(lines.at(5).startsWith(m_tags.tag(0).uid + ",get-active-time,,1,Set TAG Ok,40=3;41=7,"));
        QVERIFY(lines.at(6).contains(",set-pa,0,0,\"set-pa takes 1..100, got '0';"));

        m_sim.reset();
        const QStringList again = startSim(QStringLiteral("serial"));
        const QString retryPath = dir.filePath("retry.csv");
        r = run(again + timing +
                QStringList{"--retry-failed", resultPath, "--result", retryPath, "--skip-bad-rows"});
        QCOMPARE(r.exitCode, 1); // the malformed row stays malformed
        QVERIFY(r.err.contains("2/2 rows done, 1 failed"));
        QCOMPARE(m_tags.tag(2).registers[0x41], quint8(7));
    }

    // Starts "tag" with `args` and reads its error output until it says `text`; false if it never does.
    static bool startUntilSaid(QProcess &p, const QStringList &args, const QByteArray &text, QByteArray *err)
    {
        p.start(cliPath(), QStringList{QStringLiteral("tag")} + args);
        return p.waitForStarted(10000) && QTest::qWaitFor(
                                              [&] {
                                                  *err += p.readAllStandardError();
                                                  return err->contains(text);
                                              },
                                              20000);
    }

    static QString writePlan(const QString &path, const QList<QByteArray> &uids)
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write("uid,command,args\n");
        for (const QByteArray &uid : uids)
            f.write(uid + ",set-receive-count,5\n");
        return path;
    }

    static QList<QByteArray> fileLines(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> lines = f.readAll().split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    // Plan and result files that must not be used: the result is the plan under another name, a
    // device, a FIFO, a plan too large. Each is refused at once with status 2, nothing is sent, the
    // plan is left as it was.
    void unusableFilesAreRefused()
    {
        const QStringList link = startSim(QStringLiteral("serial"));
        QTemporaryDir dir;
        const QString plan = writePlan(dir.filePath("plan.csv"), {m_tags.tag(0).uid, m_tags.tag(1).uid});
        const QByteArray planText = fileLines(plan).join('\n');
        QVERIFY(QFile::link(plan, dir.filePath("link.csv")));
        QVERIFY(::link(QFile::encodeName(plan).constData(),
                       QFile::encodeName(dir.filePath("hard.csv")).constData()) == 0);
        const QString fifo = dir.filePath("fifo");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const QString big = dir.filePath("big.csv");
        QFile bigFile(big);
        QVERIFY(bigFile.open(QIODevice::WriteOnly) && bigFile.write("uid,command,args\n") > 0 &&
                bigFile.resize(33 * 1024 * 1024));
        bigFile.close();
        const QString result = dir.filePath("result.csv");
        const QString earlier = dir.filePath("r.csv");
        QFile earlierFile(earlier);
        QVERIFY(earlierFile.open(QIODevice::WriteOnly));
        earlierFile.write("uid,command,args,ok,text,values,seconds\n" + m_tags.tag(0).uid +
                          ",set-receive-count,5,1,Set TAG Ok,,0.10\n" + m_tags.tag(1).uid +
                          ",set-receive-count,5,0,Cancelled,,0.10\n");
        earlierFile.close();
        const QByteArray earlierText = fileLines(earlier).join('\n');
        const QList<QPair<QStringList, QByteArray>> cases{
            {{"--plan", plan, "--result", QDir(dir.path()).relativeFilePath(plan)}, "are one file"},
            {{"--plan", plan, "--result", dir.filePath("link.csv")}, "are one file"},
            {{"--plan", plan, "--result", dir.filePath("hard.csv")}, "are one file"},
            {{"--plan", dir.filePath("link.csv"), "--result", plan}, "are one file"},
            {{"--retry-failed", "r.csv", "--result", "./r.csv"}, "are one file"},
            {{"--plan", "/dev/zero", "--result", result}, "/dev/zero: not a regular file"},
            {{"--plan", fifo, "--result", result}, "fifo: not a regular file"},
            {{"--plan", plan, "--result", fifo}, "fifo: not a regular file"},
            {{"--plan", plan, "--result", "/dev/full"}, "/dev/full: not a regular file"},
            {{"--plan", big, "--result", result}, "big.csv: larger than 33554432 bytes"},
        };
        for (const auto &[args, message] : cases) {
            QProcess p;
            p.setWorkingDirectory(dir.path());
            p.start(cliPath(), QStringList{"tag"} + link + args);
            QVERIFY(p.waitForStarted(10000));
            QVERIFY2(QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 10000),
                     qPrintable(args.join(' ')));
            const QByteArray err = p.readAllStandardError();
            QCOMPARE(p.exitCode(), 2);
            QVERIFY2(err.contains(message), err.constData());
        }
        QCOMPARE(fileLines(plan).join('\n'), planText);
        QCOMPARE(fileLines(earlier).join('\n'), earlierText);
        QVERIFY(!QFile::exists(result));
        QTest::qWait(20);
        QVERIFY(m_heard.isEmpty());
    }

    // A result that stops taking lines (here a file size limit; a full disk alike): the plan stops,
    // the status is 1 with the system's reason, and the file keeps the header and whole rows only.
    void aResultThatCannotBeWrittenStopsThePlan()
    {
        const QStringList link = startSim(QStringLiteral("serial"));
        QTemporaryDir dir;
        QList<QByteArray> uids;
        for (int i = 0; i < 30; ++i)
            uids.append(m_tags.tag(i % 4).uid);
        const QString plan = writePlan(dir.filePath("plan.csv"), uids);
        const QString result = dir.filePath("result.csv");
        QProcess p;
        // 1 KiB at most; the signal that would end the program is ignored, so writes fail instead.
        p.start(QStringLiteral("bash"),
                QStringList{"-c", "ulimit -f 1; trap '' XFSZ; exec \"$0\" \"$@\"", cliPath(), "tag"} + link +
                    QStringList{"--timing-scale", "20", "--plan", plan, "--result", result});
        QVERIFY(p.waitForStarted(10000));
        QVERIFY(QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 60000));
        const QByteArray err = p.readAllStandardError();
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(err.contains("result.csv: File too large"), err.constData());
        const QList<QByteArray> lines = fileLines(result);
        QVERIFY(lines.size() > 2 && lines.size() < 31);
        QCOMPARE(lines.first(), QByteArray("uid,command,args,ok,text,values,seconds"));
        for (qsizetype i = 1; i < lines.size(); ++i)
            QVERIFY2(lines.at(i).contains(",set-receive-count,5,1,Set TAG Ok,,"), lines.at(i).constData());
        QVERIFY(QFileInfo(result).size() <= 1024);
    }

    // Stopped at the second row of eight: that row is cancelled, the six never reached are written
    // as not run and counted, and a retry of the result runs all seven.
    void aStoppedPlanKeepsItsUnrunRows()
    {
        ReaderChannel::Settings s;
        QList<QByteArray> uids{m_tags.tag(0).uid};
        for (int i = 0; i < 7; ++i)
            uids.append(m_tags.tag(1 + i % 3).uid);
        s.reader.silentUids = uids.mid(1);
        const QStringList link = startSim(QStringLiteral("serial"), s);
        QTemporaryDir dir;
        const QString plan = writePlan(dir.filePath("plan.csv"), uids);
        const QString result = dir.filePath("result.csv");
        QProcess p;
        QByteArray err;
        QVERIFY(startUntilSaid(p,
                               link + QStringList{"--timing-scale", "5", "--plan", plan, "--result", result},
                               "1/8 rows done", &err));
        p.terminate();
        QVERIFY(QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 20000));
        err += p.readAllStandardError();
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(err.contains("1 of 8 rows failed, 6 not run; result in "), err.constData());
        const QList<QByteArray> lines = fileLines(result);
        QCOMPARE(lines.size(), 9);
        QVERIFY(lines.at(1).contains(",1,Set TAG Ok,"));
        QVERIFY(lines.at(2).contains(",0,Cancelled,"));
        for (int i = 3; i < 9; ++i)
            QCOMPARE(lines.at(i), uids.at(i - 1) + ",set-receive-count,5,0,Not run,,0.00");

        m_sim.reset();
        const QStringList again = startSim(QStringLiteral("serial"));
        const Run r = run(again + QStringList{"--timing-scale", "20", "--retry-failed", result, "--result",
                                              dir.filePath("retry.csv")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains("0 of 7 rows failed; result in "), r.err.constData());
    }

    // The link drops while the tag is being polled: the command fails at once with the system's
    // reason and lists only commands that went out.
    void aLinkLostWhilePollingFailsAtOnce()
    {
        ReaderChannel::Settings s;
        s.reader.noAck = true;
        const QStringList link = startSim(QStringLiteral("tcp"), s);
        QProcess p;
        QByteArray err;
        QVERIFY(startUntilSaid(p, link + QStringList{"--uid", uid(), "--format", "json", "get-active-time"},
                               "Getting TAG......30", &err));
        const qsizetype heard = m_heard.size();
        QElapsedTimer clock;
        clock.start();
        m_sim.reset();
        QVERIFY(QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 20000));
        QVERIFY(clock.elapsed() < 10000); // not the rest of the 30-second window
        QCOMPARE(p.exitCode(), 1);
        const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        QCOMPARE(o.value("ok").toBool(), false);
        QVERIFY2(o.value("detail").toString().contains("closed"), qPrintable(o.value("detail").toString()));
        QVERIFY(o.value("sent").toArray().size() <= heard + 1);
        err += p.readAllStandardError();
        QVERIFY(err.contains("closed"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString good = QStringLiteral("0000000000001148");
        QTest::newRow("no link") << QStringList{"--uid", good, "get-active-time"} << "exactly one link";
        QTest::newRow("no uid") << QStringList{"--com", "1", "get-active-time"} << "--uid";
        QTest::newRow("short uid") << QStringList{"--com", "1", "--uid", "1148", "get-active-time"}
                                   << "Invalid TAG ID";
        QTest::newRow("lower-case uid")
            << QStringList{"--com", "1", "--uid", "00000000000011a8", "get-active-time"} << "Invalid TAG ID";
        QTest::newRow("no command") << QStringList{"--com", "1", "--uid", good} << "no command";
        QTest::newRow("unknown") << QStringList{"--com", "1", "--uid", good, "tag-on"}
                                 << "unknown tag command";
        QTest::newRow("no interval") << QStringList{"--com",           "1",       "--uid", good,
                                                    "set-active-time", "--count", "1"}
                                     << "--interval is missing";
        QTest::newRow("interval 16") << QStringList{"--com",      "1",  "--uid",   good, "set-active-time",
                                                    "--interval", "16", "--count", "1"}
                                     << "--interval takes 0..15";
        QTest::newRow("count 0") << QStringList{"--com",      "1", "--uid",   good, "set-active-time",
                                                "--interval", "1", "--count", "0"}
                                 << "--count takes 1..255";
        QTest::newRow("count with get")
            << QStringList{"--com", "1", "--uid", good, "get-active-time", "--count", "1"}
            << "does not go with get-active-time";
        QTest::newRow("extra argument")
            << QStringList{"--com", "1", "--uid", good, "get-active-time", "x"} << "unexpected argument";
        QTest::newRow("port not a number")
            << QStringList{"--tcp", "127.0.0.1:4001x", "--uid", good, "version"}
            << "--tcp needs a port number";
    }
    void planUsageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no result") << QStringList{"--com", "1", "--plan", "p.csv"} << "--result";
        QTest::newRow("with uid") << QStringList{"--com",    "1",     "--plan", "p.csv",
                                                 "--result", "r.csv", "--uid",  "0000000000001148"}
                                  << "no --uid";
        QTest::newRow("same file") << QStringList{"--com", "1", "--plan", "p.csv", "--result", "p.csv"}
                                   << "another file";
        QTest::newRow("skip without plan")
            << QStringList{"--com", "1", "--uid", "0000000000001148", "--skip-bad-rows", "version"}
            << "--skip-bad-rows goes with";
    }
    void planUsageErrors() { usageErrors(); }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        QVERIFY(r.out.isEmpty());
    }

    void help()
    {
        const Run r = run({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith("Usage: talvo-cli tag LINK --uid UID [options] COMMAND [ARGS]\n"));
        QVERIFY(r.out.contains("set-active-time --interval 0..15 --count 1..255"));
        QVERIFY(r.out.contains("get-active-time"));
        QVERIFY(r.out.contains("--uid"));
        QVERIFY(r.out.contains("--tcp"));
    }
};

QTEST_GUILESS_MAIN(TestCliTag)
#include "tst_cli_tag.moc"
