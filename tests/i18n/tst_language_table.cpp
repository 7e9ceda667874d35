#include "i18n/LanguageTable.h"
#include "i18n/ProblemText.h"
#include "publish/BrokerProblem.h"
#include "reading/CsvLog.h"

#include <QtTest>

class TestLanguageTable : public QObject
{
    Q_OBJECT
private slots:
    void rowsKeepTheirOrder()
    {
        QCOMPARE(QString::fromUtf8(LanguageTable::row(0).key), QStringLiteral("Local Listen Port :"));
        QCOMPARE(QString::fromUtf8(LanguageTable::row(11).key), QStringLiteral("Start"));
        QCOMPARE(QString::fromUtf8(LanguageTable::row(54).key), QStringLiteral("Select Function"));
        QCOMPARE(QString::fromUtf8(LanguageTable::row(101).key), QStringLiteral("Temperature alarm:"));
        QCOMPARE(QString::fromUtf8(LanguageTable::row(101).traditional), QStringLiteral("超溫偵測："));
    }

    void englishColumnEqualsKeyExceptAllTags()
    {
        for (int i = 0; i < LanguageTable::kRowCount; ++i) {
            const auto &r = LanguageTable::row(i);
            if (i == 86)
                QCOMPARE(QByteArray(r.english), QByteArray("All Tags"));
            else
                QCOMPARE(QByteArray(r.english), QByteArray(r.key));
        }
        // English shows the key, not the display column.
        QCOMPARE(translate(0, QStringLiteral("All tags")), QStringLiteral("All tags"));
    }

    void translatesFromTheEnglishKey_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cht start") << 1 << "Start" << QStringLiteral("啟動");
        QTest::newRow("chs start") << 2 << "Start" << QStringLiteral("启动");
        QTest::newRow("eng start") << 0 << "Start"
                                   << "Start";
        QTest::newRow("ampersand key") << 1 << "Temperature && Humidity" << QStringLiteral("溫溼度標籤");
        QTest::newRow("chs two spaces") << 2 << "T2" << QStringLiteral("体温/  度");
        QTest::newRow("trailing space") << 1 << "NET" << QStringLiteral("網路介面 ");
        QTest::newRow("no row") << 1 << "Read T&AG"
                                << "Read T&AG";
        QTest::newRow("case differs") << 1 << "start"
                                      << "start";
        QTest::newRow("surrounding space") << 2 << " Start"
                                           << " Start";
        QTest::newRow("unknown language") << 7 << "Start"
                                          << "Start";
        QTest::newRow("all tags cht") << 1 << "All tags" << QStringLiteral("全部 Tag 資料");
    }
    void translatesFromTheEnglishKey()
    {
        QFETCH(int, language);
        QFETCH(QString, english);
        QFETCH(QString, expected);
        QCOMPARE(translate(language, english), expected);
    }

    void duplicateChineseTextsStillRoundTrip()
    {
        // "UID" and "TAG ID:"-like rows share Chinese texts; the lookup always goes from English.
        QCOMPARE(translate(1, QStringLiteral("UID")), QStringLiteral("標籤序號"));
        QCOMPARE(translate(1, QStringLiteral("TAG")), translate(1, QStringLiteral("Standard TAG")));
        QCOMPARE(LanguageTable::find(QStringLiteral("TAG")), 55);
    }

    void messagesExistInEveryLanguage()
    {
        QVERIFY(LanguageTable::messageCount() >= 4);
        for (int i = 0; i < LanguageTable::messageCount(); ++i) {
            const QString key = LanguageTable::messageKey(i);
            QVERIFY2(LanguageTable::find(key) < 0, qPrintable(key)); // the table's rows come first
            for (int language : {1, 2}) {
                const QString text = LanguageTable::translate(language, key);
                QVERIFY2(text != key, qPrintable(key));
                for (const char *placeholder : {"%1", "%2", "%3"})
                    QCOMPARE(text.contains(QLatin1String(placeholder)),
                             key.contains(QLatin1String(placeholder)));
            }
        }
    }

    void problemsAsText()
    {
        const Problem lost{Problem::Severity::Error,
                           Problem::Kind::CsvLinesNotWritten,
                           "%1 CSV line(s) not written: %2",
                           {"3", "x.csv: %2 full"}};
        QCOMPARE(problemText(lost, Language::English),
                 QStringLiteral("3 CSV line(s) not written: x.csv: %2 full"));
        QCOMPARE(problemText(lost, Language::TraditionalChinese),
                 QStringLiteral("3 筆 CSV 資料未寫入：x.csv: %2 full"));
        const Problem none{Problem::Severity::Error,
                           Problem::Kind::NoReadingLinks,
                           "No reading links for this link kind",
                           {}};
        QCOMPARE(problemText(none, Language::SimplifiedChinese),
                 QStringLiteral("此连线方式没有可读取的连线"));
        // A text without a row of its own stays as it is.
        QCOMPARE(problemText(Problem::message("Reader 10.0.0.1 Port:4001 cannot be reached"),
                             Language::SimplifiedChinese),
                 QStringLiteral("Reader 10.0.0.1 Port:4001 cannot be reached"));
    }

    // The patterns the core fills in for a CSV or broker problem each have a row: none shows English
    // in a Chinese window.
    void coreProblemPatternsHaveRows()
    {
        using Reason = CsvLog::Refusal::Reason;
        QStringList patterns{CsvLog::fallbackText(), CsvLog::notEmptiedText()};
        for (Reason r : {Reason::NotRegularFile, Reason::SessionInput, Reason::FolderNotCreated})
            patterns << CsvLog::refusalText(r);
        for (int k = 0; k <= int(MqttProblem::Kind::BadPayload); ++k)
            patterns << brokerProblem({MqttProblem::Kind(k), QStringLiteral("x")}).text;
        for (const QString &pattern : patterns)
            for (Language language : {Language::TraditionalChinese, Language::SimplifiedChinese})
                QVERIFY2(translate(language, pattern) != pattern, qPrintable(pattern));
    }
};

QTEST_APPLESS_MAIN(TestLanguageTable)
#include "tst_language_table.moc"
