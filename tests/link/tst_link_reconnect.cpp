// Links that reconnect: readers this program connects to that drop or cannot be reached, and serial
// ports that vanish and come back, with the wait between attempts growing.
#include "NetTestHelpers.h"
#include "PtyPair.h"

#include "link/ReconnectSchedule.h"
#include "link/SerialReadingLinks.h"
#include "link/TcpClientReadingLinks.h"

#include "ReportLines.h"
#include <QFile>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace nettest;

namespace {

// A listening reader whose connections are kept in arrival order.
struct Listener
{
    QTcpServer server;
    QList<std::shared_ptr<Peer>> peers;

    bool listen(const QHostAddress &address, quint16 port)
    {
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket *c = server.nextPendingConnection())
                peers.append(watch(c));
        });
        return server.listen(address, port);
    }
};

// A port nothing listens on right now at this address.
quint16 freePort(const QHostAddress &address)
{
    QTcpServer s;
    s.listen(address, 0);
    return s.serverPort();
}

QList<int> delaysOf(const QSignalSpy &scheduled)
{
    QList<int> delays;
    for (const auto &args : scheduled)
        delays.append(args[1].toInt());
    return delays;
}

// The reader side of a pty: collects what the host sent.
struct PtyReader
{
    std::unique_ptr<PtyPair> pty = std::make_unique<PtyPair>();
    std::unique_ptr<QSocketNotifier> notifier;
    QByteArray received;

    PtyReader()
    {
        notifier = std::make_unique<QSocketNotifier>(pty->masterFd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                         [this] { received += pty->readAvailable(); });
    }
    ~PtyReader() { notifier.reset(); }
};

} // namespace

class TestLinkReconnect : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerSignalTypes(); }

    void waitsDoubleUpToTheCeilingAndStartOverWhenBack()
    {
        ReconnectSchedule schedule(Timing{});
        QList<int> delays;
        for (int i = 0; i < 8; ++i)
            delays.append(schedule.schedule());
        QCOMPARE(delays, (QList<int>{1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000}));
        QVERIFY(schedule.isPending());
        schedule.reset();
        QVERIFY(!schedule.isPending());
        QCOMPARE(schedule.schedule(), 1000);
        schedule.cancel();

        ReconnectSchedule fast(Timing().scaled(10));
        QCOMPARE(fast.schedule(), 100);
        QSignalSpy due(&fast, &ReconnectSchedule::due);
        QVERIFY(due.wait(5000));
    }

    void droppedReaderIsReadToItsLastLineThenReconnectedAndGreeted()
    {
        Listener reader;
        QVERIFY(reader.listen(QHostAddress("127.0.0.7"), 0));
        const QString endpoint = "127.0.0.7:" + QString::number(reader.server.serverPort());
        TcpClientReadingLinks links;
        links.setTiming(fastTiming());
        links.setReconnect(true);
        links.setReaders({{3, "127.0.0.7"}});
        links.setRemotePortText(QString::number(reader.server.serverPort()));
        QSignalSpy scheduled(&links, &ReadingLinks::reconnectScheduled);
        QSignalSpy reconnected(&links, &ReadingLinks::reconnected);
        QSignalSpy removed(&links, &ReadingLinks::sourceRemoved);
        QSignalSpy allDown(&links, &TcpClientReadingLinks::allReadersDown);
        ReadingHarness h;
        h.session.start(&links);
        QTRY_COMPARE(reader.peers.size(), 1);
        const auto first = reader.peers[0];
        QTRY_COMPARE(first->received, greeting());

        // The reader's last lines come just before it drops the connection: every one is read.
        const QByteArray lines = manyLines(7, 200);
        const qsizetype half = lines.size() / 2; // lines 0..99, written in two pieces cut mid-line
        first->socket->write(lines.left(half / 2 + 5));
        first->socket->write(lines.mid(half / 2 + 5, half - (half / 2 + 5)));
        first->socket->disconnectFromHost();
        QTRY_COMPARE(scheduled.size(), 1);
        QCOMPARE(scheduled[0][0].toString(), endpoint);
        QCOMPARE(scheduled[0][1].toInt(), fastTiming().reconnectFirstMs);
        QCOMPARE(removed.size(), 1);
        QTRY_VERIFY(readAllInOrder(h, "127.0.0.7", 7, 100));

        // A new connection, greeted again; its lines follow the old ones under the same label.
        QTRY_COMPARE(reader.peers.size(), 2);
        QTRY_COMPARE(reconnected.size(), 1);
        QCOMPARE(reconnected[0][0].toString(), endpoint);
        const auto second = reader.peers[1];
        QTRY_COMPARE(second->received, greeting());
        second->socket->write(lines.mid(half));
        QTRY_VERIFY(readAllInOrder(h, "127.0.0.7", 7, 200));
        QVERIFY(allDown.isEmpty());
        QCOMPARE(h.problems.size(), 1); // the drop, once

        QSignalSpy ended(&h.session, &ReadingSession::ended);
        h.session.stop();
        QVERIFY(ended.wait(5000));
        QTRY_COMPARE(second->received, greeting() + repeated("A0", 5));
        QCOMPARE(first->received, greeting());
    }

    void unreachableReaderIsTriedWithGrowingWaitsUntilItListens()
    {
        const QHostAddress address("127.0.0.8");
        const quint16 port = freePort(address);
        QVERIFY(port != 0);
        Timing timing = fastTiming();
        timing.reconnectFirstMs = 20;
        timing.reconnectMaxMs = 80;
        TcpClientReadingLinks links;
        links.setTiming(timing);
        links.setReconnect(true);
        links.setReaders({{1, "127.0.0.8"}});
        links.setRemotePortText(QString::number(port));
        QSignalSpy scheduled(&links, &ReadingLinks::reconnectScheduled);
        QSignalSpy reconnected(&links, &ReadingLinks::reconnected);
        QSignalSpy allDown(&links, &TcpClientReadingLinks::allReadersDown);
        ReadingHarness h;
        h.session.start(&links);
        QTRY_VERIFY_WITH_TIMEOUT(scheduled.size() >= 5, 10000);
        QCOMPARE(delaysOf(scheduled).mid(0, 5), (QList<int>{20, 40, 80, 80, 80}));
        QVERIFY(!scheduled[0][2].toString().isEmpty()); // the system's reason
        // Only the first failure is a problem of its own; the later ones are told with each attempt.
        QCOMPARE(h.problems.size(), 1);
        QVERIFY(allDown.isEmpty());

        Listener reader;
        QVERIFY(reader.listen(address, port));
        QTRY_COMPARE_WITH_TIMEOUT(reconnected.size(), 1, 10000);
        QTRY_COMPARE(reader.peers.size(), 1);
        QTRY_COMPARE(reader.peers[0]->received, greeting());
        reader.peers[0]->socket->write(reportLine(8, 1));
        QTRY_VERIFY(h.has(uidOf(8, 1), "127.0.0.8"));
        QSignalSpy ended(&h.session, &ReadingSession::ended);
        h.session.stop();
        QVERIFY(ended.wait(5000));
        QTRY_COMPARE(reader.peers[0]->received, greeting() + repeated("A0", 5));
    }

    void stoppingWhileWaitingEndsWithoutAnotherAttempt()
    {
        const QHostAddress address("127.0.0.9");
        const quint16 port = freePort(address);
        Timing timing = fastTiming();
        timing.reconnectFirstMs = 300;
        TcpClientReadingLinks links;
        links.setTiming(timing);
        links.setReconnect(true);
        links.setReaders({{1, "127.0.0.9"}});
        links.setRemotePortText(QString::number(port));
        QSignalSpy scheduled(&links, &ReadingLinks::reconnectScheduled);
        ReadingHarness h;
        h.session.start(&links);
        QVERIFY(scheduled.wait(5000));
        Listener reader;
        QVERIFY(reader.listen(address, port));
        QSignalSpy ended(&h.session, &ReadingSession::ended);
        h.session.stop();
        QVERIFY(ended.wait(5000));
        QSignalSpy connection(&reader.server, &QTcpServer::newConnection);
        QVERIFY(!connection.wait(timing.reconnectFirstMs + 200)); // past the wait that was pending
        QVERIFY(reader.peers.isEmpty());
        QCOMPARE(scheduled.size(), 1);
    }

    void unansweredAttemptIsGivenUpAndTriedAgain()
    {
        // A listener whose queue is full drops further connection requests unanswered, as a network
        // that swallows them does.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(0x7F00000A); // 127.0.0.10
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
        QCOMPARE(::listen(fd, 0), 0);
        socklen_t length = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &length);
        const quint16 port = ntohs(a.sin_port);
        QTcpSocket filler;
        filler.connectToHost(QHostAddress("127.0.0.10"), port);
        QVERIFY(filler.waitForConnected(5000));

        Timing timing = fastTiming();
        timing.reconnectFirstMs = 20;
        timing.reconnectMaxMs = 200; // an attempt has 100 ms
        TcpClientReadingLinks links;
        links.setTiming(timing);
        links.setReconnect(true);
        links.setReaders({{1, "127.0.0.10"}});
        links.setRemotePortText(QString::number(port));
        QSignalSpy scheduled(&links, &ReadingLinks::reconnectScheduled);
        ReadingHarness h;
        h.session.start(&links);
        QTRY_VERIFY_WITH_TIMEOUT(scheduled.size() >= 2, 10000);
        QCOMPARE(scheduled[0][2].toString(), QString("no answer within 0.1 s"));
        QCOMPARE(h.problems.size(), 1);
        QSignalSpy ended(&h.session, &ReadingSession::ended);
        h.session.stop();
        QVERIFY(ended.wait(5000));
        ::close(fd);
    }

    void serialPortThatVanishesIsOpenedAgainAndToldToReport()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString device = dir.filePath("ttyREADER");
        auto reader = std::make_unique<PtyReader>();
        QVERIFY(reader->pty->isValid());
        QVERIFY(QFile::link(reader->pty->slavePath(), device));
        SerialPortMap map;
        map.setDevice(3, device);
        Timing timing = fastTiming();
        timing.replyWaitMs = 20;
        timing.reconnectFirstMs = 30;
        timing.reconnectMaxMs = 60;
        SerialReadingLinks links(map, {3}, timing);
        links.setReconnect(true);
        QSignalSpy scheduled(&links, &ReadingLinks::reconnectScheduled);
        QSignalSpy reconnected(&links, &ReadingLinks::reconnected);
        ReadingHarness h;
        h.session.setTiming(timing);
        h.session.start(&links);
        const QByteArray start = frame("M0") + frame("A3");
        QTRY_COMPARE(reader->received, start);
        QVERIFY(reader->pty->write(ReportLines::line(31)));
        QTRY_COMPARE(h.reports.size(), 1);

        reader.reset();                     // the device goes away
        QTRY_VERIFY(scheduled.size() >= 2); // the loss, then at least one attempt that failed
        const QString endpoint = "COM03 (" + device + ")";
        QCOMPARE(scheduled[0][0].toString(), endpoint);
        QVERIFY(h.problems.join('\n').contains("COM03"));

        reader = std::make_unique<PtyReader>(); // and comes back, under the same name
        QVERIFY(QFile::remove(device));
        QVERIFY(QFile::link(reader->pty->slavePath(), device));
        QTRY_COMPARE(reconnected.size(), 1);
        QCOMPARE(reconnected[0][0].toString(), endpoint);
        QTRY_COMPARE(reader->received, start);
        QVERIFY(reader->pty->write(ReportLines::line(32)));
        QTRY_COMPARE(h.reports.size(), 2);
        QCOMPARE(h.reports[1].uid, QString("0000000000000032"));
        QCOMPARE(h.reports[1].label, QString("COM03"));

        QSignalSpy ended(&h.session, &ReadingSession::ended);
        h.session.stop();
        QVERIFY(ended.wait(5000));
        QCOMPARE(reader->received, start + frame("A0"));
    }
};

QTEST_GUILESS_MAIN(TestLinkReconnect)
#include "tst_link_reconnect.moc"
