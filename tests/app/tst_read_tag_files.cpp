#include "WindowControls.h"
#include "app/ReadTagController.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "link/DemoReplayLinks.h"
#include "reading/SelectionListFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

void chooseLogFile(TfrmModule &w, const QString &file)
{
    auto *edFile = control<QLineEdit>(&w, "edFile");
    edFile->setText(file);
    QMetaObject::invokeMethod(edFile, "editingFinished");
}
} // namespace

// The CSV files and the selection list as the "Read TAG" page handles them: what can't be used is
// refused with a message in the status bar's message panel, in the window's language.
class TestReadTagFiles : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    SilentTonePlayer m_tone;
    int m_files = 0;

    QString selectionFile() const { return m_dir.filePath(QStringLiteral("MERAN/TalvoDemo/QZKDTAG.CSV")); }
    QString freshIni() { return m_dir.filePath(QStringLiteral("settings%1.ini").arg(++m_files)); }
    QString documents() const { return m_dir.filePath(QStringLiteral("home/Documents")); }

private slots:
    void initTestCase()
    {
        // The fallback log lives in the documents folder: this test's own, not the user's.
        qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("home/.config")).toLocal8Bit());
        QVERIFY(QDir().mkpath(documents()));
    }

    void init() { QFile::remove(selectionFile()); }

    void startRefusesLogsThatAreNotRegularFilesOrInputs()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        bool started = false;
        w.reading()->setLinksFactory([&started](const LinkRequest &) {
            started = true;
            return std::make_unique<DemoReplayLinks>(QByteArray("0000000000001234"
                                                                "50A3FF\r"),
                                                     1, 5);
        });
        QTest::mouseClick(control<QCheckBox>(&w, "chbAutoSave"), Qt::LeftButton);
        auto *start = control<QPushButton>(&w, "btnStart");
        auto *panel = control<QLabel>(&w, "sbMainPanel1");

        const QString folder = m_dir.filePath(QStringLiteral("folder.csv"));
        QVERIFY(QDir().mkpath(folder));
        chooseLogFile(w, folder);
        start->click();
        QCOMPARE(panel->text(), QStringLiteral("The CSV file %1 is not a regular file").arg(folder));
        QCOMPARE(start->text(), QStringLiteral("Start"));
        QVERIFY(!started);
        QVERIFY(QFileInfo(folder).isDir());

        // The selection list is read at start-up and written at the end: never a log.
        QVERIFY(SelectionListFile::save(selectionFile(), {"0000000000001234"}));
        chooseLogFile(w, selectionFile());
        w.setLanguage(Language::TraditionalChinese);
        start->click();
        QCOMPARE(panel->text(), QStringLiteral("CSV 檔案 %1 是本次讀取的輸入檔案").arg(selectionFile()));
        QCOMPARE(readAll(selectionFile()), QByteArray("0000000000001234\r\n"));
        QVERIFY(!started);

#ifdef Q_OS_UNIX
        const QString fifo = m_dir.filePath(QStringLiteral("fifo.csv"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        chooseLogFile(w, fifo);
        w.setLanguage(Language::SimplifiedChinese);
        start->click();
        QCOMPARE(panel->text(), QStringLiteral("CSV 文件 %1 不是普通文件").arg(fifo));
        QVERIFY(!started);
        struct stat st
        {
        };
        QVERIFY(::stat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
#endif

        // A usable file starts the session and clears the message.
        chooseLogFile(w, m_dir.filePath(QStringLiteral("run.csv")));
        start->click();
        QVERIFY(started);
        QCOMPARE(panel->text(), QString());
        QSignalSpy ended(w.reading(), &ReadTagController::sessionEnded);
        start->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    }

    void fallbackLogIsShown()
    {
        SettingsStore store(freshIni());
        TfrmModule w(&store, &m_tone, selectionFile());
        w.show();
        writeFile(m_dir.filePath(QStringLiteral("plainfile")), "x");
        const QString wanted = m_dir.filePath(QStringLiteral("plainfile/sub/run.csv"));
        const QString fallback = QDir(documents()).filePath(QStringLiteral("Talvo.csv"));
        chooseLogFile(w, wanted);
        QTest::mouseClick(control<QCheckBox>(&w, "chbAutoSave"), Qt::LeftButton);
        QCOMPARE(control<QLineEdit>(&w, "edFile")->text(), fallback);
        QCOMPARE(control<QLabel>(&w, "sbMainPanel1")->text(),
                 QStringLiteral("The folder of %1 cannot be created; the CSV log goes to %2")
                     .arg(wanted, fallback));
    }

    void garbageSelectionLinesAreReported()
    {
        QVERIFY(QDir().mkpath(QFileInfo(selectionFile()).absolutePath()));
        writeFile(selectionFile(), QByteArray("0000000000001234\r\n\x7f"
                                              "ELF\x02\x01\x01\r\n\xff\xfe\xfd\r\n0000000000005678\r\n"));
        const QString path = freshIni();
        QSettings(path, QSettings::IniFormat).setValue("LanguageIndex", 2);
        SettingsStore store(path);
        TfrmModule w(&store, &m_tone, selectionFile());
        QCOMPARE(control<QListView>(&w, "lvSel")->model()->rowCount(), 2);
        QCOMPARE(control<QLabel>(&w, "sbMainPanel1")->text(),
                 QStringLiteral("选取清单中有 2 行不是标签序号，已略过"));
    }
};

QTEST_MAIN(TestReadTagFiles)
#include "tst_read_tag_files.moc"
