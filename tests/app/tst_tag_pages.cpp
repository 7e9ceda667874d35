// The four parameter pages and the "PV/PJ" page of the tag settings panel in the window: the sliders
// the four pages share, the one power-key group that follows the page shown, the PA rows behind
// "Show hidden controls", read values landing clamped with their peers following, the action
// buttons, the alarm page's read-outs (initial texts, the Standard Temp chain, the High Level cap)
// and the captions in the three languages. Commands run against the simulated reader on a pty.
#include "WindowControls.h"
#include "app/SetTagController.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "i18n/LanguageTable.h"
#include "i18n/TagFlowText.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/TagPopulation.h"
#include "tagcfg/TagButtonRun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
QString text(QObject *w, const char *name)
{
    return control<QLabel>(w, name)->text();
}

const QString kDegrees = QStringLiteral(" \u2103");
const char *const kParameterPages[] = {"tsTAG", "tsWKA", "tsRQ", "tsFZ"};

QString said(const TagFlowMessage &message)
{
    return TagFlowText::message(message, Language::English);
}
} // namespace

class TestTagPages : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SilentTonePlayer m_tone;
    int m_files = 0;
    TagPopulation m_tags{3, 7};
    std::unique_ptr<ReaderChannel> m_sim;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<TfrmModule> m_w;

    TfrmModule *window(bool newStore = true)
    {
        m_w.reset();
        if (newStore)
            m_store =
                std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("s%1.ini").arg(++m_files)));
        m_w = std::make_unique<TfrmModule>(m_store.get(), &m_tone, m_dir.filePath(QStringLiteral("sel.csv")));
        Timing t = Timing().scaled(10);
        t.replyWaitMs = 200;
        m_w->tagPanel()->setTiming(t);
        m_w->show();
        return m_w.get();
    }

    QWidget *page(const char *name) const { return control<QWidget>(m_w.get(), name); }
    template <typename T> T *on(const char *pageName, const char *name) const
    {
        return control<T>(page(pageName), name);
    }
    void showType(const char *name)
    {
        control<QTabWidget>(m_w.get(), "pcSelTagType")->setCurrentWidget(page(name));
    }

    // The simulated reader on a pty as COM2, its first tag chosen and the panel open.
    bool openPanelOnSim()
    {
        ReaderChannel::Settings s;
        s.reader.airDelayMs = 5;
        s.reader.portKind = SimReader::PortKind::Serial;
        m_sim = std::make_unique<ReaderChannel>(&m_tags, std::make_unique<PtyTransport>(), s);
        if (!m_sim->open())
            return false;
        TfrmModule *w = m_w.get();
        control<QTabWidget>(w, "pcTagMain")->setCurrentWidget(control<QWidget>(w, "tsCOM"));
        w->reading()->setComDevice(2, m_sim->transport().endpoint());
        auto *edit = control<QLineEdit>(w, "edtTagID");
        edit->clear();
        QTest::keyClicks(edit, uid());
        control<QPushButton>(w, "btnSetTag")->click();
        // The panel's list offers the pty as COM2's device; the user picks it.
        auto *cbxCom = control<QComboBox>(w, "cbxCom");
        cbxCom->setCurrentIndex(cbxCom->findText(QStringLiteral("COM2  ") + m_sim->transport().endpoint()));
        if (cbxCom->currentIndex() < 0)
            return false;
        return control<QTabWidget>(w, "pcMain")->currentWidget()->objectName() == QLatin1String("tsSetTAG");
    }

    QString uid() const { return QString::fromLatin1(m_tags.tag(0).uid); }
    quint8 tagRegister(int reg) const { return m_tags.tag(0).registers[size_t(reg)]; }

    // With TALVO_SCREENSHOT_DIR set, a picture of the window as it stands.
    void shoot(const QString &name)
    {
        const QString outDir = qEnvironmentVariable("TALVO_SCREENSHOT_DIR");
        if (!outDir.isEmpty())
            QVERIFY(m_w->grab().save(QDir(outDir).filePath(QStringLiteral("tagpages-%1.png").arg(name))));
    }

    TagButtonRun::Result press(QPushButton *button)
    {
        QSignalSpy finished(&m_w->tagPanel()->buttonRun(), &TagButtonRun::finished);
        button->click();
        if (!finished.wait(20000))
            return {};
        return finished.first().first().value<TagButtonRun::Result>();
    }
    TagButtonRun::Result press(const char *pageName, const char *name)
    {
        return press(on<QPushButton>(pageName, name));
    }

private slots:
    void initTestCase() { qRegisterMetaType<TagButtonRun::Result>(); }
    void cleanup()
    {
        m_w.reset();
        m_store.reset();
        m_sim.reset();
        m_tags = TagPopulation(3, 7);
    }

    // Receive count, beep time and PA move together on the four pages with their read-outs; the
    // active time and LED time stay per page. Count and interval read as count "X" interval.
    void sharedSlidersAcrossPages()
    {
        TfrmModule *w = window();
        QCOMPARE(text(w, "pnlTime1"), QStringLiteral("1"));
        QCOMPARE(text(w, "pnlX"), QStringLiteral("X"));
        QCOMPARE(text(w, "pnRange"), QStringLiteral("2.5 Sec"));
        QCOMPARE(text(w, "pnTagRecv3"), QStringLiteral("10"));
        const struct
        {
            const char *moved;
            const char *slider;
            const char *readout;
            int position;
        } shared[] = {{"sbTagRecv2", "sbTagRecv", "pnTagRecv", 0},
                      {"sbTagBeepSecond3", "sbTagBeepSecond", "pnTagBeepSec", 37},
                      {"sbTagPA4", "sbTagPA", "pnTagPA", 55}};
        for (const auto &s : shared) {
            control<QScrollBar>(w, s.moved)->setValue(s.position);
            for (int n = 1; n <= 4; ++n) {
                const QByteArray slider = s.slider + QByteArray::number(n);
                const QByteArray readout = s.readout + QByteArray::number(n);
                QCOMPARE(control<QScrollBar>(w, slider.constData())->value(), s.position);
                QCOMPARE(text(w, readout.constData()), QString::number(s.position));
            }
        }
        control<QScrollBar>(w, "sbTime2")->setValue(9);
        control<QScrollBar>(w, "sbRange3")->setValue(11);
        control<QScrollBar>(w, "sbTagLED4")->setValue(4);
        QCOMPARE(control<QScrollBar>(w, "sbTime")->value(), 1);
        QCOMPARE(text(w, "pnTime2"), QStringLiteral("9"));
        QCOMPARE(control<QScrollBar>(w, "sbRange")->value(), 10);
        QCOMPARE(text(w, "pnRange3"), QStringLiteral("3 Sec"));
        QCOMPARE(control<QScrollBar>(w, "sbTagLED")->value(), 1);
        QCOMPARE(text(w, "pnTagLED4"), QStringLiteral("4"));
    }

    // One power-key group: it stands on whichever parameter page is shown, keeps its choice, and
    // is not on the alarm page. Showing a parameter page resets the message panels; "PV/PJ" does not.
    void powerKeyGroupFollowsThePage()
    {
        TfrmModule *w = window();
        QCOMPARE(w->findChildren<QRadioButton *>(QStringLiteral("rbtn01")).size(), 1);
        QCOMPARE(w->findChildren<QWidget *>(QStringLiteral("pnlONOFFMode")).size(), 1);
        auto *panel = control<QWidget>(w, "pnlONOFFMode");
        QVERIFY(page("tsTAG")->isAncestorOf(panel));
        QVERIFY(control<QRadioButton>(w, "rbtn04")->isChecked());
        QVERIFY(!page("pnlTagSet")->isAncestorOf(panel));

        for (const char *name : {"tsWKA", "tsRQ", "tsFZ", "tsTAG"}) {
            showType(name);
            QVERIFY2(page(name)->isAncestorOf(panel), name);
            QVERIFY(page(name)->isAncestorOf(control<QPushButton>(w, "btnONOFFMode")));
            if (QLatin1String(name) == QLatin1String("tsRQ"))
                control<QRadioButton>(w, "rbtn02")->setChecked(true);
        }
        QVERIFY(control<QRadioButton>(w, "rbtn02")->isChecked());
        QVERIFY(!control<QRadioButton>(w, "rbtn04")->isChecked());

        auto *message = control<QLabel>(w, "pnlTagMsg");
        message->setText(QStringLiteral("Set TAG Ok"));
        showType("tsPV");
        QVERIFY(page("tsTAG")->isAncestorOf(panel));
        QCOMPARE(message->text(), QStringLiteral("Set TAG Ok"));
        showType("tsFZ");
        QCOMPARE(message->text(), QStringLiteral("Select Function"));
        QCOMPARE(text(w, "pnMsg"), QStringLiteral("Select Function"));
        // The "Flash" box only on the flashlight page, checked there.
        QVERIFY(on<QCheckBox>("tsFZ", "chkLED43")->isVisibleTo(page("tsFZ")));
        QVERIFY(on<QCheckBox>("tsFZ", "chkLED43")->isChecked());
        QVERIFY(!on<QCheckBox>("tsTAG", "chkLED13")->isVisibleTo(page("tsTAG")));
    }

    // The PA rows stand hidden until "Show hidden controls" on the reader page is ticked; the choice
    // is kept in the settings and applies at the next start.
    void paRowsBehindTheHiddenSwitch()
    {
        TfrmModule *w = window();
        // 1 when the whole row of page `n` is shown, 0 when all of it is hidden, -1 when it is torn.
        auto paShown = [this](const char *pageName, int n) {
            QWidget *p = page(pageName);
            const QByteArray suffix = QByteArray::number(n);
            const QByteArray names[] = {"sbTagPA" + suffix, "pnTagPA" + suffix, "btnSetTagPA1",
                                        "btnGetTagPA1"};
            int shown = 0;
            for (const QByteArray &name : names)
                shown += control<QWidget>(p, name.constData())->isVisibleTo(p) ? 1 : 0;
            return shown == 4 ? 1 : (shown == 0 ? 0 : -1);
        };
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(paShown(kParameterPages[n - 1], n), 0);
        control<QCheckBox>(w, "chkShowHidden")->click();
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(paShown(kParameterPages[n - 1], n), 1);
        QCOMPARE(text(w, "pnTagPA2"), QStringLiteral("100"));

        window(false);
        QCOMPARE(paShown("tsRQ", 3), 1);
        control<QCheckBox>(m_w.get(), "chkShowHidden")->click();
        QCOMPARE(paShown("tsRQ", 3), 0);
    }

    // A read value lands on the page that asked, clamped to the slider's range, and runs the change
    // handler: read-outs follow and the shared sliders move on every page.
    void readValuesLandClampedAndPropagate()
    {
        window();
        QVERIFY(openPanelOnSim());
        m_tags.tag(0).registers[0x40] = 18;
        m_tags.tag(0).registers[0x41] = 0x21;
        auto result = press("tsTAG", "btnGetTagTime");
        QVERIFY2(result.ok, qPrintable(said(result.message)));
        QCOMPARE(on<QScrollBar>("tsTAG", "sbRange")->value(), 15);
        QCOMPARE(text(m_w.get(), "pnRange"), QStringLiteral("20 Sec"));
        QCOMPARE(text(m_w.get(), "pnlTime1"), QStringLiteral("33"));
        QCOMPARE(said(result.message), translate(0, QStringLiteral("Set TAG Ok")));
        // The other pages keep their own active time.
        QCOMPARE(control<QScrollBar>(m_w.get(), "sbRange2")->value(), 10);

        m_tags.tag(0).registers[0x43] = 0;
        showType("tsWKA");
        result = press("tsWKA", "btnGetTagRecv1");
        QVERIFY2(result.ok, qPrintable(said(result.message)));
        for (int n = 1; n <= 4; ++n) {
            const QByteArray suffix = QByteArray::number(n);
            QCOMPARE(control<QScrollBar>(m_w.get(), ("sbTagRecv" + suffix).constData())->value(), 0);
            QCOMPARE(text(m_w.get(), ("pnTagRecv" + suffix).constData()), QStringLiteral("0"));
        }

        // A PA of 0 shows as the slider's 1, on all four pages.
        m_tags.tag(0).registers[0x30] = 0;
        result = press("tsRQ", "btnGetTagPA1");
        QVERIFY2(result.ok, qPrintable(said(result.message)));
        QCOMPARE(control<QScrollBar>(m_w.get(), "sbTagPA4")->value(), 1);
        QCOMPARE(text(m_w.get(), "pnTagPA2"), QStringLiteral("1"));

        m_tags.tag(0).registers[0x48] = 0x1A;
        result = press("tsFZ", "btnTAGVersion");
        QCOMPARE(said(result.message), QStringLiteral("TAG Version 1.A"));
        QCOMPARE(text(m_w.get(), "pnlTagMsg"), QStringLiteral("TAG Version 1.A"));
    }

    // Writes from each page's own controls and the one radio group; the beep and LED actions as one
    // reader command each, with their texts.
    void writesAndActionsFromThePages()
    {
        window();
        control<QCheckBox>(m_w.get(), "chkShowHidden")->click();
        QVERIFY(openPanelOnSim());
        const QByteArray e = "E" + uid().toLatin1();
        showType("tsWKA");
        control<QScrollBar>(m_w.get(), "sbRange2")->setValue(20);
        control<QScrollBar>(m_w.get(), "sbTime2")->setValue(255);
        auto result = press("tsWKA", "btnSetTagTime2");
        QVERIFY2(result.ok, qPrintable(said(result.message)));
        QVERIFY(result.sent.contains(e + "w4014"));
        QVERIFY(result.sent.contains(e + "w41FF"));
        QCOMPARE(said(result.message), QStringLiteral("Set TAG Active Time Ok."));

        showType("tsRQ");
        QTRY_VERIFY(on<QWidget>("tsRQ", "sbTagPA3")->isVisible());
        shoot(QStringLiteral("rq"));
        on<QCheckBox>("tsRQ", "chkLED31")->setChecked(false);
        on<QCheckBox>("tsRQ", "chkLED32")->setChecked(false);
        control<QRadioButton>(m_w.get(), "rbtn02")->setChecked(true);
        result = press("tsRQ", "btnTagLEDMode3");
        QVERIFY(result.sent.contains(e + "w4603"));
        QCOMPARE(said(result.message), QStringLiteral("Set TAG LED Mode Ok."));
        result = press("tsRQ", "btnTagLED3");
        QVERIFY2(result.ok, qPrintable(said(result.message)));
        QCOMPARE(result.sent, QList<QByteArray>{e + "L0001"});
        QCOMPARE(text(m_w.get(), "pnlTagMsg"), QStringLiteral("Set TAG LED Ok."));
        result = press(control<QPushButton>(m_w.get(), "btnONOFFMode"));
        QVERIFY(result.sent.contains(e + "w4501"));
        QCOMPARE(tagRegister(0x45), quint8(1));

        showType("tsFZ");
        control<QScrollBar>(m_w.get(), "sbTagBeepSecond2")->setValue(12);
        result = press("tsFZ", "btnTagBeep1");
        QVERIFY2(result.ok, qPrintable(said(result.message)));
        QCOMPARE(result.sent, QList<QByteArray>{e + "B000C"});
        QCOMPARE(said(result.message), QStringLiteral("Set TAG Beep Ok."));
        result = press("tsFZ", "btnTagLED4");
        QCOMPARE(result.sent, QList<QByteArray>{e + "L8301"});

        // The alarm page's guard keeps the panel and puts the caret in "TAG ID:".
        auto *tagId = control<QLineEdit>(m_w.get(), "pnTagID");
        tagId->setText(QString());
        showType("tsPV");
        result = press("tsPV", "btnPV07");
        QVERIFY(result.sent.isEmpty());
        QCOMPARE(said(result.message), QStringLiteral("Please Read TAG First !"));
        QTRY_VERIFY(m_w->findChild<QMessageBox *>(QStringLiteral("dlgMessage")));
        QCOMPARE(control<QTabWidget>(m_w.get(), "pcMain")->currentWidget()->objectName(),
                 QStringLiteral("tsSetTAG"));
        QCOMPARE(m_w->focusWidget(), tagId);
        delete m_w->findChild<QMessageBox *>(QStringLiteral("dlgMessage"));

        // The action's guard is the register commands' one: message box, back to "Read TAG".
        showType("tsFZ");
        result = press("tsFZ", "btnTagBeep1");
        QVERIFY(!result.ok);
        QVERIFY(result.sent.isEmpty());
        QCOMPARE(said(result.message), QStringLiteral("Please Read TAG First !"));
        QTRY_VERIFY(m_w->findChild<QMessageBox *>(QStringLiteral("dlgMessage")));
        QCOMPARE(control<QTabWidget>(m_w.get(), "pcMain")->currentWidget()->objectName(),
                 QStringLiteral("tsReadTag"));
    }

    // The alarm page starts from fixed texts; Standard Temp recomputes the four level read-outs and
    // hints without moving them; High Level stays below Top Level; the defaults go to the tag.
    void alarmPageReadouts()
    {
        TfrmModule *w = window();
        const struct
        {
            const char *readout;
            const char *initial;
        } initial[] = {{"pnlPV00", "2"},         {"pnlPV01", "1.2 Sec"},     {"pnlPV02", "0.7 \u2103"},
                       {"pnlPV03", "15"},        {"pnlPV07", "40 \u2103"},   {"pnlPV08", "37.5 \u2103"},
                       {"pnlPV06", "36 \u2103"}, {"pnlPV09", "34.5 \u2103"}, {"pnlPVA", "32 \u2103"}};
        for (const auto &i : initial)
            QCOMPARE(text(w, i.readout), QString::fromUtf8(i.initial));
        QVERIFY(page("GroupBox3")->isAncestorOf(control<QWidget>(w, "btnPV04_1")));
        QVERIFY(page("GroupBox3")->isAncestorOf(control<QWidget>(w, "btnPVB_2")));
        QVERIFY(page("GroupBox2")->isAncestorOf(control<QWidget>(w, "BitBtn7")));

        control<QScrollBar>(w, "sbPV06")->setValue(40);
        QCOMPARE(text(w, "pnlPV06"), QStringLiteral("40") + kDegrees);
        QCOMPARE(text(w, "pnlPV07"), QStringLiteral("44.0") + kDegrees);
        QCOMPARE(text(w, "pnlPV08"), QStringLiteral("41.5") + kDegrees);
        QCOMPARE(text(w, "pnlPV09"), QStringLiteral("38.5") + kDegrees);
        QCOMPARE(text(w, "pnlPVA"), QStringLiteral("36.0") + kDegrees);
        QCOMPARE(control<QScrollBar>(w, "sbPV09")->value(), 86);
        QCOMPARE(control<QScrollBar>(w, "sbPV09")->toolTip(), QStringLiteral("15"));
        QCOMPARE(control<QScrollBar>(w, "sbPV06")->toolTip(), QStringLiteral("40"));
        QCOMPARE(control<QScrollBar>(w, "sbPV08")->maximum(), 39);
        QVERIFY(control<QScrollBar>(w, "sbPV00")->toolTip().isEmpty());

        control<QScrollBar>(w, "sbPV06")->setValue(36);
        control<QScrollBar>(w, "sbPV07")->setValue(10);
        QCOMPARE(control<QScrollBar>(w, "sbPV08")->maximum(), 9);
        QCOMPARE(control<QScrollBar>(w, "sbPV08")->value(), 9);
        QCOMPARE(text(w, "pnlPV08"), QStringLiteral("36.9") + kDegrees);
        QCOMPARE(control<QScrollBar>(w, "sbPV08")->toolTip(), QStringLiteral("9"));
        control<QScrollBar>(w, "sbPV07")->setValue(1);
        QCOMPARE(control<QScrollBar>(w, "sbPV08")->maximum(), 9);
        control<QScrollBar>(w, "sbPV07")->setValue(60);
        QCOMPARE(control<QScrollBar>(w, "sbPV08")->maximum(), 59);
        QCOMPARE(control<QScrollBar>(w, "sbPV08")->value(), 9);

        control<QScrollBar>(w, "sbPV09")->setValue(100);
        QCOMPARE(text(w, "pnlPV09"), QStringLiteral("35.9") + kDegrees);
        QCOMPARE(control<QScrollBar>(w, "sbPV09")->toolTip(), QStringLiteral("1"));
        control<QScrollBar>(w, "sbPV09")->setValue(1);
        QCOMPARE(text(w, "pnlPV09"), QStringLiteral("26.0") + kDegrees);
        control<QScrollBar>(w, "sbPV02")->setValue(100);
        QCOMPARE(text(w, "pnlPV02"), QStringLiteral("10.0") + kDegrees);
    }

    void alarmPageWritesTheDefaults()
    {
        window();
        QVERIFY(openPanelOnSim());
        showType("tsPV");
        QTRY_VERIFY(page("GroupBox2")->isVisible());
        shoot(QStringLiteral("pv"));
        const QByteArray e = "E" + uid().toLatin1();
        const struct
        {
            const char *button;
            const char *command;
        } writes[] = {{"btnPV07", "w5728"}, {"btnPV06", "w5624"}, {"btnPVA", "w5A3D"},
                      {"btnPV01", "w5109"}, {"BitBtn7", "w5500"}, {"btnPVB_1", "w5B01"}};
        for (const auto &wr : writes) {
            const auto result = press("tsPV", wr.button);
            QVERIFY2(result.ok, wr.button);
            QVERIFY2(result.sent.contains(e + wr.command), wr.button);
            QVERIFY(said(result.message).startsWith(translate(0, QStringLiteral("Set TAG Ok"))));
        }
        QCOMPARE(tagRegister(0x5B), quint8(1));
    }

    // Captions the language table holds are translated; the others and the read-outs stay.
    void captionsInTheThreeLanguages()
    {
        TfrmModule *w = window();
        for (Language language : {Language::TraditionalChinese, Language::SimplifiedChinese}) {
            w->setLanguage(language);
            const int l = int(language);
            QCOMPARE(control<QPushButton>(w, "btnSetTagRecv1")->text(),
                     translate(l, QStringLiteral("Set TAG Receive Count")));
            QVERIFY(control<QPushButton>(w, "btnSetTagRecv1")->text() !=
                    QStringLiteral("Set TAG Receive Count"));
            QCOMPARE(control<QRadioButton>(w, "rbtn01")->text(),
                     translate(l, QStringLiteral("Key CanNot On/Off")));
            QCOMPARE(control<QGroupBox>(w, "GroupBox3")->title(),
                     translate(l, QStringLiteral("Anti-Tamper")));
            QCOMPARE(control<QPushButton>(w, "btnPV04_1")->text(), translate(l, QStringLiteral("ON")));
            QCOMPARE(control<QLabel>(w, "Label33")->text(),
                     translate(l, QStringLiteral("Temperature alarm:")));
            // "TAG On"/"TAG Off" take the table's upper-case rows' texts; the slider labels theirs.
            QCOMPARE(control<QPushButton>(w, "btnSendOn")->text(), translate(l, QStringLiteral("TAG ON")));
            QCOMPARE(control<QPushButton>(w, "btnSendOff")->text(), translate(l, QStringLiteral("TAG OFF")));
            QCOMPARE(control<QLabel>(w, "lblTagRecv3")->text(),
                     translate(l, QStringLiteral("0-255 (0=No Receive)")));
            QCOMPARE(control<QLabel>(w, "lblTagBeepSecond2")->text(),
                     translate(l, QStringLiteral("X 0.1 second")));
            QCOMPARE(control<QLabel>(w, "lblTagLED4")->text(), translate(l, QStringLiteral("X 0.1 second")));
            QVERIFY(control<QLabel>(w, "lblTagLED4")->text() != QStringLiteral("X 0.1 second"));
            QCOMPARE(control<QPushButton>(w, "btnONOFFMode")->text(),
                     translate(l, QStringLiteral("Power On/Off Mode")));
            QCOMPARE(control<QLabel>(w, "Label34")->text(), QStringLiteral("Alarm Beep:"));
            QCOMPARE(text(w, "pnlX3"), QStringLiteral("X"));
            QCOMPARE(text(w, "pnlPV07"), QStringLiteral("40") + kDegrees);
            QCOMPARE(text(w, "pnRange2"), QStringLiteral("2.5 Sec"));
        }
    }
};

QTEST_MAIN(TestTagPages)
#include "tst_tag_pages.moc"
