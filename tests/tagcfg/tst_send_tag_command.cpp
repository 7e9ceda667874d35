// The tag command sequence end to end: against a scripted reader on a pty (the frames on the wire
// byte for byte, acknowledgements of other tags, values that are no number, the variant that ends
// once "X0000" is out) and against the simulated reader on a pty and over TCP (setting and reading
// the active time of a simulated tag, a reader that refuses the tag command, a tag that never
// answers, cancelling, and the checks that keep anything from being sent).
#include "FakeClock.h"
#include "FakeReader.h"
#include "FastTiming.h"
#include "PtyPair.h"
#include "RecordingTonePlayer.h"
#include "i18n/TagFlowText.h"
#include "readercfg/ConfigLink.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/TagPopulation.h"
#include "sim/TcpServerTransport.h"
#include "tagcfg/SendTagCommand.h"
#include "tagcfg/TagButtons.h"

#include <QSignalSpy>
#include <QtTest>

#include <deque>

using Status = SendTagCommand::Status;

namespace {

const QByteArray kUid = "0000000000001148";
const QPair<int, int> kOkTone{1000, 300};
const QPair<int, int> kFailTone{300, 300};

constexpr int kReplyWaitMs = 200; // no test here waits for a reply that never comes

const TagButton &setActiveTime()
{
    return TagButtons::get(TagButton::Id::SetActiveTime);
}

const TagButton &getActiveTime()
{
    return TagButtons::get(TagButton::Id::GetActiveTime);
}

const TagValueMap kWorkedValues{{TagValue::ActiveInterval, 0x0A}, {TagValue::ActiveCount, 0x64}};

// Consecutive "C" polls folded into one, so sequences compare independent of the poll count.
QList<QByteArray> folded(const QList<QByteArray> &commands)
{
    QList<QByteArray> out;
    for (const QByteArray &c : commands)
        if (!(c == "C" && !out.isEmpty() && out.last() == "C"))
            out.append(c);
    return out;
}

// A reader with tags behind it, played on the master side of a pty: "A0" and "E" are accepted, and
// each "E" becomes an acknowledgement after `pollsUntilAck` idle polls. `extraAcks` go out first.
struct ScriptedReader
{
    FakeReader reader;
    std::map<quint8, QByteArray> registers{{0x40, "1E"}, {0x41, "05"}};
    std::deque<QByteArray> pending; // acknowledgement payloads, in order
    int pollsUntilAck = 2;
    int idlePolls = 0;
    bool offersUnanswered = false; // "E" commands get no reply at all
    QByteArray writeAckValue;      // when set, writes are acknowledged with this value

    explicit ScriptedReader(PtyPair &pty)
    {
        reader.attachPty(pty);
        reader.setResponder([this](const QByteArray &command) { return answer(command); });
    }

    QByteArray answer(const QByteArray &command)
    {
        if (command == "A0")
            return FakeReader::reply(command);
        if (command.startsWith('E') && command.size() == 22) {
            const QByteArray uid = command.mid(1, 16);
            const char letter = command.at(17);
            const QByteArray reg = command.mid(18, 2);
            if (offersUnanswered)
                return QByteArray();
            QByteArray value = letter == 'w' && !writeAckValue.isEmpty() ? writeAckValue : command.mid(20, 2);
            if (letter == 'r')
                value = registers[quint8(reg.toInt(nullptr, 16))];
            pending.push_back("CR" + uid + letter + reg + value);
            return FakeReader::reply(command);
        }
        if (command == "C") {
            if (!pending.empty() && ++idlePolls > pollsUntilAck) {
                idlePolls = 0;
                const QByteArray ack = pending.front();
                pending.pop_front();
                return FakeReader::reply(ack);
            }
            return FakeReader::reply("CI" + QByteArray(16, '0'));
        }
        return FakeReader::reply("?" + command);
    }
};

QString said(const TagFlowMessage &message, Language language = Language::English)
{
    return TagFlowText::message(message, language);
}
} // namespace

class TestSendTagCommand : public QObject
{
    Q_OBJECT

    RecordingTonePlayer m_tones;
    SystemClock m_systemClock;
    TagPopulation m_tags{10, 7};
    std::unique_ptr<ReaderChannel> m_sim;
    QList<QByteArray> m_heard; // commands the simulated reader answered
    ConfigLinkRequest m_request;

    bool startSim(const QString &kind, ReaderChannel::Settings s = {})
    {
        std::unique_ptr<SimTransport> transport;
        m_request = ConfigLinkRequest();
        s.reader.airDelayMs = 20;
        if (kind == QLatin1String("serial")) {
            s.reader.portKind = SimReader::PortKind::Serial;
            transport = std::make_unique<PtyTransport>();
        } else {
            transport = std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0);
        }
        m_sim = std::make_unique<ReaderChannel>(&m_tags, std::move(transport), s);
        connect(m_sim.get(), &ReaderChannel::commandAnswered, this,
                [this](const QByteArray &command, const QByteArray &) { m_heard.append(command); });
        if (!m_sim->open())
            return false;
        if (kind == QLatin1String("serial")) {
            m_request.kind = LinkKind::Serial;
            m_request.comDevice = m_sim->transport().endpoint();
        } else {
            m_request.kind = LinkKind::TcpToReaders;
            m_request.tcpServerHost = QStringLiteral("127.0.0.1");
            m_request.tcpServerPort = m_sim->transport().localPort();
        }
        return true;
    }

    QByteArray simUid() const { return m_tags.tag(0).uid; }

    static SendTagCommand::Result run(SendTagCommand &flow, const TagButton &button, const QByteArray &uid,
                                      const TagValueMap &values = {}, bool chosen = true)
    {
        QSignalSpy finished(&flow, &SendTagCommand::finished);
        flow.start(button, QString::fromLatin1(uid), chosen, values);
        if (!finished.wait(30000))
            return {};
        return finished.first().first().value<SendTagCommand::Result>();
    }

    std::unique_ptr<SendTagCommand> makeFlow(const Clock &clock)
    {
        auto flow = std::make_unique<SendTagCommand>(m_tones, clock);
        flow->setTiming(fastTiming(kReplyWaitMs));
        flow->setRequest(m_request);
        return flow;
    }

private slots:
    void init()
    {
        qRegisterMetaType<SendTagCommand::Result>();
        qRegisterMetaType<TagValue>();
        m_heard.clear();
        m_tones.tones.clear();
        m_tags = TagPopulation(10, 7);
    }
    void cleanup() { m_sim.reset(); }

    // The worked sequences, frame by frame as the reader receives them.
    void workedSequencesOnTheWire()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        ScriptedReader script(pty);
        m_request.kind = LinkKind::Serial;
        m_request.comDevice = pty.slavePath();
        auto flow = makeFlow(m_systemClock);

        auto result = run(*flow, setActiveTime(), kUid, kWorkedValues);
        QCOMPARE(result.status, Status::Ok);
        QCOMPARE(said(result.message), QStringLiteral("Set TAG Ok"));
        QCOMPARE(m_tones.tones.last(), kOkTone);
        const QList<QByteArray> setSequence{"A0", "E" + kUid + "w400A", "C", "E" + kUid + "w4164",
                                            "C",  "E" + kUid + "X0000", "C"};
        QCOMPARE(folded(script.reader.commands), setSequence);
        QCOMPARE(folded(result.sent), setSequence);
        QByteArray expectedWire;
        for (const QByteArray &command : script.reader.commands)
            expectedWire += CommandFrame::buildCommandFrame(command);
        QCOMPARE(script.reader.frames.join(), expectedWire);
        QCOMPARE(script.reader.frames.at(1),
                 QByteArray("\x01"
                            "E0000000000001148w400A") +
                     CommandFrame::byteToHex(CommandFrame::calcBcc("\x01"
                                                                   "E0000000000001148w400A")) +
                     '\r');

        script.reader.commands.clear();
        QSignalSpy values(flow.get(), &SendTagCommand::valueRead);
        result = run(*flow, getActiveTime(), kUid);
        QCOMPARE(result.status, Status::Ok);
        QCOMPARE(folded(script.reader.commands),
                 (QList<QByteArray>{"A0", "E" + kUid + "r4000", "C", "E" + kUid + "r4100", "C",
                                    "E" + kUid + "X0000", "C"}));
        // "r" "40" "1E" gives the interval slider 30; the count follows with its own step.
        QCOMPARE(values.size(), 2);
        QCOMPARE(values[0][0].value<TagValue>(), TagValue::ActiveInterval);
        QCOMPARE(values[0][1].toInt(), 0x40);
        QCOMPARE(values[0][2].toInt(), 30);
        QCOMPARE(values[1][0].value<TagValue>(), TagValue::ActiveCount);
        QCOMPARE(values[1][2].toInt(), 5);
        QCOMPARE(result.values, (std::map<int, int>{{0x40, 30}, {0x41, 5}}));
    }

    // Acknowledgements that do not fit the step are passed over: another tag's, another register's.
    // A read value that is no number is never taken as 0: the command fails at once, saying why.
    void unfittingAcknowledgementsSkipped()
    {
        PtyPair pty;
        ScriptedReader script(pty);
        m_request.kind = LinkKind::Serial;
        m_request.comDevice = pty.slavePath();
        auto flow = makeFlow(m_systemClock);
        script.pending = {"CR0000000000001149r4001", "CR" + kUid + "r4101", "CR" + kUid + "w4001"};
        QSignalSpy payloads(flow.get(), &SendTagCommand::replyPayloadChanged);
        QSignalSpy values(flow.get(), &SendTagCommand::valueRead);
        auto result = run(*flow, getActiveTime(), kUid);
        QCOMPARE(result.status, Status::Ok);
        QCOMPARE(result.values, (std::map<int, int>{{0x40, 30}, {0x41, 5}}));
        QCOMPARE(values.size(), 2);
        bool otherSeen = false;
        for (const auto &args : payloads)
            otherSeen = otherSeen || args[0].toByteArray() == "CR0000000000001149r4001";
        QVERIFY(otherSeen);

        script.registers[0x40] = "4G";
        m_tones.tones.clear();
        flow->setTiming([] {
            Timing t = fastTiming(kReplyWaitMs);
            t.tagWindowMs = 600;
            return t;
        }());
        result = run(*flow, getActiveTime(), kUid);
        QCOMPARE(result.status, Status::ValueNotHex);
        QVERIFY(result.values.empty());
        QCOMPARE(folded(result.sent).last(), "E" + kUid + "X0000"); // the tag's session is ended
        QVERIFY2(said(result.message).startsWith(QStringLiteral("Get TAG Active Time Error! (")),
                 qPrintable(said(result.message)));
        QVERIFY(said(result.message).contains(QLatin1String("4G")));
        QCOMPARE(m_tones.tones.last(), kFailTone);

        // A step that names a value for that case takes it (the PA read takes 255).
        TagButton lenient = getActiveTime();
        lenient.steps[0].valueWhenNotHex = 255;
        result = run(*flow, lenient, kUid);
        QCOMPARE(result.status, Status::Ok);
        QCOMPARE(result.values, (std::map<int, int>{{0x40, 255}, {0x41, 5}}));
    }

    // The alarm page's variant: success as soon as "X0000" has gone out, no poll after it.
    void variantEndsWhenCloseIsSent()
    {
        PtyPair pty;
        ScriptedReader script(pty);
        m_request.kind = LinkKind::Serial;
        m_request.comDevice = pty.slavePath();
        auto flow = makeFlow(m_systemClock);
        TagButton alarm{TagButton::Id::SetActiveTime,
                        TagPage::PvPj,
                        "btnPV07",
                        "Top Level",
                        "top-level",
                        {{'w', 0x57, TagValue::None, 0x28}},
                        "Set TAG Ok",
                        true,
                        "Set TAG Error!",
                        TagProgress::Seting,
                        TagProgress::Seting,
                        false,
                        true};
        const auto result = run(*flow, alarm, kUid);
        QCOMPARE(result.status, Status::Ok);
        QCOMPARE(folded(result.sent),
                 (QList<QByteArray>{"A0", "E" + kUid + "w5728", "C", "E" + kUid + "X0000"}));
        QCOMPARE(m_tones.tones.last(), kOkTone);
    }

    void kinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("serial") << QStringLiteral("serial");
        QTest::newRow("tcp") << QStringLiteral("tcp");
    }

    // The simulated tag takes the new active time and gives it back.
    void setThenGetOnTheSimulator_data() { kinds_data(); }
    void setThenGetOnTheSimulator()
    {
        QFETCH(QString, kind);
        QVERIFY(startSim(kind));
        auto flow = makeFlow(m_systemClock);
        QSignalSpy messages(flow.get(), &SendTagCommand::messageChanged);
        auto result = run(*flow, setActiveTime(), simUid(), kWorkedValues);
        QCOMPARE(result.status, Status::Ok);
        QCOMPARE(m_tags.tag(0).registers[0x40], quint8(0x0A));
        QCOMPARE(m_tags.tag(0).registers[0x41], quint8(0x64));
        QCOMPARE(folded(m_heard), folded(result.sent));
        QCOMPARE(said(messages[0][0].value<TagFlowMessage>()), QStringLiteral("Please Wait!!"));
        QCOMPARE(said(messages[1][0].value<TagFlowMessage>()), QStringLiteral("Setting TAG ......10"));
        QCOMPARE(said(messages[2][0].value<TagFlowMessage>()), QStringLiteral("Setting TAG ......30"));
        QCOMPARE(flow->link()->state(), ConfigLink::State::Closed);

        result = run(*flow, getActiveTime(), simUid());
        QCOMPARE(result.status, Status::Ok);
        QCOMPARE(said(result.message, Language::TraditionalChinese), QStringLiteral("設定 TAG 成功"));
        QCOMPARE(result.values, (std::map<int, int>{{0x40, 0x0A}, {0x41, 0x64}}));
    }

    // A reader whose tag command queue is full refuses every "E": ten attempts counted down, "A0"
    // after each, then the failure text.
    void readerRefusesTheCommand()
    {
        QVERIFY(startSim(QStringLiteral("serial")));
        for (int i = 0; i < AirQueue::kCapacity; ++i)
            m_sim->reader().handleCommand("E0000000000009999w4000", qint64(1) << 40);
        auto flow = makeFlow(m_systemClock);
        QSignalSpy messages(flow.get(), &SendTagCommand::messageChanged);
        const auto result = run(*flow, setActiveTime(), simUid(), kWorkedValues);
        QCOMPARE(result.status, Status::NotAccepted);
        QCOMPARE(said(result.message), QStringLiteral("Set TAG Active Time Error!"));
        QCOMPARE(m_tones.tones, (QList<QPair<int, int>>{kFailTone}));
        QList<QByteArray> expected{"A0"};
        for (int k = 0; k < SendTagCommand::kAttempts; ++k)
            expected << "E" + simUid() + "w400A"
                     << "A0";
        QCOMPARE(result.sent, expected);
        QStringList counted;
        for (const auto &args : messages)
            counted.append(said(args[0].value<TagFlowMessage>()));
        QCOMPARE(counted.mid(1, 10),
                 (QStringList{"Setting TAG ......10", "Setting TAG ......9", "Setting TAG ......8",
                              "Setting TAG ......7", "Setting TAG ......6", "Setting TAG ......5",
                              "Setting TAG ......4", "Setting TAG ......3", "Setting TAG ......2",
                              "Setting TAG ......1"}));
        QVERIFY(!result.sent.contains("C"));
    }

    // An "E" whose acceptance never came back may have been taken: after the ten attempts, and when
    // stopped while one is on the wire, the tag is told its session is over. (A refused "E" needs
    // no closing: readerRefusesTheCommand.)
    void offersThatMayHaveBeenTakenAreClosed()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        ScriptedReader script(pty);
        script.offersUnanswered = true;
        m_request.kind = LinkKind::Serial;
        m_request.comDevice = pty.slavePath();
        auto flow = makeFlow(m_systemClock);
        Timing t = fastTiming(kReplyWaitMs);
        t.transmissionsPerAttempt = 1;
        t.replyWaitMs = 40;
        flow->setTiming(t);
        auto result = run(*flow, setActiveTime(), kUid, kWorkedValues);
        QCOMPARE(result.status, Status::NotAccepted);
        QList<QByteArray> expected{"A0"};
        for (int k = 0; k < SendTagCommand::kAttempts; ++k)
            expected << "E" + kUid + "w400A"
                     << "A0";
        expected << "E" + kUid + "X0000";
        QCOMPARE(result.sent, expected);
        QCOMPARE(script.reader.commands, expected);

        auto connection =
            connect(flow.get(), &SendTagCommand::commandSent, flow.get(), [&flow](const QByteArray &c) {
                if (c.endsWith("w400A"))
                    QTimer::singleShot(0, flow.get(), &SendTagCommand::cancel);
            });
        script.reader.commands.clear();
        result = run(*flow, setActiveTime(), kUid, kWorkedValues);
        disconnect(connection);
        QCOMPARE(result.status, Status::Cancelled);
        QCOMPARE(result.sent, (QList<QByteArray>{"A0", "E" + kUid + "w400A", "E" + kUid + "X0000"}));
        QTRY_COMPARE(script.reader.commands, result.sent);
    }

    // A write acknowledged with another value than the one sent is no success: the text says what
    // came back, and the tag's session is ended.
    void writeAcknowledgedWithAnotherValue()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        ScriptedReader script(pty);
        script.writeAckValue = "0B";
        m_request.kind = LinkKind::Serial;
        m_request.comDevice = pty.slavePath();
        auto flow = makeFlow(m_systemClock);
        const auto result = run(*flow, setActiveTime(), kUid, kWorkedValues);
        QCOMPARE(result.status, Status::WrongValue);
        QCOMPARE(said(result.message),
                 QStringLiteral("Set TAG Active Time Error! (TAG acknowledged 0B instead of 0A)"));
        QCOMPARE(folded(result.sent),
                 (QList<QByteArray>{"A0", "E" + kUid + "w400A", "C", "E" + kUid + "X0000"}));
        QCOMPARE(m_tones.tones.last(), kFailTone);
    }

    // A tag that never answers: the seconds count down from 30 to 1 (one poll per second of the
    // clock here), then the failure text and tone.
    void tagNeverAnswers_data() { kinds_data(); }
    void tagNeverAnswers()
    {
        QFETCH(QString, kind);
        ReaderChannel::Settings s;
        s.reader.noAck = true;
        QVERIFY(startSim(kind, s));
        FakeClock clock;
        const int secondMs = fastTiming(kReplyWaitMs).tagWindowMs / SendTagCommand::kWindowSeconds;
        auto flow = makeFlow(clock);
        connect(flow.get(), &SendTagCommand::commandSent, this,
                [&clock, secondMs](const QByteArray &command) {
                    if (command == "C")
                        clock.advance(secondMs); // each poll takes one second of the window
                });
        QSignalSpy messages(flow.get(), &SendTagCommand::messageChanged);
        const auto result = run(*flow, getActiveTime(), simUid());
        QCOMPARE(result.status, Status::NoAcknowledgement);
        QStringList seen;
        for (const auto &args : messages)
            seen.append(said(args[0].value<TagFlowMessage>()));
        QStringList expected{"Please Wait!!", "Getting TAG......10"};
        for (int left = 30; left >= 1; --left)
            expected.append(QStringLiteral("Getting TAG......%1").arg(left));
        expected.append(QStringLiteral("Get TAG Active Time Error!"));
        QCOMPARE(seen, expected);
        QCOMPARE(result.sent.count("C"), 30);
        QCOMPARE(m_tones.tones.last(), kFailTone);
        QCOMPARE(m_tones.tones.count(QPair<int, int>(1000, 10)), 30); // one short tone per answered poll
    }

    // Nothing goes out without a chosen tag, with a UID no report carries, or without a value.
    void refusedBeforeSending()
    {
        QVERIFY(startSim(QStringLiteral("serial")));
        auto flow = makeFlow(m_systemClock);
        QSignalSpy links(flow.get(), &SendTagCommand::linkCreated);
        QSignalSpy guard(flow.get(), &SendTagCommand::guardRefused);

        auto result = run(*flow, setActiveTime(), simUid(), kWorkedValues, false);
        QCOMPARE(result.status, Status::NotChosen);
        QCOMPARE(said(result.message), QStringLiteral("Please Read TAG First !"));
        QCOMPARE(guard.size(), 1);
        result = run(*flow, setActiveTime(), QByteArray(), kWorkedValues);
        QCOMPARE(result.status, Status::NotChosen);

        for (const QByteArray &uid : {QByteArray("1148"), QByteArray("000000000000114 8"),
                                      QByteArray("00000000000011a8"), QByteArray(16, '0')}) {
            result = run(*flow, setActiveTime(), uid, kWorkedValues);
            QCOMPARE(result.status, Status::InvalidUid);
            QVERIFY(said(result.message).startsWith(QStringLiteral("Invalid TAG ID")));
        }
        result = run(*flow, setActiveTime(), simUid(), {{TagValue::ActiveCount, 1}});
        QCOMPARE(result.status, Status::InvalidValue);
        QCOMPARE(links.size(), 0);
        QVERIFY(result.sent.isEmpty());
        QCOMPARE(m_tones.tones.count(kFailTone), 7);
        QTest::qWait(50);
        QVERIFY(m_heard.isEmpty());
    }

    // Cancel once the tag was addressed: the tag hears "X0000", the text says it was cancelled.
    // Cancel before that: nothing more is sent.
    void cancel()
    {
        ReaderChannel::Settings s;
        s.reader.noAck = true;
        QVERIFY(startSim(QStringLiteral("serial"), s));
        auto flow = makeFlow(m_systemClock);
        QSignalSpy finished(flow.get(), &SendTagCommand::finished);
        auto connection = connect(m_sim.get(), &ReaderChannel::commandAnswered, flow.get(),
                                  [&flow](const QByteArray &command) {
                                      if (command == "C")
                                          QTimer::singleShot(0, flow.get(), &SendTagCommand::cancel);
                                  });
        flow->start(setActiveTime(), QString::fromLatin1(simUid()), true, kWorkedValues);
        QVERIFY(finished.wait(10000));
        disconnect(connection);
        auto result = finished.first().first().value<SendTagCommand::Result>();
        QCOMPARE(result.status, Status::Cancelled);
        QCOMPARE(said(result.message), QStringLiteral("Cancelled"));
        QCOMPARE(result.sent.last(), "E" + simUid() + "X0000");
        QTRY_COMPARE(m_heard.last(), "E" + simUid() + "X0000");
        QVERIFY(!m_tones.tones.contains(kFailTone));

        m_heard.clear();
        finished.clear();
        flow->start(setActiveTime(), QString::fromLatin1(simUid()), true, kWorkedValues);
        flow->cancel();
        QCOMPARE(finished.size(), 1);
        result = finished.first().first().value<SendTagCommand::Result>();
        QCOMPARE(result.status, Status::Cancelled);
        QTest::qWait(50);
        QVERIFY(m_heard.size() <= 1); // at most the "A0" already on its way
        QVERIFY(!flow->isRunning());
    }
};

QTEST_GUILESS_MAIN(TestSendTagCommand)
#include "tst_send_tag_command.moc"
