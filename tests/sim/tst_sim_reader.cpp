// The simulated reader's answers to the command set, byte for byte, and the over-the-air tag flow.
#include "link/CommandFrame.h"
#include "sim/CommandParser.h"
#include "sim/ReportGenerator.h"
#include "sim/SimFrame.h"
#include "sim/SimReader.h"
#include "sim/TagPopulation.h"

#include <QtTest>

namespace {

struct Rig
{
    explicit Rig(SimReader::Settings settings = {}) : reader(&tags, &generator, settings) {}

    // Frames the command as the host does, lets the reader parse and answer it, returns the reply frame.
    QByteArray exchange(const QByteArray &command, qint64 nowMs = 0)
    {
        CommandParser parser;
        parser.feed(CommandFrame::buildCommandFrame(command));
        const CommandParser::Frame frame = parser.takeFrame();
        if (frame.status != CommandParser::Status::Ok)
            return {};
        return SimFrame::replyFrame(reader.handleCommand(frame.command, nowMs));
    }
    QByteArray uid(int i) const { return tags.tag(i).uid; }

    TagPopulation tags{6, 42};
    ReportGenerator generator{&tags, 7, {}};
    SimReader reader;
};

// The reply passes the host's checks: STX first, valid BCC, CR last, first payload character.
void verifyReply(const QByteArray &reply, char letter)
{
    QVERIFY(reply.size() >= 5);
    QCOMPARE(reply.front(), '\x02');
    QCOMPARE(reply.back(), '\r');
    QCOMPARE(reply[1], letter);
    QVERIFY(CommandFrame::checkReplyBcc(reply));
}

} // namespace

class TestSimReader : public QObject
{
    Q_OBJECT
private slots:
    void answersWithWorkedFrames()
    {
        Rig rig;
        QCOMPARE(rig.exchange("A3"), QByteArray("\x02"
                                                "A370\r"));
        QCOMPARE(rig.exchange("M1"), QByteArray("\x02M1"
                                                "7E\r"));
        QCOMPARE(rig.exchange("T"), QByteArray("\x02T000157\r"));
        QCOMPARE(rig.exchange("T0012"), QByteArray("\x02T001255\r"));
        QCOMPARE(rig.exchange("T"), QByteArray("\x02T001255\r"));
        QCOMPARE(rig.exchange("Q"), QByteArray("\x02?Q6C\r"));
    }

    void settingsCommandsStoreTheirValues()
    {
        Rig rig;
        const QList<QByteArray> commands = {"A0",      "M3", "YA", "Y0",      "NFA",     "N00",
                                            "W1C01BF", "BT", "BR", "R022706", "R010001", "X5A"};
        for (const QByteArray &c : commands) {
            const QByteArray reply = rig.exchange(c);
            verifyReply(reply, c[0]);
            QCOMPARE(QByteArray(CommandFrame::replyPayload(reply)), c); // settings are echoed
        }
        Rig rig2;
        rig2.exchange("A4");
        rig2.exchange("M2");
        rig2.exchange("YB");
        rig2.exchange("N1E");
        rig2.exchange("W1C01C7");
        rig2.exchange("R022706");
        rig2.exchange("R010001");
        rig2.exchange("T12");
        QCOMPARE(rig2.reader.autoSendMode(), 4);
        QCOMPARE(rig2.reader.reportPort(), 2);
        QCOMPARE(rig2.reader.baudIndex(), 11);
        QCOMPARE(rig2.reader.rssiLevel(), 0x1E);
        QCOMPARE(rig2.reader.gain(), 0xC7);
        QCOMPARE(rig2.reader.relayOnTimeTenths(), 9990);
        QVERIFY(rig2.reader.relayOnMode());
        QCOMPARE(rig2.reader.readerId(), QByteArray("0012"));
        // "Reader Initial" brings the factory values back.
        rig2.exchange("X5A");
        QCOMPARE(rig2.reader.autoSendMode(), 3);
        QCOMPARE(rig2.reader.readerId(), QByteArray("0001"));
        QCOMPARE(rig2.reader.reportPort(), 0);
    }

    void versionAndSerialNumber()
    {
        Rig rig;
        const QByteArray v = rig.exchange("V");
        verifyReply(v, 'V');
        QVERIFY(v.size() > 5);
        const QByteArray s = rig.exchange("S");
        verifyReply(s, 'S');
        QCOMPARE(CommandFrame::replyPayload(s), QByteArray("S20260001"));
    }

    void badCommandsGetAReplyTheHostTellsFromSuccess_data()
    {
        QTest::addColumn<QByteArray>("command");
        for (const char *c : {"A5",    "A",   "A33",     "M4",      "YC", "Ya",     "Nfa",  "N1",
                              "W1C01", "BX",  "X00",     "VV",      "S1", "T12345", "T1 2", "L031",
                              "L012",  "L01", "R03FFFF", "R010002", "C1", "E123",   "Z",    "?"})
            QTest::newRow(c) << QByteArray(c);
        QTest::newRow("empty") << QByteArray();
    }
    void badCommandsGetAReplyTheHostTellsFromSuccess()
    {
        QFETCH(QByteArray, command);
        Rig rig;
        const QByteArray reply = rig.exchange(command);
        QVERIFY(CommandFrame::checkReplyBcc(reply));
        QCOMPARE(reply.front(), '\x02');
        QVERIFY(command.isEmpty() || reply[1] != command[0]);
        QCOMPARE(rig.reader.autoSendMode(), 3); // nothing changed
    }

    void relayReplyCarriesInputsAtPositions19To22()
    {
        Rig rig;
        rig.reader.setExtraInputs(0x2); // input 4 on
        QByteArray reply = rig.exchange("L011");
        verifyReply(reply, 'L');
        QVERIFY(reply.size() >= 37);
        QCOMPARE(reply.mid(18, 4), QByteArray("1001")); // 1-based 19..22: DI1 follows relay 1
        reply = rig.exchange("L021");
        QCOMPARE(reply.mid(18, 4), QByteArray("1101"));
        reply = rig.exchange("L010");
        QCOMPARE(reply.mid(18, 4), QByteArray("0101"));
        QVERIFY(!rig.reader.relay(1));
        QVERIFY(rig.reader.relay(2));
    }

    void reportPortAndModeDecideWhetherLinesGoOut()
    {
        Rig network;
        QVERIFY(network.reader.sendsReports()); // mode 3, port ALL
        network.exchange("M1");
        QVERIFY(network.reader.sendsReports());
        network.exchange("M2");
        QVERIFY(!network.reader.sendsReports());
        network.exchange("M0");
        network.exchange("A0");
        QVERIFY(!network.reader.sendsReports());
        network.exchange("A3");
        QVERIFY(network.reader.sendsReports());

        SimReader::Settings serial;
        serial.portKind = SimReader::PortKind::Serial;
        serial.startMode = 0;
        Rig rs232(serial);
        QVERIFY(!rs232.reader.sendsReports());
        rs232.exchange("A3");
        rs232.exchange("M2");
        QVERIFY(rs232.reader.sendsReports());
        rs232.exchange("M1");
        QVERIFY(!rs232.reader.sendsReports());
    }

    void tamperStateClearedByBT()
    {
        Rig rig;
        rig.reader.noteTamperLines(2);
        QVERIFY(rig.reader.tamperActive());
        verifyReply(rig.exchange("BT"), 'B');
        QVERIFY(!rig.reader.tamperActive());
    }

    // "Set TAG Active Time" then "Get TAG Active Time", as the host runs them.
    void tagCommandSequenceWritesAndReadsRegisters()
    {
        Rig rig; // air delay 200 ms
        const QByteArray u = rig.uid(2);
        verifyReply(rig.exchange("A0", 0), 'A');
        QCOMPARE(CommandFrame::replyPayload(rig.exchange("E" + u + "w4014", 0)), "E" + u + "w4014");
        // Not there yet: the idle reply is 22 bytes with "I" at position 3.
        const QByteArray idle = rig.exchange("C", 100);
        QCOMPARE(idle.size(), 22);
        QCOMPARE(idle[2], 'I');
        verifyReply(idle, 'C');
        QByteArray ack = rig.exchange("C", 200);
        QCOMPARE(ack.size(), 27);
        QCOMPARE(ack.mid(1, 2), QByteArray("CR"));
        QCOMPARE(ack.mid(3, 16), u);
        QCOMPARE(ack.mid(19, 5), QByteArray("w4014"));
        verifyReply(ack, 'C');
        rig.exchange("E" + u + "w41FF", 300);
        QCOMPARE(rig.exchange("C", 500).mid(19, 5), QByteArray("w41FF"));
        rig.exchange("E" + u + "X0000", 600);
        QCOMPARE(rig.exchange("C", 800).mid(19, 5), QByteArray("X0000"));

        rig.exchange("E" + u + "r4000", 1000);
        rig.exchange("E" + u + "r4100", 1000);
        rig.exchange("E" + u + "r4800", 1000);
        rig.exchange("E" + u + "r5600", 1000);
        QCOMPARE(rig.exchange("C", 1200).mid(19, 5), QByteArray("r4014"));
        QCOMPARE(rig.exchange("C", 1200).mid(19, 5), QByteArray("r41FF"));
        QCOMPARE(rig.exchange("C", 1200).mid(19, 5), QByteArray("r4812")); // version 1.2
        QCOMPARE(rig.exchange("C", 1200).mid(19, 5), QByteArray("r5624")); // standard temperature 36
        // Another tag's registers are untouched.
        rig.exchange("E" + rig.uid(3) + "r4000", 2000);
        QCOMPARE(rig.exchange("C", 2200).mid(19, 5), QByteArray("r400A"));
    }

    void unansweredTagCommands()
    {
        Rig rig;
        rig.exchange("A0");
        // Unknown UID, beep and LED actions: accepted by the reader, but no acknowledgement comes.
        verifyReply(rig.exchange("E9999999999999999w4014", 0), 'E');
        verifyReply(rig.exchange("E" + rig.uid(0) + "B0001", 0), 'E');
        verifyReply(rig.exchange("E" + rig.uid(0) + "L8301", 0), 'E');
        QCOMPARE(rig.exchange("C", 5000)[2], 'I');
        QCOMPARE(rig.reader.pendingAirCommands(), 0);

        SimReader::Settings silent;
        silent.noAck = true;
        Rig deaf(silent);
        deaf.exchange("A0");
        deaf.exchange("E" + deaf.uid(0) + "w4014", 0);
        QCOMPARE(deaf.exchange("C", 5000)[2], 'I');
        QCOMPARE(deaf.tags.tag(0).registers[0x40], quint8(0x0A)); // never reached the tag

        // A full queue refuses further commands with a failure reply.
        Rig busy;
        for (int i = 0; i < AirQueue::kCapacity; ++i)
            verifyReply(busy.exchange("E" + busy.uid(1) + "r4000", 0), 'E');
        QCOMPARE(busy.exchange("E" + busy.uid(1) + "r4000", 0)[1], '?');
    }

    void tagOffStopsItsReports()
    {
        Rig rig;
        rig.exchange("E" + rig.uid(4) + "w4201", 0);
        rig.exchange("C", 1000);
        QVERIFY(!rig.tags.tag(4).isOn());
        QByteArray lines;
        rig.generator.appendLines(lines, 500);
        QVERIFY(!lines.contains(rig.uid(4)));
        QVERIFY(lines.contains(rig.uid(0)));
    }

    void pollHandsOutKeptReportsInMode0()
    {
        Rig rig;
        rig.exchange("A0");
        QCOMPARE(rig.exchange("C")[2], 'I');
        rig.reader.addPollCredit(200);
        QSet<int> lengths;
        for (int i = 0; i < SimReader::kPollCreditLimit; ++i) {
            const QByteArray r = rig.exchange("C");
            verifyReply(r, 'C');
            QVERIFY(rig.tags.find(r.mid(2, 16)) != nullptr);
            lengths.insert(int(r.size()));
        }
        QCOMPARE(lengths, QSet<int>({27, 31, 35}) & lengths);
        QVERIFY(lengths.size() >= 2);
        QCOMPARE(rig.exchange("C")[2], 'I'); // credit used up (capped)
    }
};

QTEST_APPLESS_MAIN(TestSimReader)
#include "tst_sim_reader.moc"
