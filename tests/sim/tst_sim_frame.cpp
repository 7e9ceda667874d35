// The reader-side frame code against the worked frames of the reader protocol.
#include "link/CommandFrame.h"
#include "sim/CommandParser.h"
#include "sim/SimFrame.h"

#include <QtTest>

class TestSimFrame : public QObject
{
    Q_OBJECT
private slots:
    void parsesWorkedCommandFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("V") << QByteArray("\x01\x56\x35\x37\x0D") << QByteArray("V");
        QTest::newRow("M0") << QByteArray("\x01\x4D\x30\x37\x43\x0D") << QByteArray("M0");
        QTest::newRow("A0") << QByteArray("\x01\x41\x30\x37\x30\x0D") << QByteArray("A0");
        QTest::newRow("A3") << QByteArray("\x01\x41\x33\x37\x33\x0D") << QByteArray("A3");
        QTest::newRow("M1") << QByteArray("\x01\x4D\x31\x37\x44\x0D") << QByteArray("M1");
    }
    void parsesWorkedCommandFrames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, command);
        CommandParser parser;
        parser.feed(frame);
        QVERIFY(parser.hasFrame());
        const CommandParser::Frame f = parser.takeFrame();
        QCOMPARE(f.status, CommandParser::Status::Ok);
        QCOMPARE(f.command, command);
        QCOMPARE(f.raw, frame);
        QVERIFY(!parser.hasFrame());
    }

    void rejectsDamagedFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("lower-case BCC") << QByteArray("\x01M07c\r");
        QTest::newRow("wrong BCC") << QByteArray("\x01"
                                                 "A371\r");
        QTest::newRow("no BCC") << QByteArray("\x01\r");
        QTest::newRow("one digit") << QByteArray("\x01"
                                                 "7\r");
        QTest::newRow("non-hex BCC") << QByteArray("\x01VG7\r");
    }
    void rejectsDamagedFrames()
    {
        QFETCH(QByteArray, frame);
        CommandParser parser;
        parser.feed(frame);
        QVERIFY(parser.hasFrame());
        const CommandParser::Frame f = parser.takeFrame();
        QCOMPARE(f.status, CommandParser::Status::BadBcc);
        QVERIFY(f.command.isEmpty());
    }

    void cutsStreamsAcrossChunksAndNoise()
    {
        CommandParser parser;
        // Noise (a stray CR, report-like text) before the first SOH is ignored; a frame split over
        // chunks is joined; an SOH inside a frame restarts it.
        parser.feed(QByteArray("junk\r1234\x01M"));
        QVERIFY(!parser.hasFrame());
        parser.feed(QByteArray("0"));
        parser.feed(QByteArray("7C\r\x01"
                               "A3\x01"
                               "A373\rtail"));
        QVERIFY(parser.hasFrame());
        QCOMPARE(parser.takeFrame().command, QByteArray("M0"));
        QVERIFY(parser.hasFrame());
        const CommandParser::Frame restarted = parser.takeFrame();
        QCOMPARE(restarted.status, CommandParser::Status::Ok);
        QCOMPARE(restarted.command, QByteArray("A3"));
        QVERIFY(!parser.hasFrame());
    }

    void discardsOverlongFrames()
    {
        CommandParser parser;
        parser.feed(QByteArray("\x01") + QByteArray(SimFrame::kMaxCommandFrame, 'E'));
        QVERIFY(parser.hasFrame());
        QCOMPARE(parser.takeFrame().status, CommandParser::Status::TooLong);
        // The rest of the overlong frame up to its CR is noise; the next frame is fine.
        parser.feed(QByteArray("EEE\r\x01V57\r"));
        QVERIFY(parser.hasFrame());
        QCOMPARE(parser.takeFrame().command, QByteArray("V"));
        QVERIFY(!parser.hasFrame());
        // The longest command the host can build (1020 characters) still fits.
        parser.feed(CommandFrame::buildCommandFrame(QByteArray(1020, 'E')));
        QCOMPARE(parser.takeFrame().status, CommandParser::Status::Ok);
    }

    void buildsReplyFrames()
    {
        // STX T 0 0 1 2, the XOR of those six bytes (0x55) as two digits, CR: 9 bytes.
        const QByteArray reply = SimFrame::replyFrame("T0012");
        QCOMPARE(reply, QByteArray("\x02T001255\r"));
        QCOMPARE(reply.size(), 9);
        // The host's own check agrees on the worked example.
        QVERIFY(CommandFrame::checkReplyBcc(reply));
        QCOMPARE(SimFrame::replyFrame("A3"), QByteArray("\x02"
                                                        "A370\r"));
        QCOMPARE(SimFrame::parseHexByte("FA"), std::optional<quint8>(0xFA));
        QCOMPARE(SimFrame::parseHexByte("fa"), std::optional<quint8>());
        QCOMPARE(SimFrame::parseHexByte("fa", false), std::optional<quint8>(0xFA));
    }
};

QTEST_APPLESS_MAIN(TestSimFrame)
#include "tst_sim_frame.moc"
