// Report lines of the simulated tags: formats, stable UIDs, sensor encodings, markers.
#include "reading/ReportDecoder.h"
#include "sim/ReportGenerator.h"
#include "sim/SequenceChecker.h"
#include "sim/TagPopulation.h"

#include <QtTest>

namespace {

QList<QByteArray> linesOf(const QByteArray &stream)
{
    QList<QByteArray> lines = stream.split('\r');
    lines.removeLast(); // after the last CR
    return lines;
}

bool isDecimal(const QByteArray &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

class TestReportGenerator : public QObject
{
    Q_OBJECT
private slots:
    void populationIsStableForASeed()
    {
        const TagPopulation a(200, 5);
        const TagPopulation b(200, 5);
        const TagPopulation c(200, 6);
        QSet<QByteArray> uids;
        QSet<int> kinds;
        for (int i = 0; i < a.size(); ++i) {
            QCOMPARE(a.tag(i).uid, b.tag(i).uid);
            QCOMPARE(a.tag(i).uid.size(), 16);
            QVERIFY(isDecimal(a.tag(i).uid));
            uids.insert(a.tag(i).uid);
            kinds.insert(int(a.tag(i).kind));
        }
        QCOMPARE(uids.size(), 200);
        QCOMPARE(kinds.size(), 6);
        QVERIFY(a.tag(0).uid != c.tag(0).uid);
        QCOMPARE(a.tag(0).registers, TagPopulation::defaultRegisters());
    }

    void sensorWordsFollowTheWorkedExamples()
    {
        QCOMPARE(ReportGenerator::scaleAWord(25.0), quint16(0x0320));
        QCOMPARE(ReportGenerator::scaleAWord(-1.0), quint16(0x3FE0));
        QCOMPARE(ReportGenerator::humidityTemperatureWord(25.0), quint16(0x9964));
        QCOMPARE(ReportGenerator::humidityWord(33.70, 25.0), quint16(0x03E8));
        QCOMPARE(ReportGenerator::kelvinWord(24.99), quint16(0x3A3B));
    }

    // Every line the generator makes is accepted by the host's decoder with the type it was made for,
    // with values in a plausible range.
    void everyLineDecodes()
    {
        TagPopulation tags(60, 11);
        ReportGenerator generator(&tags, 3, {});
        QByteArray stream;
        QCOMPARE(generator.appendLines(stream, 3000), 3000);
        const QList<QByteArray> lines = linesOf(stream);
        QCOMPARE(lines.size(), 3000);
        QSet<int> kinds;
        for (const QByteArray &line : lines) {
            QVERIFY2(line.size() == 22 || line.size() == 26 || line.size() == 30, line.constData());
            const auto report = ReportDecoder::parseLine(line + '\r', {});
            QVERIFY2(report.has_value(), line.constData());
            const SimTag *tag = tags.find(line.left(16));
            QVERIFY(tag);
            QCOMPARE(int(report->kind), int(tag->kind)); // both enums list the kinds in the same order
            kinds.insert(int(report->kind));
            if (tag->kind == SimTagKind::OneTemperature || tag->kind == SimTagKind::TwoTemperature) {
                const double t1 = report->t1.section(' ', 0, 0).toDouble();
                QVERIFY2(t1 > -25 && t1 < 50, qPrintable(report->t1));
            }
            if (tag->kind == SimTagKind::TemperatureHumidity) {
                const double rh = report->t2.chopped(1).toDouble();
                QVERIFY2(rh > 15 && rh < 95, qPrintable(report->t2));
            }
        }
        QCOMPARE(kinds.size(), 6);
    }

    void sameSeedSameLines()
    {
        TagPopulation tags(30, 1);
        ReportGenerator a(&tags, 99, {});
        ReportGenerator b(&tags, 99, {});
        QByteArray la, lb;
        a.appendLines(la, 100);
        b.appendLines(lb, 100);
        QCOMPARE(la, lb);
    }

    void sequenceUidsCountPerReader()
    {
        TagPopulation tags(5, 1);
        ReportGenerator::Settings s;
        s.sequenceUids = true;
        s.readerNumber = 7;
        ReportGenerator generator(&tags, 1, s);
        QByteArray stream;
        generator.appendLines(stream, 3);
        QByteArray poll = generator.nextFields();
        const QList<QByteArray> lines = linesOf(stream);
        QCOMPARE(lines[0].left(16), QByteArray("0007000000000001"));
        QCOMPARE(lines[1].left(16), QByteArray("0007000000000002"));
        QCOMPARE(lines[2].left(16), QByteArray("0007000000000003"));
        QCOMPARE(poll.left(16), QByteArray("0007000000000004"));
    }

    void sequenceCheckerFindsLostAndRepeatedLines()
    {
        TagPopulation tags(5, 1);
        SequenceChecker checker;
        for (int reader : {1, 2}) {
            ReportGenerator::Settings s;
            s.sequenceUids = true;
            s.readerNumber = reader;
            ReportGenerator generator(&tags, 1, s);
            QByteArray stream;
            generator.appendLines(stream, 100);
            QList<QByteArray> lines = linesOf(stream);
            if (reader == 2) {
                lines.removeAt(10);        // one lost
                lines.removeAt(20);        // and another
                lines.append(lines.at(5)); // one repeated
            }
            for (const QByteArray &line : lines)
                QVERIFY(checker.check(line.left(16)));
        }
        QCOMPARE(checker.readersSeen(), 2);
        QCOMPARE(checker.received(), quint64(199));
        QCOMPARE(checker.lost(), quint64(2));
        QCOMPARE(checker.outOfOrder(), quint64(1));
        QCOMPARE(checker.highest(1), quint64(100));
        QVERIFY(!checker.check("00010000000000x1"));
    }

    void tamperMarkersAndNoise()
    {
        TagPopulation tags(10, 1);
        ReportGenerator::Settings s;
        s.tamperRate = 1.0;
        ReportGenerator marked(&tags, 1, s);
        QByteArray stream;
        marked.appendLines(stream, 50);
        for (const QByteArray &line : linesOf(stream)) {
            QVERIFY(line.startsWith("J00"));
            QVERIFY(line.size() == 25 || line.size() == 29 || line.size() == 33);
        }
        QCOMPARE(marked.takeTamperLines(), 50);
        QCOMPARE(marked.takeTamperLines(), 0);

        ReportGenerator::Settings n;
        n.garbageRate = 0.5;
        ReportGenerator noisy(&tags, 1, n);
        stream.clear();
        noisy.appendLines(stream, 400);
        int good = 0;
        for (const QByteArray &line : linesOf(stream))
            good += tags.find(line.left(16)) && (line.size() == 22 || line.size() == 26 || line.size() == 30);
        QCOMPARE(good, 400); // the noise is its own line: no report is damaged
        QVERIFY(linesOf(stream).size() > 500);
    }

    void noTagsNoLines()
    {
        TagPopulation none(0, 1);
        ReportGenerator generator(&none, 1, {});
        QByteArray stream;
        QCOMPARE(generator.appendLines(stream, 10), 0);
        QVERIFY(stream.isEmpty());
        QVERIFY(generator.nextFields().isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestReportGenerator)
#include "tst_report_generator.moc"
