// The four configuration links on real ptys and loopback sockets: what each opens, what makes it
// fail and how it says so, which reader a listener takes, which datagrams count, and the entries
// for connections and datagrams handed over by the reading links.
#include "PtyPair.h"
#include "i18n/ProblemText.h"
#include "link/SerialPortMap.h"
#include "readercfg/ConfigLinkFactory.h"
#include "readercfg/SerialConfigLink.h"
#include "readercfg/TcpClientConfigLink.h"
#include "readercfg/TcpListenerConfigLink.h"
#include "readercfg/UdpConfigLink.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

namespace {

// A reader connecting in from `from`.
std::unique_ptr<QTcpSocket> connectFrom(const char *from, quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->bind(QHostAddress(QLatin1String(from)), 0);
    socket->connectToHost(QHostAddress::LocalHost, port);
    return socket;
}

} // namespace

class TestConfigLinks : public QObject
{
    Q_OBJECT
private slots:
    void theFactoryMakesEachKind()
    {
        ConfigLinkRequest r;
        for (LinkKind kind :
             {LinkKind::Serial, LinkKind::TcpToReaders, LinkKind::TcpListener, LinkKind::Udp}) {
            r.kind = kind;
            const auto link = ConfigLinkFactory::create(r);
            QVERIFY(link);
            QCOMPARE(link->kind(), kind);
            QCOMPARE(link->state(), ConfigLink::State::Closed);
            QCOMPARE(link->checksEchoAtOnce(), kind != LinkKind::Udp);
        }
        r.comNumber = 3;
        QCOMPARE(ConfigLinkFactory::serialDevice(r), SerialPortMap::defaultDevice(3));
        r.comDevice = QStringLiteral(" /dev/ttyUSB0 ");
        QCOMPARE(ConfigLinkFactory::serialDevice(r), QStringLiteral("/dev/ttyUSB0"));
    }

    void aSerialPortThatCannotOpenSaysWhichAndWhy()
    {
        SerialConfigLink missing(QStringLiteral("/dev/talvo-no-such-port"), QStringLiteral("115200,n,8,1"));
        QVERIFY(!missing.open());
        QVERIFY2(missing.errorText().startsWith(QStringLiteral("Cannot open /dev/talvo-no-such-port: ")),
                 qPrintable(missing.errorText()));
        QVERIFY(missing.errorText().size() > 40); // the system's reason follows
        QCOMPARE(missing.state(), ConfigLink::State::Closed);

        PtyPair pty;
        SerialConfigLink badMode(pty.slavePath(), QStringLiteral("115200,x,8,1"));
        QVERIFY(!badMode.open());
        QVERIFY(badMode.errorText().contains(QStringLiteral("115200,x,8,1")));

        // The reason is data: the window says it in the user's language, the system's words kept.
        const Problem why = missing.error();
        QCOMPARE(why.kind, Problem::Kind::ConfigLinkFailed);
        QCOMPARE(why.details.value(0), QStringLiteral("/dev/talvo-no-such-port"));
        const QString traditional = problemText(why, Language::TraditionalChinese);
        QVERIFY2(traditional.startsWith(QStringLiteral("無法開啟 /dev/talvo-no-such-port：")),
                 qPrintable(traditional));
        QVERIFY(traditional.endsWith(why.details.value(1)));
        QCOMPARE(problemText(badMode.error(), Language::SimplifiedChinese),
                 QStringLiteral("无法打开 %1：通信参数 \"115200,x,8,1\" 无效").arg(pty.slavePath()));
    }

    void aSerialLinkCarriesBytesBothWays()
    {
        PtyPair pty;
        SerialConfigLink link(pty.slavePath(), QStringLiteral("9600,n,8,1"));
        QVERIFY(link.open());
        QCOMPARE(link.state(), ConfigLink::State::Ready);
        QVERIFY(link.send("\x01V57\r"));
        QByteArray atReader;
        QTRY_VERIFY((atReader += pty.readAvailable()).size() >= 5);
        QCOMPARE(atReader, QByteArray("\x01V57\r"));
        QSignalSpy received(&link, &ConfigLink::bytesReceived);
        QVERIFY(pty.write("\x02V1.0"));
        QVERIFY(received.wait(5000));
        QCOMPARE(received.first().first().toByteArray(), QByteArray("\x02V1.0"));
        link.close();
        QCOMPARE(link.state(), ConfigLink::State::Closed);
        QVERIFY(!link.send("x"));
    }

    void aTcpClientLinkBecomesReadyOrFails()
    {
        QTcpServer reader;
        QVERIFY(reader.listen(QHostAddress::LocalHost, 0));
        TcpClientConfigLink link(QStringLiteral("127.0.0.1"), reader.serverPort());
        QSignalSpy opened(&link, &ConfigLink::opened);
        QVERIFY(link.open());
        QCOMPARE(link.state(), ConfigLink::State::Waiting);
        QVERIFY(!link.send("x"));
        QVERIFY(opened.wait(5000));
        QCOMPARE(link.state(), ConfigLink::State::Ready);
        const quint16 port = reader.serverPort();
        reader.close();
        link.close();

        // Nothing listens any more: the connection fails and the link says so.
        TcpClientConfigLink refused(QStringLiteral("127.0.0.1"), port);
        QSignalSpy failed(&refused, &ConfigLink::failed);
        QVERIFY(refused.open());
        QVERIFY(failed.wait(5000));
        QCOMPARE(refused.state(), ConfigLink::State::Closed);
        QVERIFY(!refused.errorText().isEmpty());
    }

    void aListenerTakesOnlyTheReaderAtItsAddress()
    {
        TcpListenerConfigLink link(QHostAddress::LocalHost, 0, QStringLiteral("127.0.0.5"), false);
        QSignalSpy accepted(&link, &TcpListenerConfigLink::readerAccepted);
        QSignalSpy rejected(&link, &TcpListenerConfigLink::readerRejected);
        QSignalSpy released(&link, &TcpListenerConfigLink::readerReleased);
        QVERIFY(link.open());
        QCOMPARE(link.state(), ConfigLink::State::Waiting);
        QVERIFY(link.serverPort() != 0);

        auto stranger = connectFrom("127.0.0.6", link.serverPort());
        QVERIFY(rejected.wait(5000));
        QCOMPARE(rejected.first().first().toString(), QStringLiteral("127.0.0.6"));
        QTRY_COMPARE(stranger->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(link.state(), ConfigLink::State::Waiting);

        auto reader = connectFrom("127.0.0.5", link.serverPort());
        QVERIFY(accepted.wait(5000));
        QCOMPARE(accepted.first().first().toString(), QStringLiteral("127.0.0.5"));
        QCOMPARE(link.acceptedAddress(), QStringLiteral("127.0.0.5"));
        QCOMPARE(link.state(), ConfigLink::State::Ready);
        QSignalSpy received(&link, &ConfigLink::bytesReceived);
        reader->write("\x02T0001");
        QVERIFY(received.wait(5000));

        // The reader goes: the link waits for it again.
        QSignalSpy failed(&link, &ConfigLink::failed);
        reader->disconnectFromHost();
        QVERIFY(failed.wait(5000));
        QCOMPARE(link.state(), ConfigLink::State::Waiting);
        link.close();
        QCOMPARE(released.size(), 1);
        QCOMPARE(link.serverPort(), quint16(0));
    }

    // The reader named by host name: its connection is taken once the name is resolved.
    void aListenerTakesTheReaderByHostName()
    {
        if (!QHostInfo::fromName(QStringLiteral("localhost")).addresses().contains(QHostAddress::LocalHost))
            QSKIP("localhost does not resolve to 127.0.0.1 here");
        TcpListenerConfigLink link(QHostAddress::LocalHost, 0, QStringLiteral("localhost"), false);
        QSignalSpy accepted(&link, &TcpListenerConfigLink::readerAccepted);
        QVERIFY(link.open());
        std::vector<std::unique_ptr<QTcpSocket>> tries;
        QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                     if (accepted.isEmpty())
                                         tries.push_back(connectFrom("127.0.0.1", link.serverPort()));
                                     return !accepted.isEmpty();
                                 }()),
                                 5000);
        QCOMPARE(link.acceptedAddress(), QStringLiteral("127.0.0.1"));
    }

    void aListenerWithoutReaderAddressDoesNotOpen()
    {
        TcpListenerConfigLink link(QHostAddress::LocalHost, 0, QStringLiteral("  "), false);
        QVERIFY(!link.open());
        QCOMPARE(link.state(), ConfigLink::State::Closed);
        QVERIFY(!link.errorText().isEmpty());
    }

    void aListenerPortInUseDoesNotOpen()
    {
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        TcpListenerConfigLink link(QHostAddress::LocalHost, other.serverPort(), QStringLiteral("127.0.0.5"),
                                   false);
        QVERIFY(!link.open());
        QVERIFY(link.errorText().startsWith(QStringLiteral("Cannot listen on port ")));
    }

    // The reading links hold the port and hand connections over; the link keeps its hands off the
    // ones it does not take, and lets go of the one it took when it closes.
    void aListenerAdoptsHandedOverConnections()
    {
        QTcpServer reading;
        QVERIFY(reading.listen(QHostAddress::LocalHost, 0));
        TcpListenerConfigLink link(QHostAddress::LocalHost, reading.serverPort(), QStringLiteral("127.0.0.5"),
                                   true);
        QVERIFY(link.open());
        QCOMPARE(link.serverPort(), quint16(0)); // no listener of its own

        auto stranger = connectFrom("127.0.0.6", reading.serverPort());
        QVERIFY(reading.waitForNewConnection(5000));
        QTcpSocket *offered = reading.nextPendingConnection();
        QVERIFY(!link.adoptConnection(offered));
        QCOMPARE(offered->state(), QAbstractSocket::ConnectedState);

        auto reader = connectFrom("127.0.0.5", reading.serverPort());
        QVERIFY(reading.waitForNewConnection(5000));
        QTcpSocket *mine = reading.nextPendingConnection();
        QVERIFY(link.adoptConnection(mine));
        QCOMPARE(link.state(), ConfigLink::State::Ready);
        QVERIFY(link.send("\x01V57\r"));
        QTRY_COMPARE(reader->bytesAvailable(), qint64(5));

        link.close();
        QCOMPARE(mine->state(), QAbstractSocket::ConnectedState);
        QCOMPARE(mine->parent(), &reading);

        // A handed-over socket its owner deletes while the link uses it.
        QVERIFY(link.open());
        QVERIFY(link.adoptConnection(mine));
        QSignalSpy failed(&link, &ConfigLink::failed);
        delete mine;
        QCOMPARE(failed.size(), 1);
        QCOMPARE(link.state(), ConfigLink::State::Waiting);
        QVERIFY(!link.send("x"));
    }

    void udpSendsToTheReaderAndHearsOnlyIt()
    {
        QUdpSocket reader;
        QUdpSocket impostor;
        QVERIFY(reader.bind(QHostAddress("127.0.0.2"), 0));
        QVERIFY(impostor.bind(QHostAddress("127.0.0.3"), 0));
        UdpConfigLink link(QHostAddress::LocalHost, 0, QHostAddress("127.0.0.2"), reader.localPort(), false);
        QVERIFY(link.open());
        QVERIFY(link.localPort() != 0);
        QVERIFY(link.send("\x01V57\r"));
        QTRY_VERIFY(reader.hasPendingDatagrams());
        const QNetworkDatagram command = reader.receiveDatagram();
        QCOMPARE(command.data(), QByteArray("\x01V57\r"));
        QCOMPARE(command.senderPort(), int(link.localPort()));

        QSignalSpy received(&link, &ConfigLink::bytesReceived);
        impostor.writeDatagram("\x02V1.0", QHostAddress::LocalHost, link.localPort());
        reader.writeDatagram("\x02V2.0", QHostAddress::LocalHost, link.localPort());
        QVERIFY(received.wait(5000));
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toByteArray(), QByteArray("\x02V2.0"));
        QCOMPARE(link.ignoredDatagrams(), quint64(1));
    }

    void udpPortInUseDoesNotOpen()
    {
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::LocalHost, 0));
        UdpConfigLink link(QHostAddress::LocalHost, other.localPort(), QHostAddress("127.0.0.2"), 4001,
                           false);
        QVERIFY(!link.open());
        QVERIFY(link.errorText().startsWith(QStringLiteral("Cannot use UDP port ")));
    }

    void udpHandedOverSendsThroughTheReadingLinks()
    {
        UdpConfigLink link(QHostAddress::AnyIPv4, 4001, QHostAddress("127.0.0.2"), 4001, true);
        QList<QNetworkDatagram> sent;
        link.setDatagramSender([&sent](const QNetworkDatagram &d) {
            sent.append(d);
            return true;
        });
        QVERIFY(link.open());
        QCOMPARE(link.localPort(), quint16(0));
        QVERIFY(link.send("\x01S52\r"));
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().destinationAddress(), QHostAddress("127.0.0.2"));
        QCOMPARE(sent.first().destinationPort(), 4001);

        QSignalSpy received(&link, &ConfigLink::bytesReceived);
        QNetworkDatagram fromReader("\x02S1", QHostAddress::LocalHost, 4001);
        fromReader.setSender(QHostAddress("127.0.0.2"), 4001);
        QNetworkDatagram fromOther = fromReader;
        fromOther.setSender(QHostAddress("127.0.0.9"), 4001);
        QVERIFY(!link.deliverDatagram(fromOther));
        QVERIFY(link.deliverDatagram(fromReader));
        QCOMPARE(received.size(), 1);
        link.close();
        QVERIFY(!link.deliverDatagram(fromReader));
    }
};

QTEST_GUILESS_MAIN(TestConfigLinks)
#include "tst_config_links.moc"
