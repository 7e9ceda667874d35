// The pieces of the tag command flow that are pure data: tag commands and their reader command,
// the acknowledgement and report layouts of "C" replies, the UID check, the interval texts and
// the button table.
#include "i18n/TagFlowText.h"
#include "link/CommandFrame.h"
#include "tagcfg/TagAckReply.h"
#include "tagcfg/TagButtons.h"
#include "tagcfg/TagIntervals.h"
#include "tagcfg/TagPollReport.h"
#include "tagcfg/TagUid.h"

#include <QtTest>

namespace {

const QByteArray kUid = "0000000000001148";

// A whole reply frame around `payload`, as the reader sends it.
QByteArray frame(const QByteArray &payload)
{
    const QByteArray head = "\x02" + payload;
    return head + CommandFrame::byteToHex(CommandFrame::calcBcc(head)) + '\r';
}

} // namespace

class TestTagProtocol : public QObject
{
    Q_OBJECT
private slots:
    void tagCommandTexts()
    {
        QCOMPARE(TagCommand::write(0x40, 0x0A).text(), QByteArray("w400A"));
        QCOMPARE(TagCommand::read(0x40).text(), QByteArray("r4000"));
        QCOMPARE(TagCommand::close().text(), QByteArray("X0000"));
        QCOMPARE(TagCommand::write(0x5A, 0xFF).registerText(), QByteArray("5A"));
        QCOMPARE(TagCommand::write(0x41, 0x64).readerCommand(kUid), QByteArray("E0000000000001148w4164"));
        // The frame the reader gets: SOH, text, BCC of SOH and text, CR.
        const QByteArray wire = CommandFrame::buildCommandFrame(TagCommand::close().readerCommand(kUid));
        QCOMPARE(wire.size(), 1 + 22 + 2 + 1);
        QVERIFY(wire.startsWith("\x01"
                                "E0000000000001148X0000"));
    }

    void acknowledgementLayout()
    {
        const auto ack = TagAckReply::parse(frame("CR" + kUid + "r401E"));
        QVERIFY(ack);
        QCOMPARE(ack->uid, kUid);
        QCOMPARE(ack->letter, 'r');
        QCOMPARE(ack->reg, QByteArray("40"));
        QCOMPARE(ack->value, std::optional<quint8>(30)); // "1E" is 30
        QVERIFY(ack->fits(kUid, TagCommand::read(0x40)));
        // Writes fit whatever value comes back; letter, register and UID must match.
        QVERIFY(TagAckReply::parse(frame("CR" + kUid + "w4077"))->fits(kUid, TagCommand::write(0x40, 0x0A)));
        QVERIFY(!ack->fits(kUid, TagCommand::read(0x41)));
        QVERIFY(!ack->fits(kUid, TagCommand::write(0x40, 0x1E)));
        QVERIFY(!ack->fits("0000000000001149", TagCommand::read(0x40)));
        QVERIFY(TagAckReply::parse(frame("CR" + kUid + "X0000"))->fits(kUid, TagCommand::close()));
        // "5A" and "5B" differ as texts.
        QVERIFY(!TagAckReply::parse(frame("CR" + kUid + "w5A01"))->fits(kUid, TagCommand::write(0x5B, 1)));
    }

    void notAnAcknowledgement()
    {
        QVERIFY(!TagAckReply::parse(frame("CI" + QByteArray(16, '0')))); // idle, 22 bytes
        QVERIFY(!TagAckReply::parse(frame("C" + kUid + "5AC0FF")));      // a report, 27 bytes
        QVERIFY(!TagAckReply::parse(frame("CR" + kUid + "r401E0")));     // 28 bytes
        // A value that is no hex number is kept as text and never read as 0.
        for (const char *value : {"G1", " 1", "-1", "1 "}) {
            const auto ack = TagAckReply::parse(frame("CR" + kUid + "r40" + value));
            QVERIFY(ack);
            QVERIFY2(!ack->value, value);
            QCOMPARE(ack->valueText, QByteArray(value));
        }
    }

    void pollReports()
    {
        QVERIFY(!TagPollReport::parse(frame("CI" + QByteArray(16, '0'))));
        QVERIFY(!TagPollReport::parse(frame("CR" + kUid + "w400A")));
        const auto plain = TagPollReport::parse(frame("C" + kUid + "5AC0F7"));
        QVERIFY(plain);
        QCOMPARE(plain->uid, kUid);
        QCOMPARE(plain->rssi, 0x5A);
        QCOMPARE(plain->lqi, 0xC0);
        QCOMPARE(plain->t1, QStringLiteral("-"));
        QCOMPARE(plain->t2, QStringLiteral("-"));
        // 0x0320 = 800/32 = 25 degrees; 0x3FE0 has bit 0x2000: 16352 - 16384 = -32 -> -1 degree.
        const auto one = TagPollReport::parse(frame("C" + kUid + "5AC0FF0320"));
        QCOMPARE(one->t1, QStringLiteral("25.00"));
        QCOMPARE(one->t2, QStringLiteral("-"));
        const auto two = TagPollReport::parse(frame("C" + kUid + "5AC0FF03203FE0"));
        QCOMPARE(two->t2, QStringLiteral("-1.00"));
        QCOMPARE(TagPollReport::temperatureText(0x0001), QStringLiteral("0.03"));
        QVERIFY(!TagPollReport::parse(frame("C" + kUid + "5AC0FF03Z0"))); // damaged word
    }

    void statusTexts()
    {
        QCOMPARE(TagPollReport::statusText(0xFF), QString());
        QCOMPARE(TagPollReport::statusText(0xF4),
                 QStringLiteral("[SW][SENSOR][START]")); // bit 2 is no status
        QCOMPARE(TagPollReport::statusText(0x7F), QStringLiteral("[BAT]"));
        QCOMPARE(TagPollReport::statusText(0x0E), QStringLiteral("[BAT][SW]"));
    }

    void uidCheck()
    {
        QVERIFY(TagUid::isValid(QStringLiteral("0000000000001148")));
        QVERIFY(TagUid::isValid(QStringLiteral("00000000ABCDEF12")));
        for (const char *bad :
             {"", "000000000001148", "00000000000011480", "000000000000114 ", "00000000000011a8",
              "000000000000114\t", "0000000000000000", "00000000000011G8"}) {
            QVERIFY2(!TagUid::isValid(QString::fromLatin1(bad)), bad);
            QVERIFY(TagFlowText::invalidUid(Language::English, QString::fromLatin1(bad))
                        .contains(QLatin1String(bad)));
        }
        QVERIFY(TagFlowText::invalidUid(Language::SimplifiedChinese, QStringLiteral("1"))
                    .startsWith(QStringLiteral("标签序号错误")));
    }

    void intervalTexts()
    {
        QCOMPARE(TagIntervals::fullText(0), QStringLiteral("0.005 Sec"));
        QCOMPARE(TagIntervals::fullText(10), QStringLiteral("2.5 Sec"));
        QCOMPARE(TagIntervals::fullText(20), QStringLiteral("600 Sec"));
        QCOMPARE(TagIntervals::fullText(21), QString());
        // The "TAG" page: 0..10 as the full table, then its own texts; 12 is not "4 Sec".
        const QStringList tail{"5 Sec", "2.5 Sec", "5 Sec", "10 Sec", "20 Sec"};
        for (int code = 0; code <= 10; ++code)
            QCOMPARE(TagIntervals::tagPageText(code), TagIntervals::fullText(code));
        for (int code = 11; code <= 15; ++code)
            QCOMPARE(TagIntervals::tagPageText(code), tail[code - 11]);
        QCOMPARE(TagIntervals::tagPageText(16), QString());
        QCOMPARE(TagIntervals::tagPageText(-1), QString());
    }

    void activeTimeButtons()
    {
        const TagButton &set = TagButtons::get(TagButton::Id::SetActiveTime);
        const TagValueMap values{{TagValue::ActiveInterval, 0x0A}, {TagValue::ActiveCount, 0x64}};
        QCOMPARE(set.steps.size(), size_t(2));
        QCOMPARE(set.steps[0].command(values)->text(), QByteArray("w400A"));
        QCOMPARE(set.steps[1].command(values)->text(), QByteArray("w4164"));
        QVERIFY(!set.steps[0].command({})); // no value: nothing to send
        QVERIFY(!set.steps[0].command({{TagValue::ActiveInterval, 256}}));
        QCOMPARE(TagFlowText::success(set, Language::English), QStringLiteral("Set TAG Ok"));
        QCOMPARE(TagFlowText::success(set, Language::TraditionalChinese), QStringLiteral("設定 TAG 成功"));
        QCOMPARE(set.failure(), QStringLiteral("Set TAG Active Time Error!"));
        QCOMPARE(TagFlowText::progress(set.attemptProgress, Language::English, 10),
                 QStringLiteral("Setting TAG ......10"));
        QCOMPARE(TagFlowText::progress(set.waitProgress, Language::SimplifiedChinese, 30),
                 QStringLiteral("设定标签中 ......30"));

        const TagButton &get = TagButtons::get(TagButton::Id::GetActiveTime);
        QCOMPARE(get.steps[0].command({})->text(), QByteArray("r4000"));
        QCOMPARE(get.steps[1].command({})->text(), QByteArray("r4100"));
        QCOMPARE(TagFlowText::success(get, Language::English), QStringLiteral("Set TAG Ok"));
        QCOMPARE(get.failure(), QStringLiteral("Get TAG Active Time Error!"));
        QCOMPARE(TagFlowText::progress(get.waitProgress, Language::TraditionalChinese, 7),
                 QStringLiteral("Getting TAG......7"));
        QCOMPARE(TagButtons::findByCliName(QStringLiteral("get-active-time")), &get);
        QVERIFY(!TagButtons::findByCliName(QStringLiteral("get-active")));
    }

    void activeTimeSliders()
    {
        const TagValueSpec *range = TagValues::find(TagPage::Tag, TagValue::ActiveInterval);
        const TagValueSpec *time = TagValues::find(TagPage::Tag, TagValue::ActiveCount);
        QVERIFY(range && time);
        QCOMPARE(QLatin1String(range->slider), QLatin1String("sbRange"));
        QCOMPARE(QLatin1String(time->readout), QLatin1String("pnlTime1"));
        QCOMPARE(range->readoutText(range->initial), QStringLiteral("2.5 Sec"));
        QCOMPARE(range->readoutText(range->clamp(18)), QStringLiteral("20 Sec")); // 18 shows as 15
        QCOMPARE(time->clamp(0), 1);
        QCOMPARE(time->readoutText(255), QStringLiteral("255"));
    }
};

QTEST_APPLESS_MAIN(TestTagProtocol)
#include "tst_tag_protocol.moc"
