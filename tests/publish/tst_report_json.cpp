#include "publish/PublishSettings.h"
#include "publish/ReportJson.h"
#include "reading/ReportDecoder.h"

#include <QTemporaryDir>
#include <QTest>

class TestReportJson : public QObject
{
    Q_OBJECT

private:
    static TTagReport decoded(const QByteArray &line)
    {
        const auto r = ReportDecoder::parseLine(line + '\r', ReportTypeSwitches{});
        Q_ASSERT(r);
        return *r;
    }

private slots:
    void lineFieldsThenSiteAndReader()
    {
        const TTagReport r = decoded("000000000000123450A3FE");
        QCOMPARE(ReportJson::object(r, QStringLiteral("COM03")),
                 QByteArray(R"({"uid":"0000000000001234","rssi":80,"lqi":163,"di":"[SW]","t1":"-","t2":"-",)"
                            R"("kind":"standard","label":"COM03"})"));
        QCOMPARE(ReportJson::published(r, QStringLiteral("COM03"), QStringLiteral("Hall \"B\"")),
                 QByteArray(R"({"uid":"0000000000001234","rssi":80,"lqi":163,"di":"[SW]","t1":"-","t2":"-",)"
                            "\"kind\":\"standard\",\"label\":\"COM03\",\"site\":\"Hall "
                            "\\\"B\\\"\",\"reader\":\"COM03\"}"));
    }

    // Every report kind and every DI byte comes back as it went, and prints the same bytes again.
    void publishedReportsReadBackExactly_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("standard") << QByteArray("000000000000123450A3FF");
        QTest::newRow("one temperature") << QByteArray("000000000000123450A3FF0320");
        QTest::newRow("two temperature") << QByteArray("000000000000123450A3F003203FE0");
        QTest::newRow("raw word") << QByteArray("000000000000123450A35F4000ab3c");
        QTest::newRow("humidity") << QByteArray("000000000000123450A30E996403E8");
        QTest::newRow("kelvin") << QByteArray("000000000000123450A3FFFA3B3A3B");
    }
    void publishedReportsReadBackExactly()
    {
        QFETCH(QByteArray, line);
        TTagReport r = decoded(line);
        for (int di = 0; di < 256; ++di) {
            r.di = quint8(di);
            const QString label = QStringLiteral("192.168.1.101");
            QString why;
            const auto in = ReportJson::parse(ReportJson::published(r, label, QStringLiteral("Süd")), &why);
            QVERIFY2(in, qPrintable(why));
            QCOMPARE(in->site, QStringLiteral("Süd"));
            QCOMPARE(in->reader, label);
            QCOMPARE(ReportJson::object(in->report, label), ReportJson::object(r, label));
        }
    }

    void messagesThatAreNoReportsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("reason");
        const QByteArray good = ReportJson::published(decoded("000000000000123450A3FF"), "COM01", "S");
        QTest::newRow("not json") << QByteArray("hello") << "not JSON";
        QTest::newRow("array") << QByteArray("[1,2]") << "not a JSON object";
        QTest::newRow("empty") << QByteArray() << "not JSON";
        QTest::newRow("uid number") << QByteArray(good).replace("\"uid\":\"0000000000001234\"", "\"uid\":5")
                                    << "uid";
        QTest::newRow("rssi 256") << QByteArray(good).replace("\"rssi\":80", "\"rssi\":256") << "rssi";
        QTest::newRow("rssi fraction") << QByteArray(good).replace("\"rssi\":80", "\"rssi\":8.5") << "rssi";
        QTest::newRow("no site") << QByteArray(good).replace(",\"site\":\"S\"", "") << "site";
        QTest::newRow("bad di") << QByteArray(good).replace("\"di\":\"\"", "\"di\":\"[XX]\"") << "di";
        QTest::newRow("bad kind") << QByteArray(good).replace("standard", "fancy") << "kind";
        QTest::newRow("long uid") << QByteArray(good).replace("0000000000001234", QByteArray(5000, '1'))
                                  << "uid";
        // Fields that would forge log lines or reach a terminal, and texts no reader sends.
        const QByteArray temp = ReportJson::published(decoded("000000000000123450A3FF0320"), "COM01", "S");
        const QByteArray humid =
            ReportJson::published(decoded("000000000000123450A30E996403E8"), "COM01", "S");
        QTest::newRow("uid not hex") << QByteArray(good).replace("0000000000001234", "000000000000123G")
                                     << "uid";
        QTest::newRow("uid short") << QByteArray(good).replace("0000000000001234", "1234") << "uid";
        QTest::newRow("t1 line end") << QByteArray(temp).replace("25.00 C", "25.00 C\r\n1,2") << "t1";
        QTest::newRow("t1 word") << QByteArray(temp).replace("25.00 C / 77.00 F", "hot") << "t1";
        QTest::newRow("t2 on standard") << QByteArray(good).replace("\"t2\":\"-\"", "\"t2\":\"9\"") << "t2";
        QTest::newRow("humidity no %") << QByteArray(humid).replace("%", "") << "t2";
        QTest::newRow("site tab") << QByteArray(good).replace("\"site\":\"S\"", "\"site\":\"S\\t,x\"")
                                  << "site";
        QTest::newRow("reader escape")
            << QByteArray(good).replace("\"reader\":\"COM01\"", "\"reader\":\"\\u001b[2J\"") << "reader";
        QTest::newRow("label comma") << QByteArray(good).replace("\"label\":\"COM01\"", "\"label\":\"a,b\"")
                                     << "label";
        QTest::newRow("reader line separator")
            << QByteArray(good).replace("\"reader\":\"COM01\"", "\"reader\":\"a\\u2028b\"") << "reader";
    }
    void messagesThatAreNoReportsAreRefused()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QString, reason);
        QString why;
        QVERIFY(!ReportJson::parse(payload, &why));
        QVERIFY2(why.contains(reason), qPrintable(why));
    }

    void brokerUrls()
    {
        QString why;
        auto a = BrokerAddress::parse(QStringLiteral("mqtt://127.0.0.1"), &why);
        QVERIFY(a && a->port == 1883 && !a->tls && a->host == QLatin1String("127.0.0.1"));
        a = BrokerAddress::parse(QStringLiteral("mqtts://broker.example:9883"), &why);
        QVERIFY(a && a->port == 9883 && a->tls);
        QVERIFY(BrokerAddress::parse(QStringLiteral("mqtts://broker.example"), &why)->port == 8883);
        for (const char *bad : {"", "127.0.0.1:1883", "http://h:1", "mqtt://", "mqtt://h:99999",
                                "mqtt://h:1/x", "mqtt://h:port"}) {
            why.clear();
            QVERIFY2(!BrokerAddress::parse(QLatin1String(bad), &why), bad);
            QVERIFY(!why.isEmpty());
        }
    }

    void passwordFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pw"));
        QString why;
        QVERIFY(!PublishSettings::readPasswordFile(path, &why));
        QVERIFY2(why.contains(path), qPrintable(why));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("s3cret\r\nsecond line\n");
        f.close();
        QCOMPARE(*PublishSettings::readPasswordFile(path, &why), QStringLiteral("s3cret"));
    }

    void prefixes()
    {
        PublishSettings s;
        s.site = QStringLiteral("North");
        QCOMPARE(s.effectivePrefix(), QStringLiteral("talvo/North"));
        QCOMPARE(s.subscriberPrefix(), QStringLiteral("talvo/North"));
        s.site.clear();
        QCOMPARE(s.subscriberPrefix(), QStringLiteral("talvo/+"));
        QVERIFY(!s.effectiveSite().isEmpty());
        s.prefix = QStringLiteral("plant/a");
        QCOMPARE(s.effectivePrefix(), QStringLiteral("plant/a"));
    }
};

QTEST_APPLESS_MAIN(TestReportJson)
#include "tst_report_json.moc"
