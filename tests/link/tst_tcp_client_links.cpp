#include "NetTestHelpers.h"
#include "ResettingReaders.h"

#include "link/SocketReadingSource.h"
#include "link/TcpClientReadingLinks.h"
#include "link/TcpKeepAlive.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using namespace nettest;

namespace {

// Listening readers at 127.0.0.2, 127.0.0.5, ... all on one port, as on a reader network.
struct ListeningReaders
{
    std::vector<std::unique_ptr<QTcpServer>> servers;
    QList<std::shared_ptr<Peer>> peers; // in the order the connections came in
    quint16 port = 0;

    bool listen(const QStringList &addresses)
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            servers.clear();
            port = 0;
            bool ok = true;
            for (const QString &a : addresses) {
                auto server = std::make_unique<QTcpServer>();
                if (!server->listen(QHostAddress(a), port)) {
                    ok = false;
                    break;
                }
                port = server->serverPort();
                QObject::connect(server.get(), &QTcpServer::newConnection, server.get(),
                                 [this, s = server.get()] {
                                     while (QTcpSocket *c = s->nextPendingConnection())
                                         peers.append(watch(c));
                                 });
                servers.push_back(std::move(server));
            }
            if (ok)
                return true;
        }
        return false;
    }

    std::shared_ptr<Peer> peerAt(const QString &address) const
    {
        for (const auto &p : peers)
            if (p->socket && p->socket->localAddress().toString() == address)
                return p;
        return nullptr;
    }
};

// One listening reader at `address`, read by the links as reader 1.
struct OneReader
{
    ListeningReaders readers;
    TcpClientReadingLinks links;
    ReadingHarness h;
    std::shared_ptr<Peer> peer;
    SocketReadingSource *source = nullptr;

    bool start(const QString &address)
    {
        if (!readers.listen({address}))
            return false;
        links.setTiming(fastTiming());
        links.setReaders({{1, address}});
        links.setRemotePortText(QString::number(readers.port));
        QSignalSpy added(&links, &ReadingLinks::sourceAdded);
        h.session.start(&links);
        if (!added.wait(5000) || !QTest::qWaitFor([this] { return !readers.peers.isEmpty(); }, 5000))
            return false;
        source = qobject_cast<SocketReadingSource *>(added[0][1].value<ReadingSource *>());
        peer = readers.peers[0];
        return source && QTest::qWaitFor([this] { return peer->received == greeting(); }, 5000);
    }
};

} // namespace

class TestTcpClientLinks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        registerSignalTypes();
        qRegisterMetaType<QTcpSocket *>();
    }

    void greetsReadsAndStopsEveryTickedReader()
    {
        ListeningReaders readers;
        QVERIFY(readers.listen({"127.0.0.2", "127.0.0.5"}));
        TcpClientReadingLinks links;
        links.setTiming(fastTiming());
        links.setReaders({{5, "127.0.0.5"}, {2, "127.0.0.2"}});
        links.setRemotePortText(QString::number(readers.port));
        ReadingHarness h;
        QSignalSpy added(&links, &ReadingLinks::sourceAdded);
        h.session.start(&links);
        QCOMPARE(links.highestClientIndex(), 5);
        QTRY_COMPARE(added.size(), 2);
        QCOMPARE(QList<int>({added[0][0].toInt(), added[1][0].toInt()}).contains(2), true);
        QCOMPARE(QList<int>({added[0][0].toInt(), added[1][0].toInt()}).contains(5), true);
        QVERIFY(h.logLines.contains("Connected:127.0.0.2 Port:" + QString::number(readers.port)));
        QVERIFY(h.logLines.contains("Connected:127.0.0.5 Port:" + QString::number(readers.port)));

        const auto r2 = readers.peerAt("127.0.0.2");
        const auto r5 = readers.peerAt("127.0.0.5");
        QVERIFY(r2 && r5);
        QTRY_COMPARE(r2->received, greeting());
        QTRY_COMPARE(r5->received, greeting());

        // Reports, one split over two writes, are decoded under the configured address.
        r2->socket->write(reportLine(2, 1) + reportLine(2, 2).left(10));
        r2->socket->flush();
        r5->socket->write(reportLine(5, 1));
        QTRY_COMPARE(h.reports.size(), 2);
        r2->socket->write(reportLine(2, 2).mid(10));
        QTRY_COMPARE(h.reports.size(), 3);
        QVERIFY(h.has(uidOf(2, 1), "127.0.0.2"));
        QVERIFY(h.has(uidOf(2, 2), "127.0.0.2"));
        QVERIFY(h.has(uidOf(5, 1), "127.0.0.5"));

        QSignalSpy ended(&h.session, &ReadingSession::ended);
        h.session.stop();
        QVERIFY(ended.wait(5000));
        QTRY_VERIFY(r2->disconnected && r5->disconnected);
        QCOMPARE(r2->received, greeting() + repeated("A0", 5));
        QCOMPARE(r5->received, greeting() + repeated("A0", 5));
        QVERIFY(h.problems.isEmpty());
    }

    void unreachableAndDroppedReadersAreReported()
    {
        ListeningReaders readers;
        QVERIFY(readers.listen({"127.0.0.4"}));
        TcpClientReadingLinks links;
        links.setTiming(fastTiming());
        // Reader 3 listens on another port than the one configured: nothing answers there.
        const quint16 port = readers.port;
        links.setReaders({{1, "127.0.0.4"}, {3, "127.0.0.6"}});
        links.setRemotePortText(QString::number(port));
        ReadingHarness h;
        h.session.start(&links);
        QTRY_COMPARE(h.problems.size(), 1);
        QVERIFY(h.problems[0].contains("127.0.0.6"));
        QVERIFY(h.logLines.filter("Not connected:127.0.0.6 Port:" + QString::number(port)).size() == 1);

        // The reachable reader works on, then drops mid-line: what came before the drop is read.
        QTRY_COMPARE(readers.peers.size(), 1);
        const auto peer = readers.peers[0];
        QTRY_COMPARE(peer->received, greeting());
        peer->socket->write(reportLine(1, 7) + "0000");
        peer->socket->flush();
        peer->socket->abort();
        QTRY_COMPARE(h.problems.size(), 2);
        QVERIFY(h.problems[1].contains("127.0.0.4"));
        QVERIFY(h.logLines.contains("Disconnected:127.0.0.4 Port:" + QString::number(port)));
        QTRY_VERIFY(h.has(uidOf(1, 7), "127.0.0.4"));
        QCOMPARE(links.connectedCount(), 0);

        QSignalSpy ended(&h.session, &ReadingSession::ended);
        h.session.stop();
        QVERIFY(ended.wait(5000));
        QCOMPARE(h.reports.size(), 1);
    }

    // A listening reader sends everything, waits until this host's kernel has acknowledged every byte,
    // then resets: every line is read, also when a command goes out on the dead connection first.
    void resetAfterTheHostHasEverythingLosesNoLine_data()
    {
        QTest::addColumn<bool>("commandAfterReset");
        QTest::newRow("quiet host") << false;
        QTest::newRow("host sends after the reset") << true;
    }
    void resetAfterTheHostHasEverythingLosesNoLine()
    {
        QFETCH(bool, commandAfterReset);
        constexpr int kLines = 100000;
        OneReader r;
        QVERIFY(r.start("127.0.0.8"));
        r.peer->socket->write(manyLines(8, kLines));
        QVERIFY(resetOnceAcknowledged(r.peer->socket));
        if (commandAfterReset)
            r.source->sendFrame(frame("BT"));
        QTRY_COMPARE_WITH_TIMEOUT(r.h.problems.size(), 1, 10000);
        QTRY_COMPARE(r.h.countFrom("127.0.0.8"), kLines);
        QVERIFY(readAllInOrder(r.h, "127.0.0.8", 8, kLines));
        QSignalSpy ended(&r.h.session, &ReadingSession::ended);
        r.h.session.stop();
        QVERIFY(ended.wait(5000));
    }

    // The same while this host is busy elsewhere: when the reset arrives, the lines are still in the
    // host's kernel, more of them than the connection's read buffer holds.
    void resetWhileTheHostIsBehindLosesNoLine_data() { resetAfterTheHostHasEverythingLosesNoLine_data(); }
    void resetWhileTheHostIsBehindLosesNoLine()
    {
        QFETCH(bool, commandAfterReset);
        constexpr int kLines = 2000; // about 46 kB: fits the kernel's window, not the read buffer
        OneReader r;
        QVERIFY(r.start("127.0.0.9"));
        // From here to the end of the reset the host's event loop does not run.
        const qintptr fd = r.peer->socket->socketDescriptor();
        QVERIFY(sendAll(int(fd), manyLines(9, kLines)));
        QVERIFY(spinUntilAcknowledged(int(fd)));
        lingerZero(fd);
        r.peer->socket->abort();
        if (commandAfterReset)
            r.source->sendFrame(frame("BT"));
        QTRY_COMPARE_WITH_TIMEOUT(r.h.problems.size(), 1, 10000);
        QTRY_COMPARE(r.h.countFrom("127.0.0.9"), kLines);
        QVERIFY(readAllInOrder(r.h, "127.0.0.9", 9, kLines));
        QSignalSpy ended(&r.h.session, &ReadingSession::ended);
        r.h.session.stop();
        QVERIFY(ended.wait(5000));
    }

    void configurationModeHandsTheConnectionOver()
    {
        ListeningReaders readers;
        QVERIFY(readers.listen({"127.0.0.7"}));
        TcpClientReadingLinks links;
        links.setTiming(fastTiming());
        links.setConfigurationMode(true);
        links.setReaders({{1, "127.0.0.7"}});
        links.setRemotePortText(QString::number(readers.port));
        QSignalSpy offered(&links, &TcpClientReadingLinks::connectionOffered);
        QSignalSpy added(&links, &ReadingLinks::sourceAdded);
        links.open();
        QVERIFY(offered.wait(5000));
        auto *socket = offered[0][0].value<QTcpSocket *>();
        QVERIFY(socket);
        QCOMPARE(socket->peerAddress().toString(), QStringLiteral("127.0.0.7"));
        // A reader that loses power is noticed on an idle connection: keepalive with short timings.
        const int fd = int(socket->socketDescriptor());
        int value = 0;
        socklen_t length = sizeof value;
        QCOMPARE(::getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &value, &length), 0);
        QCOMPARE(value, 1);
        QCOMPARE(::getsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &value, &length), 0);
        QCOMPARE(value, TcpKeepAlive::kIdleSec);
        QCOMPARE(::getsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &value, &length), 0);
        QCOMPARE(value, TcpKeepAlive::kProbes);
        QSignalSpy closed(&links, &ReadingLinks::closed);
        links.close();
        QVERIFY(closed.wait(5000));
        QTRY_VERIFY(readers.peers.size() == 1 && readers.peers[0]->disconnected);
        // Neither greeted nor told to stop: the configuration side owns the conversation.
        QCOMPARE(readers.peers[0]->received, QByteArray());
        QCOMPARE(added.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTcpClientLinks)
#include "tst_tcp_client_links.moc"
