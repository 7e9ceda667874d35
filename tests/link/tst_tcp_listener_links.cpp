#include "NetTestHelpers.h"
#include "ResettingReaders.h"

#include "i18n/ProblemText.h"
#include "link/SocketReadingSource.h"
#include "link/TcpListenerReadingLinks.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace nettest;

namespace {

// A reader that connects to the listener from its own loopback address.
std::shared_ptr<Peer> connectReader(const QString &from, quint16 port, QObject *owner)
{
    auto *socket = new QTcpSocket(owner);
    socket->bind(QHostAddress(from), 0);
    auto peer = watch(socket);
    socket->connectToHost(QHostAddress::LocalHost, port);
    return peer;
}

QString readerAddress(int i)
{
    return QStringLiteral("127.10.%1.%2").arg(i / 200).arg(i % 200 + 1);
}

SocketReadingSource *sourceOf(const QSignalSpy &added, int i = 0)
{
    return qobject_cast<SocketReadingSource *>(added[i][1].value<ReadingSource *>());
}

struct Listener
{
    TcpListenerReadingLinks links;
    ReadingHarness h;
    QObject readers; // owns the reader sockets of a test

    Listener()
    {
        links.setTiming(fastTiming());
        links.setListenAddress(QHostAddress::LocalHost);
        links.setListenPortText("0");
    }
    quint16 port() const { return links.serverPort(); }
    bool stop()
    {
        QSignalSpy ended(&h.session, &ReadingSession::ended);
        h.session.stop();
        return ended.wait(10000);
    }
};

} // namespace

class TestTcpListenerLinks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        registerSignalTypes();
        qRegisterMetaType<QTcpSocket *>();
    }

    void greetsListsReadsAndStops()
    {
        Listener l;
        QSignalSpy listed(&l.links, &TcpListenerReadingLinks::clientListed);
        l.h.session.start(&l.links);
        QVERIFY(l.port() != 0);
        const auto a = connectReader("127.0.0.2", l.port(), &l.readers);
        const auto b = connectReader("127.0.0.3", l.port(), &l.readers);
        QTRY_COMPARE(l.links.connectionCount(), 2);
        QTRY_COMPARE(a->received, greeting());
        QTRY_COMPARE(b->received, greeting());
        const QString lineA = "127.0.0.2:" + QString::number(a->socket->localPort());
        const QString lineB = "127.0.0.3:" + QString::number(b->socket->localPort());
        QCOMPARE(l.links.clientLines().size(), 2);
        QVERIFY(l.links.clientLines().contains(lineA) && l.links.clientLines().contains(lineB));
        QCOMPARE(listed.size(), 2);

        a->socket->write(reportLine(1, 1) + reportLine(1, 2).left(5));
        b->socket->write(reportLine(2, 1));
        QTRY_COMPARE(l.h.reports.size(), 2);
        a->socket->write(reportLine(1, 2).mid(5));
        QTRY_COMPARE(l.h.reports.size(), 3);
        QVERIFY(l.h.has(uidOf(1, 1), "127.0.0.2") && l.h.has(uidOf(1, 2), "127.0.0.2"));
        QVERIFY(l.h.has(uidOf(2, 1), "127.0.0.3"));

        l.links.broadcastCommand("BT");
        QTRY_COMPARE(a->received, greeting() + repeated("BT", 5));
        QVERIFY(l.stop());
        QTRY_VERIFY(a->disconnected && b->disconnected);
        QCOMPARE(a->received, greeting() + repeated("BT", 5) + repeated("A0", 5));
        QCOMPARE(b->received, greeting() + repeated("BT", 5) + repeated("A0", 5));
        QVERIFY(l.links.clientLines().isEmpty());
        QVERIFY(l.h.problems.isEmpty());
    }

    void sameAddressReplacesTheOlderConnection()
    {
        Listener l;
        QSignalSpy unlisted(&l.links, &TcpListenerReadingLinks::clientUnlisted);
        l.h.session.start(&l.links);
        const auto first = connectReader("127.0.0.4", l.port(), &l.readers);
        QTRY_COMPARE(first->received, greeting());
        first->socket->write(reportLine(4, 1));
        QTRY_COMPARE(l.h.reports.size(), 1);
        const auto second = connectReader("127.0.0.4", l.port(), &l.readers);
        // The older connection is closed, not merely forgotten.
        QTRY_VERIFY(first->disconnected);
        QTRY_COMPARE(second->received, greeting());
        QCOMPARE(l.links.connectionCount(), 1);
        QCOMPARE(l.links.highestListenerIndex(), 1);
        QCOMPARE(l.links.clientLines(),
                 QStringList{"127.0.0.4:" + QString::number(second->socket->localPort())});
        QCOMPARE(unlisted.size(), 1);
        second->socket->write(reportLine(4, 2));
        QTRY_COMPARE(l.h.reports.size(), 2);
        QVERIFY(l.h.has(uidOf(4, 2), "127.0.0.4"));
        QVERIFY(l.stop());
        QVERIFY(l.h.problems.isEmpty());
    }

    void fiveHundredTwelveReadersAtOnceEachWithItsOwnLine()
    {
        Listener l;
        QSignalSpy added(&l.links, &ReadingLinks::sourceAdded);
        l.h.session.start(&l.links);
        QList<std::shared_ptr<Peer>> peers;
        for (int i = 0; i < TcpListenerReadingLinks::kMaxConnections; ++i)
            peers.append(connectReader(readerAddress(i), l.port(), &l.readers));
        QTRY_COMPARE_WITH_TIMEOUT(l.links.connectionCount(), 512, 20000);
        QCOMPARE(l.links.highestListenerIndex(), 512);
        QSet<int> indexes;
        for (const auto &args : added)
            indexes.insert(args[0].toInt());
        QCOMPARE(indexes.size(), 512);
        QCOMPARE(*std::min_element(indexes.begin(), indexes.end()), 1);

        // Every reader sends half a line, then the rest: no two slots share a line buffer.
        for (int i = 0; i < peers.size(); ++i)
            peers[i]->socket->write(reportLine(i, 1).left(11));
        for (int i = 0; i < peers.size(); ++i)
            peers[i]->socket->write(reportLine(i, 1).mid(11));
        QTRY_COMPARE_WITH_TIMEOUT(l.h.reports.size(), 512, 20000);
        for (int i = 0; i < peers.size(); ++i)
            QVERIFY2(l.h.has(uidOf(i, 1), readerAddress(i)), qPrintable(readerAddress(i)));

        // 600 at once: the 88 beyond 512 are refused, closed and reported once; the others stay.
        QList<std::shared_ptr<Peer>> extra;
        for (int i = 1; i <= 600 - TcpListenerReadingLinks::kMaxConnections; ++i)
            extra.append(connectReader(QStringLiteral("127.11.0.%1").arg(i), l.port(), &l.readers));
        QTRY_VERIFY(std::all_of(extra.begin(), extra.end(), [](const auto &p) { return p->disconnected; }));
        QCOMPARE(l.links.connectionCount(), 512);
        QCOMPARE(l.h.problems.size(), 1);
        QVERIFY(l.h.problems[0].contains("127.11.0."));
        QVERIFY(l.stop());
        for (const auto &p : std::as_const(peers))
            QTRY_VERIFY(p->received.endsWith(repeated("A0", 5)));
    }

    // A full listener whose readers have gone, before the sockets have noticed, takes new readers in
    // their slots: only live connections count. The lines the gone readers sent last are read.
    void fullListenerCountsLiveConnectionsOnly()
    {
        constexpr int kGone = 10;
        Listener l;
        l.h.session.start(&l.links);
        QList<std::shared_ptr<Peer>> peers;
        for (int i = 0; i < TcpListenerReadingLinks::kMaxConnections; ++i)
            peers.append(connectReader(readerAddress(i), l.port(), &l.readers));
        QTRY_COMPARE_WITH_TIMEOUT(l.links.connectionCount(), 512, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(peers[kGone - 1]->received.size() > 0, 5000);
        // From here until every reader below has connected the host's event loop does not run.
        for (int i = 0; i < kGone; ++i) {
            peers[i]->socket->write(reportLine(i, 1));
            QVERIFY(peers[i]->socket->flush());
            peers[i]->socket->abort();
        }
        QList<int> fds;
        for (int i = 0; i < kGone; ++i) {
            const int fd = connectFrom(QStringLiteral("127.12.0.%1").arg(i + 1), l.port());
            QVERIFY(fd >= 0 && sendAll(fd, reportLine(100 + i, 1)));
            fds.append(fd);
        }
        QTRY_COMPARE_WITH_TIMEOUT(l.h.reports.size(), 2 * kGone, 10000);
        for (int i = 0; i < kGone; ++i) {
            QVERIFY(l.h.has(uidOf(i, 1), readerAddress(i)));
            QVERIFY(l.h.has(uidOf(100 + i, 1), QStringLiteral("127.12.0.%1").arg(i + 1)));
        }
        QCOMPARE(l.links.connectionCount(), 512);
        QCOMPARE(l.h.logLines.filter("listener full").size(), 0);
        for (int fd : std::as_const(fds))
            ::close(fd);
        QVERIFY(l.stop());
    }

    void badInputNeverStallsTheOtherReaders()
    {
        Listener l;
        l.h.session.start(&l.links);
        const auto good = connectReader("127.0.0.5", l.port(), &l.readers);
        const auto endless = connectReader("127.0.0.6", l.port(), &l.readers);
        const auto noise = connectReader("127.0.0.7", l.port(), &l.readers);
        const auto resetter = connectReader("127.0.0.8", l.port(), &l.readers);
        QTRY_COMPARE(l.links.connectionCount(), 4);

        endless->socket->write(QByteArray(4 * 1024 * 1024, 'A'));
        QByteArray junk(256 * 1024, Qt::Uninitialized);
        QRandomGenerator gen(7);
        for (char &c : junk)
            c = char(gen.bounded(256));
        noise->socket->write(junk);
        resetter->socket->write(reportLine(8, 1) + reportLine(8, 2).left(9));
        resetter->socket->flush();
        resetter->socket->abort();
        for (int seq = 0; seq < 200; ++seq)
            good->socket->write(reportLine(5, seq));

        QTRY_COMPARE_WITH_TIMEOUT(l.h.countFrom("127.0.0.5"), 200, 20000);
        QList<QString> goodUids;
        for (const Decoded &d : std::as_const(l.h.reports))
            if (d.label == "127.0.0.5")
                goodUids.append(d.uid);
        for (int seq = 0; seq < 200; ++seq)
            QCOMPARE(goodUids[seq], uidOf(5, seq)); // in order, none lost
        // The reset came after a whole line: that line is read, the half line is not.
        QTRY_VERIFY(l.h.has(uidOf(8, 1), "127.0.0.8"));
        QCOMPARE(l.h.countFrom("127.0.0.8"), 1);
        QTRY_COMPARE(l.links.connectionCount(), 3);
        QVERIFY(l.h.problems.filter("127.0.0.8").size() == 1);
        QVERIFY(l.h.logLines.filter("Disconnected:127.0.0.8").size() == 1);
        QVERIFY(l.h.session.isRunning());
        QVERIFY(l.stop());
    }

    // The reader sends everything, waits until the host's kernel has acknowledged every byte, then
    // resets: what the host had received is read to the last line, also when the host sends a
    // command on the dead connection before it has read everything.
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
        Listener l;
        QSignalSpy added(&l.links, &ReadingLinks::sourceAdded);
        l.h.session.start(&l.links);
        const auto peer = connectReader("127.0.0.12", l.port(), &l.readers);
        QTRY_COMPARE(peer->received, greeting());
        QCOMPARE(added.size(), 1);
        peer->socket->write(manyLines(12, kLines));
        QVERIFY(resetOnceAcknowledged(peer->socket));
        if (commandAfterReset)
            sourceOf(added)->sendFrame(frame("BT"));
        QTRY_COMPARE_WITH_TIMEOUT(l.links.connectionCount(), 0, 10000);
        QTRY_COMPARE(l.h.countFrom("127.0.0.12"), kLines);
        QVERIFY(readAllInOrder(l.h, "127.0.0.12", 12, kLines));
        QCOMPARE(l.h.logLines.filter("Disconnected:127.0.0.12:").size(), 1);
        QVERIFY(l.stop());
    }

    // The same while the host is busy elsewhere: when the reset arrives, the lines are still in the
    // host's kernel, more of them than the connection's read buffer holds.
    void resetWhileTheHostIsBehindLosesNoLine_data() { resetAfterTheHostHasEverythingLosesNoLine_data(); }
    void resetWhileTheHostIsBehindLosesNoLine()
    {
        QFETCH(bool, commandAfterReset);
        constexpr int kLines = 2000; // about 46 kB: fits the kernel's window, not the read buffer
        Listener l;
        QSignalSpy added(&l.links, &ReadingLinks::sourceAdded);
        l.h.session.start(&l.links);
        const int fd = connectFrom("127.0.0.13", l.port());
        QVERIFY(fd >= 0);
        QTRY_COMPARE(added.size(), 1);
        QByteArray heard;
        const auto hear = [&] { return heard += receiveWaiting(fd); };
        QTRY_COMPARE(hear(), greeting());
        // From here to the end of the reset the host's event loop does not run.
        QVERIFY(sendAll(fd, manyLines(13, kLines)));
        QVERIFY(spinUntilAcknowledged(fd));
        lingerZero(fd);
        ::close(fd);
        if (commandAfterReset)
            sourceOf(added)->sendFrame(frame("BT"));
        QTRY_COMPARE_WITH_TIMEOUT(l.links.connectionCount(), 0, 10000);
        QTRY_COMPARE(l.h.countFrom("127.0.0.13"), kLines);
        QVERIFY(readAllInOrder(l.h, "127.0.0.13", 13, kLines));
        QCOMPARE(l.h.logLines.filter("Disconnected:127.0.0.13:").size(), 1);
        QVERIFY(l.stop());
    }

    // Readers that connect, send one line and close, one after the other as fast as they can: every
    // line is read and the listener never calls itself full.
    void burstOfShortConnectionsLosesNoLine_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("distinctAddresses");
        QTest::newRow("2000 from one address") << 2000 << false;
        QTest::newRow("1000 from distinct addresses") << 1000 << true;
    }
    void burstOfShortConnectionsLosesNoLine()
    {
        QFETCH(int, count);
        QFETCH(bool, distinctAddresses);
        Listener l;
        l.h.session.start(&l.links);
        const auto from = [distinctAddresses](int i) {
            return distinctAddresses ? QStringLiteral("127.20.%1.%2").arg(i / 250).arg(i % 250 + 1)
                                     : QStringLiteral("127.0.0.1");
        };
        {
            ShortConnectionBurst burst(l.port(), count, from, [](int i) { return reportLine(20, i); });
            QTRY_VERIFY_WITH_TIMEOUT(burst.finished(), 30000);
            QCOMPARE(burst.sent(), count);
        }
        QTRY_COMPARE_WITH_TIMEOUT(l.links.connectionCount(), 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(l.h.reports.size(), count, 5000);
        QSet<QString> uids;
        for (const Decoded &d : std::as_const(l.h.reports))
            uids.insert(d.uid);
        QCOMPARE(uids.size(), count);
        QCOMPARE(l.h.logLines.filter("listener full").size(), 0);
        QCOMPARE(l.h.problems.filter("refused").size(), 0);
        QVERIFY(l.stop());
    }

    // Readers that send a line and reset before the listener has accepted them: the line is read
    // under the reader's address, and the messages name the reader's address and port.
    void resetBeforeAcceptKeepsLineAndAddress()
    {
        constexpr int kReaders = 20;
        Listener l;
        l.h.session.start(&l.links);
        QStringList ends;
        for (int i = 0; i < kReaders; ++i) {
            const QString from = QStringLiteral("127.30.0.%1").arg(i + 1);
            const int fd = connectFrom(from, l.port());
            QVERIFY(fd >= 0);
            sockaddr_in local{};
            socklen_t len = sizeof local;
            ::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &len);
            ends.append(from + ':' + QString::number(qFromBigEndian(local.sin_port)));
            QVERIFY(sendAll(fd, reportLine(30 + i, 1)));
            QVERIFY(spinUntilAcknowledged(fd));
            lingerZero(fd);
            ::close(fd);
        }
        QTRY_COMPARE_WITH_TIMEOUT(l.h.reports.size(), kReaders, 10000);
        QTRY_COMPARE(l.links.connectionCount(), 0);
        for (int i = 0; i < kReaders; ++i) {
            const QString from = QStringLiteral("127.30.0.%1").arg(i + 1);
            QVERIFY2(l.h.has(uidOf(30 + i, 1), from), qPrintable(from));
            QCOMPARE(l.h.logLines.filter("Disconnected:" + ends[i] + " (").size(), 1);
        }
        QCOMPARE(l.h.logLines.filter("Disconnected::").size(), 0);
        QVERIFY(l.stop());
    }

    void linksDestroyedWhileReadingLeaveNoSourceBehind()
    {
        ReadingHarness h;
        auto links = std::make_unique<TcpListenerReadingLinks>();
        links->setTiming(fastTiming());
        links->setListenAddress(QHostAddress::LocalHost);
        links->setListenPortText("0");
        h.session.start(links.get());
        QObject readers;
        const auto peer = connectReader("127.0.0.10", links->serverPort(), &readers);
        QTRY_COMPARE(links->connectionCount(), 1);
        peer->socket->write(reportLine(10, 1));
        QTRY_COMPARE(h.reports.size(), 1);
        links.reset();
        peer->socket->write(reportLine(10, 2));
        QVERIFY(!h.session.pollStep());
        QSignalSpy ended(&h.session, &ReadingSession::ended);
        h.session.stop();
        QCOMPARE(ended.size(), 1);
    }

    void portTextIsRewrittenBeforeUse()
    {
        TcpListenerReadingLinks links;
        links.setTiming(fastTiming());
        links.setListenAddress(QHostAddress::LocalHost);
        links.setListenPortText("port");
        links.open();
        QCOMPARE(links.listenPortText(), QStringLiteral("4001"));
        QSignalSpy closed(&links, &ReadingLinks::closed);
        links.close();
        QVERIFY(closed.wait(5000));
        // A number that is no port is reported, not cut down to some other port.
        QSignalSpy problems(&links, &ReadingLinks::problem);
        links.setListenPortText("70000");
        links.open();
        QCOMPARE(problems.size(), 1);
        QCOMPARE(links.serverPort(), quint16(0));
        links.close();
        QVERIFY(closed.wait(5000));
    }

    // A port in use is said once, as data that the window words in the user's language.
    void portInUseIsSaidInEveryLanguage()
    {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
        TcpListenerReadingLinks links;
        links.setTiming(fastTiming());
        links.setListenAddress(QHostAddress::LocalHost);
        links.setListenPortText(QString::number(taken.serverPort()));
        QSignalSpy raised(&links, &ReadingLinks::problem);
        links.open();
        QCOMPARE(raised.size(), 1);
        const Problem problem = raised.at(0).at(0).value<Problem>();
        QCOMPARE(problem.kind, Problem::Kind::Link);
        QCOMPARE(problemText(problem, Language::English), problem.englishText());
        QVERIFY(problem.englishText().startsWith(
            QStringLiteral("Cannot listen on port %1: ").arg(taken.serverPort())));
        QVERIFY(problemText(problem, Language::TraditionalChinese)
                    .startsWith(QStringLiteral("無法在連接埠 %1 監聽").arg(taken.serverPort())));
        QSignalSpy closed(&links, &ReadingLinks::closed);
        links.close();
        QVERIFY(closed.wait(5000));
    }

    void configurationModeHandsConnectionsOver()
    {
        Listener l;
        l.links.setConfigurationMode(true);
        QSignalSpy offered(&l.links, &TcpListenerReadingLinks::connectionOffered);
        QSignalSpy added(&l.links, &ReadingLinks::sourceAdded);
        l.links.open();
        const auto peer = connectReader("127.0.0.9", l.port(), &l.readers);
        QVERIFY(offered.wait(5000));
        auto *socket = offered[0][0].value<QTcpSocket *>();
        QCOMPARE(socket->peerAddress().toString(), QStringLiteral("127.0.0.9"));
        QSignalSpy closed(&l.links, &ReadingLinks::closed);
        l.links.close();
        QVERIFY(closed.wait(5000));
        QTRY_VERIFY(peer->disconnected);
        QCOMPARE(peer->received, QByteArray());
        QCOMPARE(added.size(), 0);
        QCOMPARE(l.links.connectionCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTcpListenerLinks)
#include "tst_tcp_listener_links.moc"
