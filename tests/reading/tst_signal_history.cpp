#include "FakeClock.h"
#include "RecordingTonePlayer.h"
#include "ReportLines.h"
#include "reading/CoverageCsv.h"
#include "reading/CoverageMatrix.h"
#include "reading/FindTagSignal.h"
#include "reading/FindTagTone.h"
#include "reading/TagHistory.h"

#include <QTemporaryDir>
#include <QtTest>

using ReportLines::report;

namespace {
const QString kA = QStringLiteral("0000000000001234");
const QString kB = QStringLiteral("0000000000005678");

TTagReport sensorReport(const QString &uid, ReportKind kind, const QString &t1, const QString &t2)
{
    TTagReport r = report(uid, 0x40, 0xA0, 0xFE, t1, t2);
    r.kind = kind;
    return r;
}
} // namespace

class TestSignalHistory : public QObject
{
    Q_OBJECT
private slots:
    void historyKeepsTrackedTagsOnly()
    {
        FakeClock clock;
        TagHistory history(clock);
        history.setTracked({kA});
        history.add(sensorReport(kA, ReportKind::TemperatureHumidity, "25.50", "33.70%"), "COM03");
        history.add(report(kB), "COM03");
        QVERIFY(!history.series(kB));
        const HistorySeries *s = history.series(kA);
        QVERIFY(s);
        QCOMPARE(s->size(), 1);
        const HistoryPoint &p = s->at(0);
        QCOMPARE(p.rssi, quint8(0x40));
        QCOMPARE(p.di, quint8(0xFE));
        QCOMPARE(p.t1, qint16(2550));
        QCOMPARE(p.t2, qint16(3370));
        QCOMPARE(history.labelName(p.label), QStringLiteral("COM03"));
        QCOMPARE(p.wallMs, clock.now().toMSecsSinceEpoch());
        // Untracking drops the series; tracking again starts empty.
        history.setTracked({kB});
        QVERIFY(!history.series(kA));
    }

    void sensorTexts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("second");
        QTest::addColumn<int>("hundredths");
        const int none = HistoryPoint::kNoSensor;
        QTest::newRow("scale A") << int(ReportKind::OneTemperature) << QStringLiteral("25.00 C / 77.00 F")
                                 << false << 2500;
        QTest::newRow("negative") << int(ReportKind::TwoTemperature) << QStringLiteral("-12.34 C / 9.79 F")
                                  << true << -1234;
        QTest::newRow("humidity") << int(ReportKind::TemperatureHumidity) << QStringLiteral("33.70%") << true
                                  << 3370;
        QTest::newRow("none") << int(ReportKind::Standard) << QStringLiteral("-") << false << none;
        QTest::newRow("raw word") << int(ReportKind::RawWord) << QStringLiteral("4001") << true << none;
        QTest::newRow("one temp second")
            << int(ReportKind::OneTemperature) << QStringLiteral("-") << true << none;
    }
    void sensorTexts()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(bool, second);
        QFETCH(int, hundredths);
        QCOMPARE(int(TagHistory::sensorHundredths(text, ReportKind(kind), second)), hundredths);
    }

    // A fast tag adds one point per spacing; the last report inside a spacing wins.
    void thinningMergesReportsWithinTheSpacing()
    {
        FakeClock clock;
        TagHistory history(clock, HistoryBound{100, 3600000, 1000});
        history.setTracked({kA});
        for (int i = 0; i < 10; ++i) {
            history.add(report(kA, quint8(i)), "COM03");
            clock.advance(150);
        }
        const HistorySeries *s = history.series(kA);
        QCOMPARE(s->reports(), quint64(10));
        QCOMPARE(s->size(), 2); // reports at 0..1350 ms: one point at 0, one at 1050
        QCOMPARE(s->at(0).rssi, quint8(6));
        QCOMPARE(s->at(1).rssi, quint8(9));
        QCOMPARE(s->at(1).wallMs - s->at(0).wallMs, qint64(1050));
    }

    // A million reports over many tags and hours: the series never exceed the bound, span it, and
    // the memory stays under the stated bound per tag.
    void millionReportsStayWithinTheBound()
    {
        FakeClock clock;
        const HistoryBound bound{200, 30 * 60 * 1000, 1000};
        TagHistory history(clock, bound);
        QStringList uids;
        for (int i = 0; i < 50; ++i)
            uids << QString::number(i).rightJustified(16, QLatin1Char('0'));
        history.setTracked(uids);
        TTagReport r = report(uids[0]);
        for (int i = 0; i < 1000000; ++i) {
            r.uid = uids[i % 50];
            r.rssi = quint8(i);
            history.add(r, QStringLiteral("COM%1").arg(i % 3));
            clock.advance(i % 50 == 49 ? 200 : 0); // each tag every 200 ms: 66 minutes in all
        }
        QVERIFY(history.memoryBytes() <= 50 * TagHistory::boundBytesPerTag(bound));
        for (const QString &uid : uids) {
            const HistorySeries *s = history.series(uid);
            QVERIFY(s->size() <= bound.maxPoints);
            QVERIFY(s->size() > bound.maxPoints / 2);
            QVERIFY(history.wallMs() - s->at(0).wallMs <= bound.maxAgeMs);
            // The older part is thinned, the newest points keep the spacing.
            QVERIFY(history.wallMs() - s->at(0).wallMs > 10 * 60 * 1000);
            for (int i = 1; i < s->size(); ++i)
                QVERIFY(s->at(i).wallMs - s->at(i - 1).wallMs >= bound.minSpacingMs);
        }
    }

    void coverageFromSeveralLabels()
    {
        FakeClock clock;
        CoverageMatrix m(clock);
        m.add(report(kA, 0x40), "COM03");
        clock.advance(500);
        m.add(report(kA, 0x60), "COM03");
        m.add(report(kB, 0x30), "192.168.1.50");
        clock.advance(250);
        m.add(report(kA, 0x50), "site/r1");
        m.add(report(kA, 0x20), "COM03");
        QCOMPARE(m.tagCount(), 2);
        QCOMPARE(m.readerCount(), 3);
        const CoverageCell &c = m.cell(0, 0);
        QCOMPARE(c.reports, quint64(3));
        QCOMPARE(c.lastRssi, quint8(0x20));
        QCOMPARE(c.maxRssi, quint8(0x60));
        QCOMPARE(c.lastSeenMs, clock.now().toMSecsSinceEpoch());
        QCOMPARE(m.cell(1, 0).reports, quint64(0));
        QCOMPARE(m.cell(1, 1).lastRssi, quint8(0x30));
        QCOMPARE(m.cell(0, 2).reports, quint64(1));

        const auto stamp = [&clock](int backMs) {
            const QDateTime t = clock.now().addMSecs(-backMs);
            const int off = t.offsetFromUtc();
            return t.toString("yyyy-MM-ddTHH:mm:ss.zzz") + (off < 0 ? "-" : "+") +
                   QTime(0, 0).addSecs(qAbs(off)).toString("HH:mm");
        };
        const QString expected = "uid,reader,reports,last_rssi,max_rssi,last_seen\n"
                                 "0000000000001234,COM03,3,32,96," +
                                 stamp(0) +
                                 "\n"
                                 "0000000000001234,site/r1,1,80,80," +
                                 stamp(0) +
                                 "\n"
                                 "0000000000005678,192.168.1.50,1,48,48," +
                                 stamp(250) + "\n";
        QCOMPARE(QString::fromUtf8(CoverageCsv::text(m)), expected);
    }

    void coverageBoundAndWriteFailure()
    {
        FakeClock clock;
        CoverageMatrix m(clock, CoverageMatrix::Bound{2, 1});
        m.add(report(kA), "COM01");
        m.add(report(kA), "COM02"); // a second reader: beyond the bound
        m.add(report(kB), "COM01");
        m.add(report("0000000000000009"), "COM01"); // a third tag: beyond the bound
        QCOMPARE(m.tagCount(), 2);
        QCOMPARE(m.readerCount(), 1);
        QCOMPARE(m.refusedReports(), quint64(2));

        QTemporaryDir dir;
        QString error;
        QVERIFY(CoverageCsv::write(m, dir.filePath("c.csv"), &error));
        QFile f(dir.filePath("c.csv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), CoverageCsv::text(m));
        QVERIFY(!CoverageCsv::write(m, dir.filePath("missing/c.csv"), &error));
        QVERIFY(!error.isEmpty());
    }

    void findSignalSmoothsAndTones()
    {
        FakeClock clock;
        FindTagSignal signal(clock);
        signal.setUid(kA);
        QCOMPARE(signal.msSinceLastReport(), qint64(-1));
        signal.add(report(kB, 0xF0));
        QVERIFY(!signal.hasReport());
        signal.add(report(kA, 100));
        QCOMPARE(signal.smoothedRssi(), 100.0);
        signal.add(report(kA, 200));
        QCOMPARE(signal.smoothedRssi(), 130.0);
        clock.advance(700);
        QCOMPARE(signal.msSinceLastReport(), qint64(700));
        QVERIFY(FindTagSignal::tickIntervalMs(250) < FindTagSignal::tickIntervalMs(50));

        RecordingTonePlayer tones;
        FindTagTone tone(signal, tones);
        tone.setSessionRunning(true);
        QVERIFY(!tone.isTicking()); // off by default
        tone.setEnabled(true);
        QVERIFY(tone.isTicking());
        QTRY_VERIFY_WITH_TIMEOUT(!tones.tones.isEmpty(), 3000);
        tone.setSessionRunning(false);
        QVERIFY(!tone.isTicking());
    }
};

QTEST_GUILESS_MAIN(TestSignalHistory)
#include "tst_signal_history.moc"
