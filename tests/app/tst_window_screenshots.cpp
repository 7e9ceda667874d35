#include "app/ChartView.h"
#include "app/CoverageView.h"
#include "app/DemoReader.h"
#include "app/FindTagMeter.h"
#include "app/LanguageFonts.h"
#include "app/ReadTagController.h"
#include "app/SignalViews.h"
#include "app/TfrmModule.h"
#include "app/WindowTranslator.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"

#include <QAbstractButton>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// Shows the window in each language, checks that no caption is cut short and that Chinese has a font
// with its glyphs, and saves a picture of each page when TALVO_SCREENSHOT_DIR names a folder.
class TestWindowScreenshots : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    SilentTonePlayer m_tone;

    static QStringList clippedCaptions(QWidget *root)
    {
        QStringList clipped;
        const auto widgets = root->findChildren<QWidget *>();
        for (QWidget *w : widgets) {
            if (WindowTranslator::key(w).isEmpty() || !w->isVisible())
                continue;
            if (!qobject_cast<QAbstractButton *>(w) && !qobject_cast<QLabel *>(w))
                continue;
            if (w->width() < w->minimumSizeHint().width())
                clipped << w->objectName() + QLatin1Char('=') + WindowTranslator::caption(w);
        }
        return clipped;
    }

private:
    // The chart of three selected tags, the coverage matrix (two more readers, as a broker source
    // would label them, hear some of the tags) and the tag finder.
    void shootSignalViews(TfrmModule &w, const QString &tag, const QString &outDir)
    {
        TagTables &tables = w.reading()->tables();
        for (int row = 0; row < 3; ++row)
            tables.selectTag(row);
        SignalViews *views = w.reading()->signalViews();
        for (int row = 0; row < tables.tagList()->size(); ++row) {
            TTagReport r;
            r.uid = tables.tagList()->uidAt(row);
            for (int n = 0; n <= row % 4; ++n) {
                r.rssi = quint8(0x30 + 0x11 * ((row * 7 + n) % 9));
                views->coverage().add(r, n % 2 ? QStringLiteral("hall/R2") : QStringLiteral("dock/R3"));
            }
        }
        views->findTag(tables.tagList()->uidAt(0));
        views->chartView()->setWindowMinutes(1);
        auto *pcReadTag = w.findChild<QTabWidget *>(QStringLiteral("pcReadTag"));
        for (const char *name : {"tsViewChart", "tsViewCoverage", "tsViewFind"}) {
            pcReadTag->setCurrentWidget(w.findChild<QWidget *>(QLatin1String(name)));
            // Each view draws on its own timer once shown: wait until it shows the data.
            const QString shown = QLatin1String(name);
            if (shown == QLatin1String("tsViewChart"))
                QTRY_VERIFY_WITH_TIMEOUT(views->chartView()->rssiSeries().value(2) &&
                                             views->chartView()->rssiSeries().at(2)->count() > 12,
                                         10000);
            else if (shown == QLatin1String("tsViewCoverage"))
                QTRY_COMPARE_WITH_TIMEOUT(views->coverageView()->table()->model()->columnCount(), 4, 5000);
            else
                QTRY_VERIFY_WITH_TIMEOUT(views->findMeter()->meterValue() > 0, 5000);
            if (!outDir.isEmpty())
                QVERIFY(w.grab().save(QDir(outDir).filePath(tag + QStringLiteral("-readtag-") +
                                                            shown.mid(6).toLower() + ".png")));
            // The view alone, small enough for the README.
            if (!outDir.isEmpty())
                QVERIFY(pcReadTag->currentWidget()->grab().save(
                    QDir(outDir).filePath(tag + QStringLiteral("-view-") + shown.mid(6).toLower() + ".png")));
            const QStringList clipped = clippedCaptions(&w);
            QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(", "))));
        }
    }

private slots:
    void chineseHasGlyphs_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("system");
        QTest::newRow("CHT") << 1 << int(QFontDatabase::TraditionalChinese);
        QTest::newRow("CHS") << 2 << int(QFontDatabase::SimplifiedChinese);
    }
    void chineseHasGlyphs()
    {
        QFETCH(int, language);
        QFETCH(int, system);
        const QFont font = LanguageFonts::fontFor(Language(language));
        QVERIFY(font.bold());
        QCOMPARE(font.pointSize(), 10);
        bool covered = false;
        for (const QString &family : font.families())
            covered |= QFontDatabase::writingSystems(family).contains(QFontDatabase::WritingSystem(system));
        if (!covered && QFontDatabase::families(QFontDatabase::WritingSystem(system)).isEmpty())
            QSKIP("no font with Chinese glyphs is installed");
        QVERIFY2(covered, qPrintable(font.families().join(',')));
    }

    void eachLanguageFits_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("tag");
        QTest::newRow("ENG") << 0 << "eng";
        QTest::newRow("CHT") << 1 << "cht";
        QTest::newRow("CHS") << 2 << "chs";
    }
    void eachLanguageFits()
    {
        QFETCH(int, language);
        QFETCH(QString, tag);
        SettingsStore store(m_dir.filePath(tag + QStringLiteral(".ini")));
        TfrmModule w(&store, &m_tone, m_dir.filePath(QStringLiteral("sel.csv")));
        w.resize(TfrmModule::startupSize({1024, 768}));
        w.setLanguage(Language(language));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString outDir = qEnvironmentVariable("TALVO_SCREENSHOT_DIR");
        auto *pcMain = w.findChild<QTabWidget *>(QStringLiteral("pcMain"));
        auto *pcReadTag = w.findChild<QTabWidget *>(QStringLiteral("pcReadTag"));
        auto *pcTagMain = w.findChild<QTabWidget *>(QStringLiteral("pcTagMain"));
        const struct
        {
            const char *name;
            int main, view, link;
        } shots[] = {{"readtag-all", 1, 0, 2},
                     {"readtag-select", 1, 1, 0},
                     {"readtag-udp", 1, 0, 1},
                     {"setreader", 0, 0, 2},
                     {"settag", 2, 0, 2}};
        for (const auto &shot : shots) {
            pcMain->setCurrentIndex(shot.main);
            pcReadTag->setCurrentIndex(shot.view);
            pcTagMain->setCurrentIndex(shot.link);
            QApplication::processEvents();
            if (!outDir.isEmpty())
                QVERIFY(w.grab().save(QDir(outDir).filePath(tag + QLatin1Char('-') + shot.name + ".png")));
            const QStringList clipped = clippedCaptions(&w);
            QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(", "))));
        }
        // "Set Reader" with the installer's controls shown.
        pcMain->setCurrentIndex(0);
        auto *showHidden = w.findChild<QAbstractButton *>(QStringLiteral("chkShowHidden"));
        showHidden->setChecked(true);
        auto *commands = w.findChild<QScrollArea *>(QStringLiteral("scrSetup"));
        QTRY_VERIFY(commands->mapTo(&w, QPoint(commands->width(), 0)).x() <= w.width());
        QTRY_COMPARE(clippedCaptions(&w), QStringList());
        if (!outDir.isEmpty())
            QVERIFY(w.grab().save(QDir(outDir).filePath(tag + QStringLiteral("-setreader-hidden.png"))));
        QStringList clipped;
        showHidden->setChecked(false);

        // The tag settings panel opened for a typed tag, on each tag type page.
        pcMain->setCurrentIndex(1);
        auto *tagId = w.findChild<QLineEdit *>(QStringLiteral("edtTagID"));
        tagId->clear();
        QTest::keyClicks(tagId, QStringLiteral("0000000000001148"));
        w.findChild<QPushButton *>(QStringLiteral("btnSetTag"))->click();
        QTRY_COMPARE(w.size(), TfrmModule::kTagPanelSize);
        auto *pcSelTagType = w.findChild<QTabWidget *>(QStringLiteral("pcSelTagType"));
        for (int i = 0; i < pcSelTagType->count(); ++i) {
            pcSelTagType->setCurrentIndex(i);
            QApplication::processEvents();
            const QString page = pcSelTagType->currentWidget()->objectName();
            if (!outDir.isEmpty())
                QVERIFY(
                    w.grab().save(QDir(outDir).filePath(tag + QStringLiteral("-tagpanel-") + page + ".png")));
            clipped = clippedCaptions(&w);
            QVERIFY2(clipped.isEmpty(), qPrintable(page + ": " + clipped.join(QStringLiteral(", "))));
            // Every control of the page is in view: the page does not scroll.
            auto *scroll = qobject_cast<QScrollArea *>(pcSelTagType->currentWidget());
            QVERIFY2(scroll && !scroll->verticalScrollBar()->isVisible(), qPrintable(page));
        }
        w.findChild<QPushButton *>(QStringLiteral("btnTagExit"))->click();
        w.resize(TfrmModule::startupSize({1024, 768}));

        // The reading page with tags in its grid.
        pcMain->setCurrentIndex(1);
        DemoReader demo;
        QVERIFY(demo.start(w, 12, 400.0));
        auto *grid = w.findChild<QTableView *>(QStringLiteral("grdUID"));
        QTRY_COMPARE_WITH_TIMEOUT(grid->model()->rowCount(), 12, 10000);
        auto *count = w.findChild<QLabel *>(QStringLiteral("pnlTagCount"));
        QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("12"), 5000);
        if (!outDir.isEmpty())
            QVERIFY(w.grab().save(QDir(outDir).filePath(tag + QStringLiteral("-readtag-demo.png"))));
        shootSignalViews(w, tag, outDir);
        w.reading()->stopIfRunning();
        QTRY_VERIFY_WITH_TIMEOUT(!w.reading()->isBusy(), 5000);
    }
};

QTEST_MAIN(TestWindowScreenshots)
#include "tst_window_screenshots.moc"
