#include "NetTestHelpers.h"

#include "link/UdpReadingLinks.h"

#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

using namespace nettest;

namespace {

// Hears what the links broadcast on the loopback network.
struct BroadcastEar
{
    QUdpSocket socket;
    QByteArray received;
    int datagrams = 0;

    bool bind()
    {
        QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [this] {
            while (socket.hasPendingDatagrams()) {
                received += socket.receiveDatagram().data();
                ++datagrams;
            }
        });
        return socket.bind(QHostAddress("127.255.255.255"), 0, QUdpSocket::ShareAddress);
    }
};

// A reader sending from its own loopback address.
std::unique_ptr<QUdpSocket> udpReader(const QString &address)
{
    auto s = std::make_unique<QUdpSocket>();
    s->bind(QHostAddress(address), 0);
    return s;
}

struct UdpSetup
{
    UdpReadingLinks links;
    ReadingHarness h;
    BroadcastEar ear;

    explicit UdpSetup(bool withEar = true)
    {
        links.setTiming(fastTiming());
        links.setBindAddress(QHostAddress::LocalHost);
        links.setLocalPortText("0");
        if (withEar && ear.bind()) {
            links.setBroadcastAddress(QHostAddress("127.255.255.255"));
            links.setDestinationPortText(QString::number(ear.socket.localPort()));
        }
    }
    void send(QUdpSocket &from, const QByteArray &data)
    {
        from.writeDatagram(data, QHostAddress::LocalHost, links.localPort());
    }
    bool stop()
    {
        QSignalSpy ended(&h.session, &ReadingSession::ended);
        h.session.stop();
        return ended.wait(5000);
    }
};

} // namespace

class TestUdpLinks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerSignalTypes(); }

    void commandsGoFiveTimesToTheBroadcastAddress()
    {
        UdpSetup u;
        QVERIFY(u.ear.socket.state() == QAbstractSocket::BoundState);
        u.h.session.start(&u.links);
        QVERIFY(u.links.localPort() != 0);
        const QByteArray start = repeated("M0", 5) + repeated("A3", 5);
        QTRY_COMPARE(u.ear.received, start);
        u.links.broadcastCommand("BT");
        QTRY_COMPARE(u.ear.received, start + repeated("BT", 5));
        QVERIFY(u.stop());
        QTRY_COMPARE(u.ear.received, start + repeated("BT", 5) + repeated("A0", 5));
        QCOMPARE(u.ear.datagrams, 20);
    }

    void firstDatagramRegistersLaterOnesAreReadBeyond256Senders()
    {
        UdpSetup u;
        QSignalSpy listed(&u.links, &UdpReadingLinks::senderListed);
        u.h.session.start(&u.links);
        constexpr int kSenders = 300;
        std::vector<std::unique_ptr<QUdpSocket>> readers;
        QStringList addresses;
        for (int i = 0; i < kSenders; ++i) {
            addresses.append(QStringLiteral("127.20.%1.%2").arg(i / 200).arg(i % 200 + 1));
            readers.push_back(udpReader(addresses.last()));
            u.send(*readers.back(), reportLine(i, 0));
        }
        QTRY_COMPARE(u.links.senderCount(), kSenders);
        QCOMPARE(listed.size(), kSenders);
        QVERIFY(
            u.links.senderLines().contains(addresses[0] + ':' + QString::number(readers[0]->localPort())));
        for (int i = 0; i < kSenders; ++i)
            u.send(*readers[size_t(i)], reportLine(i, 1));
        QTRY_COMPARE(u.h.reports.size(), kSenders);
        for (int i = 0; i < kSenders; ++i)
            QVERIFY2(u.h.has(uidOf(i, 1), addresses[i]), qPrintable(addresses[i]));
        QVERIFY(u.stop());
        QVERIFY(u.links.senderLines().isEmpty());
    }

    void ownAddressIsNeverRead()
    {
        // The links talk to themselves: every command they send comes back from this computer.
        UdpSetup u(false);
        u.links.setBroadcastAddress(QHostAddress::LocalHost);
        u.links.setLocalHostAddress("127.0.0.1");
        QString port;
        {
            QUdpSocket probe;
            QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
            port = QString::number(probe.localPort());
        }
        u.links.setLocalPortText(port);
        u.links.setDestinationPortText(port);
        u.h.session.start(&u.links);
        QCOMPARE(QString::number(u.links.localPort()), port);
        QTRY_COMPARE(u.links.ignoredOwnDatagrams(), quint64(10)); // "M0" and "A3", five each
        // Reports from another program on this computer's address are not read either.
        const auto own = udpReader("127.0.0.1");
        const auto other = udpReader("127.0.0.2");
        for (int seq = 0; seq < 3; ++seq)
            u.send(*own, reportLine(1, seq));
        u.send(*other, reportLine(2, 0));
        u.send(*other, reportLine(2, 1));
        QTRY_COMPARE(u.h.reports.size(), 1);
        QCOMPARE(u.h.reports[0].label, QStringLiteral("127.0.0.2"));
        QCOMPARE(u.links.ignoredOwnDatagrams(), quint64(13));
        QCOMPARE(u.links.senderCount(), 1);
        QVERIFY(u.stop());
    }

    void emptyAndLargestDatagramsDoNotStallReading()
    {
        UdpSetup u;
        u.h.session.start(&u.links);
        const auto r = udpReader("127.0.0.3");
        u.send(*r, QByteArray()); // registers the sender
        QTRY_COMPARE(u.links.senderCount(), 1);
        u.send(*r, QByteArray());
        u.send(*r, QByteArray(65506, 'A') + '\r');
        u.send(*r, reportLine(3, 1));
        QTRY_COMPARE(u.h.reports.size(), 1);
        QVERIFY(u.h.has(uidOf(3, 1), "127.0.0.3"));
        QVERIFY(u.h.session.isRunning());
        QVERIFY(u.stop());
    }

    void configurationModeHandsDatagramsOver()
    {
        UdpSetup u;
        u.links.setConfigurationMode(true);
        QSignalSpy offered(&u.links, &UdpReadingLinks::datagramOffered);
        u.links.open();
        const auto r = udpReader("127.0.0.4");
        u.send(*r, "\x02T0012XX\r");
        QVERIFY(offered.wait(5000));
        QCOMPARE(offered[0][0].value<QNetworkDatagram>().data(), QByteArray("\x02T0012XX\r"));
        QCOMPARE(u.links.senderCount(), 0);
        QSignalSpy closed(&u.links, &ReadingLinks::closed);
        u.links.close();
        QVERIFY(closed.wait(5000));
    }
};

QTEST_GUILESS_MAIN(TestUdpLinks)
#include "tst_udp_links.moc"
