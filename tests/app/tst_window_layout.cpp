#include "WindowControls.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "tagcfg/TagUidModel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

// The window's shape: titles, tabs, list headers, the Set TAG "&Clear", and that it fits small
// screens and shows every reading column at its default size.
namespace {
bool drawsRedTabs(QWidget *w, const char *pageControl)
{
    return control<QTabWidget>(w, pageControl)->findChild<QTabBar *>()->inherits("RedTabBar");
}
} // namespace

class TestWindowLayout : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    SilentTonePlayer m_tone;
    int m_files = 0;

    QString freshIni() { return m_dir.filePath(QStringLiteral("layout%1.ini").arg(++m_files)); }

    // Opens the tag settings panel for a typed tag, as the user does.
    static void openTagPanel(TfrmModule *w)
    {
        auto *edit = control<QLineEdit>(w, "edtTagID");
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("0000000000001148"));
        control<QPushButton>(w, "btnSetTag")->click();
        QCOMPARE(control<QTabWidget>(w, "pcMain")->currentWidget()->objectName(), QStringLiteral("tsSetTAG"));
    }

    // The controls under `root` that are shown but not wholly inside `view` (window coordinates).
    static QStringList outside(QWidget *root, QWidget *window, const QRect &view)
    {
        QStringList out;
        const auto controls = root->findChildren<QWidget *>();
        for (QWidget *c : controls) {
            const bool control = qobject_cast<QAbstractButton *>(c) || qobject_cast<QAbstractSlider *>(c) ||
                                 qobject_cast<QLabel *>(c);
            if (!control || !c->isVisible())
                continue;
            if (!view.contains(QRect(c->mapTo(window, QPoint(0, 0)), c->size())))
                out << c->objectName() + QLatin1Char('@') +
                           QString::number(c->mapTo(window, QPoint(0, 0)).y());
        }
        return out;
    }
    QString selectionFile() const { return m_dir.filePath(QStringLiteral("sel.csv")); }

private slots:
    void titlesAndTabs()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        // No display name is set, so the window system appends nothing to the captions of the
        // window and of its message boxes.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QCOMPARE(w.windowIconText(), QStringLiteral("Talvo Utility V0303"));
        QCOMPARE(w.windowTitle(), TfrmModule::caption(QCoreApplication::applicationFilePath()));
        QVERIFY(w.windowTitle().startsWith(QStringLiteral("Talvo Utility V0304") + QChar(0x3000) + '['));
        for (const char *pc : {"pcMain", "pcTagMain", "pcSetReadMain", "pcSelTagType"})
            QVERIFY2(drawsRedTabs(&w, pc), pc);
        QVERIFY(!drawsRedTabs(&w, "pcReadTag"));
    }

    void tagListsShowTheirIdHeader()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const char *list : {"lvTag", "lvSel"}) {
            auto *view = control<QListView>(&w, list);
            auto *header = control<QHeaderView>(&w, (QByteArray(list) + "Header").constData());
            QVERIFY(header->isVisible());
            QCOMPARE(header->model(), view->model());
            QCOMPARE(header->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ID"));
            QVERIFY(header->height() > 0);
            QVERIFY(header->geometry().bottom() <= view->geometry().top());
        }
    }

    void fitsAnEightHundredPixelScreen()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        for (Language language :
             {Language::TraditionalChinese, Language::SimplifiedChinese, Language::English}) {
            w.setLanguage(language);
            const int width = w.minimumSizeHint().width();
            QVERIFY2(width <= 800,
                     qPrintable(QStringLiteral("%1 in language %2").arg(width).arg(int(language))));
        }
        w.resize(TfrmModule::startupSize({800, 600}));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.width(), 800);
    }

    // The "Publish" group's settings folded out still fit the narrow screen, in every language.
    void publishSettingsFitAnEightHundredPixelScreen()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.resize(TfrmModule::startupSize({800, 600}));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        control<QToolButton>(&w, "btnMqttDetails")->click();
        auto *url = control<QLineEdit>(&w, "edtMqttUrl");
        QVERIFY(url->isVisible());
        for (Language language :
             {Language::TraditionalChinese, Language::SimplifiedChinese, Language::English}) {
            w.setLanguage(language);
            const int width = w.minimumSizeHint().width();
            QVERIFY2(width <= 800,
                     qPrintable(QStringLiteral("%1 in language %2").arg(width).arg(int(language))));
        }
        QCOMPARE(w.width(), 800);
        // Every box is on screen and wide enough to type in.
        for (const char *name : {"edtMqttUrl", "edtMqttPrefix", "edtMqttSite", "edtMqttUser",
                                 "edtMqttPasswordFile", "edtMqttCaFile"}) {
            auto *box = control<QLineEdit>(&w, name);
            const QRect onWindow(box->mapTo(&w, QPoint(0, 0)), box->size());
            QVERIFY2(w.rect().contains(onWindow), name);
            QVERIFY2(box->width() >= 60, name);
        }
    }

    void readingGridFitsAtTheDefaultSize()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.resize(TfrmModule::startupSize({1024, 768}));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *grid = control<QTableView>(&w, "grdUID");
        QHeaderView *header = grid->horizontalHeader();
        QCOMPARE(header->count(), 8);
        QTRY_VERIFY(header->length() <= grid->viewport()->width());
        QVERIFY(!grid->horizontalScrollBar()->isVisible());
        // The last column, "Count", is on screen; UID shows a whole UID, T1 and T2 share what the
        // others leave.
        QVERIFY(header->sectionViewportPosition(7) + header->sectionSize(7) <= grid->viewport()->width());
        const int margin = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
        for (const char *uid : {"0000000000001148", "DDDDDDDDDDDDDDDD", "BBBBBBBBBBBBBBBB"}) {
            const int text = grid->fontMetrics().horizontalAdvance(QLatin1String(uid));
            QVERIFY2(header->sectionSize(1) >= text + margin, uid);
        }
        QVERIFY(qAbs(header->sectionSize(5) - header->sectionSize(6)) <= 1);
        QVERIFY(header->sectionSize(5) > 0);
    }

    // The tag settings panel at its size when it opens: every control of every tag type page is in
    // view without scrolling, in each language.
    void tagPagesShowEveryControl_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("ENG") << int(Language::English);
        QTest::newRow("CHT") << int(Language::TraditionalChinese);
        QTest::newRow("CHS") << int(Language::SimplifiedChinese);
    }
    void tagPagesShowEveryControl()
    {
        QFETCH(int, language);
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.setLanguage(Language(language));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        openTagPanel(&w);
        QTRY_COMPARE(w.size(), TfrmModule::kTagPanelSize);
        auto *pages = control<QTabWidget>(&w, "pcSelTagType");
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            auto *scroll = qobject_cast<QScrollArea *>(pages->currentWidget());
            QVERIFY(scroll);
            QTRY_VERIFY(scroll->widget()->isVisible());
            const QRect view(scroll->viewport()->mapTo(&w, QPoint(0, 0)), scroll->viewport()->size());
            QVERIFY(w.rect().contains(view));
            const QStringList out = outside(scroll->widget(), &w, view);
            QVERIFY2(out.isEmpty(), qPrintable(pages->tabText(i) + QStringLiteral(": ") + out.join(' ')));
        }
        // The foot of the panel: its switches and "Cancel" are on screen too.
        for (const char *name : {"btnShowReadTag", "btnShowProvision", "btnTagCancel"}) {
            auto *b = control<QWidget>(&w, name);
            QVERIFY2(w.rect().contains(QRect(b->mapTo(&w, QPoint(0, 0)), b->size())), name);
        }
    }

    // The read loop and the provisioning bar start folded; what the user unfolds stays so.
    void tagPanelFoldsAreKept()
    {
        const QString path = freshIni();
        {
            SettingsStore store(path);
            TfrmModule w(&store, &m_tone, selectionFile());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            openTagPanel(&w);
            QVERIFY(!control<QWidget>(&w, "pnlReadTag")->isVisible());
            QVERIFY(!control<QWidget>(&w, "pnlProvision")->isVisible());
            control<QPushButton>(&w, "btnShowReadTag")->click();
            QVERIFY(control<QWidget>(&w, "btnRead")->isVisible());
        }
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("TagReadFolded").toInt(), 0);
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("TagProvisionFolded").toInt(), 1);
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        openTagPanel(&w);
        QVERIFY(control<QWidget>(&w, "pnlReadTag")->isVisible());
        QVERIFY(!control<QWidget>(&w, "pnlProvision")->isVisible());
    }

    // "Set Reader" with its hidden controls shown at 1024 x 768: nothing is cut at the side, every
    // control is as wide as it asks, and what is below the window scrolls into view.
    void setReaderHiddenControlsFit()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.resize(TfrmModule::startupSize({1024, 768}));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        control<QTabWidget>(&w, "pcMain")->setCurrentWidget(control<QWidget>(&w, "tsSetReader"));
        for (Language language :
             {Language::English, Language::TraditionalChinese, Language::SimplifiedChinese}) {
            w.setLanguage(language);
            control<QCheckBox>(&w, "chkShowHidden")->setChecked(true);
            auto *scroll = control<QScrollArea>(&w, "scrSetup");
            QVERIFY(control<QWidget>(&w, "pnlHidden")->isVisible());
            const auto cut = [&] {
                const QRect view(scroll->viewport()->mapTo(&w, QPoint(0, 0)), scroll->viewport()->size());
                QStringList out;
                if (!w.rect().contains(view) || scroll->widget()->width() > scroll->viewport()->width())
                    out << scroll->objectName();
                const auto controls = scroll->widget()->findChildren<QWidget *>();
                for (QWidget *c : controls) {
                    if (!c->isVisible() || c->objectName().isEmpty() || c->objectName().startsWith("qt_"))
                        continue;
                    const QRect r(c->mapTo(&w, QPoint(0, 0)), c->size());
                    if (r.left() < view.left() || r.right() > view.right() ||
                        c->width() < c->minimumSizeHint().width())
                        out << c->objectName();
                }
                return out.join(' ');
            };
            QTRY_COMPARE(cut(), QString());
        }
    }

    void setTagClearResetsItsGridAndTag()
    {
        const QString path = freshIni();
        QSettings(path, QSettings::IniFormat).setValue("LanguageIndex", 1);
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        auto *grid = control<QTableView>(&w, "grdTagUID");
        auto *model = qobject_cast<TagUidModel *>(grid->model());
        QVERIFY(model);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("標籤序號"));
        TagPollReport report;
        report.uid = QByteArrayLiteral("0000000000001234");
        model->apply(report);
        QCOMPARE(model->rowCount(), 1);
        control<QLabel>(&w, "pnlCount")->setText(QStringLiteral("5"));
        control<QLineEdit>(&w, "pnTagID")->setText(QStringLiteral("0000000000001234"));
        control<QPushButton>(&w, "btnClear02")->click();
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(model->columnCount(), 7);
        // The panel's own "&Clear" writes its headers untranslated, "NO" in capitals.
        const QStringList expected = {"NO", "UID", "RSSI", "LQI", "DI", "T1", "T2"};
        for (int c = 0; c < 7; ++c)
            QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), expected.at(c));
        QCOMPARE(control<QLabel>(&w, "pnlCount")->text(), QStringLiteral("0"));
        QCOMPARE(control<QLineEdit>(&w, "pnTagID")->text(), QStringLiteral("0000000000000000"));
    }
};

QTEST_MAIN(TestWindowLayout)
#include "tst_window_layout.moc"
