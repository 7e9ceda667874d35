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
#include <cerrno>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#ifdef Q_OS_UNIX
ino_t inodeOf(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

bool isFifo(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

QString makeFifo(const QTemporaryDir &dir, const char *name)
{
    const QString path = dir.filePath(QLatin1String(name));
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? path : QString();
}

// Files this process writes may grow to `bytes` only while it lives (writes beyond fail with EFBIG
// after a short write, as on a disk that fills up); SIGXFSZ is ignored meanwhile.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_ok = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        ::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};
#endif

using Reason = CsvLog::Refusal::Reason;

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

        // A new session starts the selected-tags log afresh (emptied in place); the all-tags log keeps
        // growing.
        QVERIFY(!f.tables.startSession().refused());
        QCOMPARE(readAll(f.csv.fileName()), QByteArray());
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

    void startEmptiesTheLogInPlace()
    {
#ifdef Q_OS_UNIX
        Fixture f(QStringLiteral("run.csv"));
        writeFile(f.csv.fileName(), "earlier lines\r\n");
        const QString link = f.dir.filePath(QStringLiteral("hardlink.csv"));
        QVERIFY(QFile::link(f.csv.fileName(), f.dir.filePath(QStringLiteral("symlink.csv"))));
        QVERIFY(::link(QFile::encodeName(f.csv.fileName()).constData(),
                       QFile::encodeName(link).constData()) == 0);
        const ino_t before = inodeOf(f.csv.fileName());
        QVERIFY(!f.tables.startSession().refused());
        QCOMPARE(inodeOf(f.csv.fileName()), before); // the same file, not a new one
        QCOMPARE(readAll(link), QByteArray());       // emptied, as every name of it shows

        // A log named through a symbolic link empties the file it leads to; the link stays.
        writeFile(f.csv.fileName(), "more\r\n");
        f.csv.setFileName(f.dir.filePath(QStringLiteral("symlink.csv")));
        QVERIFY(!f.tables.startSession().refused());
        QVERIFY(QFileInfo(f.csv.fileName()).isSymLink());
        QCOMPARE(readAll(link), QByteArray());
#else
        QSKIP("hard links and inodes are a Unix matter");
#endif
    }

    void startRefusesWhatIsNotARegularFile()
    {
#ifdef Q_OS_UNIX
        Fixture f(QStringLiteral("kept.csv"));
        f.tables.loadSelection({kA});
        QVERIFY(!f.tables.startSession().refused());
        f.tables.applyReport(report(kA), QStringLiteral("COM03"));
        const QByteArray logged = readAll(f.csv.fileName());
        const QString fifo = makeFifo(f.dir, "fifo.csv");
        QVERIFY(!fifo.isEmpty());
        const QString folder = f.dir.filePath(QStringLiteral("folder.csv"));
        QVERIFY(QDir().mkpath(folder));

        for (const QString &target : {fifo, folder}) {
            f.csv.setFileName(target);
            const CsvLog::Refusal refusal = f.tables.startSession();
            QCOMPARE(refusal.reason, Reason::NotRegularFile);
            QCOMPARE(refusal.fileName, target);
            QCOMPARE(f.csv.selLogCount(), quint64(1)); // nothing restarted
        }
        QVERIFY(isFifo(fifo));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(f.csv.refusalFor(QStringLiteral("/dev/null")).reason, Reason::NotRegularFile); // a device
        QCOMPARE(CsvLog::refusalText(Reason::NotRegularFile).arg(fifo),
                 QStringLiteral("The CSV file %1 is not a regular file").arg(fifo));

        // The all-tags log is checked too, before the selected-tags log is emptied.
        f.csv.setFileName(f.dir.filePath(QStringLiteral("kept.csv")));
        QVERIFY(QFile::remove(f.dir.filePath(QStringLiteral("kept_all.csv"))));
        QVERIFY(QDir().mkpath(f.dir.filePath(QStringLiteral("kept_all.csv"))));
        QCOMPARE(f.tables.startSession().reason, Reason::NotRegularFile);
        QCOMPARE(readAll(f.csv.fileName()), logged);
        f.tables.setAllTagsLog(false);
        QVERIFY(!f.tables.startSession().refused());
#else
        QSKIP("FIFOs are a Unix matter");
#endif
    }

    void startRefusesTheSessionsInputs()
    {
        Fixture f(QStringLiteral("input.txt"));
        const QString input = f.csv.fileName();
        writeFile(input, "0000000000001234\r\n");
        f.csv.setSessionInputs({QString(), f.dir.filePath(QStringLiteral("QZKDTAG.CSV")), input});
        QCOMPARE(f.tables.startSession().reason, Reason::SessionInput);
        // Under another name of the same file.
        QVERIFY(QFile::link(input, f.dir.filePath(QStringLiteral("other.csv"))));
        f.csv.setFileName(f.dir.filePath(QStringLiteral("other.csv")));
        QCOMPARE(f.tables.startSession().reason, Reason::SessionInput);
        QVERIFY(QDir().mkpath(f.dir.filePath(QStringLiteral("logs"))));
        f.csv.setFileName(f.dir.filePath(QStringLiteral("logs/../input.txt")));
        QCOMPARE(f.tables.startSession().reason, Reason::SessionInput);
        QCOMPARE(readAll(input), QByteArray("0000000000001234\r\n"));

        // A line for a log that has become an input (the name changed during the session) is not written.
        f.csv.setFileName(f.dir.filePath(QStringLiteral("log.csv")));
        f.tables.loadSelection({kA});
        QVERIFY(!f.tables.startSession().refused());
        f.csv.setFileName(input);
        QSignalSpy lost(&f.csv, &CsvLog::linesNotWritten);
        f.tables.applyReport(report(kA), QStringLiteral("COM03"));
        QCOMPARE(lost.count(), 1); // the all-tags log, input_all.txt, is not an input
        QVERIFY(lost.at(0).at(1).toString().contains(QStringLiteral("a file this session reads")));
        QCOMPARE(readAll(input), QByteArray("0000000000001234\r\n"));
    }

    void folderThatCannotBeMadeIsRefusedWithoutFallback()
    {
        Fixture f;
        writeFile(f.dir.filePath(QStringLiteral("plainfile")), "x");
        const QString wanted = f.dir.filePath(QStringLiteral("plainfile/sub/run.csv"));
        f.csv.setFileName(wanted);
        f.csv.setFallbackAllowed(false);
        QSignalSpy fallback(&f.csv, &CsvLog::fallbackUsed);
        const CsvLog::Refusal refusal = f.tables.startSession();
        QCOMPARE(refusal.reason, Reason::FolderNotCreated);
        QCOMPARE(refusal.fileName, wanted);
        QCOMPARE(f.csv.fileName(), wanted);
        QCOMPARE(fallback.count(), 0);

        f.csv.setFallbackAllowed(true);
        QVERIFY(!f.tables.startSession().refused());
        QCOMPARE(fallback.count(), 1);
        QCOMPARE(fallback.at(0).at(0).toString(), wanted);
        QCOMPARE(fallback.at(0).at(1).toString(), f.csv.fallbackFileName());
    }

    void fifoNeverBlocksALineOrTheSnapshot()
    {
#ifdef Q_OS_UNIX
        // Opening a FIFO for writing waits for a reader: it must never be opened.
        Fixture f(QStringLiteral("run.csv"));
        f.tables.loadSelection({kA});
        QVERIFY(!f.tables.startSession().refused());
        const QString fifo = makeFifo(f.dir, "fifo.csv");
        QVERIFY(!fifo.isEmpty());
        f.csv.setFileName(fifo);
        QSignalSpy lost(&f.csv, &CsvLog::linesNotWritten);
        f.tables.applyReport(report(kA), QStringLiteral("COM03"));
        QVERIFY(!f.tables.saveSnapshot());
        QCOMPARE(f.csv.unwrittenLines(), quint64(2)); // the selected-tags line and the snapshot line
        QVERIFY(lost.last().at(1).toString().contains(QStringLiteral("not a regular file")));
        QVERIFY(isFifo(fifo));
#else
        QSKIP("FIFOs are a Unix matter");
#endif
    }

    void writeFailuresGiveTheSystemsReason()
    {
        QFile notFailed(QStringLiteral("unused"));
        QCOMPARE(CsvLog::writeFailureReason(notFailed, ENOSPC), QStringLiteral("No space left on device"));
#ifdef Q_OS_UNIX
        QFile full(QStringLiteral("/dev/full"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot call seek")));
        QVERIFY(full.open(QIODevice::Append | QIODevice::Unbuffered));
        QString reason;
        QVERIFY(!CsvLog::appendLine(full, "0000000001\t,line\r\n", &reason));
        QCOMPARE(reason, QStringLiteral("/dev/full: No space left on device"));
#endif
    }

    void shortWriteIsCountedWithItsReason()
    {
#ifdef Q_OS_UNIX
        // The second line crosses the size limit: part of it is written, then the write fails. That
        // part is cut off again, the line counted as not written, and the reason is the system's.
        Fixture f(QStringLiteral("limited.csv"));
        f.tables.setAllTagsLog(false);
        f.tables.loadSelection({kA});
        QVERIFY(!f.tables.startSession().refused());
        QSignalSpy lost(&f.csv, &CsvLog::linesNotWritten);
        {
            FileSizeLimit limit(120);
            QVERIFY(limit.ok());
            f.tables.applyReport(report(kA), QStringLiteral("COM03"));
            f.tables.applyReport(report(kA), QStringLiteral("COM03"));
        }
        QCOMPARE(lost.count(), 1);
        QCOMPARE(lost.at(0).at(1).toString(),
                 QStringLiteral("%1: File too large").arg(f.csv.fileName())); // not "Unknown error"
        const QByteArray written = readAll(f.csv.fileName());
        QCOMPARE(written.count("\r\n"), 1);
        QVERIFY(written.endsWith("\r\n"));
        QCOMPARE(f.csv.selLogCount(), quint64(1));
        QCOMPARE(f.csv.unwrittenLines(), quint64(1));
#else
        QSKIP("file size limits are a Unix matter");
#endif
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

        // Lines that are not UIDs (too short or long, blanks or control bytes inside, an "R", binary
        // junk) are skipped and counted; blank lines are not counted.
        writeFile(path, QByteArray("0000000000001234\r\n000000000000123\r\n00000000000012345\r\n"
                                   "00000000 0001234\r\n0000000000001R34\r\n\r\n\x01\x02\xff\xfe\x00zz\n"
                                   "000000000000abcd\r\n0000000\t00001234\n",
                                   135));
        int skipped = -1;
        QCOMPARE(SelectionListFile::load(path, &skipped), QStringList({kA, "000000000000abcd"}));
        QCOMPARE(skipped, 6);
        QVERIFY(SelectionListFile::isUid(QStringLiteral("0000000000001e10")));
        QVERIFY(!SelectionListFile::isUid(QString::fromUtf8("000000000000123\u00e9")));
        QVERIFY(SelectionListFile::defaultPath().endsWith(
            QDir::toNativeSeparators("MERAN/TalvoDemo/QZKDTAG.CSV")));
    }
};

QTEST_GUILESS_MAIN(TestCsvLog)
#include "tst_csv_log.moc"
