#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

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

// Replays `bytes` through `talvo-cli read` with the given extra options.
Run replay(const QTemporaryDir &dir, const QByteArray &bytes, const QStringList &options)
{
    const QString input = dir.filePath(QStringLiteral("input.bin"));
    QFile f(input);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    f.close();
    QProcess p;
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
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("held.csv"));
        QVERIFY(QDir().mkpath(csv)); // a folder stands where the log should be
        const Run run = replay(dir, kStream, {"--select", "0000000000000001", "--csv", csv});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out.size(), 5);                        // reading goes on
        QCOMPARE(run.err.count("CSV line not written"), 1); // the reason once, not per line
        QVERIFY2(run.err.contains("CSV lines written 0, CSV lines NOT written 2"), run.err);
    }

    void rejectsBadTableOptions_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("all tags without csv") << QStringList{"--all-tags"};
        QTest::newRow("rssi out of range") << QStringList{"--rssi", "256"};
        QTest::newRow("rssi not a number") << QStringList{"--rssi", "x"};
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
