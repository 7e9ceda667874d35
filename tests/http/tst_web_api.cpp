#include "CliWebSession.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryFile>
#include <QWebSocket>

namespace {

// A report line: UID n, RSSI 50 (or as given), LQI A3, the DI byte, CR.
QByteArray line(int n, const char *di = "FF", const char *rssi = "50")
{
    return QByteArray::number(n).rightJustified(16, '0') + rssi + "A3" + di + '\r';
}

QByteArray uid(int n)
{
    return QByteArray::number(n).rightJustified(16, '0');
}

QStringList uidsOf(const QJsonDocument &doc)
{
    QStringList out;
    for (const QJsonValue &v : doc.array())
        out << v[QStringLiteral("uid")].toString();
    return out;
}

int exitOf(const QStringList &args, QByteArray *errors)
{
    QProcess p;
    p.start(CliWebSession::cliPath(),
            QStringList{QStringLiteral("read"), QStringLiteral("--replay"), QStringLiteral("-")} + args);
    if (!p.waitForFinished(10000))
        return -1;
    *errors = p.readAllStandardError();
    return p.exitCode();
}

} // namespace

class TestWebApi : public QObject
{
    Q_OBJECT
private slots:
    // The fields scripts rely on, the filters, and what is not found.
    void servesTheTagTable()
    {
        CliWebSession s;
        QVERIFY2(s.start(), s.errors.constData());
        // Tag 3 raises the tamper alarm; 12 reports a low battery and 13 a temperature (sensor) alarm.
        s.feed(line(1) + line(2) + line(1) + "J00" + line(3) + line(12, "3F") + line(13, "FD"));
        QTRY_COMPARE_WITH_TIMEOUT(s.get(QStringLiteral("/api/v1/tags")).json().array().size(), 5, 10000);

        const auto all = s.get(QStringLiteral("/api/v1/tags"));
        QCOMPARE(all.status, 200);
        const QJsonObject first = all.json().array().first().toObject();
        QCOMPARE(first.keys(),
                 (QStringList{"count", "di", "first_seen", "last_seen", "low_battery", "lqi", "reader",
                              "rssi", "t1", "t2", "tamper", "temperature_alarm", "uid"}));
        QCOMPARE(first[QStringLiteral("uid")].toString(), QString::fromLatin1(uid(1)));
        QCOMPARE(first[QStringLiteral("reader")].toString(), QStringLiteral("SITE1/R1"));
        QCOMPARE(first[QStringLiteral("rssi")].toInt(), 0x50);
        QCOMPARE(first[QStringLiteral("count")].toInt(), 2);
        const QDateTime firstSeen =
            QDateTime::fromString(first[QStringLiteral("first_seen")].toString(), Qt::ISODateWithMs);
        QVERIFY(firstSeen.isValid());
        QVERIFY(qAbs(firstSeen.secsTo(QDateTime::currentDateTimeUtc())) < 60);

        const auto tamper =
            s.get(QStringLiteral("/api/v1/tags/") + QString::fromLatin1(uid(3))).json().object();
        QCOMPARE(tamper[QStringLiteral("tamper")].toBool(), true);
        QCOMPARE(tamper[QStringLiteral("low_battery")].toBool(), false);
        const auto battery =
            s.get(QStringLiteral("/api/v1/tags/") + QString::fromLatin1(uid(12))).json().object();
        QCOMPARE(battery[QStringLiteral("low_battery")].toBool(), true);
        QCOMPARE(battery[QStringLiteral("di")].toString(), QStringLiteral("[BAT=03]"));
        const auto hot =
            s.get(QStringLiteral("/api/v1/tags/") + QString::fromLatin1(uid(13))).json().object();
        QCOMPARE(hot[QStringLiteral("temperature_alarm")].toBool(), true);
        QCOMPARE(hot[QStringLiteral("tamper")].toBool(), false);

        QCOMPARE(uidsOf(s.get(QStringLiteral("/api/v1/tags?uid=000000000000001")).json()),
                 (QStringList{uid(12), uid(13)}));
        QCOMPARE(uidsOf(s.get(QStringLiteral("/api/v1/tags?limit=2")).json()), (QStringList{uid(1), uid(2)}));
        QCOMPARE(s.get(QStringLiteral("/api/v1/tags?reader=SITE1%2FR1")).json().array().size(), 5);
        QCOMPARE(s.get(QStringLiteral("/api/v1/tags?reader=SITE2%2FR1")).json().array().size(), 0);
        const QString later = QDateTime::currentDateTimeUtc().addSecs(60).toString(Qt::ISODateWithMs);
        QCOMPARE(s.get(QStringLiteral("/api/v1/tags?since=") + later).json().array().size(), 0);
        QCOMPARE(s.get(QStringLiteral("/api/v1/tags?since=2020-01-01T00:00:00Z")).json().array().size(), 5);

        QCOMPARE(s.get(QStringLiteral("/api/v1/tags?limit=0")).status, 400);
        QCOMPARE(s.get(QStringLiteral("/api/v1/tags?since=yesterday")).status, 400);
        QCOMPARE(s.get(QStringLiteral("/api/v1/tags?colour=red")).status, 400);
        QCOMPARE(s.get(QStringLiteral("/api/v1/tags/0000000000000099")).status, 404);
        QCOMPARE(s.get(QStringLiteral("/api/v1/nothing")).status, 404);
        QCOMPARE(s.get(QStringLiteral("/%2e%2e/%2e%2e/etc/passwd")).status, 404);
        QCOMPARE(s.get(QStringLiteral("/app.js/../../../etc/passwd")).status, 404);
    }

    void servesReadersStatsAndTheDescription()
    {
        CliWebSession s;
        QVERIFY2(s.start(), s.errors.constData());
        s.feed(line(1) + line(2, "FF", "01") + "000000000000000950A3ZZ\r");
        QTRY_COMPARE_WITH_TIMEOUT(
            s.get(QStringLiteral("/api/v1/stats")).json()[QStringLiteral("reports")].toInt(), 2, 10000);
        const QJsonObject stats = s.get(QStringLiteral("/api/v1/stats")).json().object();
        QCOMPARE(stats[QStringLiteral("tags")].toInt(), 2);
        QVERIFY(stats[QStringLiteral("uptime_s")].toDouble() > 0);
        QVERIFY(stats.contains(QStringLiteral("rate_per_s")));
        QCOMPARE(stats[QStringLiteral("dropped")][QStringLiteral("frames_discarded")].toInt(), 1);

        const QJsonArray readers = s.get(QStringLiteral("/api/v1/readers")).json().array();
        QCOMPARE(readers.size(), 1);
        QCOMPARE(readers[0][QStringLiteral("label")].toString(), QStringLiteral("SITE1/R1"));
        QCOMPARE(readers[0][QStringLiteral("state")].toString(), QStringLiteral("reporting"));
        QCOMPARE(readers[0][QStringLiteral("reports")].toInt(), 2);
        QVERIFY(readers[0][QStringLiteral("problems")].isArray());

        const QJsonObject api = s.get(QStringLiteral("/api/v1/openapi.json")).json().object();
        for (const char *path :
             {"/api/v1/tags", "/api/v1/tags/{uid}", "/api/v1/readers", "/api/v1/stats", "/api/v1/stream"})
            QVERIFY2(api[QStringLiteral("paths")].toObject().contains(QLatin1String(path)), path);
        const auto page = s.get(QStringLiteral("/"));
        QCOMPARE(page.status, 200);
        QVERIFY(page.body.contains("<script src=\"app.js\""));
        // No CORS unless asked for.
        const auto reply = s.get(QStringLiteral("/api/v1/stats"), {}, "http://elsewhere.example");
        for (const auto &[name, value] : reply.headers)
            QVERIFY(!name.startsWith("Access-Control"));
    }

    void needsTheTokenOnceGiven()
    {
        QTemporaryFile tokenFile;
        QVERIFY(tokenFile.open());
        tokenFile.write("s3cret-token\n");
        tokenFile.close();
        CliWebSession s;
        QVERIFY2(s.start({QStringLiteral("--http-token-file"), tokenFile.fileName(),
                          QStringLiteral("--http-cors"), QStringLiteral("http://panel.example")}),
                 s.errors.constData());
        QCOMPARE(s.get(QStringLiteral("/api/v1/tags")).status, 401);
        QCOMPARE(s.get(QStringLiteral("/")).status, 401);
        QCOMPARE(s.get(QStringLiteral("/api/v1/tags"), "s3cret-tokeN").status, 401);
        QCOMPARE(s.get(QStringLiteral("/api/v1/tags"), "s3cret-token-and-more").status, 401);
        const auto ok = s.get(QStringLiteral("/api/v1/tags"), "s3cret-token", "http://panel.example");
        QCOMPARE(ok.status, 200);
        QVERIFY(ok.headers.contains({"Access-Control-Allow-Origin", "http://panel.example"}));

        QWebSocket anonymous;
        QSignalSpy closed(&anonymous, &QWebSocket::disconnected);
        QUrl ws = s.base.resolved(QUrl(QStringLiteral("/api/v1/stream")));
        ws.setScheme(QStringLiteral("ws"));
        anonymous.open(ws);
        QVERIFY(closed.wait(10000));
        QCOMPARE(anonymous.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    }

    void refusesUnsafeOrImpossibleEndpoints()
    {
        QByteArray errors;
        QCOMPARE(exitOf({QStringLiteral("--http"), QStringLiteral("0.0.0.0:0")}, &errors), 2);
        QVERIFY2(errors.contains("--http-token-file"), errors.constData());
        QCOMPARE(exitOf({QStringLiteral("--http"), QStringLiteral("nohost:80")}, &errors), 2);
        QCOMPARE(exitOf({QStringLiteral("--http"), QStringLiteral("127.0.0.1:99999")}, &errors), 2);
        QCOMPARE(exitOf({QStringLiteral("--http-insecure")}, &errors), 2);

        CliWebSession first;
        QVERIFY2(first.start(), first.errors.constData());
        QCOMPARE(exitOf({QStringLiteral("--http"), QStringLiteral("127.0.0.1:%1").arg(first.base.port())},
                        &errors),
                 2);
        QVERIFY2(errors.contains("cannot serve the web view"), errors.constData());
    }

    // Every report reaches a live client, in the order the session entered them.
    void streamsReportsInOrder()
    {
        CliWebSession s;
        QVERIFY2(s.start(), s.errors.constData());
        QWebSocket client;
        QList<QJsonObject> events;
        connect(&client, &QWebSocket::binaryMessageReceived, this, [&events](const QByteArray &message) {
            for (const QJsonValue &v : QJsonDocument::fromJson(message).array())
                events.append(v.toObject());
        });
        QSignalSpy connected(&client, &QWebSocket::connected);
        QUrl ws = s.base.resolved(QUrl(QStringLiteral("/api/v1/stream?reports=all")));
        ws.setScheme(QStringLiteral("ws"));
        client.open(ws);
        QVERIFY(connected.wait(10000));
        constexpr int kReports = 3000;
        QByteArray input;
        for (int i = 0; i < kReports; ++i)
            input += line(1 + i % 500);
        s.feed(input);
        const auto reports = [&events] {
            return std::count_if(events.cbegin(), events.cend(), [](const QJsonObject &e) {
                return e[QStringLiteral("type")].toString() == QLatin1String("report");
            });
        };
        QTRY_COMPARE_WITH_TIMEOUT(reports(), kReports, 20000);
        double lastSeq = 0;
        int n = 0;
        for (const QJsonObject &e : std::as_const(events)) {
            QVERIFY(e[QStringLiteral("seq")].toDouble() > lastSeq);
            lastSeq = e[QStringLiteral("seq")].toDouble();
            if (e[QStringLiteral("type")].toString() != QLatin1String("report"))
                continue;
            QCOMPARE(e[QStringLiteral("uid")].toString(), QString::fromLatin1(uid(1 + n % 500)));
            QCOMPARE(e[QStringLiteral("count")].toInt(), 1 + n / 500);
            ++n;
        }
    }
};

QTEST_MAIN(TestWebApi)
#include "tst_web_api.moc"
