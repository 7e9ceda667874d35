// The simulated reader and the host's own serial reading path, end to end over a pty: the host's
// start and stop commands switch the reader, and every line it sends is decoded.
#include "link/SerialPortMap.h"
#include "link/SerialReadingLinks.h"
#include "reading/ReadingSession.h"
#include "reading/ReportDecoder.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/ReportPacer.h"
#include "sim/TagPopulation.h"

#include <QSignalSpy>
#include <QtTest>

class TestSimWithHost : public QObject
{
    Q_OBJECT
private slots:
    void hostReadsTheSimulatedSerialReader()
    {
        TagPopulation tags(40, 4);
        ReaderChannel::Settings s;
        s.reader.portKind = SimReader::PortKind::Serial;
        s.reader.startMode = 0; // silent until the host starts reading
        s.reports.tamperRate = 0.05;
        ReaderChannel reader(&tags, std::make_unique<PtyTransport>(), s);
        QVERIFY(reader.open());
        ReportPacer pacer(2000);
        pacer.addChannel(&reader);
        pacer.start();

        SerialPortMap map;
        map.setDevice(1, reader.transport().endpoint());
        Timing timing;
        timing.replyWaitMs = 3000; // the reader's replies must end the waits
        SerialReadingLinks links(map, {1}, timing);
        ReadingSession session;
        session.setTiming(timing);
        ReportDecoder decoder;
        connect(&session, &ReadingSession::frameReady, &decoder, &ReportDecoder::decodeReport);
        QList<TTagReport> reports;
        connect(&decoder, &ReportDecoder::reportDecoded, this,
                [&reports](const TTagReport &r, const QString &) { reports.append(r); });
        QSignalSpy commands(&links, &SerialReadingLinks::commandFinished);
        QSignalSpy opened(&links, &ReadingLinks::opened);
        QSignalSpy tamper(&decoder, &ReportDecoder::tamperChanged);

        session.start(&links);
        QVERIFY(opened.wait(2000));
        QCOMPARE(commands.size(), 2); // "M0" and "A3", both answered with a good reply
        QVERIFY(commands[0][1].toBool() && commands[1][1].toBool());
        QCOMPARE(reader.reader().autoSendMode(), 3);
        QTRY_VERIFY(reports.size() >= 300);
        // Tamper-marked lines raise the host's alarm.
        QVERIFY(std::any_of(tamper.begin(), tamper.end(), [](const QList<QVariant> &a) {
            return a[0].toBool() && a[1].toInt() == ReportDecoder::kNoCountdown;
        }));

        QSignalSpy ended(&session, &ReadingSession::ended);
        session.stop();
        QVERIFY(ended.wait(3000));
        QCOMPARE(commands.size(), 3);
        QVERIFY(commands[2][1].toBool());
        QCOMPARE(reader.reader().autoSendMode(), 0);
        // Every decoded report is one of the simulated tags, with its own report type.
        for (const TTagReport &r : std::as_const(reports)) {
            const SimTag *tag = tags.find(r.uid.toLatin1());
            QVERIFY2(tag, qPrintable(r.uid));
            QCOMPARE(int(r.kind), int(tag->kind));
        }
        QVERIFY(reader.linesSent() >= quint64(reports.size()));
    }
};

QTEST_GUILESS_MAIN(TestSimWithHost)
#include "tst_sim_with_host.moc"
