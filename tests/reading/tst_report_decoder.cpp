#include "reading/DiFlags.h"
#include "reading/ReportDecoder.h"
#include "reading/SensorText.h"

#include <QSignalSpy>
#include <QtTest>
#include <cstdio>

namespace {
QString cPrintf(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%3.2f", v);
    return QString::fromLatin1(buf);
}
QByteArray line(const char *uid, const char *rssi, const char *lqi, const char *di, const char *words = "")
{
    return QByteArray(uid) + rssi + lqi + di + words + '\r';
}
const char *kUid = "0000000000001234";
} // namespace

class TestReportDecoder : public QObject
{
    Q_OBJECT
private slots:
    void decodesEachKind_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("t1");
        QTest::addColumn<QString>("t2");
        QTest::newRow("standard") << line(kUid, "50", "A3", "FF") << int(ReportKind::Standard) << "-"
                                  << "-";
        QTest::newRow("one temp 25") << line(kUid, "50", "A3", "FF", "0320")
                                     << int(ReportKind::OneTemperature) << "25.00 C / 77.00 F"
                                     << "-";
        QTest::newRow("one temp -1") << line(kUid, "50", "A3", "FF", "3FE0")
                                     << int(ReportKind::OneTemperature) << "-1.00 C / 30.20 F"
                                     << "-";
        QTest::newRow("two temp") << line(kUid, "50", "A3", "FF", "03200020")
                                  << int(ReportKind::TwoTemperature) << "25.00 C / 77.00 F"
                                  << "1.00 C / 33.80 F";
        QTest::newRow("humidity") << line(kUid, "50", "A3", "FF", "996403E8")
                                  << int(ReportKind::TemperatureHumidity) << "25.00"
                                  << "33.70%";
        QTest::newRow("kelvin") << line(kUid, "50", "A3", "FF", "FA3B3A3B")
                                << int(ReportKind::TwoTemperatureKelvin) << "24.99 C / 76.98 F"
                                << "24.99 C / 76.98 F";
        QTest::newRow("raw word keeps case")
            << line(kUid, "50", "A3", "FF", "4000ab1F") << int(ReportKind::RawWord) << "-"
            << "ab1F";
        QTest::newRow("lower-case hex fields")
            << line(kUid, "5a", "a3", "fe") << int(ReportKind::Standard) << "-"
            << "-";
    }
    void decodesEachKind()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, kind);
        QFETCH(QString, t1);
        QFETCH(QString, t2);
        ReportDecoder d;
        QSignalSpy spy(&d, &ReportDecoder::reportDecoded);
        d.decodeReport(frame, QStringLiteral("COM03"));
        QCOMPARE(spy.size(), 1);
        const auto r = spy[0][0].value<TTagReport>();
        QCOMPARE(int(r.kind), kind);
        QCOMPARE(r.uid, QString::fromLatin1(kUid));
        QCOMPARE(r.t1, t1);
        QCOMPARE(r.t2, t2);
        QCOMPARE(spy[0][1].toString(), QStringLiteral("COM03"));
    }

    // The decoder shares UID texts between reports; with more UIDs than it keeps, every report must
    // still carry its own UID.
    void manyDistinctUidsKeepTheirOwnText()
    {
        ReportDecoder d;
        QString last;
        int wrong = 0;
        connect(&d, &ReportDecoder::reportDecoded, this, [&](const TTagReport &r) { last = r.uid; });
        for (int round = 0; round < 2; ++round) {
            for (int i = 1; i <= 150000; ++i) {
                const QByteArray uid = QByteArray::number(i * 7919).rightJustified(16, '0');
                d.decodeReport(uid + "50A3FF\r", QString());
                wrong += last != QLatin1String(uid);
            }
        }
        QCOMPARE(wrong, 0);
    }

    void standardFields()
    {
        const auto r = ReportDecoder::parseLine(line(kUid, "50", "A3", "32"), {});
        QVERIFY(r);
        QCOMPARE(r->rssi, quint8(0x50));
        QCOMPARE(r->lqi, quint8(0xA3));
        QCOMPARE(r->di, quint8(0x32));
    }

    void dropsWhatItMust_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("kelvin word1 zero") << line(kUid, "50", "A3", "FF", "C0001234");
        QTest::newRow("kelvin word2 zero") << line(kUid, "50", "A3", "FF", "FA3B0000");
        QTest::newRow("reply letter") << line("00000000000012R4", "50", "A3", "FF");
        QTest::newRow("unlisted length") << QByteArray("000000000000123450A3FF0\r");
        QTest::newRow("short") << QByteArray("00000000000012\r");
        QTest::newRow("non-hex rssi") << line(kUid, "5G", "A3", "FF");
        QTest::newRow("non-hex word") << line(kUid, "50", "A3", "FF", "03Z0");
        QTest::newRow("non-hex tamper status") << ("JZZ" + line(kUid, "50", "A3", "FF"));
    }
    void dropsWhatItMust()
    {
        QFETCH(QByteArray, frame);
        ReportDecoder d;
        QSignalSpy spy(&d, &ReportDecoder::reportDecoded);
        d.decodeReport(frame, QStringLiteral("x"));
        QCOMPARE(spy.size(), 0);
    }

    void typeSwitches()
    {
        ReportTypeSwitches off{false, false, false, false};
        QVERIFY(!ReportDecoder::parseLine(line(kUid, "50", "A3", "FF"), off));
        QVERIFY(!ReportDecoder::parseLine(line(kUid, "50", "A3", "FF", "0320"), off));
        QVERIFY(!ReportDecoder::parseLine(line(kUid, "50", "A3", "FF", "03200320"), off));
        QVERIFY(!ReportDecoder::parseLine(line(kUid, "50", "A3", "FF", "99640320"), off));
        QVERIFY(!ReportDecoder::parseLine(line(kUid, "50", "A3", "FF", "FA3B3A3B"), off));
        QVERIFY(ReportDecoder::parseLine(line(kUid, "50", "A3", "FF", "40000320"), off)); // raw word: always
        ReportTypeSwitches onlyTwo{false, false, true, false};
        QVERIFY(ReportDecoder::parseLine(line(kUid, "50", "A3", "FF", "FA3B3A3B"), onlyTwo));
    }

    void ignoresFramesOffTheReadingPage()
    {
        ReportDecoder d;
        d.setReadingActive(false);
        QSignalSpy spy(&d, &ReportDecoder::reportDecoded);
        d.decodeReport(line(kUid, "50", "A3", "FF"), QString());
        QCOMPARE(spy.size(), 0);
    }

    void tamperAlarmRaisesAndCountsDown()
    {
        ReportDecoder d;
        QSignalSpy reports(&d, &ReportDecoder::reportDecoded);
        QSignalSpy alarm(&d, &ReportDecoder::tamperChanged);
        d.decodeReport("J00" + line(kUid, "50", "A3", "FF"), QString());
        QCOMPARE(reports.size(), 1); // decoded as a standard report after the prefix
        QVERIFY(d.tamperShown());
        QCOMPARE(alarm.last()[1].toInt(), ReportDecoder::kNoCountdown);

        d.decodeReport("00000000000012\r", QString()); // 15 characters: no effect
        QCOMPARE(d.tamperCountdown(), 0);
        d.decodeReport("000000000000123\r\r\r", QString()); // 18 characters: counts
        QCOMPARE(d.tamperCountdown(), 1);
        QCOMPARE(alarm.last()[1].toInt(), 10);
        for (int i = 0; i < 9; ++i)
            d.decodeReport(line(kUid, "50", "A3", "FF"), QString());
        QVERIFY(d.tamperShown());
        QCOMPARE(alarm.last()[1].toInt(), 1);
        d.decodeReport(line(kUid, "50", "A3", "FF"), QString()); // the eleventh hides it
        QVERIFY(!d.tamperShown());
        QCOMPARE(d.tamperCountdown(), 0);
        QCOMPARE(alarm.last()[0].toBool(), false);
        QCOMPARE(alarm.last()[1].toInt(), 0);

        // Status with bit 7 set: prefix removed, no alarm.
        d.decodeReport("J80" + line(kUid, "50", "A3", "FF"), QString());
        QVERIFY(!d.tamperShown());
        QCOMPARE(reports.size(), 12);
        d.decodeReport("J7F" + line(kUid, "50", "A3", "FF"), QString());
        QVERIFY(d.tamperShown());
        d.resetTamper();
        QVERIFY(!d.tamperShown());
    }

    void diFlagTexts()
    {
        QCOMPARE(diFlagText(0xFE), QStringLiteral("[SW]"));
        QCOMPARE(diFlagText(0x0E), QStringLiteral("[BAT=00][SW]"));
        QCOMPARE(diFlagText(0xF0), QStringLiteral("[SW][SENSOR][MO][START]"));
        QCOMPARE(diFlagText(0x5F), QStringLiteral("[BAT=05]"));
        QCOMPARE(diFlagText(0x32), QStringLiteral("[BAT=03][SW][MO][START]"));
        QCOMPARE(diFlagText(0xFF), QString());
    }

    void fixedFormattingMatchesPrintf()
    {
        // Every value a scale-A word can take, both units, against the C library's "%3.2f"
        // (exact ties such as 0.125 round to even).
        for (int w = 0; w < 0x4000; ++w) {
            int v = w & 0x2000 ? w - 0x4000 : w;
            const float c = float(v) * 0.03125f;
            const float f = c * 1.8f + 32.0f;
            QCOMPARE(SensorText::fixed2(c), cPrintf(double(c)));
            QCOMPARE(SensorText::fixed2(f), cPrintf(double(f)));
        }
        QCOMPARE(SensorText::fixed2(-0.001f), cPrintf(double(-0.001f)));
        QCOMPARE(SensorText::fixed2(0.125f), QStringLiteral("0.12"));
    }
};

QTEST_APPLESS_MAIN(TestReportDecoder)
#include "tst_report_decoder.moc"
