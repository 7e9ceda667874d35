#include "link/CommandFrame.h"

#include "ReportLines.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <QtTest>

namespace {

QString cliPath()
{
    return qEnvironmentVariable("TALVO_BIN_DIR") + QStringLiteral("/cli/talvo-cli");
}

QByteArray frames(const char *command, int times)
{
    QByteArray out;
    for (int i = 0; i < times; ++i)
        out += CommandFrame::buildCommandFrame(command);
    return out;
}

QByteArray greeting()
{
    QByteArray g;
    for (int i = 0; i < 10; ++i)
        g += CommandFrame::buildCommandFrame("M1") + CommandFrame::buildCommandFrame("A3");
    return g;
}

QByteArray report(int n)
{
    return ReportLines::line(n, "FE");
}

// A port nothing listens on right now at this address.
quint16 freePort(const QHostAddress &address)
{
    QTcpServer s;
    s.listen(address, 0);
    return s.serverPort();
}

// The port the program says it took (its endpoints use port 0: the system picks a free one).
quint16 announcedPort(const QByteArray &diagnostics, const QByteArray &prefix)
{
    const auto lineEnd = [&] {
        const qsizetype at = diagnostics.indexOf(prefix);
        return at < 0 ? qsizetype(-1) : diagnostics.indexOf('\n', at);
    };
    if (!QTest::qWaitFor([&] { return lineEnd() > 0; }, 10000))
        return 0;
    const qsizetype start = diagnostics.indexOf(prefix) + prefix.size();
    return quint16(diagnostics.mid(start, lineEnd() - start).toUInt());
}

QStringList labelsOf(const QByteArray &out)
{
    QStringList labels;
    for (const QByteArray &line : out.split('\n'))
        if (!line.isEmpty())
            labels.append(QJsonDocument::fromJson(line).object().value("label").toString());
    return labels;
}

} // namespace

class TestCliNetwork : public QObject
{
    Q_OBJECT
private slots:
    void readsFromAListeningReader()
    {
        QTcpServer reader;
        QVERIFY(reader.listen(QHostAddress("127.0.0.3"), 0));
        QProcess p;
        p.start(cliPath(),
                {"read", "--tcp", "127.0.0.3:" + QString::number(reader.serverPort()), "--count", "2"});
        QVERIFY(reader.waitForNewConnection(10000));
        QTcpSocket *c = reader.nextPendingConnection();
        QByteArray received;
        connect(c, &QTcpSocket::readyRead, this, [&] { received += c->readAll(); });
        QTRY_COMPARE_WITH_TIMEOUT(received, greeting(), 10000);
        c->write(report(1) + report(2));
        QTRY_COMPARE_WITH_TIMEOUT(p.state(), QProcess::NotRunning, 10000);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(labelsOf(p.readAllStandardOutput()), (QStringList{"127.0.0.3", "127.0.0.3"}));
        QTRY_COMPARE_WITH_TIMEOUT(received, greeting() + frames("A0", 5), 10000);
    }

    void readsFromReadersThatConnect()
    {
        QProcess p;
        QByteArray diagnostics;
        connect(&p, &QProcess::readyReadStandardError, this,
                [&] { diagnostics += p.readAllStandardError(); });
        p.start(cliPath(), {"read", "--listen", "0", "--count", "1", "--verbose"});
        const quint16 port = announcedPort(diagnostics, "Listening: Port:");
        QVERIFY(port != 0);
        QTcpSocket reader;
        reader.bind(QHostAddress("127.0.0.4"), 0);
        QByteArray received;
        connect(&reader, &QTcpSocket::readyRead, this, [&] { received += reader.readAll(); });
        reader.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE_WITH_TIMEOUT(received, greeting(), 10000);
        reader.write(report(7));
        QTRY_COMPARE_WITH_TIMEOUT(p.state(), QProcess::NotRunning, 10000);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(labelsOf(p.readAllStandardOutput()), QStringList{"127.0.0.4"});
        QTRY_COMPARE_WITH_TIMEOUT(received, greeting() + frames("A0", 5), 10000);
    }

    void readsUdpAfterTheFirstDatagram()
    {
        QUdpSocket ear;
        QVERIFY(ear.bind(QHostAddress("127.255.255.255"), 0, QUdpSocket::ShareAddress));
        QByteArray heard;
        connect(&ear, &QUdpSocket::readyRead, this, [&] {
            while (ear.hasPendingDatagrams())
                heard += ear.receiveDatagram().data();
        });
        QProcess p;
        QByteArray diagnostics;
        connect(&p, &QProcess::readyReadStandardError, this,
                [&] { diagnostics += p.readAllStandardError(); });
        p.start(cliPath(), {"read", "--udp", QString("0:%1").arg(ear.localPort()), "--udp-broadcast",
                            "127.255.255.255", "--own-address", "127.0.0.1", "--count", "1", "--verbose"});
        const quint16 local = announcedPort(diagnostics, "Bound: Port:");
        QVERIFY(local != 0);
        QTRY_COMPARE_WITH_TIMEOUT(heard, frames("M0", 5) + frames("A3", 5), 10000);
        QUdpSocket reader;
        QVERIFY(reader.bind(QHostAddress("127.0.0.5"), 0));
        reader.writeDatagram(report(1), QHostAddress::LocalHost, local); // registers the reader only
        reader.writeDatagram(report(2), QHostAddress::LocalHost, local);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        const QByteArray out = p.readAllStandardOutput();
        QCOMPARE(labelsOf(out), QStringList{"127.0.0.5"});
        QVERIFY(out.contains("\"uid\":\"0000000000000002\""));
        QTRY_COMPARE_WITH_TIMEOUT(heard, frames("M0", 5) + frames("A3", 5) + frames("A0", 5), 10000);
    }

    void endsWhenNoReaderCanBeReached()
    {
        const quint16 port = freePort(QHostAddress("127.0.0.6"));
        QProcess p;
        p.start(cliPath(), {"read", "--tcp", "127.0.0.6:" + QString::number(port)});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 1);
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(err.contains("127.0.0.6"), err.constData());
    }

    void rejectsBadNetworkArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QStringList many{"read"};
        for (int i = 1; i <= 21; ++i)
            many << "--tcp" << QString("127.0.0.%1").arg(i);
        QTest::newRow("21 readers") << many;
        QTest::newRow("two ports") << QStringList{"read", "--tcp", "127.0.0.1:4001", "--tcp",
                                                  "127.0.0.2:4002"};
        QTest::newRow("two kinds") << QStringList{"read", "--tcp", "127.0.0.1", "--listen", "4001"};
        QTest::newRow("bad broadcast") << QStringList{"read", "--udp", "4001", "--udp-broadcast", "everyone"};
        // A port that is not a number is a typo, not "4001".
        QTest::newRow("listen not a number") << QStringList{"read", "--listen", "abc"};
        QTest::newRow("listen too high") << QStringList{"read", "--listen", "65536"};
        QTest::newRow("listen negative") << QStringList{"read", "--listen", "-1"};
        QTest::newRow("tcp port not a number") << QStringList{"read", "--tcp", "127.0.0.1:x"};
        QTest::newRow("tcp port zero") << QStringList{"read", "--tcp", "127.0.0.1:0"};
        QTest::newRow("udp local not a number") << QStringList{"read", "--udp", "abc"};
        QTest::newRow("udp destination not a number") << QStringList{"read", "--udp", "0:4o01"};
    }
    void rejectsBadNetworkArguments()
    {
        QFETCH(QStringList, args);
        QProcess p;
        p.start(cliPath(), args);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(!p.readAllStandardError().isEmpty());
        QVERIFY(p.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliNetwork)
#include "tst_cli_network.moc"
