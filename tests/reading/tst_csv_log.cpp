#include "FakeClock.h"
#include "RecordingTonePlayer.h"
#include "reading/CsvLog.h"
#include "reading/SelectionListFile.h"
#include "reading/TagReport.h"
#include "reading/TagTables.h"

#include "ReportLines.h"
#include <QSignalSpy>
#include <QTemporaryDir>

#include <QtTest>

namespace {

using ReportLines::report;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QString kA = QStringLiteral("0000000000001234");
const QString kB = QStringLiteral("0000000000005678");
const QString kTemp = QStringLiteral("25.00 C / 77.00 F");

// Tables logging both files into a temporary folder; dates from a fake clock (2026/01/31 14:05:09).
struct Fixture
{
    QTemporaryDir dir;
    FakeClock clock;
    RecordingTonePlayer tones;
    TagTables tables{clock, tones};
    CsvLog &csv = *tables.csvLog();

    explicit Fixture(const QString &relativeName = QStringLiteral("logs/deeper/run.csv"))
    {
        csv.setFallbackFolder(dir.filePath(QStringLiteral("fallback")));
        csv.setFileName(dir.filePath(relativeName));
        tables.setAutoSave(true);
        tables.setAllTagsLog(true);
    }
};

} // namespace

class TestCsvLog : public QObject
{
    Q_OBJECT
private slots:
    void allTagsName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("derived");
        QTest::newRow("windows folders") << R"(D:\logs\run.csv)"
                                         << R"(D:\logs\run_all.csv)";
        QTest::newRow("default") << R"(C:\Talvo.csv)"
                                 << R"(C:\Talvo_all.csv)";
        QTest::newRow("dotted folder, no extension") << "/tmp/a.b/run"
                                                     << "/tmp/a.b/run_all";
        QTest::newRow("two dots") << "/var/log/run.2026.csv"
                                  << "/var/log/run.2026_all.csv";
    }
    void allTagsName()
    {
        QFETCH(QString, name);
        QFETCH(QString, derived);
        QCOMPARE(CsvLog::allTagsFileNameFor(name), derived);
    }

    void logFilesByteForByte()
    {
        Fixture f;
        f.tables.loadSelection({kA});
        f.tables.startSession();
        f.tables.applyReport(report(kA, 0x50, 0xA3, 0x32, kTemp), QStringLiteral("COM03"));
        f.tables.applyReport(report(kB, 0x05, 0x07, 0xFF), QStringLiteral("COM03")); // all-tags log only
        f.clock.advance(61000);
        f.tables.applyReport(report(kA, 0xFF, 0x00, 0xFF), QStringLiteral("127.0.0.1"));
        QVERIFY(!f.csv.isAnyLogOpen()); // closed after every report

        // Clear: the sequence numbers go on.
        f.tables.clear();
        f.tables.applyReport(report(kA, 0x0A, 0x0B, 0xFE), QStringLiteral("COM12"));

        const QByteArray selected =
            "0000000001\t,    0000000000001234\t,80\t,163\t,[BAT=03][SW][MO][START]\t,25.00 C / 77.00 "
            "F\t,-\t,COM03"
            "\t, 2026/01/31 14:05:09\r\n"
            "0000000002\t,    0000000000001234\t,255\t,0\t,\t,-\t,-\t,127.0.0.1\t, 2026/01/31 14:06:10\r\n"
            "0000000003\t,    0000000000001234\t,10\t,11\t,[SW]\t,-\t,-\t,COM12\t, 2026/01/31 14:06:10\r\n";
        const QByteArray all =
            "0000000001\t,0000000000001234\t,080\t,163\t,[BAT=03][SW][MO][START]\t,25.00 C / 77.00 "
            "F\t,-\t,COM03"
            "\t, 2026/01/31 14:05:09\r\n"
            "0000000002\t,0000000000005678\t,005\t,7\t,-\t,-\t,-\t,COM03\t, 2026/01/31 14:05:09\r\n"
            "0000000003\t,0000000000001234\t,255\t,0\t,-\t,-\t,-\t,127.0.0.1\t, 2026/01/31 14:06:10\r\n"
            "0000000004\t,0000000000001234\t,010\t,11\t,[SW]\t,-\t,-\t,COM12\t, 2026/01/31 14:06:10\r\n";
        QCOMPARE(readAll(f.csv.fileName()), selected);
        QCOMPARE(f.csv.allTagsFileName(), f.dir.filePath(QStringLiteral("logs/deeper/run_all.csv")));
        QCOMPARE(readAll(f.csv.allTagsFileName()), all);

        // "Save": the selected-tags table appended to the same file (no DI, counter, label or time).
        QVERIFY(f.tables.saveSnapshot());
        QCOMPARE(readAll(f.csv.fileName()), selected + "1\t,0000000000001234\t,10\t,11\t,-\t,-\r\n");

        // A new session starts the selected-tags log afresh; the all-tags log keeps growing.
        f.tables.startSession();
        QVERIFY(!QFile::exists(f.csv.fileName()));
        f.tables.applyReport(report(kA, 0x50, 0xA3, 0xFF), QStringLiteral("COM03"));
        QCOMPARE(readAll(f.csv.fileName()),
                 QByteArray("0000000001\t,    0000000000001234\t,80\t,163\t,\t,-\t,-\t,COM03\t, 2026/01/31 "
                            "14:06:10\r\n"));
        QVERIFY(readAll(f.csv.allTagsFileName()).startsWith(all));
        QVERIFY(readAll(f.csv.allTagsFileName())
                    .endsWith("0000000001\t,0000000000001234\t,080\t,163\t,-\t,-\t,-\t,"
                              "COM03\t, 2026/01/31 14:06:10\r\n"));
    }

    void keptOpenForABatchWritesTheSameBytes()
    {
        QByteArray files[2];
        for (bool keepOpen : {false, true}) {
            Fixture f;
            f.csv.setKeepOpenForBatch(keepOpen);
            f.tables.loadSelection({kA});
            f.tables.startSession();
            f.tables.applyReport(report(kA, 0x50, 0xA3, 0x32, kTemp), QStringLiteral("COM03"));
            QCOMPARE(f.csv.isAnyLogOpen(), keepOpen);
            // Each line is with the system at once, even while the file stays open.
            QVERIFY(readAll(f.csv.fileName()).endsWith("\r\n"));
            f.tables.applyReport(report(kB, 0x05, 0x07, 0xFF), QStringLiteral("COM03"));
            f.tables.applyReport(report(kA, 0x0A, 0x0B, 0xFE), QStringLiteral("COM12"));
            QTRY_VERIFY(!f.csv.isAnyLogOpen()); // closed when the event loop gets its turn
            QVERIFY(f.tables.saveSnapshot());
            files[keepOpen] = readAll(f.csv.fileName()) + readAll(f.csv.allTagsFileName());
        }
        QCOMPARE(files[1], files[0]);
        QCOMPARE(files[0].count("\r\n"), 2 + 1 + 3);
    }

    void noLinesWithoutAutoSaveOrForDroppedReports()
    {
        Fixture f;
        f.tables.setAllTagsLog(false);
        f.tables.startSession();
        f.tables.setRssiThreshold(0x60);
        f.tables.applyReport(report(kA, 0x50, 0xA3, 0xFF), QStringLiteral("COM03")); // below the threshold
        f.tables.setRssiThreshold(0);
        f.tables.applyReport(report(kA, 0x50, 0xA3, 0xFF), QStringLiteral("COM03")); // not selected
        QVERIFY(!QFile::exists(f.csv.fileName()));
        QVERIFY(!QFile::exists(f.csv.allTagsFileName()));
        f.tables.setAutoSave(false);
        f.tables.setAllTagsLog(true);
        f.tables.applyReport(report(kA, 0x50, 0xA3, 0xFF), QStringLiteral("COM03"));
        QVERIFY(!QFile::exists(f.csv.allTagsFileName()));
    }

    void unwritableLineIsCountedNotNumbered()
    {
        Fixture f(QStringLiteral("held.csv"));
        f.tables.loadSelection({kA});
        f.tables.startSession();
        QVERIFY(QDir().mkpath(f.csv.fileName())); // a folder stands where the log should be
        QSignalSpy lost(&f.csv, &CsvLog::linesNotWritten);
        f.tables.applyReport(report(kA, 0x50, 0xA3, 0xFF), QStringLiteral("COM03"));
        QCOMPARE(lost.count(), 1);
        QCOMPARE(lost.at(0).at(0).value<quint64>(), quint64(1));
        QVERIFY(lost.at(0).at(1).toString().contains(f.csv.fileName()));
        QCOMPARE(f.csv.selLogCount(), quint64(0));
        QCOMPARE(f.csv.allLogCount(), quint64(1)); // the other log was written

        // The next report tries again and gets the number the lost line did not use up.
        QVERIFY(QDir(f.csv.fileName()).removeRecursively());
        f.tables.applyReport(report(kA, 0x50, 0xA3, 0xFF), QStringLiteral("COM03"));
        QVERIFY(readAll(f.csv.fileName()).startsWith("0000000001\t,"));
        QCOMPARE(f.csv.unwrittenLines(), quint64(1));
    }

    void folderThatCannotBeMadeFallsBack()
    {
        Fixture f;
        writeFile(f.dir.filePath(QStringLiteral("plainfile")), "x");
        f.csv.setFileName(f.dir.filePath(QStringLiteral("plainfile/sub/run.csv")));
        QSignalSpy renamed(&f.csv, &CsvLog::fileNameChanged);
        QSignalSpy allRenamed(&f.csv, &CsvLog::allTagsFileNameChanged);
        f.tables.startSession();
        QCOMPARE(renamed.count(), 1);
        QCOMPARE(f.csv.fileName(), f.csv.fallbackFileName());
        QVERIFY(f.csv.fileName().endsWith(QStringLiteral("fallback/Talvo.csv")));

        // The all-tags log derives from the fallback name.
        f.tables.applyReport(report(kA, 0x50, 0xA3, 0xFF), QStringLiteral("COM03"));
        QVERIFY(allRenamed.count() >= 1);
        QCOMPARE(f.csv.allTagsFileName(), f.csv.fallbackAllTagsFileName());
        QVERIFY(readAll(f.csv.allTagsFileName()).startsWith("0000000001\t,"));
    }

    void snapshotOfUnwritableFileReportsLoss()
    {
        Fixture f(QStringLiteral("snap.csv"));
        f.tables.loadSelection({kA, kB});
        f.tables.applyReport(report(kA, 0x50, 0xA3, 0xFF), QStringLiteral("COM03"));
        f.tables.applyReport(report(kB, 0x50, 0xA3, 0xFF), QStringLiteral("COM03"));
        QVERIFY(QFile::remove(f.csv.fileName()));
        QVERIFY(QDir().mkpath(f.csv.fileName()));
        QSignalSpy lost(&f.csv, &CsvLog::linesNotWritten);
        QVERIFY(!f.tables.saveSnapshot());
        QCOMPARE(lost.count(), 1);
        QCOMPARE(f.csv.unwrittenLines(), quint64(2));
    }

    void selectionListFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("MERAN/TalvoDemo/QZKDTAG.CSV"));
        QVERIFY(SelectionListFile::load(path).isEmpty());
        QVERIFY(QFileInfo(QFileInfo(path).absolutePath()).isDir()); // the folder is made at start-up

        writeFile(path, "0000000000001E10\r\n 0000000000001234 \r\n\r\n0000000000001e10\r\n0000000000001234");
        FakeClock clock;
        RecordingTonePlayer tones;
        TagTables tables(clock, tones);
        tables.loadSelection(SelectionListFile::load(path));
        QCOMPARE(tables.selectionList()->uids(), QStringList({"0000000000001E10", kA}));

        // Entries that differ only in case are saved once; the file is replaced.
        tables.allTags()->appendRow(QStringLiteral("0000000000001e10"));
        tables.tagList()->append(QStringLiteral("0000000000001e10"));
        tables.selectTag(2);
        QCOMPARE(tables.selectionList()->size(), 3);
        QVERIFY(tables.endSession(path));
        QCOMPARE(readAll(path), QByteArray("0000000000001E10\r\n0000000000001234\r\n"));
        QVERIFY(SelectionListFile::defaultPath().endsWith(
            QDir::toNativeSeparators("MERAN/TalvoDemo/QZKDTAG.CSV")));
    }
};

QTEST_GUILESS_MAIN(TestCsvLog)
#include "tst_csv_log.moc"
