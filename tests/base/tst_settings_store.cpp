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
        QCOMPARE(v->language, Language::English);
        QCOMPARE(v->page, LinkKind::Udp);
        QCOMPARE(v->tcpRemotePort, quint16(4001));
        QCOMPARE(v->fileName, SettingsStore::defaultCsvFile());
        QVERIFY(!v->autoSaveFile);
        // The tag settings panel's extras start folded.
        QVERIFY(v->tagReadFolded && v->tagProvisionFolded);
        QCOMPARE(SettingsStore::storedType("TagReadFolded"), SettingsStore::StoredType::Boolean);
    }

    void pageMapping()
    {
        QCOMPARE(LinkKindTable::fromStoredPage(0), LinkKind::TcpToReaders);
        QCOMPARE(LinkKindTable::fromStoredPage(1), LinkKind::Serial);
        QCOMPARE(LinkKindTable::fromStoredPage(2), LinkKind::TcpListener);
        QCOMPARE(LinkKindTable::fromStoredPage(3), LinkKind::Udp);
        QCOMPARE(LinkKindTable::fromStoredPage(-1), LinkKind::Udp);
    }

    void writersRoundTrip()
    {
        const QString path = iniPath("round.ini");
        {
            SettingsStore store(path);
            SettingsStore::ReadingStart s;
            s.tagFilterUid = "0000";
            s.tcpRemotePort = 5000;
            s.localPort = 5001;
            s.desPort = 5002;
            s.listenPort = 5003;
            s.page = LinkKind::Serial;
            s.com[2] = true;
            s.net[19] = true;
            for (int n = 1; n <= 20; ++n)
                s.ip[size_t(n - 1)] = QStringLiteral("127.0.0.%1").arg(n);
            store.writeReadingStart(s);
            store.writeFileName("/tmp/x.csv");
            store.writeAutoSave(true, false);
            store.writeLanguageIndex(Language::SimplifiedChinese);
        }
        SettingsStore again(path);
        const auto v = again.load();
        QVERIFY(v.has_value());
        QCOMPARE(v->tagFilterUid, QStringLiteral("0000"));
        QCOMPARE(v->listenPort, quint16(5003));
        QCOMPARE(v->page, LinkKind::Serial);
        QVERIFY(v->com[2] && !v->com[3]);
        QVERIFY(v->net[19]);
        QCOMPARE(v->ip[19], QStringLiteral("127.0.0.20"));
        QCOMPARE(v->fileName, QStringLiteral("/tmp/x.csv"));
        QVERIFY(v->autoSaveFile && !v->allTags);
        QCOMPARE(v->language, Language::SimplifiedChinese);
        // Numbered values are stored without leading zeros, as integers 0/1.
        QSettings raw(path, QSettings::IniFormat);
        QCOMPARE(raw.value("COM3").toInt(), 1);
        QCOMPARE(raw.value("COM4").toInt(), 0);
        QVERIFY(!raw.contains("COM03"));
    }

    void valuesAreReadByTheirStoredType()
    {
        const QString path = iniPath("typed.ini");
        {
            QSettings raw(path, QSettings::IniFormat);
            raw.setValue("LocalPort", "abc");
            raw.setValue("DesPort", " 5002 ");
            raw.setValue("ListenPort", "70000");
            raw.setValue("AutoSaveFile", "true");
            raw.setValue("AllTags", 2);
            raw.setValue("NET3", "1");
        }
        SettingsStore store(path);
        const auto v = store.load();
        QVERIFY(v.has_value());
        QCOMPARE(v->localPort, quint16(4001));
        QCOMPARE(v->desPort, quint16(5002));
        QCOMPARE(v->listenPort, quint16(4001));
        QVERIFY(v->autoSaveFile && v->allTags);
        QVERIFY(v->net[2]);
        QCOMPARE(SettingsStore::storedType("COM20"), SettingsStore::StoredType::Integer);
        QCOMPARE(SettingsStore::storedType("IP3"), SettingsStore::StoredType::Text);
        QCOMPARE(SettingsStore::storedType("TcpRemotePort"), SettingsStore::StoredType::Port);
        QVERIFY(!SettingsStore::storedType("COM03").has_value());
        QVERIFY(!SettingsStore::storedType("ComDevices").has_value());
        QVERIFY(!SettingsStore::storedType("COM+3").has_value());
        QCOMPARE(SettingsStore::absentValue("IP11").toString(), QStringLiteral("192.168.1.111"));
        QCOMPARE(SettingsStore::absentValue("ListenPort").value<quint16>(), quint16(4001));
        QCOMPARE(SettingsStore::absentValue("FileName").toString(), SettingsStore::defaultCsvFile());
        // Ports go back as strings, as they always were stored.
        SettingsStore::ReadingStart start;
        start.listenPort = 4100;
        store.writeReadingStart(start);
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("ListenPort").toString(),
                 QStringLiteral("4100"));
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("ListenPort").typeId(), QMetaType::QString);
    }

    void shutdownWritesOnlyPageAndLanguage()
    {
        const QString path = iniPath("shutdown.ini");
        {
            SettingsStore store(path);
            store.writeShutdown(LinkKind::Udp, Language::TraditionalChinese);
        }
        QSettings raw(path, QSettings::IniFormat);
        QCOMPARE(raw.allKeys().size(), 2);
        QCOMPARE(raw.value("PAGE").toInt(), 3);
        QCOMPARE(raw.value("LanguageIndex").toInt(), 1);
    }

    // A file written before the broker settings existed loads as it did: the same values, broker
    // settings at their defaults (publishing off), and loading writes nothing.
    void existingFilesLoadUnchanged()
    {
        const QString path = iniPath("old.ini");
        {
            QSettings raw(path, QSettings::IniFormat);
            raw.setValue("LanguageIndex", 2);
            raw.setValue("PAGE", 1);
            raw.setValue("TagFilterUID", "00001");
            raw.setValue("ListenPort", "4100");
            raw.setValue("FileName", "/tmp/old.csv");
            raw.setValue("AutoSaveFile", 1);
            raw.setValue("COM7", 1);
            raw.setValue("IP2", "10.1.1.2");
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        SettingsStore store(path);
        const auto v = store.load();
        QVERIFY(v.has_value());
        QCOMPARE(v->language, Language::SimplifiedChinese);
        QCOMPARE(v->page, LinkKind::Serial);
        QCOMPARE(v->tagFilterUid, QStringLiteral("00001"));
        QCOMPARE(v->listenPort, quint16(4100));
        QCOMPARE(v->fileName, QStringLiteral("/tmp/old.csv"));
        QVERIFY(v->autoSaveFile && !v->allTags);
        QVERIFY(v->com[6]);
        QCOMPARE(v->ip[1], QStringLiteral("10.1.1.2"));
        QVERIFY(v->mqtt == SettingsStore::MqttValues());
        QVERIFY(!v->mqtt.publish);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void brokerSettingsRoundTrip()
    {
        const QString path = iniPath("mqtt.ini");
        SettingsStore::MqttValues m;
        m.publish = true;
        m.url = "mqtts://broker.example:8883";
        m.prefix = "plant/a";
        m.site = "hall 2";
        m.qos = 1;
        m.user = "edge";
        m.passwordFile = "/etc/talvo/pw";
        m.caFile = "/etc/talvo/ca.pem";
        m.inUrl = "mqtt://127.0.0.1:1883";
        m.inPrefix = "talvo/+";
        {
            SettingsStore store(path);
            store.writeReadingStart({});
            store.writeMqtt(m);
        }
        SettingsStore again(path);
        QVERIFY(again.load()->mqtt == m);
        QSettings raw(path, QSettings::IniFormat);
        QCOMPARE(raw.value("MqttPublish").toInt(), 1);
        QCOMPARE(raw.value("MqttQos").toInt(), 1);
        // The password itself is never stored, only the name of its file.
        for (const QString &key : raw.allKeys())
            QVERIFY2(!key.contains("Password") || key == "MqttPasswordFile", qPrintable(key));
        QCOMPARE(SettingsStore::storedType("MqttPublish"), SettingsStore::StoredType::Boolean);
        QCOMPARE(SettingsStore::storedType("MqttQos"), SettingsStore::StoredType::Integer);
        // A QoS the program does not offer reads as 0.
        raw.setValue("MqttQos", 2);
        raw.sync();
        QCOMPARE(SettingsStore(path).load()->mqtt.qos, 0);
    }
};

QTEST_APPLESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
