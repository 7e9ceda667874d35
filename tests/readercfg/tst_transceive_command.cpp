// The command exchange against scripted readers on a pty, a TCP connection and UDP: good replies,
// damaged replies, wrong echoes, noise, STX storms, report-line floods, silent and vanishing peers.
// Each ends after the written number of transmissions, never in a hang.
#include "FakeReader.h"
#include "FastTiming.h"
#include "ReportLines.h"
#include "readercfg/SerialConfigLink.h"
#include "readercfg/TcpClientConfigLink.h"
#include "readercfg/TransceiveCommand.h"
#include "readercfg/UdpConfigLink.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

namespace {

// Short waits, so that five timed-out transmissions take a fraction of a second.
constexpr int kReplyWaitMs = 80;

QByteArray noise(int size)
{
    QByteArray bytes(size, 'Z');
    for (int i = 7; i < size; i += 11)
        bytes[i] = '\r';
    return bytes;
}

QByteArray reportLines(int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += ReportLines::line(i);
    return lines;
}

} // namespace

class TestTransceiveCommand : public QObject
{
    Q_OBJECT

    // One wire to a scripted reader: "serial" (pty) or "tcp" (the reader listens).
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<QTcpServer> m_server;
    QTcpSocket *m_peer = nullptr;
    std::unique_ptr<ConfigLink> m_link;
    std::unique_ptr<FakeReader> m_reader;

    bool openWire(const QString &kind)
    {
        m_reader = std::make_unique<FakeReader>();
        if (kind == QLatin1String("serial")) {
            m_pty = std::make_unique<PtyPair>();
            m_link = std::make_unique<SerialConfigLink>(m_pty->slavePath(), QStringLiteral("115200,n,8,1"));
            m_reader->attachPty(*m_pty);
            return m_pty->isValid() && m_link->open();
        }
        m_server = std::make_unique<QTcpServer>();
        if (!m_server->listen(QHostAddress::LocalHost, 0))
            return false;
        m_link = std::make_unique<TcpClientConfigLink>(QStringLiteral("127.0.0.1"), m_server->serverPort());
        QSignalSpy opened(m_link.get(), &ConfigLink::opened);
        if (!m_link->open() || !opened.wait(5000))
            return false;
        if (!m_server->hasPendingConnections() && !m_server->waitForNewConnection(5000))
            return false;
        m_peer = m_server->nextPendingConnection();
        m_reader->attachSocket(m_peer);
        return true;
    }

    TransceiveCommand::Result run(const QByteArray &command, const Timing &timing = fastTiming(kReplyWaitMs),
                                  int deadlineMs = 10000)
    {
        TransceiveCommand exchange(m_link.get(), timing);
        QSignalSpy finished(&exchange, &TransceiveCommand::finished);
        exchange.start(command);
        if (!finished.wait(deadlineMs))
            return {};
        return finished.first().first().value<TransceiveCommand::Result>();
    }

private slots:
    void init() { qRegisterMetaType<TransceiveCommand::Result>(); }

    void cleanup()
    {
        m_link.reset();
        m_reader.reset();
        m_peer = nullptr;
        m_server.reset();
        m_pty.reset();
    }

    void wires_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("serial") << QStringLiteral("serial");
        QTest::newRow("tcp") << QStringLiteral("tcp");
    }

    void aGoodReplyEndsTheExchange_data() { wires_data(); }
    void aGoodReplyEndsTheExchange()
    {
        QFETCH(QString, kind);
        QVERIFY(openWire(kind));
        m_reader->setResponder([](const QByteArray &) { return FakeReader::reply("V1.00"); });
        const auto result = run("V");
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Ok));
        QCOMPARE(result.transmissions, 1);
        QCOMPARE(result.payload(), QByteArray("V1.00"));
        QCOMPARE(m_reader->frames, QList<QByteArray>{QByteArray::fromHex("015635370d")});
    }

    void aWrongBccIsShownAndFails_data() { wires_data(); }
    void aWrongBccIsShownAndFails()
    {
        QFETCH(QString, kind);
        QVERIFY(openWire(kind));
        m_reader->setResponder([](const QByteArray &) { return FakeReader::badBccReply("T0012"); });
        TransceiveCommand exchange(m_link.get(), fastTiming(kReplyWaitMs));
        QSignalSpy shown(&exchange, &TransceiveCommand::replyReceived);
        QSignalSpy finished(&exchange, &TransceiveCommand::finished);
        exchange.start("T");
        QVERIFY(finished.wait(10000));
        const auto result = finished.first().first().value<TransceiveCommand::Result>();
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Failed));
        QCOMPARE(result.transmissions, 5);
        QCOMPARE(m_reader->frames.size(), 5);
        QCOMPARE(shown.size(), 5);
        QCOMPARE(shown.first().at(0).toByteArray(), QByteArray("T0012"));
        QCOMPARE(shown.first().at(1).toBool(), false);
        QCOMPARE(result.payload(), QByteArray("T0012"));
    }

    // The reply's first character is not the command's: each transmission ends at once, long
    // before the (here very long) reply wait.
    void aWrongEchoFailsAtOnce_data() { wires_data(); }
    void aWrongEchoFailsAtOnce()
    {
        QFETCH(QString, kind);
        QVERIFY(openWire(kind));
        m_reader->setResponder([](const QByteArray &c) { return FakeReader::reply("?" + c); });
        Timing slow = fastTiming(kReplyWaitMs);
        slow.replyWaitMs = 60000;
        QElapsedTimer clock;
        clock.start();
        const auto result = run("V", slow, 5000);
        QCOMPARE(result.transmissions, 5);
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Failed));
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(m_reader->frames.size(), 5);
    }

    void badInputEndsAfterFiveTransmissions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("answer");
        for (const char *kind : {"serial", "tcp"}) {
            const QString k = QLatin1String(kind);
            QTest::addRow("%s: CR without STX", kind) << k
                                                      << QByteArray("V1.00"
                                                                    "3A\r");
            QTest::addRow("%s: STX storm", kind) << k << QByteArray(3000, '\x02');
            QTest::addRow("%s: noise", kind) << k << noise(4096);
            QTest::addRow("%s: report lines", kind) << k << reportLines(200);
            QTest::addRow("%s: frame cut short", kind) << k << FakeReader::reply("V1.00").left(5);
            QTest::addRow("%s: nothing", kind) << k << QByteArray();
        }
    }
    void badInputEndsAfterFiveTransmissions()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, answer);
        QVERIFY(openWire(kind));
        m_reader->setResponder([answer](const QByteArray &) { return answer; });
        const auto result = run("V");
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Failed));
        QCOMPARE(result.transmissions, 5);
        QCOMPARE(m_reader->frames.size(), 5);
        QVERIFY(result.reply.isEmpty());
    }

    // What comes before the reply (within what the serial queue takes at once) does not hide it.
    void theReplyIsFoundAfterJunk_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("junk");
        QTest::newRow("serial: STX storm") << "serial" << QByteArray(900, '\x02');
        QTest::newRow("serial: report lines") << "serial" << reportLines(20);
        QTest::newRow("tcp: STX storm") << "tcp" << QByteArray(20000, '\x02');
        QTest::newRow("tcp: noise") << "tcp" << noise(20000);
        QTest::newRow("tcp: report lines") << "tcp" << reportLines(2000);
        QTest::newRow("tcp: a started frame") << "tcp" << QByteArray("\x02V1.");
    }
    void theReplyIsFoundAfterJunk()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, junk);
        QVERIFY(openWire(kind));
        m_reader->setResponder([junk](const QByteArray &) { return junk + FakeReader::reply("V2.00"); });
        const auto result = run("V");
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Ok));
        QCOMPARE(result.transmissions, 1);
        QCOMPARE(result.payload(), QByteArray("V2.00"));
    }

    void aSilentPeerTimesOutFiveTimes()
    {
        QVERIFY(openWire("tcp"));
        const auto result = run("S");
        QCOMPARE(result.transmissions, 5);
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Failed));
        QCOMPARE(m_link->state(), ConfigLink::State::Ready);
    }

    void aPeerClosingMidReplyFails()
    {
        QVERIFY(openWire("tcp"));
        m_reader->setResponder([this](const QByteArray &) {
            m_peer->write("\x02V1.");
            m_peer->disconnectFromHost();
            return QByteArray();
        });
        Timing slow = fastTiming(kReplyWaitMs);
        slow.replyWaitMs = 60000;
        const auto result = run("V", slow, 5000);
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Failed));
        QCOMPARE(result.transmissions, 5);
        QCOMPARE(m_link->state(), ConfigLink::State::Closed);
        QCOMPARE(m_reader->frames.size(), 1);
    }

    void cancelEndsAtOnce()
    {
        QVERIFY(openWire("serial"));
        Timing slow = fastTiming(kReplyWaitMs);
        slow.replyWaitMs = 60000;
        TransceiveCommand exchange(m_link.get(), slow);
        QSignalSpy started(&exchange, &TransceiveCommand::transmissionStarted);
        QSignalSpy finished(&exchange, &TransceiveCommand::finished);
        exchange.start("V");
        QCOMPARE(started.size(), 1);
        QVERIFY(exchange.isRunning());
        exchange.cancel();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(int(finished.first().first().value<TransceiveCommand::Result>().outcome),
                 int(TransceiveCommand::Outcome::Cancelled));
        QVERIFY(!exchange.isRunning());

        // The link stays usable: the next exchange right after the cancel goes out and is answered,
        // also when the cancelled frame had reached the reader.
        m_reader->setResponder([](const QByteArray &) { return FakeReader::reply("V1.00"); });
        exchange.start("V");
        QTRY_COMPARE_WITH_TIMEOUT(m_reader->frames.size(), 2, 5000);
        exchange.cancel();
        const auto result = run("V");
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Ok));
        QCOMPARE(result.payload(), QByteArray("V1.00"));
    }

    void udpTakesRepliesOnlyFromTheReader()
    {
        QUdpSocket reader;
        QUdpSocket impostor;
        QVERIFY(reader.bind(QHostAddress("127.0.0.2"), 0));
        QVERIFY(impostor.bind(QHostAddress("127.0.0.3"), 0));
        UdpConfigLink link(QHostAddress::LocalHost, 0, QHostAddress("127.0.0.2"), reader.localPort(), false);
        QVERIFY(link.open());
        FakeReader fake;
        fake.setResponder([](const QByteArray &) { return FakeReader::reply("V1.00"); });
        fake.attachUdp(&reader, &impostor); // every answer comes from the wrong address

        TransceiveCommand exchange(&link, fastTiming(kReplyWaitMs));
        QSignalSpy finished(&exchange, &TransceiveCommand::finished);
        exchange.start("V");
        QVERIFY(finished.wait(10000));
        const auto result = finished.first().first().value<TransceiveCommand::Result>();
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Failed));
        QCOMPARE(result.transmissions, 5);
        QCOMPARE(fake.frames.size(), 5);
        QTRY_COMPARE(link.ignoredDatagrams(), quint64(5));
    }

    // Over UDP a wrong first character does not end the transmission: another datagram may still
    // bring the reply. And a reply datagram is used once: a second exchange does not see it again.
    void udpWaitsPastAWrongEchoAndUsesEachDatagramOnce()
    {
        QUdpSocket reader;
        QVERIFY(reader.bind(QHostAddress("127.0.0.2"), 0));
        UdpConfigLink link(QHostAddress::LocalHost, 0, QHostAddress("127.0.0.2"), reader.localPort(), false);
        QVERIFY(link.open());
        FakeReader fake;
        fake.attachUdp(&reader);
        fake.setResponder([&reader, &link](const QByteArray &) {
            reader.writeDatagram(FakeReader::reply("?V"), QHostAddress::LocalHost, link.localPort());
            return FakeReader::reply("V1.00");
        });
        TransceiveCommand exchange(&link, fastTiming(kReplyWaitMs));
        QSignalSpy finished(&exchange, &TransceiveCommand::finished);
        exchange.start("V");
        QVERIFY(finished.wait(10000));
        auto result = finished.takeFirst().first().value<TransceiveCommand::Result>();
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Ok));
        QCOMPARE(result.transmissions, 1);
        QCOMPARE(result.payload(), QByteArray("V1.00")); // the frame that did not echo "V" was passed over

        fake.setResponder([](const QByteArray &) { return QByteArray(); });
        exchange.start("V");
        QVERIFY(finished.wait(10000));
        result = finished.takeFirst().first().value<TransceiveCommand::Result>();
        QCOMPARE(int(result.outcome), int(TransceiveCommand::Outcome::Failed));
        QCOMPARE(result.transmissions, 5);
    }
};

QTEST_GUILESS_MAIN(TestTransceiveCommand)
#include "tst_transceive_command.moc"
