#include "FakeClock.h"
#include "RecordingTonePlayer.h"
#include "link/SerialReadingLinks.h"
#include "link/TcpClientReadingLinks.h"
#include "link/TcpListenerReadingLinks.h"
#include "link/UdpReadingLinks.h"
#include "reading/ReadingPipeline.h"

#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

// The one reading pipeline: links made from a request, and a report's way from a datagram to a row.
class TestReadingPipeline : public QObject
{
    Q_OBJECT
private slots:
    void makesTheLinksOfEachKind()
    {
        LinkRequest r;
        r.readerAddresses = {{3, QStringLiteral("127.0.0.3")}};
        r.tcpRemotePort = 5000;
        r.listenPort = 5001;
        r.localPort = 5002;
        r.desPort = 5003;
        r.localHostAddress = QHostAddress(QStringLiteral("127.0.0.9"));
        r.udpBroadcastAddress = QHostAddress::LocalHost;
        r.comPorts = {{2, QStringLiteral("/dev/null")}};

        r.kind = LinkKind::TcpToReaders;
        auto links = ReadingPipeline::makeLinks(r);
        auto *tcp = qobject_cast<TcpClientReadingLinks *>(links.get());
        QVERIFY(tcp);
        QCOMPARE(tcp->remotePortText(), QStringLiteral("5000"));

        r.kind = LinkKind::TcpListener;
        links = ReadingPipeline::makeLinks(r);
        auto *listener = qobject_cast<TcpListenerReadingLinks *>(links.get());
        QVERIFY(listener);
        QCOMPARE(listener->listenPortText(), QStringLiteral("5001"));

        r.kind = LinkKind::Udp;
        links = ReadingPipeline::makeLinks(r);
        auto *udp = qobject_cast<UdpReadingLinks *>(links.get());
        QVERIFY(udp);
        QCOMPARE(udp->localPortText(), QStringLiteral("5002"));
        QCOMPARE(udp->destinationPortText(), QStringLiteral("5003"));
        QCOMPARE(udp->localHostAddress(), QStringLiteral("127.0.0.9"));
        QCOMPARE(udp->broadcastAddress(), QHostAddress(QHostAddress::LocalHost));

        r.kind = LinkKind::Serial;
        links = ReadingPipeline::makeLinks(r);
        QVERIFY(qobject_cast<SerialReadingLinks *>(links.get()));
    }

    void localAddressIsIPv4()
    {
        const QHostAddress a = ReadingPipeline::localHostAddress();
        QCOMPARE(a.protocol(), QAbstractSocket::IPv4Protocol);
        QVERIFY(!a.isLoopback());
    }

    void datagramsBecomeRows()
    {
        FakeClock clock;
        RecordingTonePlayer tones;
        ReadingPipeline pipeline(clock, tones);
        pipeline.setTiming(Timing().scaled(50));
        QUdpSocket reader;
        QVERIFY(reader.bind(QHostAddress::LocalHost, 0));
        LinkRequest r;
        r.kind = LinkKind::Udp;
        r.localPort = 0;
        r.desPort = reader.localPort();
        r.udpBroadcastAddress = QHostAddress::LocalHost;
        r.timing = pipeline.timing();
        QSignalSpy seen(&pipeline, &ReadingPipeline::readerSeen);
        QSignalSpy listed(&pipeline, &ReadingPipeline::senderListed);
        QSignalSpy ended(&pipeline, &ReadingPipeline::ended);
        pipeline.start(ReadingPipeline::makeLinks(r));
        QVERIFY(pipeline.isBusy());
        auto *udp = qobject_cast<UdpReadingLinks *>(pipeline.links());
        QVERIFY(udp);
        QTRY_VERIFY_WITH_TIMEOUT(udp->localPort() != 0, 5000);
        // The first datagram makes the sender known; the next ones are read.
        reader.writeDatagram("0000000000000001"
                             "50A3FF\r",
                             QHostAddress::LocalHost, udp->localPort());
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 1, 5000);
        QCOMPARE(seen.at(0).at(0).value<LinkKind>(), LinkKind::Udp);
        QCOMPARE(listed.size(), 1);
        reader.writeDatagram("0000000000001234"
                             "50A3FF\r0000000000005678"
                             "60B4FE\r",
                             QHostAddress::LocalHost, udp->localPort());
        QTRY_COMPARE_WITH_TIMEOUT(pipeline.tables().allTags()->size(), 2, 5000);
        QCOMPARE(pipeline.tables().allTags()->cellText(1, TagTableModel::ColUid),
                 QStringLiteral("0000000000005678"));
        pipeline.stop();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
        QVERIFY(!pipeline.isBusy());
        QVERIFY(!pipeline.links());
    }

    void noLinksEndAtOnce()
    {
        FakeClock clock;
        RecordingTonePlayer tones;
        ReadingPipeline pipeline(clock, tones);
        QSignalSpy ended(&pipeline, &ReadingPipeline::ended);
        pipeline.start(nullptr);
        QCOMPARE(ended.size(), 1);
        QVERIFY(!pipeline.isBusy());
    }
};

QTEST_GUILESS_MAIN(TestReadingPipeline)
#include "tst_reading_pipeline.moc"
