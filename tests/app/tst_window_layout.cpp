#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "tagcfg/TagUidModel.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
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
template <typename T> T *control(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

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
    QString selectionFile() const { return m_dir.filePath(QStringLiteral("sel.csv")); }

private slots:
    void titlesAndTabs()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Talvo Utility V0303"));
        QVERIFY(w.windowTitle().startsWith(QStringLiteral("Talvo Utility V0304")));
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
        // The last column, "Count", is on screen; UID, T1 and T2 share what the others leave.
        QVERIFY(header->sectionViewportPosition(7) + header->sectionSize(7) <= grid->viewport()->width());
        QVERIFY(header->sectionSize(1) > header->sectionSize(2));
        QVERIFY(qAbs(header->sectionSize(1) - header->sectionSize(5)) <= 1);
        QVERIFY(qAbs(header->sectionSize(5) - header->sectionSize(6)) <= 1);
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
