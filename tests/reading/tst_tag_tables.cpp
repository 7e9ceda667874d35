#include "FakeClock.h"
#include "RecordingTonePlayer.h"
#include "reading/TagReport.h"
#include "reading/TagTables.h"
#include "reading/UidIndex.h"

#include "ReportLines.h"
#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <QtTest>
#include <memory>

namespace {

using ReportLines::report;

const QString kLabel = QStringLiteral("COM03");
const QString kA = QStringLiteral("0000000000001234");
const QString kB = QStringLiteral("0000000000005678");
const QString kC = QStringLiteral("0000000000009999");

// Tables with every model watched by a model tester.
struct Fixture
{
    FakeClock clock;
    RecordingTonePlayer tones;
    TagTables tables{clock, tones};
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;

    Fixture()
    {
        const auto mode = QAbstractItemModelTester::FailureReportingMode::QtTest;
        testers.emplace_back(new QAbstractItemModelTester(tables.allTags(), mode));
        testers.emplace_back(new QAbstractItemModelTester(tables.selectedTags(), mode));
        testers.emplace_back(new QAbstractItemModelTester(tables.tagList(), mode));
        testers.emplace_back(new QAbstractItemModelTester(tables.selectionList(), mode));
    }
    void apply(const TTagReport &r) { tables.applyReport(r, kLabel); }
    QString allCell(int row, int column) const
    {
        auto *m = const_cast<TagTables &>(tables).allTags();
        return m->data(m->index(row, column)).toString();
    }
    QString selCell(int row, int column) const
    {
        auto *m = const_cast<TagTables &>(tables).selectedTags();
        return m->data(m->index(row, column)).toString();
    }
};

} // namespace

class TestTagTables : public QObject
{
    Q_OBJECT
private slots:
    void uidCheck_data()
    {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<bool>("passes");
        QTest::newRow("digits") << kA << true;
        QTest::newRow("all zeros") << "0000000000000000" << false;
        QTest::newRow("hex letters") << "00000000000012AB" << false;
        QTest::newRow("exponent") << "0000000000001E10" << true;
        QTest::newRow("lower exponent, sign") << "000000000001e-05" << true;
        QTest::newRow("zero with exponent") << "000000000000E+10" << false;
        QTest::newRow("exponent without digits") << "00000000000012E+" << false;
        QTest::newRow("point") << "00000000000001.5" << true;
        QTest::newRow("two points") << "0000000001.5.000" << false;
        QTest::newRow("negative") << "-000000000000012" << false;
        QTest::newRow("plus and blanks") << " +00000000000012" << true;
        QTest::newRow("inner blank") << "00000000 0000012" << false;
        QTest::newRow("not a number") << "INF0000000000000" << false;
    }
    void uidCheck()
    {
        QFETCH(QString, uid);
        QFETCH(bool, passes);
        QCOMPARE(TagTables::uidPassesCheck(uid), passes);
    }

    void uidIndexFindsFirstRow()
    {
        UidIndex index;
        for (int i = 0; i < 20000; ++i)
            index.insertFirst(QStringLiteral("%1").arg(i * 7919, 16, 10, QLatin1Char('0')), i);
        index.insertFirst(QStringLiteral("%1").arg(7919, 16, 10, QLatin1Char('0')),
                          99999); // kept: first row wins
        for (int i = 0; i < 20000; i += 97)
            QCOMPARE(index.value(QStringLiteral("%1").arg(i * 7919, 16, 10, QLatin1Char('0'))), i);
        QCOMPARE(index.value(QStringLiteral("0000000000007919")), 1);
        QCOMPARE(index.value(QStringLiteral("0000000000007918")), -1);
        // Texts that don't pack: longer than 16, beyond Latin-1, holding a NUL; and prefixes of packed ones.
        const QString longer = QStringLiteral("00000000000079190");
        const QString omega = QStringLiteral("000000000000791\u03A9");
        const QString nul = QString(QStringLiteral("000000000000791")) + QChar(0);
        index.insertFirst(longer, 7);
        index.insertFirst(omega, 8);
        index.insertFirst(nul, 9);
        QCOMPARE(index.value(longer), 7);
        QCOMPARE(index.value(omega), 8);
        QCOMPARE(index.value(nul), 9);
        QCOMPARE(index.value(QStringLiteral("000000000000791")), -1);
        QCOMPARE(index.value(QString()), -1);
        index.clear();
        QCOMPARE(index.value(QStringLiteral("0000000000007919")), -1);
        QCOMPARE(index.value(longer), -1);
    }

    void uidIndexForgetsRemovedUids()
    {
        UidIndex index;
        auto uid = [](int i) { return QStringLiteral("%1").arg(i * 7919, 16, 10, QLatin1Char('0')); };
        for (int i = 0; i < 5000; ++i)
            index.insertFirst(uid(i), i);
        for (int i = 0; i < 5000; i += 3)
            index.remove(uid(i), i);
        index.remove(uid(1), 99); // another row's UID stays
        for (int i = 0; i < 5000; ++i)
            QCOMPARE(index.value(uid(i)), i % 3 == 0 ? -1 : i);
        index.insertFirst(uid(0), 42);
        QCOMPARE(index.value(uid(0)), 42);
        const QString longer = QStringLiteral("00000000000079190");
        index.insertFirst(longer, 7);
        index.remove(longer, 7);
        QCOMPARE(index.value(longer), -1);
    }

    // A bounded table: a new tag takes the row of the least recently seen tag; selected tags stay.
    void boundedTableDropsLeastRecentlySeen()
    {
        Fixture f;
        const QString kD = QStringLiteral("0000000000000044");
        const QString kE = QStringLiteral("0000000000000055");
        f.tables.setMaxTags(3);
        f.tables.loadSelection({kA});
        QSignalSpy reached(&f.tables, &TagTables::tagLimitReached);
        for (const QString &uid : {kB, kC, kB, kA, kD})
            f.apply(report(uid));
        TagTableModel *all = f.tables.allTags();
        QCOMPARE(all->size(), 3);
        QCOMPARE(all->findRow(kC), -1); // seen before the second B
        QCOMPARE(all->findRow(kD), 2);
        QCOMPARE(f.allCell(2, TagTableModel::ColReportCount), QStringLiteral("1"));
        QCOMPARE(f.tables.tagList()->uidAt(2), kD);
        QCOMPARE(f.tables.tagList()->indexOf(kC), -1);
        QCOMPARE(reached.size(), 1);
        f.apply(report(kE)); // B is now the least recently seen; A is selected
        QCOMPARE(all->findRow(kB), -1);
        QCOMPARE(all->findRow(kA), 0);
        QCOMPARE(all->findRow(kE), 1);
        QCOMPARE(f.tables.tagsDropped(), quint64(2));
        QCOMPARE(reached.size(), 1);
        QCOMPARE(f.tables.selectedTags()->size(), 1);
        f.tables.clear();
        QCOMPARE(f.tables.tagsDropped(), quint64(0));
    }

    void filtersDropAndCount()
    {
        Fixture f;
        f.tables.setBeep(true);
        QSignalSpy filterSpy(&f.tables, &TagTables::tagFilterChanged);
        f.tables.setTagFilter(QStringLiteral("  0000 "));
        QCOMPARE(filterSpy.count(), 1);
        QCOMPARE(filterSpy.at(0).at(0).toString(), QStringLiteral("0000"));

        f.apply(report(kA));                                 // passes the prefix
        f.apply(report(QStringLiteral("1000000000001234"))); // dropped by the prefix, not counted
        f.apply(report(QStringLiteral("0000000000000000"))); // dropped by the UID check, not counted
        QCOMPARE(f.tables.totalReportCount(), quint64(1));
        QCOMPARE(f.tables.droppedByFilter(), quint64(1));
        QCOMPARE(f.tables.droppedByUidCheck(), quint64(1));

        f.tables.setRssiThreshold(80);
        QCOMPARE(f.tables.rssiText(), QStringLiteral("80"));
        f.apply(report(kB, 0x50)); // equal to the threshold: entered
        f.apply(report(kC, 0x4F)); // below: counted, beeped, not entered
        QCOMPARE(f.tables.totalReportCount(), quint64(3));
        QCOMPARE(f.tables.droppedByRssi(), quint64(1));
        QCOMPARE(f.tables.allTags()->size(), 2);
        QCOMPARE(f.tables.allTags()->findRow(kC), -1);
        QCOMPARE(f.tones.tones.size(), 3);
        QCOMPARE(f.tones.tones.first(), qMakePair(1000, 5));
        QCOMPARE(f.tables.statusText(), QStringLiteral("   0000000003 / 00000000 sec"));
    }

    void statusTextCountsSecondsSinceStart()
    {
        Fixture f;
        QCOMPARE(f.tables.statusText(), QString());
        f.clock.advance(123456);
        f.apply(report(kA));
        QCOMPARE(f.tables.statusText(), QStringLiteral("   0000000001 / 00000123 sec"));
        QCOMPARE(f.tables.lastReportTime(), f.clock.now());
    }

    void tableUpdates()
    {
        Fixture f;
        f.tables.loadSelection({kA});
        for (int i = 1; i <= 20; ++i)
            f.apply(report(kA, quint8(i), quint8(100 + i), i == 20 ? 0xFF : 0x32, QString::number(i),
                           QStringLiteral("t2-%1").arg(i)));
        f.apply(report(kB, 0x05, 0x07, 0xFE));
        f.tables.flushChanges();

        QCOMPARE(f.tables.allTags()->size(), 2);
        const QStringList rowA{"1", kA, "020", "120", "-", "20", "t2-20", "20"};
        for (int c = 0; c < 8; ++c)
            QCOMPARE(f.allCell(0, c), rowA[c]);
        const QStringList rowB{"2", kB, "005", "7", "[SW]", "-", "-", "1"};
        for (int c = 0; c < 8; ++c)
            QCOMPARE(f.allCell(1, c), rowB[c]);
        // The selected-tags table: plain RSSI, DI text as built (empty for no flag), no count.
        QCOMPARE(f.tables.selectedTags()->columnCount(), 7);
        QCOMPARE(f.tables.selectedTags()->size(), 1);
        QCOMPARE(f.selCell(0, TagTableModel::ColRssi), QStringLiteral("20"));
        QCOMPARE(f.selCell(0, TagTableModel::ColDi), QString());

        QCOMPARE(f.tables.tagList()->uids(), QStringList({kA, kB}));
        QCOMPARE(f.tables.tagList()->currentRow(), 1);
        QCOMPARE(f.tables.allTags()->currentRow(), 1);
        QCOMPARE(f.tables.tagIdText(), kB);
        QCOMPARE(f.tables.tagCountText(), QStringLiteral("2"));
        QCOMPARE(f.tables.allTags()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Count"));
    }

    void restoredSelectionRowsFillOnFirstReport()
    {
        Fixture f;
        const QString e = QStringLiteral("0000000000001E10");
        f.tables.loadSelection({kA, e, e.toLower(), kA});
        QCOMPARE(f.tables.selectionList()->uids(), QStringList({kA, e}));
        QCOMPARE(f.tables.allTags()->size(), 2);
        QCOMPARE(f.allCell(1, TagTableModel::ColReportCount), QString());
        QVERIFY(!f.tables.tagChosen()); // only a report that creates the first row chooses a tag
        f.apply(report(e));
        QCOMPARE(f.allCell(1, TagTableModel::ColReportCount), QStringLiteral("1"));
        QCOMPARE(f.allCell(1, TagTableModel::ColRssi), QStringLiteral("080"));
    }

    void modelChangesAreBatched()
    {
        Fixture f;
        auto *all = f.tables.allTags();
        QSignalSpy inserted(all, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(all, &QAbstractItemModel::dataChanged);
        QSignalSpy status(&f.tables, &TagTables::statusTextChanged);
        f.apply(report(kA));
        f.apply(report(kB));
        f.apply(report(kA));
        QCOMPARE(inserted.count(), 2); // row insertions are reported at once
        QCOMPARE(changed.count(), 0);
        QVERIFY(status.wait(2000)); // the refresh timer sends the rest
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 0);
        QCOMPARE(changed.at(0).at(1).toModelIndex().row(), 1);
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("   0000000003 / 00000000 sec"));
    }

    void selectionTimingStopsAtNthTag()
    {
        Fixture f;
        f.tables.loadSelection({kA, kB});
        f.tables.numberKeyReleased(QStringLiteral("2"));
        f.clock.advance(1500);
        f.apply(report(kC)); // not selected: the time runs, no row
        QCOMPARE(f.tables.selectionTimeText(), QStringLiteral("1.5"));
        QCOMPARE(f.tables.selectedCountText(), QStringLiteral("0"));
        f.clock.advance(1000);
        f.apply(report(kA));
        QCOMPARE(f.tables.selectionTimeText(), QStringLiteral("2.5"));
        f.clock.advance(1234);
        f.apply(report(kB)); // the second distinct selected tag: the time stops here
        QCOMPARE(f.tables.selectionTimeText(), QStringLiteral("3.7"));
        QCOMPARE(f.tables.selectedCountText(), QStringLiteral("2"));
        QCOMPARE(f.tables.selectTarget(), 3);
        f.clock.advance(5000);
        f.apply(report(kA));
        f.apply(report(kB));
        QCOMPARE(f.tables.selectionTimeText(), QStringLiteral("3.7"));

        // Double click on a UID that is already selected: no second entry, no restart.
        QSignalSpy focused(&f.tables, &TagTables::selectionEntryFocused);
        f.tables.selectTag(f.tables.tagList()->uids().indexOf(kB));
        QCOMPARE(focused.count(), 1);
        QCOMPARE(focused.at(0).at(0).toInt(), 1);
        QCOMPARE(f.tables.selectionList()->size(), 2);
        QCOMPARE(f.tables.selectionTimeText(), QStringLiteral("3.7"));
        QCOMPARE(f.tables.selectedTags()->size(), 2);

        // A new UID restarts the timing and empties the selected-tags table.
        f.tables.selectTag(f.tables.tagList()->uids().indexOf(kC));
        QCOMPARE(f.tables.selectionList()->uids(), QStringList({kA, kB, kC}));
        QCOMPARE(f.tables.selectedTags()->size(), 0);
        QCOMPARE(f.tables.selectionTimeText(), QStringLiteral("0.0"));
        QCOMPARE(f.tables.selectStartTick(), f.clock.tickMs());

        // Removing an entry leaves the table and the timing alone.
        f.apply(report(kC));
        f.tables.unselect(0);
        QCOMPARE(f.tables.selectionList()->uids(), QStringList({kB, kC}));
        QCOMPARE(f.tables.selectedTags()->size(), 1);
    }

    void emptySelectionKeepsTimingAtRest()
    {
        Fixture f;
        f.clock.advance(2000);
        f.apply(report(kA));
        QCOMPARE(f.tables.selectionTimeText(), QStringLiteral("0.0"));
        QCOMPARE(f.tables.selectStartTick(), f.clock.tickMs());
        QCOMPARE(f.tables.selectTarget(), 0);
    }

    void numberField()
    {
        Fixture f;
        f.tables.loadSelection({kA});
        f.apply(report(kA));
        QSignalSpy number(&f.tables, &TagTables::numberTextChanged);
        f.tables.numberKeyReleased(QStringLiteral("x"));
        QCOMPARE(f.tables.numberText(), QStringLiteral("1"));
        QCOMPARE(f.tables.number(), 1);
        QCOMPARE(number.count(), 1); // the field is rewritten even though "1" was shown before
        QCOMPARE(f.tables.selectedTags()->size(), 0);
        f.tables.numberKeyReleased(QStringLiteral("007"));
        QCOMPARE(f.tables.numberText(), QStringLiteral("7"));
    }

    void clearRestartsCountersButNotLists()
    {
        Fixture f;
        f.tables.loadSelection({kA});
        f.apply(report(kA));
        f.apply(report(kB));
        QVERIFY(f.tables.tagChosen() == false);
        f.clock.advance(3000);
        f.tables.clear();
        QCOMPARE(f.tables.allTags()->size(), 0);
        QCOMPARE(f.tables.tagList()->size(), 0);
        QCOMPARE(f.tables.selectionList()->uids(), QStringList({kA}));
        QCOMPARE(f.tables.tagIdText(), QStringLiteral("0000000000000000"));
        QCOMPARE(f.tables.tagCountText(), QStringLiteral("0"));
        QCOMPARE(f.tables.selectedCountText(), QStringLiteral("0"));
        QCOMPARE(f.tables.sessionStartTime(), f.clock.now());
        QCOMPARE(f.tables.statusText(),
                 QStringLiteral("   0000000002 / 00000000 sec")); // until the next report
        f.clock.advance(2000);
        f.apply(report(kB));
        QCOMPARE(f.tables.statusText(), QStringLiteral("   0000000001 / 00000002 sec"));
        QVERIFY(f.tables.tagChosen()); // the first row after Clear chooses its tag
        QCOMPARE(f.allCell(0, TagTableModel::ColNo), QStringLiteral("1"));
    }

    void headersCanBeTranslated()
    {
        Fixture f;
        QSignalSpy headers(f.tables.selectedTags(), &QAbstractItemModel::headerDataChanged);
        QStringList texts = TagTableModel::defaultHeaderTexts(TagTableModel::Kind::SelectedTags);
        texts[0] = QStringLiteral("序號");
        f.tables.selectedTags()->setHeaderTexts(texts);
        QCOMPARE(headers.count(), 1);
        QCOMPARE(f.tables.selectedTags()->headerData(0, Qt::Horizontal).toString(), texts[0]);
        f.tables.clear();
        QCOMPARE(f.tables.selectedTags()->headerData(0, Qt::Horizontal).toString(), texts[0]);
    }
};

QTEST_GUILESS_MAIN(TestTagTables)
#include "tst_tag_tables.moc"
