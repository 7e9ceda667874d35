// The tag panel's read loop against the simulated reader: with the reader in command mode the
// reports it keeps come back on "C" polls and fill the grid model (one row per tag, the first one
// chosen), the RSSI filter keeps weak tags out, and stop closes the link.
#include "RecordingTonePlayer.h"
#include "readercfg/ConfigLink.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/ReportPacer.h"
#include "sim/TagPopulation.h"
#include "tagcfg/TagReadLoop.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

class TestTagReadLoop : public QObject
{
    Q_OBJECT

    RecordingTonePlayer m_tones;
    TagPopulation m_tags{5, 3};
    std::unique_ptr<ReaderChannel> m_sim;
    std::unique_ptr<ReportPacer> m_pacer;
    int m_polls = 0;
    ConfigLinkRequest m_request;

    bool startSim()
    {
        ReaderChannel::Settings s;
        s.reader.portKind = SimReader::PortKind::Serial;
        m_sim = std::make_unique<ReaderChannel>(&m_tags, std::make_unique<PtyTransport>(), s);
        connect(m_sim.get(), &ReaderChannel::commandAnswered, this, [this](const QByteArray &command) {
            if (command == "C")
                ++m_polls;
        });
        if (!m_sim->open())
            return false;
        m_pacer = std::make_unique<ReportPacer>(400);
        m_pacer->addChannel(m_sim.get());
        m_pacer->start();
        m_request.kind = LinkKind::Serial;
        m_request.comDevice = m_sim->transport().endpoint();
        return true;
    }

    std::unique_ptr<TagReadLoop> makeLoop()
    {
        auto loop = std::make_unique<TagReadLoop>(m_tones);
        Timing t = Timing().scaled(10);
        t.replyWaitMs = 30;
        loop->setTiming(t);
        loop->setRequest(m_request);
        return loop;
    }

private slots:
    void init()
    {
        m_polls = 0;
        m_tones.tones.clear();
    }
    void cleanup()
    {
        m_pacer.reset();
        m_sim.reset();
    }

    void fillsTheGrid()
    {
        QVERIFY(startSim());
        auto loop = makeLoop();
        QAbstractItemModelTester tester(loop->model());
        QSignalSpy chosen(loop.get(), &TagReadLoop::tagChosen);
        QSignalSpy counts(loop.get(), &TagReadLoop::countChanged);
        QVERIFY(!loop->isRunning());
        QVERIFY(loop->start());
        QVERIFY(loop->isRunning());
        QCOMPARE(m_tones.tones.first(), qMakePair(1000, 300));
        QTRY_VERIFY_WITH_TIMEOUT(loop->count() >= 3, 15000);
        QCOMPARE(m_sim->reader().autoSendMode(), 0); // the reader keeps its reports for the polls

        TagUidModel *model = loop->model();
        QCOMPARE(model->columnCount(), 7);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("No."));
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("1"));
        QSet<QString> uids;
        for (int row = 0; row < model->rowCount(); ++row) {
            const QString uid = model->uidAt(row);
            QVERIFY(m_tags.find(uid.toLatin1()));
            QVERIFY(!uids.contains(uid)); // one row per tag
            uids.insert(uid);
            bool ok = false;
            QVERIFY(model->index(row, 2).data().toString().toInt(&ok) > 0 && ok); // RSSI in decimal
        }
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toString(), model->uidAt(0));
        QVERIFY(uids.contains(loop->currentUid()));
        QCOMPARE(counts.last().first().toInt(), model->rowCount());
        QVERIFY(m_tones.tones.contains(qMakePair(1000, 5)));
        QCOMPARE(loop->sendText(), QStringLiteral("C"));

        loop->stop();
        QVERIFY(!loop->isRunning());
        QCOMPARE(loop->link()->state(), ConfigLink::State::Closed);
        QCOMPARE(m_tones.tones.last(), qMakePair(1000, 300));
        const int polls = m_polls;
        QTest::qWait(60);
        QCOMPARE(m_polls, polls); // no poll after stop

        loop->clear();
        QCOMPARE(loop->count(), 0);
        QCOMPARE(loop->currentUid(), QStringLiteral("0000000000000000"));
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("NO"));
    }

    void rssiFilterKeepsWeakTagsOut()
    {
        QVERIFY(startSim());
        auto loop = makeLoop();
        loop->setRssiMinimum(256);
        loop->toggle();
        QVERIFY(loop->isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(m_polls >= 40, 15000);
        QCOMPARE(loop->count(), 0);
        QVERIFY(!loop->replyPayload().isEmpty());
        loop->toggle();
        QVERIFY(!loop->isRunning());
    }

    void linkThatCannotOpen()
    {
        m_request.kind = LinkKind::Serial;
        m_request.comDevice = QStringLiteral("/nonexistent/tty");
        auto loop = makeLoop();
        QSignalSpy problems(loop.get(), &TagReadLoop::problem);
        QVERIFY(!loop->start());
        QVERIFY(!loop->isRunning());
        QCOMPARE(problems.size(), 1);
        QCOMPARE(m_tones.tones, (QList<QPair<int, int>>{{300, 300}}));
    }
};

QTEST_GUILESS_MAIN(TestTagReadLoop)
#include "tst_tag_read_loop.moc"
