// Reader commands end to end against the simulated reader on every link kind (pty, a reader that
// listens, a reader that connects in, UDP), with report lines flowing and with the simulator's
// faults: commands and their effect, the 25 transmissions and texts of a silent reader, damaged
// replies, the gain and relay settings, the relay loop's inputs, and links that cannot open.
#include "FakeReader.h"
#include "FastTiming.h"
#include "RecordingTonePlayer.h"
#include "i18n/ReaderCommandText.h"
#include "readercfg/ReaderCommands.h"
#include "readercfg/ReaderSequenceRunner.h"
#include "readercfg/RelayLoop.h"
#include "readercfg/RunReaderCommand.h"
#include "readercfg/TcpListenerConfigLink.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/ReportPacer.h"
#include "sim/TagPopulation.h"
#include "sim/TcpClientTransport.h"
#include "sim/TcpServerTransport.h"
#include "sim/UdpTransport.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

using Status = RunReaderCommand::Status;
namespace RC = ReaderCommands;

namespace {

constexpr int kReplyWaitMs = 30;

quint16 freeTcpPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

QString said(const ReaderCommandMessage &message)
{
    return ReaderCommandText::message(message, Language::English);
}

} // namespace

class TestRunReaderCommand : public QObject
{
    Q_OBJECT

    TagPopulation m_tags{10, 7};
    std::unique_ptr<ReaderChannel> m_reader;
    std::unique_ptr<ReportPacer> m_pacer;
    QList<QByteArray> m_heard; // commands the simulated reader answered (or dropped the reply to)
    ConfigLinkRequest m_request;

    // The simulated reader on the wire `kind`, sending report lines, and the request that reaches it.
    bool startReader(const QString &kind, ReaderChannel::Settings s = {})
    {
        std::unique_ptr<SimTransport> transport;
        m_request = ConfigLinkRequest();
        quint16 listenPort = 0;
        if (kind == QLatin1String("serial")) {
            s.reader.portKind = SimReader::PortKind::Serial;
            transport = std::make_unique<PtyTransport>();
        } else if (kind == QLatin1String("tcp")) {
            transport = std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0);
        } else if (kind == QLatin1String("listener")) {
            listenPort = freeTcpPort();
            transport = std::make_unique<TcpClientTransport>(QStringLiteral("127.0.0.1"), listenPort,
                                                             QHostAddress("127.0.0.7"), 20);
        } else {
            transport = std::make_unique<UdpTransport>(QHostAddress("127.0.0.2"), 0);
        }
        m_reader = std::make_unique<ReaderChannel>(&m_tags, std::move(transport), s);
        connect(m_reader.get(), &ReaderChannel::commandAnswered, this,
                [this](const QByteArray &command, const QByteArray &) { m_heard.append(command); });
        if (!m_reader->open())
            return false;
        m_pacer = std::make_unique<ReportPacer>(200);
        m_pacer->addChannel(m_reader.get());
        m_pacer->start();
        fillRequest(kind, listenPort);
        return true;
    }

    void fillRequest(const QString &kind, quint16 listenPort)
    {
        SimTransport &t = m_reader->transport();
        if (kind == QLatin1String("serial")) {
            m_request.kind = LinkKind::Serial;
            m_request.comDevice = t.endpoint();
        } else if (kind == QLatin1String("tcp")) {
            m_request.kind = LinkKind::TcpToReaders;
            m_request.tcpServerHost = QStringLiteral("127.0.0.1");
            m_request.tcpServerPort = t.localPort();
        } else if (kind == QLatin1String("listener")) {
            m_request.kind = LinkKind::TcpListener;
            m_request.listenAddress = QHostAddress::LocalHost;
            m_request.listenPort = listenPort;
            m_request.acceptAddress = QStringLiteral("127.0.0.7");
        } else {
            m_request.kind = LinkKind::Udp;
            m_request.udpDestAddress = QHostAddress("127.0.0.2");
            m_request.udpDestPort = t.localPort();
            m_request.udpLocalAddress = QHostAddress::LocalHost;
            m_request.udpLocalPort = 0;
        }
    }

    static RunReaderCommand::Result runOn(RunReaderCommand &executor, const QByteArray &command)
    {
        QSignalSpy finished(&executor, &RunReaderCommand::finished);
        executor.start(command);
        if (!finished.wait(20000))
            return {};
        return finished.first().first().value<RunReaderCommand::Result>();
    }

private slots:
    void init()
    {
        qRegisterMetaType<RunReaderCommand::Result>();
        qRegisterMetaType<RelayLoop::Round>();
        m_heard.clear();
    }
    void cleanup()
    {
        m_pacer.reset();
        m_reader.reset();
    }

    void kinds_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"serial", "tcp", "listener", "udp"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    void commandsReachTheReader_data() { kinds_data(); }
    void commandsReachTheReader()
    {
        QFETCH(QString, kind);
        QVERIFY(startReader(kind));
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        executor.setTiming(Timing()); // real waits: every reply must come back in time
        executor.setRequest(m_request);
        QSignalSpy shownCommand(&executor, &RunReaderCommand::sendTextChanged);

        auto r = runOn(executor, RC::version());
        QCOMPARE(int(r.status), int(Status::Ok));
        QCOMPARE(r.payload(), QByteArray("V1.00-SIM"));
        QCOMPARE(r.attempts, 1);
        QCOMPARE(r.transmissions, 1);
        QCOMPARE(said(executor.message()), QStringLiteral("Command Ok."));
        QCOMPARE(executor.replyPayload(), QByteArray("V1.00-SIM"));
        QCOMPARE(shownCommand.last().first().toString(), QStringLiteral("V"));
        QCOMPARE(tones.tones, (QList<QPair<int, int>>{{1000, 10}}));

        QCOMPARE(runOn(executor, RC::setId("12")).payload(), QByteArray("T0012"));
        r = runOn(executor, RC::readId());
        QCOMPARE(RC::readerIdFromReply(r.reply), std::optional<QString>("0012"));
        QVERIFY(runOn(executor, RC::rssiLevel(250)).ok());
        QCOMPARE(m_reader->reader().rssiLevel(), 250);
        QVERIFY(runOn(executor, RC::netPort(3)).ok());
        QCOMPARE(m_reader->reader().reportPort(), 3);
        QVERIFY(runOn(executor, RC::setBaudrate(4)).ok());
        QCOMPARE(m_reader->reader().baudIndex(), 4);
        QVERIFY(runOn(executor, RC::autoSend(0)).ok());
        QCOMPARE(m_reader->reader().autoSendMode(), 0);
        QCOMPARE(m_heard, (QList<QByteArray>{"V", "T12", "T", "NFA", "M3", "Y4", "A0"}));
        QVERIFY(!executor.link() || executor.link()->state() == ConfigLink::State::Closed);
    }

    // No reply ever comes: five attempts of five transmissions, the counter shown from 5 to 1, the
    // link kind's text, the long low tone.
    void aSilentReaderGetsTwentyFiveTransmissions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("serial") << "serial"
                                << "Command Error !  [ %1 ]";
        QTest::newRow("tcp") << "tcp"
                             << "Command Error !  [ %1 ]";
        QTest::newRow("listener") << "listener"
                                  << "Command Error !  [ %1 ]";
        QTest::newRow("udp") << "udp"
                             << "Connect Error ! [ %1 ]";
    }
    void aSilentReaderGetsTwentyFiveTransmissions()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        ReaderChannel::Settings s;
        s.dropReplies = 1.0;
        QVERIFY(startReader(kind, s));
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        Timing t = fastTiming(kReplyWaitMs);
        if (kind == QLatin1String("listener"))
            t.replyWaitMs = 200; // the reader must get to connect within the first transmission
        executor.setTiming(t);
        executor.setRequest(m_request);
        QSignalSpy messages(&executor, &RunReaderCommand::messageChanged);
        QSignalSpy counters(&executor, &RunReaderCommand::attemptStarted);
        const auto r = runOn(executor, RC::version());
        QCOMPARE(int(r.status), int(kind == "udp" ? Status::ConnectError : Status::CommandError));
        QCOMPARE(r.attempts, 5);
        QCOMPARE(r.transmissions, 25);
        QCOMPARE(m_heard.size(), 25);
        QStringList shown;
        for (const auto &args : messages) {
            const auto m = args.first().value<ReaderCommandMessage>();
            if (const QString text = ReaderCommandText::tagPanelMessage(m, Language::English); !text.isNull())
                shown.append(text);
        }
        QCOMPARE(shown, (QStringList{text.arg(5), text.arg(4), text.arg(3), text.arg(2), text.arg(1)}));
        QCOMPARE(said(r.message), text.arg(1));
        QCOMPARE(counters.size(), 5);
        QCOMPARE(counters.first().first().toInt(), 5);
        QCOMPARE(tones.tones, (QList<QPair<int, int>>{{300, 300}}));
    }

    void badChecksShowThePayloadAndFail()
    {
        ReaderChannel::Settings s;
        s.badBcc = 1.0;
        QVERIFY(startReader("tcp", s));
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        executor.setTiming(fastTiming(kReplyWaitMs));
        executor.setRequest(m_request);
        const auto r = runOn(executor, RC::serialNumber());
        QCOMPARE(int(r.status), int(Status::CommandError));
        QCOMPARE(r.transmissions, 25);
        QCOMPARE(executor.replyPayload(), QByteArray("S20260001"));
        QCOMPARE(said(r.message), QStringLiteral("Command Error !  [ 1 ]"));
    }

    void aSlowReaderWithinTheWaitIsFine_data() { kinds_data(); }
    void aSlowReaderWithinTheWaitIsFine()
    {
        QFETCH(QString, kind);
        ReaderChannel::Settings s;
        s.replyDelayMs = 150;
        QVERIFY(startReader(kind, s));
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        executor.setRequest(m_request);
        const auto r = runOn(executor, RC::version());
        QVERIFY(r.ok());
        QCOMPARE(r.transmissions, 1);
    }

    // A reply later than the wait still answers the same command in a later transmission.
    void aReplyLaterThanTheWaitCountsForALaterTransmission()
    {
        ReaderChannel::Settings s;
        s.replyDelayMs = 100;
        QVERIFY(startReader("tcp", s));
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        executor.setTiming(fastTiming(kReplyWaitMs));
        executor.setRequest(m_request);
        const auto r = runOn(executor, RC::version());
        QVERIFY(r.ok());
        QVERIFY(r.transmissions > 1);
        QCOMPARE(r.payload(), QByteArray("V1.00-SIM"));
    }

    // An unknown command is answered with another first character: every transmission ends at once.
    void aWrongEchoFailsFast_data() { kinds_data(); }
    void aWrongEchoFailsFast()
    {
        QFETCH(QString, kind);
        if (kind == QLatin1String("udp"))
            QSKIP("over UDP a wrong first character does not end a transmission");
        QVERIFY(startReader(kind));
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        Timing t = fastTiming(kReplyWaitMs);
        t.replyWaitMs = 60000;
        executor.setTiming(t);
        executor.setRequest(m_request);
        QSignalSpy finished(&executor, &RunReaderCommand::finished);
        executor.start("Q");
        QVERIFY(finished.wait(10000));
        const auto r = finished.first().first().value<RunReaderCommand::Result>();
        QCOMPARE(r.transmissions, 25);
        QCOMPARE(int(r.status), int(Status::CommandError));
    }

    void gainLevelSevenResetsTheReaderOnlyAfterSuccess()
    {
        QVERIFY(startReader("serial"));
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        executor.setRequest(m_request);
        ReaderSequenceRunner runner(executor);
        QSignalSpy finished(&runner, &ReaderSequenceRunner::finished);
        runner.start(ReaderSequences::gainLevel(7));
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().at(1).toBool(), true);
        QCOMPARE(m_heard, (QList<QByteArray>{"W1C01C7", "BR"}));
        QCOMPARE(m_reader->reader().gain(), 0xC7);

        // The reader takes nothing: the gain goes out 25 times, the reset never.
        cleanup();
        m_heard.clear();
        ReaderChannel::Settings s;
        s.dropReplies = 1.0;
        QVERIFY(startReader("serial", s));
        executor.setRequest(m_request);
        executor.setTiming(fastTiming(kReplyWaitMs));
        finished.clear();
        runner.start(ReaderSequences::gainLevel(7));
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().at(1).toBool(), false);
        QCOMPARE(m_heard, QList<QByteArray>(25, "W1C01C7"));
    }

    void relayOnTimeRunsItsSteps()
    {
        QVERIFY(startReader("tcp"));
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        executor.setRequest(m_request);
        ReaderSequenceRunner runner(executor);
        QSignalSpy finished(&runner, &ReaderSequenceRunner::finished);
        runner.start(ReaderSequences::relayOnTime(999, false));
        QVERIFY(finished.wait(10000));
        QCOMPARE(m_heard, (QList<QByteArray>{"R022706", "R010000", "BR"}));
        QCOMPARE(m_reader->reader().relayOnTimeTenths(), 9990);
    }

    void theRelayLoopReadsTheInputs_data() { kinds_data(); }
    void theRelayLoopReadsTheInputs()
    {
        QFETCH(QString, kind);
        QVERIFY(startReader(kind));
        m_reader->reader().setExtraInputs(0x2); // DI4 on
        RecordingTonePlayer tones;
        RelayLoop loop(tones);
        loop.setRequest(m_request);
        loop.setOutputs(true, false);
        QSignalSpy inputs(&loop, &RelayLoop::inputsChanged);
        QSignalSpy rounds(&loop, &RelayLoop::roundFinished);
        QSignalSpy finished(&loop, &RelayLoop::finished);
        loop.start();
        QVERIFY(rounds.wait(10000));
        QCOMPARE(inputs.size(), 1);
        QCOMPARE(inputs.first(), (QList<QVariant>{true, false, false, true}));
        QVERIFY(m_reader->reader().relay(1));
        QVERIFY(!m_reader->reader().relay(2));
        // The outputs change between rounds while the loop runs; the link stays open.
        loop.setOutputs(false, true);
        QTRY_VERIFY(inputs.size() >= 3);
        QCOMPARE(inputs.last(), (QList<QVariant>{false, true, false, true}));
        QCOMPARE(loop.link()->state(), ConfigLink::State::Ready);
        loop.stop();
        QCOMPARE(finished.size(), 1);
        QVERIFY(!loop.isRunning());
        QCOMPARE(loop.link()->state(), ConfigLink::State::Closed);
        QCOMPARE(tones.tones.first(), qMakePair(1000, 10));
    }

    // A relay reply shorter than 37 bytes leaves the indicators as they were.
    void aShortRelayReplyChangesNoIndicator()
    {
        PtyPair pty;
        FakeReader fake;
        fake.attachPty(pty);
        fake.setResponder([](const QByteArray &command) { return FakeReader::reply(command); });
        RecordingTonePlayer tones;
        RelayLoop loop(tones);
        ConfigLinkRequest request;
        request.comDevice = pty.slavePath();
        loop.setRequest(request);
        QSignalSpy inputs(&loop, &RelayLoop::inputsChanged);
        QSignalSpy rounds(&loop, &RelayLoop::roundFinished);
        loop.start(2);
        QTRY_COMPARE(rounds.size(), 2);
        QCOMPARE(inputs.size(), 0);
        QVERIFY(!rounds.first().first().value<RelayLoop::Round>().ok());
        QCOMPARE(fake.commands, (QList<QByteArray>{"L010", "L020", "L010", "L020"}));
        QVERIFY(tones.tones.isEmpty());
    }

    void linksThatCannotOpen()
    {
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        QSignalSpy problems(&executor, &RunReaderCommand::problem);
        ConfigLinkRequest request;
        request.comDevice = QStringLiteral("/dev/talvo-no-such-port");
        executor.setRequest(request);
        auto r = runOn(executor, RC::version());
        QCOMPARE(int(r.status), int(Status::OpenFailed));
        QCOMPARE(r.transmissions, 0);
        QCOMPARE(said(executor.message()), QStringLiteral("Connect Error !"));
        QCOMPARE(ReaderCommandText::tagPanelMessage(executor.message(), Language::English),
                 QStringLiteral("Command Error !"));
        QVERIFY(r.detail.contains(QStringLiteral("/dev/talvo-no-such-port")));
        QCOMPARE(problems.size(), 1);
        QCOMPARE(tones.tones, (QList<QPair<int, int>>{{300, 300}}));

        request.kind = LinkKind::TcpListener;
        request.acceptAddress.clear();
        executor.setRequest(request);
        r = runOn(executor, RC::version());
        QCOMPARE(int(r.status), int(Status::OpenFailed));
        QCOMPARE(said(r.message), QStringLiteral("Connect Error !"));
    }

    // Nobody listens at the reader's address, or the reader connecting in is not the one named.
    void noConnectionReadsConnectError_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("tcp") << "tcp";
        QTest::newRow("listener") << "listener";
    }
    void noConnectionReadsConnectError()
    {
        QFETCH(QString, kind);
        QVERIFY(startReader(kind));
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        executor.setTiming(fastTiming(kReplyWaitMs));
        if (kind == QLatin1String("tcp")) {
            m_reader->close();
        } else {
            m_request.acceptAddress = QStringLiteral("127.0.0.9");
        }
        executor.setRequest(m_request);
        const auto r = runOn(executor, RC::version());
        QCOMPARE(int(r.status), int(Status::ConnectError));
        QCOMPARE(said(r.message), QStringLiteral("Connect Error !  [ 1 ]"));
        QCOMPARE(r.attempts, 5);
        QCOMPARE(r.transmissions, 0); // no frame could be written
        QVERIFY(m_heard.isEmpty());
    }

    void cancelEndsARunningCommand()
    {
        ReaderChannel::Settings s;
        s.dropReplies = 1.0;
        QVERIFY(startReader("serial", s));
        RecordingTonePlayer tones;
        RunReaderCommand executor(tones);
        executor.setRequest(m_request);
        QSignalSpy transmissions(&executor, &RunReaderCommand::transmissionStarted);
        QSignalSpy finished(&executor, &RunReaderCommand::finished);
        executor.start(RC::version());
        QVERIFY(executor.isRunning());
        QVERIFY(transmissions.wait(5000) || transmissions.size() > 0);
        executor.cancel();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(int(finished.first().first().value<RunReaderCommand::Result>().status),
                 int(Status::Cancelled));
        QVERIFY(tones.tones.isEmpty());
        QVERIFY(!executor.isRunning());
        // The executor takes the next command.
        executor.setTiming(fastTiming(kReplyWaitMs));
        QCOMPARE(int(runOn(executor, RC::version()).status), int(Status::CommandError));
    }
};

QTEST_GUILESS_MAIN(TestRunReaderCommand)
#include "tst_run_reader_command.moc"
