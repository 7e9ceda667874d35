#include "PtyPair.h"
#include "WindowControls.h"
#include "app/DemoReader.h"
#include "app/TfrmModule.h"
#include "app/WindowTranslator.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "link/CommandFrame.h"
#include "link/DemoReplayLinks.h"
#include "link/SerialPortMap.h"
#include "reading/SelectionListFile.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString tabCaption(QWidget *w, const char *pageControl, const char *page)
{
    auto *pc = control<QTabWidget>(w, pageControl);
    return pc->tabText(pc->indexOf(control<QWidget>(w, page)));
}

const QByteArray kRecording = "0000000000001234"
                              "50A3FF\r"
                              "0000000000005678"
                              "60B4FE0320\r";
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    SilentTonePlayer m_tone;
    int m_files = 0;

    QString selectionFile() const { return m_dir.filePath(QStringLiteral("MERAN/TalvoDemo/QZKDTAG.CSV")); }

    QString freshIni() { return m_dir.filePath(QStringLiteral("settings%1.ini").arg(++m_files)); }

private slots:
    void init() { QFile::remove(selectionFile()); }

    void startupSizeFollowsTheScreen()
    {
        QCOMPARE(TfrmModule::startupSize({1280, 1024}), QSize(1024, 768));
        QCOMPARE(TfrmModule::startupSize({1010, 720}), QSize(1000, 700));
        QCOMPARE(TfrmModule::startupSize({800, 600}), QSize(800, 600));
        const QString title = TfrmModule::caption(QCoreApplication::applicationFilePath());
        QVERIFY(title.startsWith(QStringLiteral("Talvo Utility V0304") + QChar(0x3000) + "[20"));
        QVERIFY(QRegularExpression("\\[\\d{4}-\\d{2}-\\d{2}\\]$").match(title).hasMatch());
    }

    void firstRunShowsDesignValues()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        QCOMPARE(control<QLineEdit>(&w, "edIP11")->text(), QStringLiteral("192.168.1.101"));
        QCOMPARE(control<QTabWidget>(&w, "pcTagMain")->currentWidget()->objectName(),
                 QStringLiteral("tsNET"));
        QCOMPARE(w.linkKind(), LinkKind::TcpToReaders);
        QCOMPARE(control<QTabWidget>(&w, "pcMain")->currentWidget()->objectName(),
                 QStringLiteral("tsReadTag"));
        QCOMPARE(control<QTabWidget>(&w, "pcSetReadMain")->currentWidget()->objectName(),
                 QStringLiteral("tsTcpServer"));
        QVERIFY(!control<QTabWidget>(&w, "pcMain")->isTabVisible(2));
        QVERIFY(control<QCheckBox>(&w, "chk04")->isChecked());
        QVERIFY(!control<QCheckBox>(&w, "cbxBeep")->isChecked());
        QVERIFY(control<QComboBox>(&w, "cbxCom")->count() > 0);
    }

    void storedValuesAndTheirDefaults()
    {
        const QString path = freshIni();
        {
            QSettings raw(path, QSettings::IniFormat);
            raw.setValue("PAGE", 7);
            raw.setValue("COM4", 2);
            raw.setValue("COM5", 1);
            raw.setValue("LanguageIndex", 4);
            raw.setValue("TcpRemotePort", "abc");
            raw.setValue("TagFilterUID", "0000");
        }
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        QCOMPARE(control<QTabWidget>(&w, "pcTagMain")->currentWidget()->objectName(),
                 QStringLiteral("tsUDP"));
        QCOMPARE(w.linkKind(), LinkKind::Udp);
        QCOMPARE(control<QTabWidget>(&w, "pcSetReadMain")->currentWidget()->objectName(),
                 QStringLiteral("tsUdpServer"));
        QVERIFY(!control<QCheckBox>(&w, "chkCOM04")->isChecked());
        QVERIFY(control<QCheckBox>(&w, "chkCOM05")->isChecked());
        QCOMPARE(control<QLineEdit>(&w, "edIP11")->text(), QStringLiteral("192.168.1.111"));
        QCOMPARE(control<QLineEdit>(&w, "edtTcpRemotePort")->text(), QStringLiteral("4001"));
        QCOMPARE(control<QLineEdit>(&w, "edtTagFilter")->text(), QStringLiteral("0000"));
        QCOMPARE(w.language(), Language::English);
        QCOMPARE(control<QPushButton>(&w, "btnStart")->text(), QStringLiteral("Start"));
    }

    void startsInTheStoredLanguage()
    {
        const QString path = freshIni();
        QSettings(path, QSettings::IniFormat).setValue("LanguageIndex", 2);
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        QCOMPARE(w.language(), Language::SimplifiedChinese);
        QCOMPARE(control<QPushButton>(&w, "btnStart")->text(), QStringLiteral("启动"));
        QCOMPARE(control<QLabel>(&w, "lblTagFilter")->text(), QStringLiteral("标签序号过滤:"));
        QCOMPARE(control<QTableView>(&w, "grdUID")->model()->headerData(7, Qt::Horizontal).toString(),
                 QStringLiteral("读取次数"));
        QVERIFY(w.font().bold());
        QCOMPARE(w.font().pointSize(), 10);
    }

    void languageSwitchingRestoresEnglish()
    {
        const QString path = freshIni();
        SettingsStore store(path);
        QVERIFY(SelectionListFile::save(selectionFile(), {"0000000000001234"}));
        TfrmModule w(&store, &m_tone, selectionFile());
        QCOMPARE(control<QTableView>(&w, "grdUID")->model()->rowCount(), 1);
        QCOMPARE(control<QListView>(&w, "lvSel")->model()->rowCount(), 1);
        control<QComboBox>(&w, "cmbNet")->setCurrentIndex(2);
        control<QPushButton>(&w, "btnCHT")->click();
        QCOMPARE(control<QPushButton>(&w, "btnStart")->text(), QStringLiteral("啟動"));
        QCOMPARE(tabCaption(&w, "pcMain", "tsReadTag"), QStringLiteral("讀取標籤"));
        QCOMPARE(control<QCheckBox>(&w, "chk04")->text(), QStringLiteral("溫溼度標籤"));
        QCOMPARE(control<QComboBox>(&w, "cmbNet")->itemText(1), QStringLiteral("網路介面 "));
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("LanguageIndex").toInt(), 1);
        control<QPushButton>(&w, "btnCHS")->click();
        QCOMPARE(control<QLabel>(&w, "lblTagCount")->text(), QStringLiteral("标签数量:"));
        QCOMPARE(control<QTableView>(&w, "grdUID")->model()->headerData(6, Qt::Horizontal).toString(),
                 QStringLiteral("体温/  度"));
        // A caption without a row stays as it is.
        QCOMPARE(control<QPushButton>(&w, "btnTemperReset")->text(), QStringLiteral("Temper Alarm Reset"));
        control<QPushButton>(&w, "btnEng")->click();
        const auto widgets = w.findChildren<QWidget *>();
        int keyed = 0;
        for (QWidget *c : widgets) {
            const QString key = WindowTranslator::key(c);
            if (key.isEmpty())
                continue;
            ++keyed;
            QCOMPARE(WindowTranslator::caption(c), key);
        }
        QVERIFY(keyed > 60);
        QCOMPARE(control<QCheckBox>(&w, "chbAllTags")->text(), QStringLiteral("All tags"));
        QCOMPARE(control<QComboBox>(&w, "cmbNet")->currentIndex(), 0);
        QCOMPARE(control<QComboBox>(&w, "cmbNet")->currentText(), QStringLiteral("ALL"));
        for (const char *grid : {"grdUID", "grdSel", "grdTagUID"}) {
            QAbstractItemModel *m = control<QTableView>(&w, grid)->model();
            QCOMPARE(m->rowCount(), 0);
            QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("UID"));
        }
        QCOMPARE(control<QTableView>(&w, "grdUID")->model()->columnCount(), 8);
        QCOMPARE(control<QListView>(&w, "lvSel")->model()->rowCount(), 1); // the lists are kept
        QFile::remove(selectionFile());
        QCOMPARE(control<QTableView>(&w, "grdSel")->model()->columnCount(), 7);
        QCOMPARE(QSettings(path, QSettings::IniFormat).allKeys(), QStringList{"LanguageIndex"});
    }

    void exitWritesOnlyPageAndLanguage()
    {
        const QString path = freshIni();
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        control<QTabWidget>(&w, "pcTagMain")->setCurrentWidget(control<QWidget>(&w, "tsCOM"));
        control<QCheckBox>(&w, "chkCOM03")->setChecked(true);
        control<QLineEdit>(&w, "edIP02")->setText("10.1.1.1");
        control<QPushButton>(&w, "btnExit")->click();
        QVERIFY(!w.isVisible());
        QSettings raw(path, QSettings::IniFormat);
        QStringList keys = raw.allKeys();
        keys.sort();
        QCOMPARE(keys, QStringList({"LanguageIndex", "PAGE"}));
        QCOMPARE(raw.value("PAGE").toInt(), 1);

        // The "Exit" of the "Set Reader" page takes the same way out.
        SettingsStore again(freshIni());
        TfrmModule w2(&again, &m_tone, selectionFile());
        w2.show();
        control<QTabWidget>(&w2, "pcMain")->setCurrentWidget(control<QWidget>(&w2, "tsSetReader"));
        control<QPushButton>(&w2, "btnExit01")->click();
        QVERIFY(!w2.isVisible());
        QCOMPARE(QSettings(again.location(), QSettings::IniFormat).allKeys().size(), 2);

        // The link page last chosen on "Set Reader" is the one stored, as if "Read TAG" had been shown.
        SettingsStore third(freshIni());
        TfrmModule w3(&third, &m_tone, selectionFile());
        w3.show();
        QCOMPARE(w3.linkKind(), LinkKind::TcpToReaders);
        control<QTabWidget>(&w3, "pcMain")->setCurrentWidget(control<QWidget>(&w3, "tsSetReader"));
        control<QTabWidget>(&w3, "pcSetReadMain")->setCurrentWidget(control<QWidget>(&w3, "tsUdpServer"));
        control<QPushButton>(&w3, "btnExit01")->click();
        QVERIFY(!w3.isVisible());
        QCOMPARE(QSettings(third.location(), QSettings::IniFormat).value("PAGE").toInt(), 3);
        QCOMPARE(control<QTabWidget>(&w3, "pcTagMain")->currentWidget()->objectName(),
                 QStringLiteral("tsUDP"));
    }

    void readingSessionStartsAndStops()
    {
        const QString path = freshIni();
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setTiming(Timing().scaled(10));
        w.reading()->setLinksFactory(
            [](const LinkRequest &) { return std::make_unique<DemoReplayLinks>(kRecording, 2, 5); });
        control<QLineEdit>(&w, "edtListenPort")->setText("x12");
        QSignalSpy reports(&w.reading()->decoder(), &ReportDecoder::reportDecoded);
        auto *start = control<QPushButton>(&w, "btnStart");
        start->click();
        QCOMPARE(start->text(), QStringLiteral("Stop"));
        QVERIFY(!control<QPushButton>(&w, "btnExit")->isEnabled());
        QVERIFY(!control<QWidget>(&w, "pcTagMain")->isEnabled());
        QVERIFY(control<QWidget>(&w, "pnlFun")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(reports.size() >= 4, 5000);
        QCOMPARE(reports.at(0).at(0).value<TTagReport>().uid, QStringLiteral("0000000000001234"));
        QCOMPARE(reports.at(1).at(0).value<TTagReport>().t1, QStringLiteral("25.00 C / 77.00 F"));
        // Reading start wrote its settings, port texts as numbers.
        QSettings raw(path, QSettings::IniFormat);
        QCOMPARE(raw.value("ListenPort").toString(), QStringLiteral("4001"));
        QCOMPARE(raw.value("IP11").toString(), QStringLiteral("192.168.1.101"));
        QCOMPARE(control<QLineEdit>(&w, "edtListenPort")->text(), QStringLiteral("4001"));
        // The grids, the counters and the status bar follow the reports.
        QAbstractItemModel *all = control<QTableView>(&w, "grdUID")->model();
        QTRY_COMPARE_WITH_TIMEOUT(all->rowCount(), 2, 3000);
        QCOMPARE(all->index(0, 1).data().toString(), QStringLiteral("0000000000001234"));
        QCOMPARE(all->index(1, 5).data().toString(), QStringLiteral("25.00 C / 77.00 F"));
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(&w, "pnlTagCount")->text(), QStringLiteral("2"), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(control<QLabel>(&w, "sbMainPanel0")->text().startsWith("   000000"), 3000);
        QCOMPARE(control<QLineEdit>(&w, "edtTagID")->text().size(), 16);

        // The activity indicator blinks yellow and red.
        auto *indicator = control<QWidget>(&w, "shComm");
        QTRY_VERIFY_WITH_TIMEOUT(indicator->styleSheet().contains("#ffff00"), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(indicator->styleSheet().contains("#ff0000"), 3000);

        // Switching languages during a session shows the translated "Stop".
        control<QPushButton>(&w, "btnCHT")->click();
        QCOMPARE(start->text(), QStringLiteral("停止"));
        control<QPushButton>(&w, "btnEng")->click();

        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        start->click();
        QVERIFY(!start->isEnabled() || ended.size() == 1);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
        QCOMPARE(start->text(), QStringLiteral("Start"));
        QVERIFY(start->isEnabled());
        QVERIFY(control<QPushButton>(&w, "btnExit")->isEnabled());
        QVERIFY(control<QWidget>(&w, "pcTagMain")->isEnabled());
    }

    void serialSessionThroughAPty()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        const QString path = freshIni();
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setTiming(Timing().scaled(20));
        control<QTabWidget>(&w, "pcTagMain")->setCurrentWidget(control<QWidget>(&w, "tsCOM"));
        QCOMPARE(w.linkKind(), LinkKind::Serial);
        // COM2 stands for the pty on this system; the choice is kept.
        auto *device = control<QLineEdit>(&w, "edDevCOM02");
        device->setText(pty.slavePath());
        QMetaObject::invokeMethod(device, "editingFinished");
        QCOMPARE(SerialPortMap::fromVariantMap(store.comDevices()).device(2), pty.slavePath());
        control<QCheckBox>(&w, "chkCOM02")->setChecked(true);
        QSignalSpy reports(&w.reading()->decoder(), &ReportDecoder::reportDecoded);
        control<QPushButton>(&w, "btnStart")->click();
        // The reader is greeted ("M0", then "A3") on its port.
        QByteArray greeting;
        QTRY_VERIFY_WITH_TIMEOUT((greeting += pty.readAvailable()).size() >= 6, 3000);
        QVERIFY(greeting.startsWith(CommandFrame::buildCommandFrame("M0")));
        QVERIFY(pty.write("00000000000012"
                          "34"
                          "50A3FF\r0000000000005678"));
        QVERIFY(pty.write("60B4FE\r"));
        QTRY_COMPARE_WITH_TIMEOUT(reports.size(), 2, 5000);
        QCOMPARE(reports.at(0).at(1).toString(), QStringLiteral("COM02"));
        QCOMPARE(reports.at(1).at(0).value<TTagReport>().uid, QStringLiteral("0000000000005678"));
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("COM2").toInt(), 1);
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("PAGE").toInt(), 1);
        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnStart")->click();
        QByteArray farewell;
        QTRY_VERIFY_WITH_TIMEOUT(
            (farewell += pty.readAvailable()).contains(CommandFrame::buildCommandFrame("A0")), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    }

    void selectionTimingSaveAndSelectionFile()
    {
        const QString path = freshIni();
        const QString csv = m_dir.filePath(QStringLiteral("logs/run.csv"));
        QVERIFY(SelectionListFile::save(selectionFile(), {"0000000000005678"}));
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setLinksFactory(
            [](const LinkRequest &) { return std::make_unique<DemoReplayLinks>(kRecording, 2, 5); });
        auto *edFile = control<QLineEdit>(&w, "edFile");
        edFile->setText(csv);
        QMetaObject::invokeMethod(edFile, "editingFinished");
        QTest::mouseClick(control<QCheckBox>(&w, "chbAutoSave"), Qt::LeftButton);
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("AutoSaveFile").toInt(), 1);
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("AllTags").toInt(), 0);
        QVERIFY(QDir(m_dir.filePath("logs")).exists());

        control<QPushButton>(&w, "btnStart")->click();
        QAbstractItemModel *sel = control<QTableView>(&w, "grdSel")->model();
        QTRY_COMPARE_WITH_TIMEOUT(sel->rowCount(), 1, 3000);
        QCOMPARE(sel->index(0, 1).data().toString(), QStringLiteral("0000000000005678"));
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(&w, "pnCount")->text(), QStringLiteral("1"), 3000);

        // Double click on the first tag of the list selects it too.
        auto *lvTag = control<QListView>(&w, "lvTag");
        QTRY_VERIFY_WITH_TIMEOUT(lvTag->model()->rowCount() >= 2, 3000);
        const QModelIndex first = lvTag->model()->index(1, 0);
        QCOMPARE(first.data().toString(), QStringLiteral("0000000000001234"));
        const QPoint centre = lvTag->visualRect(first).center();
        // A real double click: a click, then the double-click event.
        QTest::mouseClick(lvTag->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(lvTag->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(control<QListView>(&w, "lvSel")->model()->rowCount(), 2);
        // A new selection restarts the selected-tags table; both tags come back with their next reports.
        QTRY_COMPARE_WITH_TIMEOUT(sel->rowCount(), 2, 3000);

        // "Number:" is kept as a number; a key in it restarts the selection timing.
        auto *edNo = control<QLineEdit>(&w, "edNo");
        control<QTabWidget>(&w, "pcReadTag")->setCurrentWidget(control<QWidget>(&w, "tsViewSelTag"));
        edNo->setFocus();
        edNo->end(false);
        QTest::keyClicks(edNo, "x");
        QTRY_COMPARE_WITH_TIMEOUT(edNo->text(), QStringLiteral("1"), 3000);
        QCOMPARE(w.reading()->tables().number(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(sel->rowCount(), 2, 3000);

        // "Save" stops the session; the snapshot follows the session's last log line.
        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnSave")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
        QFile log(csv);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().split('\n');
        QVERIFY(lines.size() >= 3);
        QVERIFY(lines.first().startsWith("0000000001\t,    0000000000005678\t,"));
        QVERIFY(lines.at(lines.size() - 3).startsWith("1\t,"));
        QVERIFY(lines.at(lines.size() - 2).startsWith("2\t,"));
        QCOMPARE(SelectionListFile::load(selectionFile()),
                 QStringList({"0000000000005678", "0000000000001234"}));
        QFile::remove(selectionFile());
    }

    void numberKeyShowsTheTagCountAsZero()
    {
        QVERIFY(SelectionListFile::save(selectionFile(), {"0000000000005678", "0000000000001234"}));
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        auto *tagCount = control<QLabel>(&w, "pnlTagCount");
        QTRY_COMPARE_WITH_TIMEOUT(tagCount->text(), QStringLiteral("2"), 3000);
        control<QTabWidget>(&w, "pcReadTag")->setCurrentWidget(control<QWidget>(&w, "tsViewSelTag"));
        auto *edNo = control<QLineEdit>(&w, "edNo");
        edNo->setFocus();
        QTest::keyClicks(edNo, "3");
        QTRY_COMPARE_WITH_TIMEOUT(tagCount->text(), QStringLiteral("0"), 3000);
        QCOMPARE(edNo->text(), QStringLiteral("13"));
        QCOMPARE(control<QTableView>(&w, "grdUID")->model()->rowCount(), 2); // only the count shows 0
        QFile::remove(selectionFile());
    }

    void problemsAndTamperFollowTheLanguage()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setLinksFactory([](const LinkRequest &) { return nullptr; });
        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnStart")->click();
        QCOMPARE(ended.size(), 1);
        auto *problems = control<QLabel>(&w, "sbMainPanel1");
        QCOMPARE(problems->text(), QStringLiteral("No reading links for this link kind"));
        control<QPushButton>(&w, "btnCHT")->click();
        QCOMPARE(problems->text(), QStringLiteral("此連線方式沒有可讀取的連線"));
        QCOMPARE(control<QLineEdit>(&w, "edDevCOM01")->toolTip(), QStringLiteral("此埠號開啟的裝置"));

        QByteArray recording = "J00"
                               "0000000000001234"
                               "50A3FF\r"
                               "0000000000001234"
                               "50A3FF\r";
        w.reading()->setLinksFactory([recording](const LinkRequest &) {
            return std::make_unique<DemoReplayLinks>(recording, 1, 20, false);
        });
        control<QPushButton>(&w, "btnStart")->click();
        QCOMPARE(problems->text(), QString());
        auto *tamper = control<QLabel>(&w, "pnlTamper");
        QTRY_COMPARE_WITH_TIMEOUT(tamper->text(), QStringLiteral("防拆警示 (10)"), 3000);
        control<QPushButton>(&w, "btnCHS")->click();
        QCOMPARE(tamper->text(), QStringLiteral("防拆警示 (10)")); // the same words in both scripts
        control<QPushButton>(&w, "btnEng")->click();
        QCOMPARE(tamper->text(), QStringLiteral("Tamper Alarm (10)"));
        QVERIFY(tamper->isVisible());
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, 5000);
    }

    void tamperAlarmClearAndRssiThreshold()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        // An alarm line, then plain lines count the alarm down: (10), (9), ...
        QByteArray recording = "J00"
                               "0000000000001234"
                               "50A3FF\r";
        for (int i = 0; i < 6; ++i)
            recording += "0000000000001234"
                         "4FA3FF\r";
        w.reading()->setLinksFactory([recording](const LinkRequest &) {
            return std::make_unique<DemoReplayLinks>(recording, 1, 20, false);
        });
        auto *sb = control<QScrollBar>(&w, "sbRSSI");
        sb->setValue(0x50);
        QCOMPARE(control<QLabel>(&w, "pnRSSI")->text(), QStringLiteral("80"));
        auto *tamper = control<QLabel>(&w, "pnlTamper");
        auto *reset = control<QPushButton>(&w, "btnTemperReset");
        QVERIFY(!tamper->isVisible());
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_VERIFY_WITH_TIMEOUT(tamper->isVisible(), 3000);
        QVERIFY(reset->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(tamper->text(), QStringLiteral("Tamper Alarm (5)"), 3000);
        QVERIFY(tamper->isVisible());
        QCOMPARE(w.reading()->decoder().tamperCountdown(), 6);
        reset->click();
        QVERIFY(!tamper->isVisible());
        QVERIFY(!reset->isVisible());
        // RSSI 4F is below the threshold: counted in the status bar, but the row keeps RSSI 080.
        QAbstractItemModel *all = control<QTableView>(&w, "grdUID")->model();
        QTRY_VERIFY_WITH_TIMEOUT(control<QLabel>(&w, "sbMainPanel0")->text().startsWith("   0000000007"),
                                 3000);
        QCOMPARE(all->rowCount(), 1);
        QCOMPARE(all->index(0, 2).data().toString(), QStringLiteral("080"));
        QCOMPARE(all->index(0, 7).data().toString(), QStringLiteral("1"));

        // "Clear" empties the grid and the tag list; the next report starts them again.
        control<QPushButton>(&w, "btnClear")->click();
        QCOMPARE(all->rowCount(), 0);
        QCOMPARE(control<QListView>(&w, "lvTag")->model()->rowCount(), 0);
        QCOMPARE(control<QLineEdit>(&w, "edtTagID")->text(), QStringLiteral("0000000000000000"));
        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
        QVERIFY(!tamper->isVisible());
    }

    void demoReadsASimulatedReader()
    {
        const QString path = freshIni();
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setTiming(Timing().scaled(10));
        DemoReader demo;
        QVERIFY(demo.start(w, 8, 200.0));
        QCOMPARE(control<QLineEdit>(&w, "edDevCOM01")->text(), demo.device());
        QCOMPARE(w.linkKind(), LinkKind::Serial);
        QAbstractItemModel *all = control<QTableView>(&w, "grdUID")->model();
        QTRY_COMPARE_WITH_TIMEOUT(all->rowCount(), 8, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(&w, "pnlTagCount")->text(), QStringLiteral("8"), 3000);
        QVERIFY(all->index(0, 7).data().toInt() >= 1);
        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    }

    void showingAnotherPageStopsTheSession()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setLinksFactory(
            [](const LinkRequest &) { return std::make_unique<DemoReplayLinks>(kRecording, 1, 5); });
        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnStart")->click();
        control<QTabWidget>(&w, "pcMain")->setCurrentWidget(control<QWidget>(&w, "tsSetReader"));
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
        QVERIFY(!w.reading()->isRunning());
        // The configuration page follows the reading link page.
        QCOMPARE(control<QTabWidget>(&w, "pcSetReadMain")->currentWidget()->objectName(),
                 QStringLiteral("tsTcpServer"));
    }

    void closingDuringASessionStopsItFirst()
    {
        const QString path = freshIni();
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        w.reading()->setLinksFactory(
            [](const LinkRequest &) { return std::make_unique<DemoReplayLinks>(kRecording, 1, 5); });
        control<QPushButton>(&w, "btnStart")->click();
        QSettings(path, QSettings::IniFormat).remove("LanguageIndex");
        w.close();
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
        QVERIFY(!w.reading()->isBusy());
        QVERIFY(QSettings(path, QSettings::IniFormat).contains("LanguageIndex"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
