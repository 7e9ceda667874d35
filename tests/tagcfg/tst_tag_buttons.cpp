// Every button of the tag settings panel against the simulated reader over loopback TCP, driven by
// the one button table: its reader commands on the wire in order, its result text; then the cases
// that catch faults in what a read brings (clamping, a version, a value that is no number), the
// alarm page's unconfirmed end, and a provisioning plan of 50 tags with 3 that never answer.
#include "FakeReader.h"
#include "FastTiming.h"
#include "PtyPair.h"
#include "RecordingTonePlayer.h"
#include "base/Clock.h"
#include "i18n/TagFlowText.h"
#include "sim/ReaderChannel.h"
#include "sim/SimOptions.h"
#include "sim/TagPopulation.h"
#include "sim/TcpServerTransport.h"
#include "tagcfg/ProvisioningRun.h"
#include "tagcfg/TagButtons.h"
#include "tagcfg/TagChoices.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int kReplyWaitMs = 200;

QList<QByteArray> folded(const QList<QByteArray> &commands)
{
    QList<QByteArray> out;
    for (const QByteArray &c : commands)
        if (!(c == "C" && !out.isEmpty() && out.last() == "C"))
            out.append(c);
    return out;
}

// The values of a page's controls as the window starts with them.
TagValueMap pageDefaults(TagPage page)
{
    TagValueMap values{{TagValue::PowerKeyRadio, 3}};
    for (const TagValueSpec &s : TagValues::all())
        if (s.page == page)
            values[s.value] = s.initial;
    for (const TagCheckSpec &c : TagChoices::checks())
        if (c.page == page)
            values[c.value] = c.initiallyChecked ? 1 : 0;
    return values;
}

QString said(const TagFlowMessage &message, Language language = Language::English)
{
    return TagFlowText::message(message, language);
}
} // namespace

class TestTagButtons : public QObject
{
    Q_OBJECT

    RecordingTonePlayer m_tones;
    SystemClock m_clock;
    TagPopulation m_tags{50, 3};
    std::unique_ptr<ReaderChannel> m_sim;
    QList<QByteArray> m_heard;
    QList<QPair<TagValue, int>> m_positions; // slider positions the reads brought
    ConfigLinkRequest m_request;

    bool startSim(ReaderChannel::Settings s = {})
    {
        s.reader.airDelayMs = 20;
        m_sim = std::make_unique<ReaderChannel>(
            &m_tags, std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0), s);
        connect(m_sim.get(), &ReaderChannel::commandAnswered, this,
                [this](const QByteArray &command) { m_heard.append(command); });
        if (!m_sim->open())
            return false;
        m_request = ConfigLinkRequest();
        m_request.kind = LinkKind::TcpToReaders;
        m_request.tcpServerHost = QStringLiteral("127.0.0.1");
        m_request.tcpServerPort = m_sim->transport().localPort();
        return true;
    }

    TagButtonRun::Result run(const TagButton &button, const QByteArray &uid, const TagValueMap &values)
    {
        TagButtonRun runner(m_tones, m_clock);
        runner.setTiming(fastTiming(kReplyWaitMs));
        runner.setRequest(m_request);
        QSignalSpy finished(&runner, &TagButtonRun::finished);
        connect(&runner, &TagButtonRun::valueRead, this, [this](TagValue target, int, int, int position) {
            m_positions.append({target, position});
        });
        runner.start(button, QString::fromLatin1(uid), true, values);
        if (!finished.wait(30000))
            return {};
        return finished.first().first().value<TagButtonRun::Result>();
    }

    QByteArray uid(int i = 0) const { return m_tags.tag(i).uid; }

private slots:
    void init()
    {
        qRegisterMetaType<TagButtonRun::Result>();
        qRegisterMetaType<TagValue>();
        m_heard.clear();
        m_positions.clear();
        m_tags = TagPopulation(50, 3);
    }
    void cleanup() { m_sim.reset(); }

    // No tag chosen: an action refuses as a register command does, saying so once for the panel's
    // message box; nothing reaches the reader. The flashlight page's active time translates it.
    void guardOfBothKinds()
    {
        QVERIFY(startSim());
        const struct
        {
            TagButton::Id id;
            TagPage page;
            Language language;
            QString text;
        } cases[] = {
            {TagButton::Id::Beep, TagPage::Tag, Language::TraditionalChinese,
             QStringLiteral("Please Read TAG First !")},
            {TagButton::Id::Led, TagPage::Fz, Language::English, QStringLiteral("Please Read TAG First !")},
            {TagButton::Id::TagOn, TagPage::Wk, Language::TraditionalChinese,
             QStringLiteral("Please Read TAG First !")},
            {TagButton::Id::SetActiveTime, TagPage::Fz, Language::TraditionalChinese,
             QString::fromUtf8("\u8acb\u5148\u8b80\u53d6\u6a19\u7c64 !")}};
        for (const auto &c : cases) {
            TagButtonRun runner(m_tones, m_clock);
            runner.setRequest(m_request);
            QSignalSpy guard(&runner, &TagButtonRun::guardRefused);
            QSignalSpy finished(&runner, &TagButtonRun::finished);
            const TagButton *button = TagButtons::find(c.id, c.page);
            QVERIFY(button);
            runner.start(*button, QString::fromLatin1(uid()), false, {{TagValue::BeepTime, 1}});
            QVERIFY(finished.wait(5000));
            QCOMPARE(guard.size(), 1);
            QCOMPARE(said(guard.first().first().value<TagFlowMessage>(), c.language), c.text);
            const auto result = finished.first().first().value<TagButtonRun::Result>();
            QVERIFY(!result.ok);
            QCOMPARE(said(result.message, c.language), c.text);
        }
        QVERIFY(m_heard.isEmpty());
    }

    void eachButtonOnTheWire_data()
    {
        QTest::addColumn<int>("index");
        const auto &all = TagButtons::all();
        for (size_t i = 0; i < all.size(); ++i)
            QTest::newRow(all[i].objectName) << int(i);
    }
    void eachButtonOnTheWire()
    {
        QFETCH(int, index);
        const TagButton &button = TagButtons::all()[size_t(index)];
        QVERIFY(startSim());
        const TagValueMap values = pageDefaults(button.page);
        const auto result = run(button, uid(), values);
        QVERIFY2(result.ok, qPrintable(said(result.message)));
        QList<QByteArray> expected;
        if (button.isAction()) {
            expected = {"E" + uid() + *button.actionText(values)};
        } else {
            expected = {"A0"};
            for (const TagStep &step : button.steps)
                expected << step.command(values)->readerCommand(uid()) << "C";
            expected << "E" + uid() + "X0000";
            if (!button.endsWhenCloseSent)
                expected << "C";
        }
        QTRY_COMPARE(folded(m_heard), expected);
        // Some rows pinned as the wire carries them (registers, fixed values, page defaults), so a
        // wrong register or value in the table is caught, not only followed.
        static const QHash<QByteArray, QList<QByteArray>> kPinned = {{"btnGetTagTime", {"r4000", "r4100"}},
                                                                     {"btnSendOn", {"w4200"}},
                                                                     {"btnSendOff", {"w4201"}},
                                                                     {"btnTAGVersion", {"r4800"}},
                                                                     {"btnGetTagPA1", {"r3000"}},
                                                                     {"btnGetTagRecv1", {"r4300"}},
                                                                     {"btnPV00", {"w5002"}},
                                                                     {"btnPV03", {"w530F"}},
                                                                     {"btnPV06", {"w5624"}},
                                                                     {"btnPV07", {"w5728"}},
                                                                     {"btnPVA", {"w5A3D"}},
                                                                     {"BitBtn7", {"w5500"}},
                                                                     {"btnPVB_1", {"w5B01"}}};
        if (const auto pinned = kPinned.constFind(button.objectName); pinned != kPinned.constEnd()) {
            QList<QByteArray> tagCommands;
            for (const QByteArray &c : m_heard)
                if (c.startsWith("E" + uid()) && !c.endsWith("X0000"))
                    tagCommands.append(c.mid(1 + uid().size()));
            QCOMPARE(tagCommands, *pinned);
        }
        if (button.versionSuccess)
            QCOMPARE(said(result.message), QStringLiteral("TAG Version 1.2"));
        else
            QCOMPARE(said(result.message), TagFlowText::success(button, Language::English));
        // Whether the tag confirmed the end of its session is a value, not part of the text.
        if (button.isAction())
            QVERIFY(!result.sessionClosed.has_value());
        else
            QCOMPARE(result.sessionClosed, std::optional<bool>(!button.endsWhenCloseSent));
    }

    // What a read brings: clamped to the slider ("TAG" interval 18 -> 15, PA 0 -> 1), a version
    // "1A", and a value that is no number, which fails the command and keeps the control.
    void readValues()
    {
        QVERIFY(startSim());
        m_tags.tag(0).registers[0x40] = 18;
        m_tags.tag(0).registers[0x30] = 0;
        m_tags.tag(0).registers[0x48] = 0x1A;
        auto result = run(TagButtons::get(TagButton::Id::GetActiveTime), uid(), {});
        QVERIFY(result.ok);
        QCOMPARE(result.values, (std::map<int, int>{{0x40, 18}, {0x41, 1}})); // what the tag holds
        QCOMPARE(m_positions.at(0), (QPair<TagValue, int>(TagValue::ActiveInterval, 15)));
        const TagValueSpec &range = *TagValues::find(TagPage::Tag, TagValue::ActiveInterval);
        QCOMPARE(range.readoutText(m_positions.at(0).second), QStringLiteral("20 Sec"));
        QCOMPARE(m_positions.at(1), (QPair<TagValue, int>(TagValue::ActiveCount, 1)));
        m_positions.clear();
        run(*TagButtons::find(TagButton::Id::GetActiveTime, TagPage::Wk), uid(), {});
        QCOMPARE(m_positions.at(0).second, 18);
        m_positions.clear();
        run(TagButtons::get(TagButton::Id::GetPa), uid(), {});
        QCOMPARE(m_positions, (QList<QPair<TagValue, int>>{{TagValue::PaLevel, 1}}));
        result = run(TagButtons::get(TagButton::Id::Version), uid(), {});
        QCOMPARE(said(result.message), QStringLiteral("TAG Version 1.A"));
    }

    void valueThatIsNoNumber()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        FakeReader reader;
        reader.attachPty(pty);
        QByteArray pending;
        const QByteArray tag = "0000000000001148";
        reader.setResponder([&](const QByteArray &command) {
            if (command.startsWith('E')) {
                pending = "CR" + command.mid(1, 19) +
                          (command.at(17) == 'r' ? QByteArray("4G") : command.mid(20, 2));
                return FakeReader::reply(command);
            }
            if (command == "C" && !pending.isEmpty())
                return FakeReader::reply(std::exchange(pending, QByteArray()));
            return FakeReader::reply(command == "A0" ? command : "CI" + QByteArray(16, '0'));
        });
        m_request = ConfigLinkRequest();
        m_request.kind = LinkKind::Serial;
        m_request.comDevice = pty.slavePath();
        auto result = run(TagButtons::get(TagButton::Id::GetReceiveCount), tag, {});
        QVERIFY(!result.ok);
        QVERIFY(result.values.empty());
        QVERIFY2(said(result.message).startsWith(QStringLiteral("Get TAG Receive Count Error! (")),
                 qPrintable(said(result.message)));
        QCOMPARE(folded(result.sent).last(), "E" + tag + "X0000"); // the tag's session is ended
        // The PA read fails the same way (it is never taken as 255).
        m_positions.clear();
        result = run(TagButtons::get(TagButton::Id::GetPa), tag, {});
        QVERIFY(!result.ok);
        QVERIFY(result.values.empty());
        QVERIFY2(said(result.message).startsWith(QStringLiteral("Get TAG PA Error! (")),
                 qPrintable(said(result.message)));
        QVERIFY(m_positions.isEmpty());
    }

    void silentUidsOption()
    {
        QString error, exitText;
        const auto o = SimOptions::parse({"talvo-sim", "--silent-uids", "0000000000000001, 0000000000000002"},
                                         &error, &exitText);
        QVERIFY2(o, qPrintable(error));
        QCOMPARE(o->silentUids, (QList<QByteArray>{"0000000000000001", "0000000000000002"}));
    }

    // 50 tags, 3 of them silent: 47 rows succeed, 3 fail, the run goes on; a retry of the failed
    // rows once the tags answer completes them.
    void provisioningPlan()
    {
        ReaderChannel::Settings s;
        for (int i : {5, 17, 41})
            s.reader.silentUids.append(uid(i));
        QVERIFY(startSim(s));
        std::vector<ProvisioningRow> plan;
        for (int i = 0; i < m_tags.size(); ++i)
            plan.push_back({QString::fromLatin1(uid(i)), "set-active-time", "--interval 12 --count 3"});
        ProvisioningRun run(m_tones, m_clock);
        Timing t = fastTiming(kReplyWaitMs);
        t.tagWindowMs = 300; // a silent tag costs its window: keep it short here
        run.setTiming(t);
        run.setRequest(m_request);
        run.setWording([](const TagFlowMessage &message) { return said(message); });
        QSignalSpy finished(&run, &ProvisioningRun::finished);
        QSignalSpy progress(&run, &ProvisioningRun::progress);
        run.start(plan);
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(run.failures(), 3);
        QCOMPARE(progress.size(), 50);
        QCOMPARE(progress.last().at(0).toInt(), 50);
        QCOMPARE(progress.last().at(2).toInt(), 3);
        std::vector<ProvisioningRow> failed;
        for (const ProvisioningRow &row : run.rows()) {
            QCOMPARE(m_tags.find(row.uid.toLatin1())->registers[0x40] == 12, row.ok);
            if (!row.ok) {
                QCOMPARE(row.text, QStringLiteral("Set TAG Active Time Error!"));
                failed.push_back({row.uid, row.command, row.args});
            }
        }
        QCOMPARE(failed.size(), size_t(3));

        m_sim.reset();
        QVERIFY(startSim());
        run.setRequest(m_request);
        finished.clear();
        run.start(failed);
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toBool(), true);
        for (int i : {5, 17, 41})
            QCOMPARE(m_tags.tag(i).registers[0x41], quint8(3));
    }
};

QTEST_GUILESS_MAIN(TestTagButtons)
#include "tst_tag_buttons.moc"
