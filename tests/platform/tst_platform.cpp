// The system calls behind src/platform, on this system: what each call promises its callers.
#include "platform/FileIdentity.h"
#include "platform/Socket.h"
#include "platform/StopRequests.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

platform::NativePath native(const QString &name)
{
    return QFile::encodeName(name).toStdString();
}

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void filesByKindAndIdentity()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("log.csv");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString linked = dir.filePath("linked.csv");
        QVERIFY(QFile::link(file, linked));
        QVERIFY(QFile::link(dir.filePath("gone.csv"), dir.filePath("dangling.csv")));

        QCOMPARE(platform::fileKind(native(file)), platform::FileKind::Regular);
        QCOMPARE(platform::fileKind(native(linked)), platform::FileKind::Regular);
        QCOMPARE(platform::fileKind(native(dir.filePath("absent.csv"))), platform::FileKind::Absent);
        QCOMPARE(platform::fileKind(native(dir.filePath("dangling.csv"))), platform::FileKind::Absent);
        QCOMPARE(platform::fileKind(native(dir.path())), platform::FileKind::Other);
        QCOMPARE(platform::fileKind(native("/dev/null")), platform::FileKind::Other);

        platform::FileId a;
        platform::FileId b;
        platform::FileId folder;
        QVERIFY(platform::fileId(native(file), &a));
        QVERIFY(platform::fileId(native(linked), &b));
        QVERIFY(platform::fileId(native(dir.path()), &folder));
        QVERIFY(a == b);
        QVERIFY(!(a == folder));
        QVERIFY(!platform::fileId(native(dir.filePath("absent.csv")), &b));
    }

    // A connection taken with its peer's address and port; what the peer sent before closing is
    // read in full, then the end; an idle connection would wait.
    void socketAcceptReceiveAndEnd()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        server.pauseAccepting();
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QTRY_COMPARE(client.state(), QAbstractSocket::ConnectedState);

        platform::Accepted peer;
        const auto taken = [&] {
            return peer.socket != platform::kNoSocket ||
                   platform::acceptNow(server.socketDescriptor(), &peer) == platform::AcceptStatus::Taken;
        };
        QTRY_VERIFY(taken());
        QVERIFY(!peer.ipv6);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(peer.address), 4), QByteArray("\x7f\0\0\x01", 4));
        QCOMPARE(peer.port, client.localPort());
        platform::Accepted none;
        QCOMPARE(platform::acceptNow(server.socketDescriptor(), &none), platform::AcceptStatus::NoneWaiting);

        char buffer[64];
        QCOMPARE(platform::receiveNow(peer.socket, buffer, sizeof buffer).status,
                 platform::IoStatus::WouldWait);
        QCOMPARE(platform::sendNow(peer.socket, "A0", 2).bytes, std::size_t(2));
        QTRY_COMPARE(client.bytesAvailable(), 2);
        client.write("0123456789ABCDEF\r");
        client.disconnectFromHost();
        QByteArray got;
        const auto readUntilEnd = [&] {
            platform::IoResult r;
            while ((r = platform::receiveNow(peer.socket, buffer, sizeof buffer)).status ==
                   platform::IoStatus::Done)
                got.append(buffer, qsizetype(r.bytes));
            return r.status == platform::IoStatus::Closed;
        };
        QTRY_VERIFY(readUntilEnd());
        QCOMPARE(got, QByteArray("0123456789ABCDEF\r"));
        platform::closeSocket(peer.socket);
    }

    void stopRequestArrivesAsByte()
    {
        const platform::SocketHandle watched = platform::installStopRequests();
        QVERIFY(watched != platform::kNoSocket);
        QCOMPARE(platform::takeStopRequest(watched), -1);
        std::raise(SIGTERM);
        QCOMPARE(platform::takeStopRequest(watched), SIGTERM);
        platform::removeStopRequests();
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
