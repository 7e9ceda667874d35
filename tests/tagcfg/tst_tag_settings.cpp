// The tag settings tables without widgets: interval texts of both tables, read-outs, initial texts,
// hints and the alarm levels' arithmetic, the codes built from check boxes and radio buttons, the
// version text, what the defaults send, and the command words scripts and plans use.
#include "i18n/TagFlowText.h"
#include "tagcfg/ProvisioningCsv.h"
#include "tagcfg/TagButtons.h"
#include "tagcfg/TagChoices.h"
#include "tagcfg/TagCodes.h"
#include "tagcfg/TagCommandLine.h"
#include "tagcfg/TagIntervals.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const TagValueSpec &control(TagPage page, TagValue value)
{
    return *TagValues::find(page, value);
}

const TagValueSpec &alarm(TagValue value)
{
    return control(TagPage::PvPj, value);
}

// The tag command a button sends with every control at its start value.
QByteArray defaultCommand(const TagButton &button)
{
    TagValueMap values;
    for (const TagValueSpec &s : TagValues::all())
        if (s.page == button.page)
            values[s.value] = s.initial;
    return button.steps.front().command(values)->text();
}

} // namespace

class TestTagSettings : public QObject
{
    Q_OBJECT

private slots:
    void intervalTexts()
    {
        const TagValueSpec &tag = control(TagPage::Tag, TagValue::ActiveInterval);
        const TagValueSpec &wk = control(TagPage::Wk, TagValue::ActiveInterval);
        QCOMPARE(tag.high, 15);
        QCOMPARE(wk.high, 20);
        const QStringList tagTail{"5 Sec", "2.5 Sec", "5 Sec", "10 Sec", "20 Sec"};
        const QStringList fullTail{"3 Sec", "4 Sec", "5 Sec", "10 Sec", "20 Sec"};
        for (int code = 11; code <= 15; ++code) {
            QCOMPARE(tag.readoutText(code), tagTail.at(code - 11));
            QCOMPARE(wk.readoutText(code), fullTail.at(code - 11));
        }
        for (int code = 0; code <= 10; ++code)
            QCOMPARE(tag.readoutText(code), wk.readoutText(code));
        QCOMPARE(wk.readoutText(0), QStringLiteral("0.005 Sec"));
        QCOMPARE(wk.readoutText(20), QStringLiteral("600 Sec"));
        QCOMPARE(TagIntervals::tagPageText(16), QString());
        QCOMPARE(alarm(TagValue::IrDetectInterval).readoutText(9), QStringLiteral("1.2 Sec"));
        QCOMPARE(tag.clamp(18), 15);
        QCOMPARE(tag.readoutText(tag.clamp(18)), QStringLiteral("20 Sec"));
        QCOMPARE(control(TagPage::Tag, TagValue::PaLevel).clamp(0), 1);
        QCOMPARE(control(TagPage::Tag, TagValue::PaLevel).clamp(255), 100);
        QCOMPARE(control(TagPage::Tag, TagValue::ActiveCount).clamp(0), 1);
    }

    // Fixed initial texts until the first change, then the computed ones.
    void alarmReadouts()
    {
        QCOMPARE(alarm(TagValue::BottomLevel).initialReadout(), QStringLiteral("32 \u2103"));
        QCOMPARE(alarm(TagValue::BottomLevel).readoutText(61, 36), QStringLiteral("32.0 \u2103"));
        QCOMPARE(alarm(TagValue::TopLevel).initialReadout(), QStringLiteral("40 \u2103"));
        QCOMPARE(alarm(TagValue::TopLevel).readoutText(40, 36), QStringLiteral("40.0 \u2103"));
        QCOMPARE(alarm(TagValue::HighLevel).initialReadout(), QStringLiteral("37.5 \u2103"));
        QCOMPARE(alarm(TagValue::IrDetectInterval).initialReadout(), QStringLiteral("1.2 Sec"));
        QCOMPARE(alarm(TagValue::TempDifference).initialReadout(), QStringLiteral("0.7 \u2103"));
        QCOMPARE(alarm(TagValue::TempDifference).readoutText(100), QStringLiteral("10.0 \u2103"));
        QCOMPARE(alarm(TagValue::TempDifference).readoutText(1), QStringLiteral("0.1 \u2103"));
        QCOMPARE(alarm(TagValue::StandardTemp).readoutText(40), QStringLiteral("40 \u2103"));
        const TagValueSpec &low = alarm(TagValue::LowLevel);
        QCOMPARE(low.readoutText(100, 36), QStringLiteral("35.9 \u2103"));
        QCOMPARE(low.readoutText(1, 36), QStringLiteral("26.0 \u2103"));
        QCOMPARE(low.hintText(100), QStringLiteral("1"));
        QCOMPARE(low.hintText(1), QStringLiteral("100"));
        QCOMPARE(alarm(TagValue::TopLevel).hintText(40), QStringLiteral("40"));
        QVERIFY(alarm(TagValue::IrDetectTimes).hintText(2).isEmpty());
        QCOMPARE(control(TagPage::Tag, TagValue::ActiveInterval).initialReadout(), QStringLiteral("2.5 Sec"));
    }

    // Standard Temp 36 -> 40 recomputes the four levels from their unmoved positions.
    void standardTempChain()
    {
        const int standard = 40;
        QStringList texts;
        for (TagValue v :
             {TagValue::TopLevel, TagValue::HighLevel, TagValue::LowLevel, TagValue::BottomLevel})
            texts.append(alarm(v).readoutText(alarm(v).initial, standard));
        QCOMPARE(texts, (QStringList{"44.0 \u2103", "41.5 \u2103", "38.5 \u2103", "36.0 \u2103"}));
    }

    void highLevelCap()
    {
        const int max = TagCodes::highLevelMaximum(10, 100);
        QCOMPARE(max, 9);
        const TagValueSpec &high = alarm(TagValue::HighLevel);
        QCOMPARE(high.readoutText(qMin(15, max), 36), QStringLiteral("36.9 \u2103"));
        QCOMPARE(TagCodes::highLevelMaximum(1, 9), 9);    // Top Level 1 leaves it alone
        QCOMPARE(TagCodes::highLevelMaximum(100, 9), 99); // and it can rise again
    }

    void codes()
    {
        QCOMPARE(TagCodes::ledModeCode(true, true), 0);
        QCOMPARE(TagCodes::ledModeCode(false, true), 1);
        QCOMPARE(TagCodes::ledModeCode(true, false), 2);
        QCOMPARE(TagCodes::ledModeCode(false, false), 3);
        QCOMPARE(TagCodes::ledAction(true, true, true, 1), QByteArray("L8301"));
        QCOMPARE(TagCodes::ledAction(false, false, false, 0x1E), QByteArray("L001E"));
        QCOMPARE(TagCodes::ledAction(false, true, false, 255), QByteArray("L01FF"));
        QCOMPARE(TagCodes::beepAction(1), QByteArray("B0001"));
        QCOMPARE(TagCodes::powerKeyCode({false, false, false, false}), 3);
        QCOMPARE(TagCodes::powerKeyCode({false, true, true, false}), 1);
        QCOMPARE(TagCodes::versionText(0x1A), QStringLiteral("TAG Version 1.A"));
        QCOMPARE(TagCodes::versionText(0x12), QStringLiteral("TAG Version 1.2"));

        const TagButton &ledMode = *TagButtons::find(TagButton::Id::LedMode, TagPage::Rq);
        QCOMPARE(ledMode.steps[0].command({{TagValue::Led1, 0}, {TagValue::Led2, 0}})->text(),
                 QByteArray("w4603"));
        const TagButton &powerKey = TagButtons::get(TagButton::Id::PowerKeyMode);
        QCOMPARE(powerKey.steps[0].command({{TagValue::PowerKeyRadio, -1}})->text(), QByteArray("w4503"));
        QCOMPARE(powerKey.steps[0].command({{TagValue::PowerKeyRadio, 0}})->text(), QByteArray("w4500"));
        const TagButton &fzLed = *TagButtons::find(TagButton::Id::Led, TagPage::Fz);
        const TagValueMap fzDefaults{
            {TagValue::Led1, 1}, {TagValue::Led2, 1}, {TagValue::Flash, 1}, {TagValue::LedTime, 1}};
        QCOMPARE(*fzLed.actionText(fzDefaults), QByteArray("L8301"));
        QVERIFY(TagChoices::findCheck(TagPage::Fz, TagValue::Flash)->initiallyChecked);
        QVERIFY(!TagChoices::findCheck(TagPage::Wk, TagValue::Flash)->visible);
    }

    // What each alarm-page button sends with the page's start values.
    void alarmDefaultsSend()
    {
        const std::map<TagButton::Id, QByteArray> expected{{TagButton::Id::TopLevel, "w5728"},
                                                           {TagButton::Id::HighLevel, "w580F"},
                                                           {TagButton::Id::StandardTemp, "w5624"},
                                                           {TagButton::Id::LowLevel, "w5956"},
                                                           {TagButton::Id::BottomLevel, "w5A3D"},
                                                           {TagButton::Id::IrDetectInterval, "w5109"},
                                                           {TagButton::Id::TempDifference, "w5207"},
                                                           {TagButton::Id::TemperatureAlarmOn, "w5501"},
                                                           {TagButton::Id::TemperatureAlarmOff, "w5500"},
                                                           {TagButton::Id::AlarmBeepOn, "w5B01"},
                                                           {TagButton::Id::AlarmBeepOff, "w5B00"}};
        for (const auto &[id, text] : expected)
            QCOMPARE(defaultCommand(TagButtons::get(id)), text);
    }

    // Every control and button can be found by its own name, and the texts the table holds are
    // where each button shows them.
    void tableIsConsistent()
    {
        QSet<QString> names;
        for (const TagValueSpec &s : TagValues::all()) {
            QVERIFY2(!names.contains(QLatin1String(s.slider)), s.slider);
            names << QLatin1String(s.slider) << QLatin1String(s.readout);
            QVERIFY(s.contains(s.initial));
        }
        for (const TagButton &b : TagButtons::all()) {
            QVERIFY2(!names.contains(QLatin1String(b.objectName)), b.objectName);
            names << QLatin1String(b.objectName);
        }
        QCOMPARE(TagButtons::all().size(), size_t(4 * 4 + 9 + 15));
        QVERIFY(TagButtons::find(TagButton::Id::SetActiveTime, TagPage::Fz)->guardTranslated);
        QCOMPARE(TagButtons::find(TagButton::Id::SetActiveTime, TagPage::Wk)->waitProgress,
                 TagProgress::Seting);
        QCOMPARE(TagFlowText::success(*TagButtons::find(TagButton::Id::SetActiveTime, TagPage::Wk),
                                      Language::TraditionalChinese),
                 QStringLiteral("Set TAG Active Time Ok."));
        QCOMPARE(TagButtons::find(TagButton::Id::GetReceiveCount, TagPage::Rq)->objectName, "btnGetTagRecv1");
        QVERIFY(control(TagPage::Rq, TagValue::PaLevel).hidden);
        QVERIFY(control(TagPage::Rq, TagValue::ReceiveCount).shared);
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("sent"); // first tag command or action, or the error's start
        QTest::newRow("active time") << "set-active-time --interval 15 --count 1"
                                     << "TAG"
                                     << "w400F";
        QTest::newRow("WK active time") << "set-active-time --interval=20 --count 255"
                                        << "WK"
                                        << "w4014";
        QTest::newRow("TAG interval 20") << "set-active-time --interval 20 --count 1"
                                         << "TAG"
                                         << "--interval takes 0..15";
        QTest::newRow("receive 0") << "set-receive-count 0"
                                   << "TAG"
                                   << "w4300";
        QTest::newRow("pa 101") << "set-pa 101"
                                << "TAG"
                                << "set-pa takes 1..100";
        QTest::newRow("led-mode") << "led-mode --led1 off --led2 off"
                                  << "TAG"
                                  << "w4603";
        QTest::newRow("led") << "led --led1 off --led2 off --time 30"
                             << "TAG"
                             << "L001E";
        QTest::newRow("led flash") << "led --led1 on --led2 on --flash --time 1"
                                   << "FZ"
                                   << "L8301";
        QTest::newRow("beep") << "beep --time 1"
                              << "TAG"
                              << "B0001";
        QTest::newRow("power key") << "power-key-mode 1"
                                   << "TAG"
                                   << "w4501";
        QTest::newRow("power key 4") << "power-key-mode 4"
                                     << "TAG"
                                     << "power-key-mode takes 0..3";
        QTest::newRow("anti-tamper") << "anti-tamper off"
                                     << "TAG"
                                     << "w5400";
        QTest::newRow("alarm beep") << "alarm-beep on"
                                    << "TAG"
                                    << "w5B01";
        QTest::newRow("on/off word") << "alarm-beep maybe"
                                     << "TAG"
                                     << "usage: alarm-beep on|off";
        QTest::newRow("high") << "high-level 15"
                              << "TAG"
                              << "w580F";
        QTest::newRow("standard 19") << "standard-temp 19"
                                     << "TAG"
                                     << "standard-temp takes 20..50";
        QTest::newRow("led no led2") << "led-mode --led1 on"
                                     << "TAG"
                                     << "--led2 is missing";
        QTest::newRow("twice") << "beep --time 1 --time 2"
                               << "TAG"
                               << "--time is given twice";
        QTest::newRow("version") << "version"
                                 << "TAG"
                                 << "r4800";
    }
    void commandLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, page);
        QFETCH(QString, sent);
        QStringList words = TagCommandLine::split(line);
        const QString name = words.takeFirst();
        QString error;
        const auto parsed = TagCommandLine::parse(name, words, *TagCommandLine::pageFromName(page), &error);
        if (!parsed) {
            QVERIFY2(error.startsWith(sent), qPrintable(error));
            return;
        }
        const TagButton &b = *parsed->button;
        const QByteArray text =
            b.isAction() ? *b.actionText(parsed->values) : b.steps.front().command(parsed->values)->text();
        QCOMPARE(QString::fromLatin1(text), sent);
    }

    void explain()
    {
        QString error;
        auto parsed = TagCommandLine::parse("top-level", {"40"}, TagPage::Tag, &error);
        QCOMPARE(TagCommandLine::explain(*parsed, 36), QStringList{"tenths 40 = 40.0 \u2103"});
        parsed = TagCommandLine::parse("beep", {"--time", "5"}, TagPage::Tag, &error);
        QCOMPARE(TagCommandLine::explain(*parsed, 36), QStringList{"time 5 = 0.5 Sec"});
        parsed = TagCommandLine::parse("set-active-time", {"--interval", "12", "--count", "3"}, TagPage::Tag,
                                       &error);
        QCOMPARE(TagCommandLine::explain(*parsed, 36), (QStringList{"count 3 = 3", "interval 12 = 2.5 Sec"}));
    }

    void resultFileRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("result.csv");
        ProvisioningRow ok{"0000000000001148", "get-active-time",       "",  true,
                           "Set TAG Ok",       {{0x40, 10}, {0x41, 1}}, 1.25};
        ProvisioningRow bad{"0000000000001149",
                            "set-active-time",
                            "--interval 10 --count 1",
                            false,
                            "Set TAG Active Time Error!, \"late\"",
                            {},
                            30};
        QCOMPARE(ProvisioningCsv::resultLine(ok),
                 QStringLiteral("0000000000001148,get-active-time,,1,Set TAG Ok,40=10;41=1,1.25"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write((ProvisioningCsv::resultHeader() + "\n" + ProvisioningCsv::resultLine(ok) + "\n" +
                 ProvisioningCsv::resultLine(bad) + "\n")
                    .toUtf8());
        f.close();
        std::vector<ProvisioningRow> rows;
        QString error;
        QVERIFY2(ProvisioningCsv::readFailed(path, &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows[0].uid, bad.uid);
        QCOMPARE(rows[0].args, bad.args);
        rows.clear();
        QVERIFY(!ProvisioningCsv::readPlan(path, &rows, &error)); // a result is no plan
        QVERIFY(error.contains("uid,command,args"));
    }
};

QTEST_APPLESS_MAIN(TestTagSettings)
#include "tst_tag_settings.moc"
