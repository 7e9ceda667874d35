#include "base/SettingsStore.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString iniPath(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void firstRunReadsNothing()
    {
        SettingsStore store(iniPath("first.ini"));
        QVERIFY(!store.exists());
        QVERIFY(!store.load().has_value());
        const auto design = SettingsStore::designValues();
        QCOMPARE(design.ip[0], QStringLiteral("192.168.1.101"));
        QCOMPARE(design.ip[9], QStringLiteral("192.168.1.110"));
        QCOMPARE(design.ip[10], QStringLiteral("192.168.1.101"));
        QCOMPARE(design.ip[19], QStringLiteral("192.168.1.110"));
    }

    void absentValuesTakeTheirDefaults()
    {
        const QString path = iniPath("absent.ini");
        {
            QSettings raw(path, QSettings::IniFormat);
            raw.setValue("COM4", 2);
            raw.setValue("COM5", 1);
            raw.setValue("NET2", 1);
            raw.setValue("IP3", "10.0.0.3");
            raw.setValue("PAGE", 7);
            raw.setValue("LanguageIndex", 9);
        }
        SettingsStore store(path);
        const auto v = store.load();
        QVERIFY(v.has_value());
        QVERIFY(!v->com[3]); // 2 is not "ticked"
        QVERIFY(v->com[4]);
        QVERIFY(v->net[1]);
        QCOMPARE(v->ip[2], QStringLiteral("10.0.0.3"));
        QCOMPARE(v->ip[10], QStringLiteral("192.168.1.111"));
        QCOMPARE(v->ip[19], QStringLiteral("192.168.1.120"));
        QCOMPARE(v->languageIndex, 0);
        QCOMPARE(SettingsStore::linkModeForPage(v->page), 3);
        QCOMPARE(v->tcpRemotePort, QStringLiteral("4001"));
        QCOMPARE(v->fileName, SettingsStore::defaultCsvFile());
        QVERIFY(!v->autoSaveFile);
    }

    void pageMapping()
    {
        QCOMPARE(SettingsStore::linkModeForPage(0), 0);
        QCOMPARE(SettingsStore::linkModeForPage(1), 1);
        QCOMPARE(SettingsStore::linkModeForPage(2), 2);
        QCOMPARE(SettingsStore::linkModeForPage(3), 3);
        QCOMPARE(SettingsStore::linkModeForPage(-1), 3);
    }

    void writersRoundTrip()
    {
        const QString path = iniPath("round.ini");
        {
            SettingsStore store(path);
            SettingsStore::ReadingStart s;
            s.tagFilterUid = "0000";
            s.tcpRemotePort = "5000";
            s.localPort = "5001";
            s.desPort = "5002";
            s.listenPort = "5003";
            s.page = 1;
            s.com[2] = true;
            s.net[19] = true;
            for (int n = 1; n <= 20; ++n)
                s.ip[size_t(n - 1)] = QStringLiteral("127.0.0.%1").arg(n);
            store.writeReadingStart(s);
            store.writeFileName("/tmp/x.csv");
            store.writeAutoSave(true, false);
            store.writeLanguageIndex(2);
        }
        SettingsStore again(path);
        const auto v = again.load();
        QVERIFY(v.has_value());
        QCOMPARE(v->tagFilterUid, QStringLiteral("0000"));
        QCOMPARE(v->listenPort, QStringLiteral("5003"));
        QCOMPARE(v->page, 1);
        QVERIFY(v->com[2] && !v->com[3]);
        QVERIFY(v->net[19]);
        QCOMPARE(v->ip[19], QStringLiteral("127.0.0.20"));
        QCOMPARE(v->fileName, QStringLiteral("/tmp/x.csv"));
        QVERIFY(v->autoSaveFile && !v->allTags);
        QCOMPARE(v->languageIndex, 2);
        // Numbered values are stored without leading zeros, as integers 0/1.
        QSettings raw(path, QSettings::IniFormat);
        QCOMPARE(raw.value("COM3").toInt(), 1);
        QCOMPARE(raw.value("COM4").toInt(), 0);
        QVERIFY(!raw.contains("COM03"));
    }

    void shutdownWritesOnlyPageAndLanguage()
    {
        const QString path = iniPath("shutdown.ini");
        {
            SettingsStore store(path);
            store.writeShutdown(3, 1);
        }
        QSettings raw(path, QSettings::IniFormat);
        QCOMPARE(raw.allKeys().size(), 2);
        QCOMPARE(raw.value("PAGE").toInt(), 3);
        QCOMPARE(raw.value("LanguageIndex").toInt(), 1);
    }
};

QTEST_APPLESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
