#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {

QString cliPath()
{
    return qEnvironmentVariable("TALVO_BIN_DIR") + QStringLiteral("/cli/talvo-cli");
}

QByteArray line(const char *uid, const char *rssi, const char *di = "FF")
{
    return QByteArray(uid) + rssi + "A3" + di + '\r';
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct Run
{
    int exitCode = -1;
    QList<QByteArray> out;
    QByteArray err;
};

// Replays `bytes` through `talvo-cli read` with the given extra options. `setUp` runs in the child
// before the program starts (limits, signal dispositions).
Run replay(const QTemporaryDir &dir, const QByteArray &bytes, const QStringList &options,
           const std::function<void()> &setUp = {}, const QProcessEnvironment &env = {})
{
    const QString input = dir.filePath(QStringLiteral("input.bin"));
    QFile f(input);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    f.close();
    QProcess p;
    if (setUp)
        p.setChildProcessModifier(setUp);
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(cliPath(), QStringList{QStringLiteral("read"), QStringLiteral("--replay"), input,
                                   QStringLiteral("--label"), QStringLiteral("COM03")} +
                           options);
    Run run;
    if (!p.waitForFinished(10000))
        return run;
    run.exitCode = p.exitCode();
    run.out = p.readAllStandardOutput().split('\n');
    run.out.removeAll(QByteArray());
    run.err = p.readAllStandardError();
    return run;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

const QByteArray kStream = line("0000000000000001", "50") + line("1000000000000002", "50") // prefix drop
                           + line("0000000000000000", "50")                                // UID check drop
                           + line("0000000000000003", "2F")                                // RSSI drop
                           + line("0000000000000003", "30") + line("0000000000000001", "60", "FE");

} // namespace

class TestCliTables : public QObject
{
    Q_OBJECT
private slots:
    void filtersSelectionAndLogs()
    {
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("logs/run.csv"));
        const Run run =
            replay(dir, kStream,
                   {"--filter", "0000", "--rssi", "48", "--select", "0000000000000001", "--select",
                    "0000000000000003", "--number", "2", "--csv", csv, "--all-tags", "--snapshot"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.size(), 3); // the reports entered into the all-tags table
        QVERIFY(run.out[0].contains("\"uid\":\"0000000000000001\""));
        QVERIFY(run.out[1].contains("\"uid\":\"0000000000000003\""));
        QVERIFY(run.out[2].contains("\"rssi\":96"));
        QVERIFY2(run.err.contains("reports counted 4, entered 3, tags 2, selected found 2 of 2"), run.err);
        QVERIFY2(run.err.contains("CSV lines written 6"), run.err);

        const QList<QByteArray> selected = readAll(csv).split('\n');
        QCOMPARE(selected.size(), 6); // three log lines, two snapshot lines, empty tail
        QVERIFY(
            selected[0].startsWith("0000000001\t,    0000000000000001\t,80\t,163\t,\t,-\t,-\t,COM03\t, "));
        QVERIFY(selected[2].startsWith("0000000003\t,    0000000000000001\t,96\t,163\t,[SW]\t,"));
        QCOMPARE(selected[3], QByteArray("1\t,0000000000000001\t,96\t,163\t,-\t,-\r"));
        QCOMPARE(selected[4], QByteArray("2\t,0000000000000003\t,48\t,163\t,-\t,-\r"));
        QVERIFY(readAll(dir.filePath(QStringLiteral("logs/run_all.csv")))
                    .startsWith("0000000001\t,0000000000000001\t,080\t,163\t,-\t,"));
    }

    void selectionFromSavedList()
    {
        QTemporaryDir dir;
        const QString list = dir.filePath(QStringLiteral("QZKDTAG.CSV"));
        QFile f(list);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("0000000000000003\r\n0000000000000009\r\n");
        f.close();
        const Run run = replay(dir, kStream, {"--selection-file", list});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("tags 4, selected found 1 of 2"), run.err); // restored rows count as tags
        QCOMPARE(readAll(list), QByteArray("0000000000000003\r\n0000000000000009\r\n")); // only read

        const Run missing =
            replay(dir, kStream, {"--selection-file", dir.filePath(QStringLiteral("none.csv"))});
        QCOMPARE(missing.exitCode, 2);
        QVERIFY(missing.out.isEmpty());
    }

    void lostCsvLinesAreReported()
    {
#ifdef Q_OS_UNIX
        // Files may not grow beyond 10 bytes in the program (as on a full disk, a write fails after a
        // short one): no log line fits.
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("held.csv"));
        const auto limitFiles = [] {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 10;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        };
        const Run run = replay(dir, kStream, {"--select", "0000000000000001", "--csv", csv}, limitFiles);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out.size(), 5);                        // reading goes on
        QCOMPARE(run.err.count("CSV line not written"), 1); // the reason once, not per line
        QVERIFY2(run.err.contains(": File too large"), run.err);
        QVERIFY2(!run.err.contains("Unknown error"), run.err);
        QVERIFY2(run.err.contains("CSV lines written 0, CSV lines NOT written 2"), run.err);
        QCOMPARE(readAll(csv), QByteArray()); // no piece of a line stays behind
#else
        QSKIP("file size limits are a Unix matter");
#endif
    }

    void refusesFilesThatAreNotLogs()
    {
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("input.bin")); // what replay() reads
        const QString list = dir.filePath(QStringLiteral("QZKDTAG.CSV"));
        writeFile(list, "0000000000000001\r\n");
        const QString folder = dir.filePath(QStringLiteral("folder.csv"));
        QVERIFY(QDir().mkpath(folder));
        const QString kept = dir.filePath(QStringLiteral("kept.csv"));
        writeFile(kept, "earlier lines\r\n");
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("kept_all.csv"))));
        QList<QStringList> cases{{"--csv", input},
                                 {"--selection-file", list, "--csv", list},
                                 {"--csv", folder},
                                 {"--csv", kept, "--all-tags"}};
#ifdef Q_OS_UNIX
        const QString fifo = dir.filePath(QStringLiteral("fifo.csv"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        cases.append({"--csv", fifo});
        cases.append({"--snapshot", "--csv", fifo});
#endif
        for (const QStringList &options : std::as_const(cases)) {
            const Run run = replay(dir, kStream, options);
            QVERIFY2(run.exitCode == 2, qPrintable(options.join(' ')));
            QVERIFY(run.out.isEmpty());
            QVERIFY2(run.err.contains("is a file this session reads") ||
                         run.err.contains("not a regular file"),
                     run.err);
        }
        QCOMPARE(readAll(input), kStream);
        QCOMPARE(readAll(list), QByteArray("0000000000000001\r\n"));
        QCOMPARE(readAll(kept), QByteArray("earlier lines\r\n"));
        QVERIFY(QFileInfo(folder).isDir());
#ifdef Q_OS_UNIX
        struct stat st
        {
        };
        QVERIFY(::stat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
#endif
    }

    void standardInputIsAnInputToo()
    {
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("stdin.bin"));
        writeFile(input, kStream);
        QProcess p;
        p.setStandardInputFile(input);
        p.start(cliPath(), {"read", "--replay", "-", "--csv", input});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2);
        QCOMPARE(readAll(input), kStream);
    }

    void namesEveryFileItWrites()
    {
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("run.csv"));
        const Run run = replay(dir, kStream, {"--csv", csv, "--all-tags", "--snapshot"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("selected-tags log: " + csv.toUtf8()), run.err);
        QVERIFY2(run.err.contains("all-tags log: " + dir.filePath("run_all.csv").toUtf8()), run.err);
        QVERIFY2(run.err.contains("snapshot at the end: " + csv.toUtf8()), run.err);
    }

    void helpListsTheFallbackOption()
    {
        QProcess p;
        p.start(cliPath(), {"read", "--help"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().contains("--csv-fallback"));
    }

    void folderThatCannotBeMadeIsAnErrorUnlessFallbackIsAsked()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("plainfile")), "x");
        const QString csv = dir.filePath(QStringLiteral("plainfile/sub/run.csv"));
        // The fallback lives in this test's own documents folder.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home/.config")));
        const QString fallback = dir.filePath(QStringLiteral("home/Documents/Talvo.csv"));
        QVERIFY(QDir().mkpath(QFileInfo(fallback).absolutePath()));
        writeFile(fallback, "earlier lines\r\n");

        const QStringList options{"--select", "0000000000000001", "--csv", csv};
        const Run refused = replay(dir, kStream, options, {}, env);
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.err.contains("cannot be created"), refused.err);
        QCOMPARE(readAll(fallback), QByteArray("earlier lines\r\n"));

        const Run fellBack = replay(dir, kStream, options + QStringList{"--csv-fallback"}, {}, env);
        QCOMPARE(fellBack.exitCode, 0);
        QVERIFY2(fellBack.err.contains("the CSV log goes to " + fallback.toUtf8()), fellBack.err);
        QVERIFY2(fellBack.err.contains("selected-tags log: " + fallback.toUtf8()), fellBack.err);
        QVERIFY(readAll(fallback).startsWith("0000000001\t,    0000000000000001\t,"));
    }

    void garbageSelectionLinesAreSkippedWithAWarning()
    {
        QTemporaryDir dir;
        const QString list = dir.filePath(QStringLiteral("QZKDTAG.CSV"));
        writeFile(list, QByteArray("0000000000000003\r\n\x7f"
                                   "ELF\x02\x01\r\nnot a uid at all\r\n\xff\xfe\r\n"));
        const Run run = replay(dir, kStream, {"--selection-file", list});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains(list.toUtf8() + ": 3 lines of the selection list are not tag UIDs"),
                 run.err);
        QVERIFY2(run.err.contains("selected found 1 of 1"), run.err);
    }

    // A bounded table for unattended service: 50 distinct tags through a table of 10; the selected
    // tag seen first stays, the rest make room, and the summary counts those that left.
    void maxTagsBoundsTheTable()
    {
        QTemporaryDir dir;
        QByteArray stream;
        for (int i = 1; i <= 50; ++i)
            stream += line(QByteArray::number(i).rightJustified(16, '0').constData(), "50");
        const Run run = replay(dir, stream, {"--max-tags", "10", "--select", "0000000000000001"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.size(), 50);
        QVERIFY2(run.err.contains("entered 50, tags 10, selected found 1 of 1"), run.err);
        QVERIFY2(run.err.contains("tags that left the table (--max-tags 10) 40"), run.err);
        QVERIFY2(run.err.contains("10 tags in the table (--max-tags)"), run.err);
    }

    void rejectsBadTableOptions_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("all tags without csv") << QStringList{"--all-tags"};
        QTest::newRow("rssi out of range") << QStringList{"--rssi", "256"};
        QTest::newRow("rssi not a number") << QStringList{"--rssi", "x"};
        QTest::newRow("number not a number") << QStringList{"--number", "x"};
        QTest::newRow("number zero") << QStringList{"--number", "0"};
        QTest::newRow("fallback without csv") << QStringList{"--csv-fallback"};
        QTest::newRow("max tags zero") << QStringList{"--max-tags", "0"};
    }
    void rejectsBadTableOptions()
    {
        QFETCH(QStringList, options);
        QTemporaryDir dir;
        const Run run = replay(dir, kStream, options);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliTables)
#include "tst_cli_tables.moc"
