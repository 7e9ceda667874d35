// Each transport once over a real pty or loopback socket, and the talvo-sim program itself.
#include "link/CommandFrame.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/SerialTransport.h"
#include "sim/SimOptions.h"
#include "sim/Simulator.h"
#include "sim/TagPopulation.h"
#include "sim/TcpServerTransport.h"
#include "sim/UdpTransport.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

using CommandFrame::buildCommandFrame;

// Non-blocking reads from a descriptor into a growing buffer.
struct FdReader
{
    explicit FdReader(int descriptor) : fd(descriptor) {}
    int fd = -1;
    QByteArray data;
    void poll()
    {
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0)
            data.append(buf, int(n));
    }
};

void makeRaw(int fd)
{
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

int countLines(const QByteArray &bytes)
{
    int n = 0;
    for (const QByteArray &line : bytes.split('\r'))
        n += line.size() == 22 || line.size() == 26 || line.size() == 30;
    return n;
}

ReaderChannel::Settings networkReader()
{
    ReaderChannel::Settings s;
    s.reader.portKind = SimReader::PortKind::Network;
    return s;
}

} // namespace

class TestSimTransports : public QObject
{
    Q_OBJECT
private slots:
    void ptyReader()
    {
        TagPopulation tags(10, 1);
        ReaderChannel::Settings s;
        s.reader.portKind = SimReader::PortKind::Serial;
        s.reader.startMode = 0;
        ReaderChannel channel(&tags, std::make_unique<PtyTransport>(), s);
        QVERIFY(channel.open());
        const QString path = channel.transport().endpoint();
        QVERIFY(path.startsWith("/dev/"));
        FdReader host{::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY)};
        QVERIFY(host.fd >= 0);
        makeRaw(host.fd);
        // The host's start: "M0" and "A3", each answered.
        const QByteArray start = buildCommandFrame("M0") + buildCommandFrame("A3");
        QCOMPARE(::write(host.fd, start.constData(), size_t(start.size())), ssize_t(start.size()));
        QTRY_VERIFY((host.poll(), host.data.size() >= 12));
        QCOMPARE(host.data, QByteArray("\x02M0"
                                       "7F\r\x02"
                                       "A370\r"));
        host.data.clear();
        channel.deliverReports(5);
        QTRY_COMPARE((host.poll(), countLines(host.data)), 5);
        QCOMPARE(channel.linesSent(), quint64(5));
        ::close(host.fd);
    }

    void serialReader()
    {
        // A pty pair stands in for a null-modem cable: the reader opens the device end.
        int master = -1, slave = -1;
        char name[256] = {};
        QCOMPARE(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        makeRaw(master);
        TagPopulation tags(10, 1);
        ReaderChannel::Settings s;
        s.reader.portKind = SimReader::PortKind::Serial;
        ReaderChannel channel(&tags, std::make_unique<SerialTransport>(QString::fromLocal8Bit(name)), s);
        QVERIFY2(channel.open(), qPrintable(channel.transport().errorText()));
        const QByteArray cmd = buildCommandFrame("T");
        QCOMPARE(::write(master, cmd.constData(), size_t(cmd.size())), ssize_t(cmd.size()));
        FdReader host{master};
        QTRY_VERIFY((host.poll(), host.data.endsWith('\r')));
        QCOMPARE(host.data, QByteArray("\x02T000157\r"));
        channel.close();
        ::close(slave);
        ::close(master);
    }

    void tcpServerReader()
    {
        TagPopulation tags(10, 1);
        auto transport = std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0);
        TcpServerTransport *server = transport.get();
        ReaderChannel channel(&tags, std::move(transport), networkReader());
        QVERIFY(channel.open());
        QTcpSocket host, other;
        host.connectToHost(QHostAddress::LocalHost, server->localPort());
        other.connectToHost(QHostAddress::LocalHost, server->localPort());
        QTRY_VERIFY(host.state() == QAbstractSocket::ConnectedState &&
                    other.state() == QAbstractSocket::ConnectedState);
        QTRY_VERIFY(server->hasPeer());
        // The greeting, split over two writes; only the sender gets the replies.
        const QByteArray greeting = buildCommandFrame("M1") + buildCommandFrame("A3");
        host.write(greeting.left(4));
        host.flush();
        host.write(greeting.mid(4));
        QByteArray got;
        QTRY_VERIFY((got += host.readAll(), got.size() >= 12));
        QCOMPARE(got, QByteArray("\x02M1"
                                 "7E\r\x02"
                                 "A370\r"));
        channel.deliverReports(20);
        QByteArray a, b;
        QTRY_COMPARE((a += host.readAll(), countLines(a)), 20);
        QTRY_COMPARE((b += other.readAll(), countLines(b)), 20);
        QVERIFY(!b.contains('\x02'));
    }

    // Lines counted as sent reach the host even when the run ends right after they were made.
    void finishSendsWhatWasCountedAsSent()
    {
        SimOptions o;
        o.transport = SimOptions::Transport::TcpServer;
        o.bind = QHostAddress::LocalHost;
        o.port = 0;
        o.rate = 0;
        Simulator sim(o);
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));
        QTcpSocket host;
        host.connectToHost(QHostAddress::LocalHost, sim.channel(0).transport().localPort());
        QTRY_VERIFY(sim.channel(0).transport().hasPeer());
        host.write(buildCommandFrame("M1") + buildCommandFrame("A3"));
        QByteArray got;
        QTRY_VERIFY((got += host.readAll(), got.count('\r') >= 2));
        sim.channel(0).deliverReports(2000);
        QSignalSpy finished(&sim, &Simulator::finished);
        sim.finish();
        QVERIFY(finished.wait(Simulator::kFinishWaitMs * 2) || finished.size() == 1);
        QCOMPARE(sim.linesSent(), quint64(2000));
        got.clear();
        QTRY_VERIFY((got += host.readAll(), host.state() != QAbstractSocket::ConnectedState));
        got += host.readAll();
        QCOMPARE(countLines(got), 2000);
    }

    void tcpClientReadersReconnectFromOwnAddresses()
    {
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
        SimOptions o;
        o.transport = SimOptions::Transport::TcpClient;
        o.host = "127.0.0.1";
        o.port = listener.serverPort();
        o.bind = QHostAddress("127.0.0.2");
        o.readers = 3;
        o.rate = 0;
        o.reconnectMs = 20;
        Simulator sim(o);
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));
        QList<QTcpSocket *> accepted;
        QTRY_VERIFY(
            (listener.hasPendingConnections() ? accepted << listener.nextPendingConnection() : accepted,
             accepted.size() == 3));
        QSet<QString> addresses;
        for (QTcpSocket *s : accepted)
            addresses.insert(s->peerAddress().toString());
        QCOMPARE(addresses, QSet<QString>({"127.0.0.2", "127.0.0.3", "127.0.0.4"}));
        // The host drops one reader; it comes back from the same address.
        const QString dropped = accepted.first()->peerAddress().toString();
        accepted.first()->abort();
        QTRY_VERIFY(listener.hasPendingConnections());
        QTcpSocket *back = listener.nextPendingConnection();
        QCOMPARE(back->peerAddress().toString(), dropped);
        back->write(buildCommandFrame("A0"));
        QByteArray reply;
        QTRY_VERIFY((reply += back->readAll(), reply.endsWith('\r')));
        QCOMPARE(reply, QByteArray("\x02"
                                   "A073\r"));
        sim.stop();
    }

    void tcpServerReadersOnSpreadAddressesShareOnePort()
    {
        // The host's "TCP Server" page connects to many addresses on one port.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress("127.0.0.9"), 0));
        const quint16 port = probe.serverPort();
        probe.close();
        SimOptions o;
        o.transport = SimOptions::Transport::TcpServer;
        o.bind = QHostAddress("127.0.0.9");
        o.port = port;
        o.readers = 3;
        o.spreadAddresses = true;
        o.rate = 0;
        Simulator sim(o);
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));
        QCOMPARE(sim.endpoints(), (QStringList{QString("tcp-server 127.0.0.9:%1").arg(port),
                                               QString("tcp-server 127.0.0.10:%1").arg(port),
                                               QString("tcp-server 127.0.0.11:%1").arg(port)}));
        QTcpSocket host;
        host.connectToHost(QHostAddress("127.0.0.11"), port);
        QTRY_COMPARE(host.state(), QAbstractSocket::ConnectedState);
        host.write(buildCommandFrame("S"));
        QByteArray reply;
        QTRY_VERIFY((reply += host.readAll(), reply.endsWith('\r')));
        QCOMPARE(CommandFrame::replyPayload(reply), QByteArray("S20260003")); // the third reader
    }

    void udpReader()
    {
        TagPopulation tags(10, 1);
        auto transport = std::make_unique<UdpTransport>(QHostAddress::LocalHost, 0);
        UdpTransport *udp = transport.get();
        ReaderChannel channel(&tags, std::move(transport), networkReader());
        QVERIFY(channel.open());
        channel.deliverReports(3); // nobody has commanded the reader yet: lost
        QCOMPARE(channel.linesDropped(), quint64(3));
        QUdpSocket host;
        QVERIFY(host.bind(QHostAddress::LocalHost, 0));
        host.writeDatagram(buildCommandFrame("M0"), QHostAddress::LocalHost, udp->localPort());
        QTRY_VERIFY(host.hasPendingDatagrams());
        QNetworkDatagram reply = host.receiveDatagram();
        QCOMPARE(reply.data(), QByteArray("\x02M0"
                                          "7F\r"));
        QCOMPARE(reply.senderPort(), int(udp->localPort()));
        channel.deliverReports(100);
        int lines = 0;
        QTRY_VERIFY((host.hasPendingDatagrams() ? lines += countLines(host.receiveDatagram().data()) : 0,
                     lines == 100));
    }

    void programOnPtyStopsCleanlyOnSigterm()
    {
        QProcess sim;
        sim.start(qEnvironmentVariable("TALVO_BIN_DIR") + "/sim/talvo-sim",
                  {"--pty", "--rate", "500", "--tags", "5", "--seed", "9"});
        QVERIFY(sim.waitForStarted());
        QTRY_VERIFY(sim.canReadLine());
        const QByteArray path = sim.readLine().trimmed();
        FdReader host{::open(path.constData(), O_RDWR | O_NOCTTY)};
        QVERIFY(host.fd >= 0);
        makeRaw(host.fd);
        QTRY_VERIFY((host.poll(), countLines(host.data) >= 20));
        ::kill(pid_t(sim.processId()), SIGTERM);
        QTRY_COMPARE(sim.state(), QProcess::NotRunning);
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(sim.readAllStandardError().contains("lines sent"));
        ::close(host.fd);
    }

    void faultsAreInjectedDeterministically()
    {
        TagPopulation tags(4, 1);
        auto run = [&tags](double drop, double badBcc, int delayMs, QByteArray *received, QStringList *log) {
            ReaderChannel::Settings s = networkReader();
            s.seed = 77;
            s.dropReplies = drop;
            s.badBcc = badBcc;
            s.replyDelayMs = delayMs;
            s.log = log != nullptr;
            auto transport = std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0);
            TcpServerTransport *server = transport.get();
            ReaderChannel channel(&tags, std::move(transport), s);
            if (log)
                QObject::connect(&channel, &ReaderChannel::logLine, [log](const QString &l) { *log << l; });
            QString pattern;
            QObject::connect(&channel, &ReaderChannel::commandAnswered,
                             [&pattern](const QByteArray &, const QByteArray &reply) {
                                 pattern += reply.isEmpty() ? '-' : 'r';
                             });
            if (!channel.open())
                return QString();
            QTcpSocket host;
            host.connectToHost(QHostAddress::LocalHost, server->localPort());
            if (!QTest::qWaitFor([&] { return host.state() == QAbstractSocket::ConnectedState; }, 5000))
                return QString("no connection");
            QElapsedTimer clock;
            clock.start();
            for (int i = 0; i < 40; ++i)
                host.write(buildCommandFrame("T"));
            if (!QTest::qWaitFor([&] { return pattern.size() == 40; }, 5000))
                return QString("not all answered");
            if (!QTest::qWaitFor(
                    [&] {
                        *received += host.readAll();
                        return received->count('\r') == pattern.count('r');
                    },
                    5000))
                return QString("replies missing");
            if (delayMs > 0 && clock.elapsed() < delayMs)
                return QString("too early");
            return pattern;
        };
        QByteArray a, b, c, d;
        const QString first = run(0.5, 0, 0, &a, nullptr);
        QCOMPARE(first.size(), 40);
        QVERIFY(first.contains('-') && first.contains('r'));
        QCOMPARE(run(0.5, 0, 0, &b, nullptr), first); // same seed, same replies lost
        QCOMPARE(a, b);
        QCOMPARE(run(0, 1.0, 0, &c, nullptr), QString(40, 'r'));
        for (const QByteArray &frame : c.split('\r').mid(0, 40))
            QVERIFY(!CommandFrame::checkReplyBcc(frame + '\r'));
        QStringList log;
        QCOMPARE(run(0, 0, 60, &d, &log), QString(40, 'r'));
        QCOMPARE(d.count("\x02T000157\r"), 40);
        QVERIFY(log.contains("reader 1 <- 01 54 35 35 0D  |.T55.|"));
        QVERIFY(log.contains("reader 1 -> 02 54 30 30 30 31 35 37 0D  |.T000157.|"));
    }

    void optionsAreChecked()
    {
        QString error, exitText;
        QVERIFY(!SimOptions::parse({"talvo-sim", "--pty", "--udp", "4001"}, &error, &exitText));
        QVERIFY(!error.isEmpty());
        QVERIFY(!SimOptions::parse({"talvo-sim", "--drop-replies", "1.5"}, &error, &exitText));
        QVERIFY(!SimOptions::parse({"talvo-sim", "--tcp-client", "4001"}, &error, &exitText));
        error.clear();
        QVERIFY(!SimOptions::parse({"talvo-sim", "--help"}, &error, &exitText));
        QVERIFY(error.isEmpty());
        QVERIFY(exitText.contains("--sequence-uids"));
        const auto o = SimOptions::parse({"talvo-sim", "--tcp-client", "127.0.0.1:5000", "--readers", "300",
                                          "--rate", "1e5", "--bad-bcc", "0.1"},
                                         &error, &exitText);
        QVERIFY(o);
        QCOMPARE(o->port, quint16(5000));
        QCOMPARE(o->readers, 300);
        QCOMPARE(o->rate, 1e5);
        QCOMPARE(SimOptions::nthAddress(QHostAddress("127.0.0.2"), 253).toString(), QString("127.0.1.1"));
    }
};

QTEST_GUILESS_MAIN(TestSimTransports)
#include "tst_sim_transports.moc"
