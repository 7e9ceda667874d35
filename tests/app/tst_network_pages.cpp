#include "WindowControls.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "link/CommandFrame.h"
#include "link/TcpListenerReadingLinks.h"
#include "link/UdpReadingLinks.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

// The network pages of "Read TAG" against readers played by loopback sockets.
namespace {
const QByteArray kLines = "0000000000001234"
                          "50A3FF\r"
                          "0000000000005678"
                          "60B4FE\r";
} // namespace

class TestNetworkPages : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    SilentTonePlayer m_tone;
    int m_files = 0;

    std::unique_ptr<SettingsStore> store(int page)
    {
        const QString path = m_dir.filePath(QStringLiteral("net%1.ini").arg(++m_files));
        {
            QSettings raw(path, QSettings::IniFormat);
            raw.setValue("PAGE", page);
            raw.setValue("UdpBroadcastAddress", "127.0.0.1");
        }
        return std::make_unique<SettingsStore>(path);
    }

    static void stop(TfrmModule &w)
    {
        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    }

private slots:
    void readsReadersThatListen()
    {
        QTcpServer reader;
        QVERIFY(reader.listen(QHostAddress::LocalHost, 0));
        auto settings = store(0);
        TfrmModule w(settings.get(), &m_tone, m_dir.filePath("sel0.csv"));
        w.show();
        w.reading()->setTiming(Timing().scaled(10));
        control<QCheckBox>(&w, "chkIP03")->setChecked(true);
        control<QLineEdit>(&w, "edIP03")->setText("127.0.0.1");
        control<QLineEdit>(&w, "edtTcpRemotePort")->setText(QString::number(reader.serverPort()));
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_VERIFY_WITH_TIMEOUT(reader.hasPendingConnections(), 5000);
        QTcpSocket *peer = reader.nextPendingConnection();
        QByteArray heard;
        QTRY_VERIFY_WITH_TIMEOUT((heard += peer->readAll()).contains(CommandFrame::buildCommandFrame("M1")),
                                 5000);
        peer->write(kLines);
        QAbstractItemModel *all = control<QTableView>(&w, "grdUID")->model();
        QTRY_COMPARE_WITH_TIMEOUT(all->rowCount(), 2, 5000);
        QVERIFY(control<QPlainTextEdit>(&w, "moTcpServer")
                    ->toPlainText()
                    .startsWith("Connected:127.0.0.1 Port:"));
        QVERIFY(control<QWidget>(&w, "PnlTcpServerView")->isVisible());
        QCOMPARE(control<QLineEdit>(&w, "edtTcpServerIP")->text(), QStringLiteral("127.0.0.1"));
        stop(w);
        QVERIFY(control<QWidget>(&w, "pnlTcpServerSet")->isVisible());
    }

    void connectionLogFollowsTheLanguage()
    {
        QTcpServer reader;
        QVERIFY(reader.listen(QHostAddress::LocalHost, 0));
        const QString port = QString::number(reader.serverPort());
        auto settings = store(0);
        TfrmModule w(settings.get(), &m_tone, m_dir.filePath("sel-log.csv"));
        w.show();
        w.reading()->setTiming(Timing().scaled(10));
        control<QCheckBox>(&w, "chkIP01")->setChecked(true);
        control<QLineEdit>(&w, "edIP01")->setText("127.0.0.1");
        // Nobody listens on 127.0.0.2: its line carries the system's reason.
        control<QCheckBox>(&w, "chkIP02")->setChecked(true);
        control<QLineEdit>(&w, "edIP02")->setText("127.0.0.2");
        control<QLineEdit>(&w, "edtTcpRemotePort")->setText(port);
        control<QPushButton>(&w, "btnStart")->click();
        auto *log = control<QPlainTextEdit>(&w, "moTcpServer");
        auto lines = [log] { return log->toPlainText().split(QLatin1Char('\n')); };
        QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 2, 5000);
        QVERIFY(lines().contains("Connected:127.0.0.1 Port:" + port));
        const QStringList notConnected = lines().filter("Not connected:127.0.0.2 Port:" + port + " (");
        QCOMPARE(notConnected.size(), 1);
        const QString reason = notConnected[0].section(" (", 1);

        // Lines already shown are said again in the chosen language.
        control<QPushButton>(&w, "btnCHT")->click();
        QVERIFY(lines().contains("已連線:127.0.0.1 連接埠:" + port));
        QVERIFY(lines().contains("無法連線:127.0.0.2 連接埠:" + port + " (" + reason));
        // A new line comes in the current language.
        QVERIFY(reader.hasPendingConnections());
        QTcpSocket *peer = reader.nextPendingConnection();
        peer->close();
        QTRY_VERIFY_WITH_TIMEOUT(lines().contains("已斷線:127.0.0.1 連接埠:" + port), 5000);
        control<QPushButton>(&w, "btnCHS")->click();
        QStringList simplified = lines();
        simplified.sort();
        QStringList expected{"已连接:127.0.0.1 端口:" + port,
                             "无法连接:127.0.0.2 端口:" + port + " (" + reason,
                             "已断开:127.0.0.1 端口:" + port};
        expected.sort();
        QCOMPARE(simplified, expected);
        control<QPushButton>(&w, "btnEng")->click();
        QVERIFY(lines().contains("Connected:127.0.0.1 Port:" + port));
        QVERIFY(lines().contains("Not connected:127.0.0.2 Port:" + port + " (" + reason));
        QVERIFY(lines().contains("Disconnected:127.0.0.1 Port:" + port));
        stop(w);
    }

    void listensForReaders()
    {
        auto settings = store(2);
        TfrmModule w(settings.get(), &m_tone, m_dir.filePath("sel2.csv"));
        w.show();
        w.reading()->setTiming(Timing().scaled(10));
        QCOMPARE(w.linkKind(), LinkKind::TcpListener);
        // Port 0: the system picks a free port, and the links say which.
        control<QLineEdit>(&w, "edtListenPort")->setText("0");
        control<QPushButton>(&w, "btnStart")->click();
        auto *listener = qobject_cast<TcpListenerReadingLinks *>(w.reading()->links());
        QVERIFY(listener);
        QTRY_VERIFY_WITH_TIMEOUT(listener->serverPort() != 0, 5000);
        const quint16 port = listener->serverPort();
        QTcpSocket reader;
        reader.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE_WITH_TIMEOUT(reader.state(), QAbstractSocket::ConnectedState, 5000);
        auto *clients = control<QPlainTextEdit>(&w, "MemoClient0");
        QTRY_VERIFY_WITH_TIMEOUT(clients->toPlainText().startsWith("127.0.0.1:"), 5000);
        QVERIFY(clients->isVisible());
        QVERIFY(!control<QWidget>(&w, "pnlTcpClient")->isVisible());
        QCOMPARE(control<QPlainTextEdit>(&w, "MemoClient1")->toPlainText(), QStringLiteral("127.0.0.1"));
        reader.write(kLines);
        QTRY_COMPARE_WITH_TIMEOUT(control<QTableView>(&w, "grdUID")->model()->rowCount(), 2, 5000);
        QCOMPARE(control<QLineEdit>(&w, "edtLisPort")->text(), QString::number(port));
        stop(w);
        QVERIFY(!clients->isVisible());
        QCOMPARE(QSettings(settings->location(), QSettings::IniFormat).value("ListenPort").toString(),
                 QStringLiteral("0"));
    }

    void readsUdpSendersAfterTheirFirstDatagram()
    {
        QUdpSocket reader;
        QVERIFY(reader.bind(QHostAddress::LocalHost, 0));
        auto settings = store(3);
        TfrmModule w(settings.get(), &m_tone, m_dir.filePath("sel3.csv"));
        w.show();
        w.reading()->setTiming(Timing().scaled(10));
        control<QLineEdit>(&w, "edLocalPort")->setText("0");
        control<QLineEdit>(&w, "edDesPort")->setText(QString::number(reader.localPort()));
        control<QPushButton>(&w, "btnStart")->click();
        auto *udp = qobject_cast<UdpReadingLinks *>(w.reading()->links());
        QVERIFY(udp);
        QTRY_VERIFY_WITH_TIMEOUT(udp->localPort() != 0, 5000);
        const quint16 localPort = udp->localPort();
        // The start commands are broadcast to the destination port (a loopback address here).
        QTRY_VERIFY_WITH_TIMEOUT(reader.hasPendingDatagrams(), 5000);
        QCOMPARE(reader.receiveDatagram().data(), CommandFrame::buildCommandFrame("M0"));
        reader.writeDatagram("0000000000000001"
                             "50A3FF\r",
                             QHostAddress::LocalHost, localPort);
        auto *senders = control<QPlainTextEdit>(&w, "MemoUDP");
        QTRY_VERIFY_WITH_TIMEOUT(senders->toPlainText().startsWith("127.0.0.1:"), 5000);
        QCOMPARE(control<QLineEdit>(&w, "edtUdpDesIP")->text(), QStringLiteral("127.0.0.1"));
        reader.writeDatagram(kLines, QHostAddress::LocalHost, localPort);
        QAbstractItemModel *all = control<QTableView>(&w, "grdUID")->model();
        QTRY_COMPARE_WITH_TIMEOUT(all->rowCount(), 2, 5000);
        QCOMPARE(all->index(0, 1).data().toString(), QStringLiteral("0000000000001234")); // not ...0001
        stop(w);
    }
};

QTEST_MAIN(TestNetworkPages)
#include "tst_network_pages.moc"
