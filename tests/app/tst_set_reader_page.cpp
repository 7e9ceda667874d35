// The "Set Reader" page driven through its controls, offscreen, against the simulated reader on a
// pseudo-terminal and on loopback TCP: the frames the buttons put on the wire, the reader ID and
// gain settings, the relay loop's input indicators, the hidden-controls switch, the page while a
// command runs (disabled, Cancel and Esc), the texts in the three languages, and the accepted
// reader's address box.
#include "FastTiming.h"
#include "RecordingTonePlayer.h"
#include "WindowControls.h"
#include "app/SetReaderController.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "i18n/ReaderCommandText.h"
#include "link/CommandFrame.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/TagPopulation.h"
#include "sim/TcpClientTransport.h"
#include "sim/TcpServerTransport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A reply wait long enough that a loaded machine (or a sanitizer build) does not send a command twice
// where the tests count what the reader heard.
constexpr int kReplyWaitMs = 150;

// The simulator's log line for a command frame received, e.g. "01 56 35 37 0D  |.V57.|".
QString frameLine(const QByteArray &command)
{
    return QStringLiteral("reader 1 <- ") +
           ReaderChannel::hexAndText(CommandFrame::buildCommandFrame(command));
}
} // namespace

class TestSetReaderPage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;
    TagPopulation m_tags{4, 3};
    RecordingTonePlayer m_tone;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<ReaderChannel> m_reader;
    std::unique_ptr<TfrmModule> m_window;
    QStringList m_log;         // the simulator's log of frames in and out
    QList<QByteArray> m_heard; // commands the simulator took

    bool startReader(std::unique_ptr<SimTransport> transport, ReaderChannel::Settings s = {})
    {
        s.log = true;
        m_reader = std::make_unique<ReaderChannel>(&m_tags, std::move(transport), s);
        connect(m_reader.get(), &ReaderChannel::logLine, this, [this](const QString &l) { m_log << l; });
        connect(m_reader.get(), &ReaderChannel::commandAnswered, this,
                [this](const QByteArray &command, const QByteArray &) { m_heard << command; });
        return m_reader->open();
    }

    // The window with the "Set Reader" page in front and its link page of `kind`.
    void openWindow(const char *linkPage)
    {
        m_window = std::make_unique<TfrmModule>(m_store.get(), &m_tone,
                                                m_dir.filePath(QStringLiteral("sel%1.csv").arg(m_files)));
        m_window->readerCommands()->setTiming(fastTiming(kReplyWaitMs));
        auto *main = control<QTabWidget>(m_window.get(), "pcMain");
        main->setCurrentWidget(control<QWidget>(m_window.get(), "tsSetReader"));
        auto *links = control<QTabWidget>(m_window.get(), "pcSetReadMain");
        links->setCurrentWidget(control<QWidget>(m_window.get(), linkPage));
        m_window->show();
    }

    // The simulated reader on a pty, kept as COM3's device; the window picks COM3.
    void openOnPty(ReaderChannel::Settings s = {})
    {
        s.reader.portKind = SimReader::PortKind::Serial;
        QVERIFY(startReader(std::make_unique<PtyTransport>(), s));
        m_store->writeComDevices({{QStringLiteral("3"), m_reader->transport().endpoint()}});
        openWindow("tsComPort");
        auto *com = control<QComboBox>(m_window.get(), "cbxCom");
        const int item = com->findText(QStringLiteral("COM3  ") + m_reader->transport().endpoint());
        QVERIFY(item >= 0);
        com->setCurrentIndex(item);
    }

    void openOnTcp()
    {
        QVERIFY(startReader(std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0)));
        openWindow("tsTcpServer");
        control<QLineEdit>(m_window.get(), "edtTcpServerIP")->setText(QStringLiteral("127.0.0.1"));
        control<QLineEdit>(m_window.get(), "edtTcpServerPort")
            ->setText(QString::number(m_reader->transport().localPort()));
    }

    QPushButton *btn(const char *name) { return control<QPushButton>(m_window.get(), name); }
    QString message() { return control<QLabel>(m_window.get(), "pnMsg")->text(); }

    // Presses a button and waits for the page to be free again.
    void press(const char *name)
    {
        QSignalSpy busy(m_window->readerCommands(), &SetReaderController::busyChanged);
        QTest::mouseClick(btn(name), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!busy.isEmpty() && !m_window->readerCommands()->isBusy(), 20000);
    }

private slots:
    void init()
    {
        m_store = std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("s%1.ini").arg(++m_files)));
        m_log.clear();
        m_heard.clear();
        m_tone.tones.clear();
    }

    void cleanup()
    {
        m_window.reset();
        m_reader.reset();
        m_store.reset();
    }

    void buttonsSendTheirFrames_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("version") << QByteArray("btnGetVersion") << QByteArray("V");
        QTest::newRow("initial") << QByteArray("btnInitial") << QByteArray("X5A");
        QTest::newRow("serial number") << QByteArray("btnGetSN") << QByteArray("S");
        QTest::newRow("baud default item") << QByteArray("btnSetBaudrate") << QByteArray("YA");
        QTest::newRow("auto send default") << QByteArray("btnAutoSend") << QByteArray("A3");
        QTest::newRow("net port ALL") << QByteArray("btnSetNet") << QByteArray("M0");
        QTest::newRow("rssi 0") << QByteArray("btnSetRSSI") << QByteArray("N00");
        QTest::newRow("reader id") << QByteArray("btnSetID") << QByteArray("T0001");
    }

    void buttonsSendTheirFrames()
    {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, command);
        openOnPty();
        press(button.constData());
        QVERIFY2(m_log.contains(frameLine(command)), qPrintable(m_log.join(QLatin1Char('\n'))));
        QCOMPARE(control<QLineEdit>(m_window.get(), "edSend")->text(), QString::fromLatin1(command));
        QCOMPARE(message(), QStringLiteral("Command Ok."));
        QVERIFY(!control<QLineEdit>(m_window.get(), "edRecv")->text().isEmpty());
        QCOMPARE(m_tone.tones.last(), qMakePair(1000, 10));
    }

    void controlValuesBecomeCommands()
    {
        openOnPty();
        // "V" on the wire exactly: SOH, 'V', its two check digits, CR.
        press("btnGetVersion");
        QVERIFY(m_log.contains(QStringLiteral("reader 1 <- 01 56 35 37 0D  |.V57.|")));
        control<QSlider>(m_window.get(), "sbSetRSSI")->setValue(250);
        QCOMPARE(control<QLabel>(m_window.get(), "pnSetRSSI")->text(), QStringLiteral("250"));
        press("btnSetRSSI");
        control<QComboBox>(m_window.get(), "cmbBaudRate")->setCurrentIndex(0);
        press("btnSetBaudrate");
        control<QComboBox>(m_window.get(), "cmbNet")->setCurrentIndex(3);
        press("btnSetNet");
        QCOMPARE(m_heard, (QList<QByteArray>{"V", "NFA", "Y0", "M3"}));
        QCOMPARE(m_reader->reader().rssiLevel(), 250);
        QCOMPARE(m_reader->reader().reportPort(), 3);
    }

    void readerIdFilledFromReply()
    {
        openOnPty();
        auto *id = control<QLineEdit>(m_window.get(), "edID");
        QCOMPARE(id->maxLength(), 4);
        id->setText(QStringLiteral("0012"));
        press("btnSetID");
        id->setText(QStringLiteral("9"));
        press("btnGetID");
        QCOMPARE(m_heard, (QList<QByteArray>{"T0012", "T"}));
        QCOMPARE(id->text(), QStringLiteral("0012"));
    }

    void gainLevelSevenThenReset()
    {
        openOnTcp();
        auto *level = control<QSlider>(m_window.get(), "sbGainLevel");
        QCOMPARE(level->value(), 7);
        level->setValue(1);
        QCOMPARE(control<QLabel>(m_window.get(), "pnlGainLevel")->text(), QStringLiteral("1"));
        QCOMPARE(control<QSlider>(m_window.get(), "sbSetGain2")->value(), 7);
        level->setValue(7);
        press("butSetGainLevel");
        QCOMPARE(m_heard, (QList<QByteArray>{"W1C01C7", "BR"}));
        QVERIFY(m_log.contains(frameLine("W1C01C7")));
        QCOMPARE(m_reader->reader().gain(), 0xC7);
        QCOMPARE(message(), QStringLiteral("Command Ok."));
    }

    void hiddenControlsSwitch()
    {
        openOnPty();
        auto *show = control<QCheckBox>(m_window.get(), "chkShowHidden");
        QVERIFY(show->isVisible());
        for (const char *name : {"edtTx", "btnTxRx", "edtRx", "btnRelay", "cbxDO01", "ShapeDI4", "btnSetGain",
                                 "sbRelayOnTime", "sbSetGain1"})
            QVERIFY2(!control<QWidget>(m_window.get(), name)->isVisible(), name);
        show->click();
        QVERIFY(control<QWidget>(m_window.get(), "btnTxRx")->isVisible());
        QCOMPARE(m_store->read(QLatin1String(SettingsStore::kShowHiddenControls))->toInt(), 1);
        // The test pair sends its text as typed and shows the reply beside it.
        control<QLineEdit>(m_window.get(), "edtTx")->setText(QStringLiteral("V"));
        press("btnTxRx");
        QCOMPARE(control<QLineEdit>(m_window.get(), "edtRx")->text(),
                 control<QLineEdit>(m_window.get(), "edRecv")->text());
        QVERIFY(control<QLineEdit>(m_window.get(), "edtRx")->text().startsWith(QLatin1Char('V')));
        // Relay-on time of 999 s in tenths, then the mode and a reset.
        control<QSlider>(m_window.get(), "sbRelayOnTime")->setValue(999);
        press("btnRelayOnTime");
        QCOMPARE(m_heard.mid(1), (QList<QByteArray>{"R022706", "R010000", "BR"}));
        // The switch is kept: the next window starts with the controls shown.
        m_window.reset();
        openWindow("tsComPort");
        QVERIFY(control<QWidget>(m_window.get(), "btnTxRx")->isVisible());
    }

    void relayLoopPaintsInputs()
    {
        openOnPty();
        m_reader->reader().setExtraInputs(0x2); // DI4 on, DI3 off
        control<QCheckBox>(m_window.get(), "chkShowHidden")->click();
        control<QCheckBox>(m_window.get(), "cbxDO01")->click();
        auto *relay = btn("btnRelay");
        auto *di1 = control<QLabel>(m_window.get(), "ShapeDI1");
        QCOMPARE(di1->palette().color(QPalette::Window), QColor(Qt::white));
        relay->click();
        QCOMPARE(relay->text(), QStringLiteral("Stop"));
        QVERIFY(!btn("btnGetVersion")->isEnabled());
        QVERIFY(relay->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(di1->palette().color(QPalette::Window), QColor(Qt::yellow), 10000);
        QCOMPARE(control<QLabel>(m_window.get(), "ShapeDI2")->palette().color(QPalette::Window),
                 QColor(Qt::white));
        QCOMPARE(control<QLabel>(m_window.get(), "ShapeDI4")->palette().color(QPalette::Window),
                 QColor(Qt::yellow));
        // Switching DO1 off while the loop runs reaches the reader in a later round.
        control<QCheckBox>(m_window.get(), "cbxDO01")->click();
        QTRY_COMPARE_WITH_TIMEOUT(di1->palette().color(QPalette::Window), QColor(Qt::white), 10000);
        relay->click();
        QTRY_VERIFY(!m_window->readerCommands()->isBusy());
        QCOMPARE(relay->text(), QStringLiteral("Set Relay ON/OFF"));
        QVERIFY(btn("btnGetVersion")->isEnabled());
        QVERIFY(m_heard.contains("L011"));
        QVERIFY(m_heard.contains("L010"));
        QVERIFY(m_heard.contains("L020"));
        QVERIFY(!m_heard.contains("L021"));
    }

    void pageBusyWhileRunningAndCancel_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Esc") << true;
    }

    void pageBusyWhileRunningAndCancel()
    {
        QFETCH(bool, byEscape);
        ReaderChannel::Settings silent;
        silent.dropReplies = 1.0;
        openOnPty(silent);
        auto *cancel = btn("btnCancel");
        QVERIFY(!cancel->isEnabled());
        btn("btnGetVersion")->click();
        QVERIFY(m_window->readerCommands()->isBusy());
        for (const char *name : {"btnGetVersion", "btnSetID", "edID", "cbxCom", "cmbBaud", "chkShowHidden"})
            QVERIFY2(!control<QWidget>(m_window.get(), name)->isEnabled(), name);
        QVERIFY(cancel->isEnabled());
        // A second press while one runs starts nothing.
        QTRY_VERIFY(!m_heard.isEmpty());
        btn("btnGetSN")->click();
        if (byEscape)
            QTest::keyClick(cancel, Qt::Key_Escape);
        else
            cancel->click();
        QTRY_VERIFY(!m_window->readerCommands()->isBusy());
        QCOMPARE(message(), QStringLiteral("Command Cancelled !"));
        QVERIFY(!m_heard.contains("S"));
        QVERIFY(btn("btnGetVersion")->isEnabled());
        QVERIFY(control<QWidget>(m_window.get(), "cbxCom")->isEnabled());
        QVERIFY(!cancel->isEnabled());
    }

    void silentReaderTriedTwentyFiveTimes()
    {
        ReaderChannel::Settings silent;
        silent.dropReplies = 1.0;
        openOnPty(silent);
        QStringList messages;
        connect(&m_window->readerCommands()->executor(), &RunReaderCommand::messageChanged, this,
                [&messages](const ReaderCommandMessage &m) {
                    messages << ReaderCommandText::message(m, Language::English);
                });
        press("btnGetVersion");
        QCOMPARE(m_heard.size(), 25);
        QCOMPARE(message(), QStringLiteral("Command Error !  [ 1 ]"));
        QVERIFY(messages.contains(QStringLiteral("Command Error !  [ 5 ]")));
        QCOMPARE(m_tone.tones.last(), qMakePair(300, 300));
    }

    void textsFollowTheLanguage()
    {
        ReaderChannel::Settings silent;
        silent.dropReplies = 1.0;
        openOnPty(silent);
        m_window->setLanguage(Language::TraditionalChinese);
        QCOMPARE(btn("btnGetVersion")->text(), QStringLiteral("讀卡機版本"));
        QCOMPARE(btn("butSetGainLevel")->text(), QStringLiteral("設定天線增益等級"));
        QCOMPARE(btn("btnCancel")->text(), QStringLiteral("取消"));
        QCOMPARE(control<QCheckBox>(m_window.get(), "chkShowHidden")->text(),
                 QStringLiteral("顯示隱藏的控制項"));
        QCOMPARE(control<QComboBox>(m_window.get(), "cmbNet")->itemText(1), QStringLiteral("網路介面 "));
        btn("btnGetVersion")->click();
        QTRY_VERIFY(!m_heard.isEmpty());
        btn("btnCancel")->click();
        QTRY_COMPARE(message(), QStringLiteral("命令已取消 !"));
        m_window->setLanguage(Language::SimplifiedChinese);
        QCOMPARE(btn("btnGetVersion")->text(), QStringLiteral("读卡机版本"));
        m_window->setLanguage(Language::English);
        QCOMPARE(btn("btnGetVersion")->text(), QStringLiteral("Get Version"));
        QCOMPARE(control<QCheckBox>(m_window.get(), "chkShowHidden")->text(),
                 QStringLiteral("Show hidden controls"));
    }

    void acceptedReaderShownSkyBlue()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        // The reply waits, so that the accepted reader is shown for a while.
        ReaderChannel::Settings slow;
        slow.replyDelayMs = 150;
        QVERIFY(startReader(std::make_unique<TcpClientTransport>(QStringLiteral("127.0.0.1"), port,
                                                                 QHostAddress("127.0.0.7"), 20),
                            slow));
        openWindow("tsTcpClient");
        auto *ip = control<QLineEdit>(m_window.get(), "edtTcpClientIP");
        ip->setText(QStringLiteral("127.0.0.7"));
        control<QLineEdit>(m_window.get(), "edtLisPort")->setText(QString::number(port));
        btn("btnGetVersion")->click();
        QTRY_VERIFY_WITH_TIMEOUT(ip->isReadOnly(), 10000);
        QVERIFY(ip->styleSheet().contains(QLatin1String("#A6CAF0")));
        QCOMPARE(ip->text(), QStringLiteral("127.0.0.7"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->readerCommands()->isBusy(), 10000);
        QCOMPARE(message(), QStringLiteral("Command Ok."));
        QVERIFY(!ip->isReadOnly());
        QVERIFY(ip->styleSheet().isEmpty());
    }

    void refusedWhileReadingLinksClose()
    {
        openOnPty();
        bool readingBusy = true;
        m_window->readerCommands()->setReadingBusyCheck([&readingBusy] { return readingBusy; });
        btn("btnGetVersion")->click();
        QVERIFY(!m_window->readerCommands()->isBusy());
        QCOMPARE(message(), QStringLiteral("Port in use: the reading links are still closing"));
        control<QCheckBox>(m_window.get(), "chkShowHidden")->click();
        btn("btnRelay")->click();
        QVERIFY(!m_window->readerCommands()->isBusy());
        // Once the reading links are closed the port is free for the command.
        readingBusy = false;
        press("btnGetVersion");
        QCOMPARE(m_heard, QList<QByteArray>{"V"});
    }

    // Showing "Set Reader" stops a reading session on the same port; the command waits for nothing
    // and takes the port once the reading links have let it go.
    void readingSessionGivesThePortBack()
    {
        openOnPty();
        auto *main = control<QTabWidget>(m_window.get(), "pcMain");
        m_window->readSerialPort(3, m_reader->transport().endpoint());
        QTRY_VERIFY(m_heard.contains("A3"));
        main->setCurrentWidget(control<QWidget>(m_window.get(), "tsSetReader"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->reading()->isBusy(), 10000);
        auto *com = control<QComboBox>(m_window.get(), "cbxCom");
        com->setCurrentIndex(com->findText(QStringLiteral("COM3  ") + m_reader->transport().endpoint()));
        press("btnGetVersion");
        QCOMPARE(message(), QStringLiteral("Command Ok."));
    }

    // The port list is filled again each time the page is shown: the chosen port stays chosen when
    // its number now stands for another device, and typed text stays as typed, never the first item.
    void refillKeepsTheChosenPort()
    {
        openOnPty();
        auto *main = control<QTabWidget>(m_window.get(), "pcMain");
        auto *com = control<QComboBox>(m_window.get(), "cbxCom");
        const auto showAgain = [&] {
            main->setCurrentWidget(control<QWidget>(m_window.get(), "tsReadTag"));
            main->setCurrentWidget(control<QWidget>(m_window.get(), "tsSetReader"));
        };
        m_store->writeComDevices({{QStringLiteral("3"), QStringLiteral("/dev/talvo-moved")}});
        showAgain();
        QCOMPARE(com->currentText(), QStringLiteral("COM3  /dev/talvo-moved"));
        for (const QString &typed : {QStringLiteral("/dev/talvo-typed"), QStringLiteral("COM97")}) {
            com->setEditText(typed);
            showAgain();
            QCOMPARE(com->currentText(), typed);
        }
    }

    void emptyAcceptAddressFailsToOpen()
    {
        openWindow("tsTcpClient");
        control<QLineEdit>(m_window.get(), "edtTcpClientIP")->clear();
        press("btnGetVersion");
        QCOMPARE(message(), QStringLiteral("Connect Error !"));
        // Why, in the status bar and in the user's language.
        auto *why = control<QLabel>(m_window.get(), "sbMainPanel1");
        QCOMPARE(why->text(), QStringLiteral("No reader address to accept"));
        m_window->setLanguage(Language::TraditionalChinese);
        QCOMPARE(why->text(), QStringLiteral("沒有要接受連線的讀卡機位址"));
        m_window->setLanguage(Language::SimplifiedChinese);
        QCOMPARE(why->text(), QStringLiteral("没有要接受连接的读卡机地址"));
        // The next command starts without it.
        control<QLineEdit>(m_window.get(), "edtTcpClientIP")->setText(QStringLiteral("127.0.0.7"));
        control<QLineEdit>(m_window.get(), "edtLisPort")->setText(QStringLiteral("0"));
        btn("btnGetVersion")->click();
        QVERIFY(why->text().isEmpty());
        btn("btnCancel")->click();
        QTRY_VERIFY(!m_window->readerCommands()->isBusy());
    }
};

QTEST_MAIN(TestSetReaderPage)
#include "tst_set_reader_page.moc"
