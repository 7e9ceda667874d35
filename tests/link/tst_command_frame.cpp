#include "link/CommandFrame.h"
#include "link/ReplyAssembler.h"

#include <QtTest>

using namespace CommandFrame;

class TestCommandFrame : public QObject
{
    Q_OBJECT
private slots:
    void framesCommands_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("V") << QByteArray("V") << QByteArray("\x01V57\r");
        QTest::newRow("M0") << QByteArray("M0") << QByteArray("\x01M07C\r");
        QTest::newRow("M1") << QByteArray("M1") << QByteArray("\x01M17D\r");
        QTest::newRow("A0") << QByteArray("A0")
                            << QByteArray("\x01"
                                          "A070\r");
        QTest::newRow("A3") << QByteArray("A3")
                            << QByteArray("\x01"
                                          "A373\r");
        QTest::newRow("empty") << QByteArray()
                               << QByteArray("\x01"
                                             "01\r");
    }
    void framesCommands()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, frame);
        QCOMPARE(buildCommandFrame(command), frame);
    }

    void bccHelpers()
    {
        QCOMPARE(calcBcc(QByteArrayView()), quint8(0));
        QCOMPARE(calcBcc(QByteArray("\x01V")), quint8(0x57));
        QCOMPARE(byteToHex(0x00), QByteArray("00"));
        QCOMPARE(byteToHex(0xAF), QByteArray("AF"));
        QCOMPARE(byteToHex(0x5C), QByteArray("5C"));
    }

    void longCommandIsCut()
    {
        const QByteArray frame = buildCommandFrame(QByteArray(2000, 'X'));
        QCOMPARE(frame.size(), kMaxCommandLength + 4);
        QCOMPARE(frame.back(), '\r');
    }

    void checksReplies()
    {
        QByteArray reply("\x02T0012");
        reply += byteToHex(calcBcc(reply));
        reply += '\r';
        QCOMPARE(reply.size(), 9);
        QVERIFY(checkReplyBcc(reply));
        QCOMPARE(replyPayload(reply), QByteArray("T0012"));

        QByteArray corrupt = reply;
        corrupt[3] = '9';
        QVERIFY(!checkReplyBcc(corrupt));
        QVERIFY(!checkReplyBcc(QByteArray("\x02\r")));
        QCOMPARE(replyPayload(QByteArray("\x02\r")), QByteArray());
    }

    void lowerCaseDigitsFail()
    {
        // STX 'V' 'x': XOR = 0x02^0x56^0x78 = 0x2C -> "2C"; "2c" must fail.
        QVERIFY(checkReplyBcc(QByteArray("\x02Vx2C\r")));
        QVERIFY(!checkReplyBcc(QByteArray("\x02Vx2c\r")));
    }

    void assemblesReplies()
    {
        ReplyAssembler a;
        QVERIFY(!a.feed("\r"));               // a CR before any STX completes nothing
        QVERIFY(!a.feed("0000000000001234")); // report bytes ahead of the reply
        QVERIFY(!a.feed("\x02T00"));
        qsizetype used = 0;
        QVERIFY(a.feed("12xx\rtail", &used));
        QCOMPARE(used, qsizetype(5));
        QCOMPARE(a.reply(), QByteArray("\x02T0012xx\r"));
        a.reset();
        QVERIFY(!a.isComplete());
        QVERIFY(a.reply().isEmpty());
        // A second STX restarts the frame.
        QVERIFY(a.feed("\x02Zjunk\x02V1\r"));
        QCOMPARE(a.reply(), QByteArray("\x02V1\r"));
    }
};

QTEST_APPLESS_MAIN(TestCommandFrame)
#include "tst_command_frame.moc"
