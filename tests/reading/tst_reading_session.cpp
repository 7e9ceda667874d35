#include "link/ReadingLinks.h"
#include "link/ReadingSource.h"
#include "reading/ReadingSession.h"
#include "reading/ReportDecoder.h"

#include "ReportLines.h"
#include <QRandomGenerator>
#include <QSignalSpy>

#include <QtTest>
#include <memory>

namespace {

// Links whose sources the test fills by hand.
class HandLinks : public ReadingLinks
{
public:
    void open() override
    {
        for (int i : indexes) {
            sources[i] = std::make_unique<ReadingSource>(QStringLiteral("SRC%1").arg(i));
            emit sourceAdded(i, sources[i].get());
        }
        emit opened();
    }
    void close() override
    {
        for (auto &[i, s] : sources)
            emit sourceRemoved(i);
        sources.clear();
        emit closed();
    }
    void broadcastCommand(const QByteArray &) override {}
    void remove(int i)
    {
        emit sourceRemoved(i);
        sources.erase(i);
    }
    QList<int> indexes;
    std::map<int, std::unique_ptr<ReadingSource>> sources;
};

QByteArray report(int n)
{
    return ReportLines::line(n, "FF");
}

} // namespace

class TestReadingSession : public QObject
{
    Q_OBJECT
private slots:
    void servicesSourcesRoundRobin()
    {
        HandLinks links;
        links.indexes = {3, 7};
        ReadingSession session;
        QList<QString> labels;
        connect(&session, &ReadingSession::frameReady, this,
                [&](QByteArrayView, const QString &label) { labels.append(label); });
        session.start(&links);
        links.sources[3]->appendBytes(report(1) + report(2));
        links.sources[7]->appendBytes(report(3));
        QVERIFY(session.pollStep());
        QCOMPARE(session.serviceCursor(), 3);
        QVERIFY(session.pollStep());
        QCOMPARE(session.serviceCursor(), 7);
        QVERIFY(!session.pollStep());
        QCOMPARE(labels, (QList<QString>{"SRC3", "SRC3", "SRC7"}));
        links.sources[3]->appendBytes(report(4));
        links.sources[7]->appendBytes(report(5));
        QVERIFY(session.pollStep()); // wraps from 7 to 3
        QCOMPARE(session.serviceCursor(), 3);
        QVERIFY(session.pollStep());
        QCOMPARE(session.serviceCursor(), 7);
        session.stop();
        QCOMPARE(session.state(), ReadingSession::State::Idle);
    }

    void removedSourceIsDrainedFirst()
    {
        HandLinks links;
        links.indexes = {1};
        ReadingSession session;
        int frames = 0;
        connect(&session, &ReadingSession::frameReady, this, [&] { ++frames; });
        session.start(&links);
        links.sources[1]->appendBytes(report(1) + report(2));
        links.remove(1);
        QCOMPARE(frames, 2);
        session.stop();
    }

    void stopFromInsideAFrameIsSafe()
    {
        HandLinks links;
        links.indexes = {1, 2};
        ReadingSession session;
        QSignalSpy ended(&session, &ReadingSession::ended);
        QList<QByteArray> frames;
        connect(&session, &ReadingSession::frameReady, this, [&](QByteArrayView frame) {
            if (frames.isEmpty())
                session.stop();                 // as "Save" does; these links drop their sources at once
            frames.append(frame.toByteArray()); // the frame stays valid after the stop
        });
        session.start(&links);
        links.sources[1]->appendBytes(report(1) + report(2) + report(3) + report(4).left(9));
        QVERIFY(ended.wait(1000));
        // The chunk in hand is finished; the partial line is forgotten with its source.
        QCOMPARE(frames, (QList<QByteArray>{report(1), report(2), report(3)}));
    }

    // A deterministic random stream of noise mixed with good lines goes through the session:
    // nothing crashes, the session keeps running and every good line that follows a CR is decoded.
    void survivesHostileStreams()
    {
        HandLinks links;
        links.indexes = {1, 2, 3};
        ReadingSession session;
        ReportDecoder decoder;
        int decoded = 0;
        connect(&session, &ReadingSession::frameReady, &decoder, &ReportDecoder::decodeReport);
        connect(&decoder, &ReportDecoder::reportDecoded, this, [&] { ++decoded; });
        session.start(&links);

        QRandomGenerator rng(20261208);
        int goodLines = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray chunk;
            switch (rng.bounded(8)) {
            case 0: // random bytes, NULs included
                for (int i = 0, n = rng.bounded(200); i < n; ++i)
                    chunk += char(rng.bounded(256));
                break;
            case 1:
                chunk = QByteArray(rng.bounded(1, 3000), 'x');
                break; // long line, no CR
            case 2:
                chunk = QByteArray(rng.bounded(1, 20), '\r');
                break; // lone CRs
            case 3:
                chunk = QByteArray(rng.bounded(1, 50), '\x02');
                break; // STX storm
            case 4:
                chunk = report(round).left(rng.bounded(1, 22));
                break; // truncated line
            case 5:
                chunk = "\x02T0012" + QByteArray("5C\r") + "J00" + report(round);
                break; // reply + tamper
            default:
                chunk = QByteArray(rng.bounded(100), '\0');
                break;
            }
            const int i = 1 + int(rng.bounded(3));
            // A good line after a CR always decodes, whatever came before on that source.
            if (rng.bounded(2)) {
                chunk += '\r' + report(round + 1);
                ++goodLines;
            }
            links.sources[i]->appendBytes(chunk);
            while (session.pollStep()) {
            }
        }
        QVERIFY(session.isRunning());
        QVERIFY(decoded >= goodLines);
        session.stop();
        QCOMPARE(session.state(), ReadingSession::State::Idle);
    }
};

QTEST_GUILESS_MAIN(TestReadingSession)
#include "tst_reading_session.moc"
