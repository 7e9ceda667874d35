// The reader command set as pure functions: control values to command texts and frames, replies to
// values, the gain-level table, the multi-step settings, the serial line settings and the result
// texts.
#include "i18n/ReaderCommandText.h"
#include "link/CommandFrame.h"
#include "readercfg/ConfigLinkRequest.h"
#include "readercfg/ReaderCommandSequence.h"
#include "readercfg/ReaderCommands.h"
#include "readercfg/SerialMode.h"

#include <QtTest>

namespace RC = ReaderCommands;

namespace {

QByteArray replyFrame(const QByteArray &payload)
{
    const QByteArray head = "\x02" + payload;
    return head + CommandFrame::byteToHex(CommandFrame::calcBcc(head)) + '\r';
}

QStringList commandsOf(const ReaderCommandSequence &steps)
{
    QStringList out;
    for (const auto &s : steps)
        out.append(QString::fromLatin1(s.command) + (s.onlyAfterSuccess ? "?" : "") +
                   (s.pauseBefore ? "~" : ""));
    return out;
}

} // namespace

class TestReaderCommands : public QObject
{
    Q_OBJECT
private slots:
    void commandTexts_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("frameHex");
        QTest::newRow("initial") << RC::initial() << QByteArray("0158354132440d");
        QTest::newRow("reset") << RC::reset() << QByteArray("01425231310d");
        QTest::newRow("version") << RC::version() << QByteArray("015635370d");
        QTest::newRow("serial number") << RC::serialNumber() << QByteArray("015335320d");
        QTest::newRow("read id") << RC::readId() << QByteArray("015435350d");
        QTest::newRow("set id") << RC::setId("0012") << QByteArray("01543030313235360d");
        QTest::newRow("baud 4800,n") << RC::setBaudrate(0) << QByteArray("01593036380d");
        QTest::newRow("baud 115200,n") << RC::setBaudrate(10) << QByteArray("01594131390d");
        QTest::newRow("baud 115200,e") << RC::setBaudrate(11) << QByteArray("01594231410d");
        QTest::newRow("auto send none") << RC::autoSend(0) << QByteArray("01413037300d");
        QTest::newRow("auto send off") << RC::autoSend(4) << QByteArray("01413437340d");
        QTest::newRow("net all") << RC::netPort(0) << QByteArray("014d3037430d");
        QTest::newRow("net rs485") << RC::netPort(3) << QByteArray("014d3337460d");
        QTest::newRow("rssi 0") << RC::rssiLevel(0) << QByteArray("014e303034460d");
        QTest::newRow("rssi 250") << RC::rssiLevel(250) << QByteArray("014e464134380d");
        QTest::newRow("gain level 1") << RC::setGain(0x38) << QByteArray("015731433031333832450d");
        QTest::newRow("gain level 7") << RC::setGain(0xC7) << QByteArray("015731433031433735310d");
        QTest::newRow("relay time 999 s") << RC::relayOnTime(999) << QByteArray("015230323237303635320d");
        QTest::newRow("relay time 1 s") << RC::relayOnTime(1) << QByteArray("015230323030304132300d");
        QTest::newRow("relay auto on") << RC::relayOnMode(true) << QByteArray("015230313030303135330d");
        QTest::newRow("relay auto off") << RC::relayOnMode(false) << QByteArray("015230313030303035320d");
        QTest::newRow("DO1 on") << RC::relayOutput(1, true) << QByteArray("014c30313137440d");
        QTest::newRow("DO1 off") << RC::relayOutput(1, false) << QByteArray("014c30313037430d");
        QTest::newRow("DO2 on") << RC::relayOutput(2, true) << QByteArray("014c30323137450d");
        QTest::newRow("DO2 off") << RC::relayOutput(2, false) << QByteArray("014c30323037460d");
    }
    void commandTexts()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, frameHex);
        QCOMPARE(CommandFrame::buildCommandFrame(command).toHex(), frameHex);
    }

    void gainLevelTable_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("gain1");
        QTest::addColumn<int>("gain2");
        QTest::addColumn<int>("gain3");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("1") << 1 << 0 << 7 << 0 << QByteArray("W1C0138");
        QTest::newRow("2") << 2 << 0 << 7 << 7 << QByteArray("W1C013F");
        QTest::newRow("3") << 3 << 2 << 7 << 7 << QByteArray("W1C01BF");
        QTest::newRow("4") << 4 << 0 << 3 << 7 << QByteArray("W1C011F");
        QTest::newRow("5") << 5 << 3 << 3 << 7 << QByteArray("W1C01DF");
        QTest::newRow("6") << 6 << 2 << 0 << 7 << QByteArray("W1C0187");
        QTest::newRow("7") << 7 << 3 << 0 << 7 << QByteArray("W1C01C7");
    }
    void gainLevelTable()
    {
        QFETCH(int, level);
        QFETCH(int, gain1);
        QFETCH(int, gain2);
        QFETCH(int, gain3);
        QFETCH(QByteArray, command);
        const auto fields = RC::gainLevelFields(level);
        QVERIFY(fields);
        QCOMPARE(*fields, (RC::GainFields{gain1, gain2, gain3}));
        QCOMPARE(RC::setGain(RC::gainByte(*fields)), command);
        // The level's sequence: the gain, then a reset only after the reader took it.
        QCOMPARE(commandsOf(ReaderSequences::gainLevel(level)), (QStringList{command, "BR?"}));
    }

    void gainLevelOutsideTheTableChangesNothing()
    {
        QVERIFY(!RC::gainLevelFields(0));
        QVERIFY(!RC::gainLevelFields(8));
        QVERIFY(ReaderSequences::gainLevel(0).isEmpty());
        QCOMPARE(RC::gainByte({3, 7, 7}), 0xFF);
    }

    void relayOnTimeSteps()
    {
        QCOMPARE(commandsOf(ReaderSequences::relayOnTime(5, true)), (QStringList{"R020032", "R010001~"}));
        QCOMPARE(commandsOf(ReaderSequences::relayOnTime(5, false)),
                 (QStringList{"R020032", "R010000~", "BR~"}));
    }

    void readerIdComesOnlyFromANineByteReply()
    {
        QCOMPARE(RC::readerIdFromReply(replyFrame("T0012")), std::optional<QString>("0012"));
        QVERIFY(!RC::readerIdFromReply(replyFrame("T012")));
        QVERIFY(!RC::readerIdFromReply(replyFrame("T00123")));
        QVERIFY(!RC::readerIdFromReply(QByteArray()));
    }

    void digitalInputsFromPositions19To22()
    {
        // 17 payload characters, then the four inputs, then more text: 37 bytes in all.
        const QByteArray frame = replyFrame("L021 DO=01 DI1-4=1X01 RELAY READY");
        QCOMPARE(frame.size(), 37);
        const auto inputs = RC::digitalInputs(frame);
        QVERIFY(inputs);
        QCOMPARE(*inputs, (std::array<bool, 4>{true, false, false, true}));
        QVERIFY(!RC::digitalInputs(frame.left(36)));
        QVERIFY(!RC::digitalInputs(replyFrame("L021")));
    }

    void pageLists()
    {
        QCOMPARE(RC::baudRateItems().size(), 12);
        QCOMPARE(RC::baudRateItems().value(10), QStringLiteral("115200,n,8,1"));
        QCOMPARE(RC::autoSendItems().value(3), QStringLiteral("Mode #3 ASCII"));
        QCOMPARE(RC::netItems(), (QStringList{"ALL", "NET", "RS232", "RS485"}));
    }

    void serialModesOfTheLinkPage()
    {
        const QStringList &items = SerialMode::items();
        QCOMPARE(items.size(), 14);
        QCOMPARE(items.value(SerialMode::kDefaultItem), QStringLiteral("115200,n,8,1"));
        for (const QString &item : items) {
            const auto mode = SerialMode::parse(item);
            QVERIFY2(mode, qPrintable(item));
            QCOMPARE(mode->baud, item.section(',', 0, 0).toInt());
            QCOMPARE(mode->parity, item.contains(",e,") ? QSerialPort::EvenParity : QSerialPort::NoParity);
            QCOMPARE(mode->dataBits, QSerialPort::Data8);
            QCOMPARE(mode->stopBits, QSerialPort::OneStop);
        }
        const auto odd = SerialMode::parse(" 9600 , O , 7 , 1.5 ");
        QVERIFY(odd);
        QCOMPARE(*odd,
                 (SerialMode{9600, QSerialPort::OddParity, QSerialPort::Data7, QSerialPort::OneAndHalfStop}));
        for (const char *bad : {"", "115200", "115200,n,8", "115200,x,8,1", "fast,n,8,1", "9600,n,9,1",
                                "9600,n,8,3", "-9600,n,8,1", "9600,n,8,1,1"})
            QVERIFY2(!SerialMode::parse(bad), bad);
    }

    void portTextsThatAreNotPortsMean4001()
    {
        QCOMPARE(PortText::port("4002"), quint16(4002));
        QCOMPARE(PortText::port(" 80 "), quint16(80));
        QCOMPARE(PortText::port("abc"), quint16(4001));
        QCOMPARE(PortText::port(""), quint16(4001));
        QCOMPARE(PortText::port("70000"), quint16(4001));
    }

    void portListEntriesToNumbers()
    {
        QCOMPARE(ConfigLinkRequest::comNumberFromText("COM7"), 7);
        QCOMPARE(ConfigLinkRequest::comNumberFromText("COM12"), 12);
        QCOMPARE(ConfigLinkRequest::comNumberFromText("COM"), 1);
        QCOMPARE(ConfigLinkRequest::comNumberFromText("COMx"), 1);
        QCOMPARE(ConfigLinkRequest::comNumberFromText("/dev/ttyUSB0"), 1);
        QCOMPARE(ConfigLinkRequest::comNumberFromText("COM999"), 1);
    }

    void failureTexts()
    {
        const auto attemptFailed = [](LinkKind link, bool connected, int counter) {
            return ReaderCommandText::message(
                {ReaderCommandMessage::Kind::AttemptFailed, link, connected, counter}, Language::English);
        };
        QCOMPARE(attemptFailed(LinkKind::Serial, true, 5), QStringLiteral("Command Error !  [ 5 ]"));
        QCOMPARE(attemptFailed(LinkKind::Serial, false, 1), QStringLiteral("Command Error !  [ 1 ]"));
        QCOMPARE(attemptFailed(LinkKind::TcpToReaders, false, 4), QStringLiteral("Connect Error !  [ 4 ]"));
        QCOMPARE(attemptFailed(LinkKind::TcpToReaders, true, 3), QStringLiteral("Command Error !  [ 3 ]"));
        QCOMPARE(attemptFailed(LinkKind::TcpListener, false, 2), QStringLiteral("Connect Error !  [ 2 ]"));
        QCOMPARE(attemptFailed(LinkKind::TcpListener, true, 2), QStringLiteral("Command Error !  [ 2 ]"));
        QCOMPARE(attemptFailed(LinkKind::Udp, true, 1), QStringLiteral("Connect Error ! [ 1 ]"));
        const ReaderCommandMessage openFailed{ReaderCommandMessage::Kind::OpenFailed};
        QCOMPARE(ReaderCommandText::message(openFailed, Language::English),
                 QStringLiteral("Connect Error !"));
        QCOMPARE(ReaderCommandText::tagPanelMessage(openFailed, Language::English),
                 QStringLiteral("Command Error !"));
    }
};

QTEST_APPLESS_MAIN(TestReaderCommands)
#include "tst_reader_commands.moc"
