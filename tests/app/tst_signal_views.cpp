#include "FakeClock.h"
#include "WindowControls.h"
#include "app/ChartView.h"
#include "app/CoverageView.h"
#include "app/FindTagMeter.h"
#include "app/ReadTagController.h"
#include "app/SignalViews.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "reading/CoverageCsv.h"
#include "reading/TagHistory.h"
#include "sim/Simulator.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// The "Chart", "Coverage" and "Find TAG" views of "Read TAG" against a simulated reader on a pty
// whose first tag moves closer.
class TestSignalViews : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    SilentTonePlayer m_tone;

private slots:
    void initTestCase()
    {
        qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("home/.config")).toLocal8Bit());
    }

    void viewsFollowASimulatedReader()
    {
        SimOptions options;
        options.tags = 3;
        options.rate = 150;
        options.approachReports = 80;
        Simulator sim(options);
        QString error;
        QVERIFY2(sim.start(&error), qPrintable(error));
        const QString approaching = QString::fromLatin1(sim.tags().tag(0).uid);

        SettingsStore store(m_dir.filePath(QStringLiteral("settings.ini")));
        TfrmModule w(&store, &m_tone, m_dir.filePath(QStringLiteral("sel.csv")));
        w.show();
        w.reading()->setTiming(Timing().scaled(20));
        control<QTabWidget>(&w, "pcTagMain")->setCurrentWidget(control<QWidget>(&w, "tsCOM"));
        auto *device = control<QLineEdit>(&w, "edDevCOM02");
        device->setText(sim.endpoints().first());
        QMetaObject::invokeMethod(device, "editingFinished");
        control<QCheckBox>(&w, "chkCOM02")->setChecked(true);
        SignalViews *views = w.reading()->signalViews();
        auto *tagViews = control<QTabWidget>(&w, "pcReadTag");

        // Find: the meter follows the approaching tag.
        views->findTag(approaching);
        tagViews->setCurrentWidget(control<QWidget>(&w, "tsViewFind"));
        control<QPushButton>(&w, "btnStart")->click();
        FindTagMeter *meter = views->findMeter();
        QTRY_VERIFY_WITH_TIMEOUT(views->findSignal().reports() >= 3, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(meter->meterValue() > 0, 2000);
        const int early = meter->meterValue();
        QVERIFY(early < 0x80);
        QTRY_VERIFY_WITH_TIMEOUT(meter->meterValue() > 0xD0, 10000);
        QVERIFY(meter->ageText().startsWith(QStringLiteral("Last report")));

        // Chart: a series per selected tag, named by its UID, drawn while shown.
        TagTables &tables = w.reading()->tables();
        QTRY_COMPARE_WITH_TIMEOUT(tables.tagList()->size(), 3, 5000);
        tables.selectTag(0);
        tables.selectTag(1);
        tagViews->setCurrentWidget(control<QWidget>(&w, "tsViewChart"));
        ChartView *chart = views->chartView();
        QCOMPARE(chart->rssiSeries().size(), 2);
        QCOMPARE(chart->rssiSeries().at(0)->name(), tables.selectionList()->uidAt(0));
        QTRY_VERIFY_WITH_TIMEOUT(
            chart->rssiSeries().at(0)->count() > 0 && chart->rssiSeries().at(1)->count() > 0, 5000);

        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        control<QPushButton>(&w, "btnStart")->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
        QVERIFY(!views->findTone().isTicking());

        // Coverage: one reader column, each cell the latest RSSI and the count; saved as the CLI writes.
        tagViews->setCurrentWidget(control<QWidget>(&w, "tsViewCoverage"));
        views->coverageView()->refresh();
        const CoverageMatrix &matrix = views->coverage();
        QAbstractItemModel *grid = control<QTableView>(&w, "grdCoverage")->model();
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->headerData(1, Qt::Horizontal).toString(), QStringLiteral("COM02"));
        quint64 total = 0;
        for (int row = 0; row < grid->rowCount(); ++row) {
            const int m = matrix.rowOf(grid->index(row, 0).data().toString());
            const CoverageCell &c = matrix.cell(m, 0);
            QCOMPARE(grid->index(row, 1).data().toString(),
                     QStringLiteral("%1 (%2)").arg(c.lastRssi).arg(c.reports));
            total += c.reports;
        }
        QCOMPARE(total, tables.enteredReports());
        QVERIFY(views->coverageView()->saveCsv(m_dir.filePath("cov.csv"), &error));
        QFile saved(m_dir.filePath("cov.csv"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), CoverageCsv::text(matrix));
        // The UID filter hides rows.
        views->coverageView()->setUidFilter(approaching);
        QCOMPARE(grid->rowCount(), 1);

        // The chart's data file holds the points drawn.
        QVERIFY(chart->saveData(m_dir.filePath("chart.csv"), &error));
        QFile data(m_dir.filePath("chart.csv"));
        QVERIFY(data.open(QIODevice::ReadOnly));
        const QByteArray bytes = data.readAll();
        QCOMPARE(bytes, chart->plottedCsv());
        QCOMPARE(int(bytes.count('\n')) - 1,
                 chart->rssiSeries().at(0)->count() + chart->rssiSeries().at(1)->count());
        QVERIFY(chart->saveImage(m_dir.filePath("chart.png"), &error));
        QVERIFY(QImage(m_dir.filePath("chart.png")).width() > 100);
    }

    // The lower chart plots the sensor the user picks: the first temperature, or the second word
    // (here a humidity), titled in the window's language.
    void chartPlotsTheChosenSensor()
    {
        FakeClock clock;
        TagHistory history(clock);
        const QString uid = QStringLiteral("0000000000000042");
        history.setTracked({uid});
        TTagReport r;
        r.uid = uid;
        r.rssi = 0x90;
        r.kind = ReportKind::TemperatureHumidity;
        for (int i = 0; i < 3; ++i) {
            r.t1 = QStringLiteral("%1.00 C / 77.00 F").arg(20 + i);
            r.t2 = QStringLiteral("%1.50%").arg(40 + i);
            history.add(r, QStringLiteral("COM02"));
            clock.advance(1000);
        }
        ChartView chart(history);
        chart.show();
        chart.setTags({uid});
        const auto plotted = [&chart] {
            QList<double> values;
            for (const QPointF &p : chart.temperatureSeries().at(0)->points())
                values << p.y();
            return values;
        };
        QCOMPARE(plotted(), (QList<double>{20, 21, 22}));
        auto *sensor = control<QComboBox>(&chart, "cbxChartSensor");
        sensor->setCurrentIndex(1);
        QCOMPARE(plotted(), (QList<double>{40.5, 41.5, 42.5}));
        QChart *lower = control<QChartView>(&chart, "chtTemperature")->chart();
        QCOMPARE(lower->title(), QStringLiteral("T2 (C) or humidity (%)"));
        chart.setLanguage(Language::SimplifiedChinese);
        QCOMPARE(lower->title(), QString::fromUtf8("T2 (C) 或湿度 (%)"));
        QCOMPARE(sensor->currentText(), QString::fromUtf8("T2 或湿度"));
    }

    void captionsInThreeLanguages()
    {
        SettingsStore store(m_dir.filePath(QStringLiteral("lang.ini")));
        TfrmModule w(&store, &m_tone, m_dir.filePath(QStringLiteral("sel2.csv")));
        w.show();
        auto *tabs = control<QTabWidget>(&w, "pcReadTag");
        const auto tabText = [tabs, &w](const char *name) {
            return tabs->tabText(tabs->indexOf(control<QWidget>(&w, name)));
        };
        struct Expected
        {
            const char *button, *chart, *coverage, *find, *image, *tone;
        };
        for (const Expected &e :
             {Expected{"btnCHT", "圖表", "涵蓋範圍", "尋找標籤", "儲存圖片...", "滴答提示音"},
              Expected{"btnCHS", "图表", "覆盖范围", "寻找标签", "保存图片...", "滴答提示音"},
              Expected{"btnEng", "Chart", "Coverage", "Find TAG", "Save image...", "Tick tone"}}) {
            control<QPushButton>(&w, e.button)->click();
            QCOMPARE(tabText("tsViewChart"), QString::fromUtf8(e.chart));
            QCOMPARE(tabText("tsViewCoverage"), QString::fromUtf8(e.coverage));
            QCOMPARE(tabText("tsViewFind"), QString::fromUtf8(e.find));
            QCOMPARE(control<QPushButton>(&w, "btnChartImage")->text(), QString::fromUtf8(e.image));
            QCOMPARE(control<QCheckBox>(&w, "chkFindTone")->text(), QString::fromUtf8(e.tone));
        }
    }
};

QTEST_MAIN(TestSignalViews)
#include "tst_signal_views.moc"
