#include "i18n/LinkLogText.h"
#include "i18n/ProblemText.h"

#include <QtTest>

// Connection-log lines and configuration-link problems are data: the English words stay exactly what
// the command line and the log readers know, and the window says the same in Chinese.
class TestLinkLogText : public QObject
{
    Q_OBJECT
private:
    using K = LinkLogEvent::Kind;

private slots:
    void englishLines_data()
    {
        QTest::addColumn<LinkLogEvent>("event");
        QTest::addColumn<QString>("line");
        auto row = [](const char *name, LinkLogEvent e, const char *line) {
            QTest::newRow(name) << e << QString::fromUtf8(line);
        };
        row("connected", LinkLogEvent::of(K::Connected, "192.168.1.101", 4001),
            "Connected:192.168.1.101 Port:4001");
        row("disconnected", LinkLogEvent::of(K::Disconnected, "10.0.0.7", 4001),
            "Disconnected:10.0.0.7 Port:4001");
        row("not connected", LinkLogEvent::of(K::NotConnected, "10.0.0.7", 5000, "Connection refused"),
            "Not connected:10.0.0.7 Port:5000 (Connection refused)");
        row("listening", LinkLogEvent::of(K::Listening, {}, 4001), "Listening: Port:4001");
        row("not listening", LinkLogEvent::of(K::NotListening, {}, 80, "Permission denied"),
            "Not listening: Port:80 (Permission denied)");
        row("refused", LinkLogEvent::of(K::ReaderRefused, "127.0.0.9", 40123),
            "Refused:127.0.0.9:40123 (listener full)");
        row("dropped",
            LinkLogEvent::of(K::ReaderDropped, "127.0.0.9", 40123, "The remote host closed the connection"),
            "Disconnected:127.0.0.9:40123 (The remote host closed the connection)");
        row("bound", LinkLogEvent::of(K::Bound, {}, 0), "Bound: Port:0");
        row("not bound", LinkLogEvent::of(K::NotBound, {}, 4001, "Address in use"),
            "Not bound: Port:4001 (Address in use)");
        row("not listed", LinkLogEvent::of(K::SenderNotListed, "127.0.0.3", 9),
            "Not listed:127.0.0.3:9 (too many senders)");
        row("no reply", LinkLogEvent::of(K::NoValidReply, "COM03", 0, "M1"), "COM03: no valid reply to M1");
        row("not a port", LinkLogEvent::of(K::NotAPort, {}, 0, "70000"), "Not a port: 70000");
        row("subscribed", LinkLogEvent::of(K::Subscribed, "mqtt://127.0.0.1:1883", 0, "talvo/+/+/reports"),
            "Subscribed:mqtt://127.0.0.1:1883 Topic:talvo/+/+/reports");
        row("reader heard", LinkLogEvent::of(K::ReaderHeard, "hall/r1"), "Reader:hall/r1");
        // Values are filled in one pass: a reason that holds "%1" is shown as it is.
        row("percent in reason", LinkLogEvent::of(K::NotConnected, "fe80::1%eth0", 7, "odd %1 %2 text"),
            "Not connected:fe80::1%eth0 Port:7 (odd %1 %2 text)");
    }
    void englishLines()
    {
        QFETCH(LinkLogEvent, event);
        QFETCH(QString, line);
        QCOMPARE(event.text(), line);
        QCOMPARE(linkLogText(event, Language::English), line);
    }

    void chineseLinesKeepAddressesPortsAndReasons()
    {
        const auto lost = LinkLogEvent::of(K::NotConnected, "10.0.0.7", 5000, "Connection refused");
        QCOMPARE(linkLogText(lost, Language::TraditionalChinese),
                 QStringLiteral("無法連線:10.0.0.7 連接埠:5000 (Connection refused)"));
        QCOMPARE(linkLogText(lost, Language::SimplifiedChinese),
                 QStringLiteral("无法连接:10.0.0.7 端口:5000 (Connection refused)"));
        QCOMPARE(
            linkLogText(LinkLogEvent::of(K::NoValidReply, "COM03", 0, "M1"), Language::SimplifiedChinese),
            QStringLiteral("COM03: M1 没有有效的回复"));
        // Every kind has words of its own in both Chinese languages.
        for (int k = int(K::Connected); k <= int(K::ReaderHeard); ++k) {
            const auto event = LinkLogEvent::of(K(k), "127.0.0.1", 4001, "why");
            for (Language language : {Language::TraditionalChinese, Language::SimplifiedChinese}) {
                const QString text = linkLogText(event, language);
                QVERIFY2(text != event.text(), qPrintable(event.text()));
                QVERIFY2(!text.contains(QLatin1Char('%')), qPrintable(text));
            }
        }
    }

    void configLinkProblems()
    {
        const Problem badMode{Problem::Severity::Error,
                              Problem::Kind::ConfigLinkFailed,
                              "Cannot set %1 to \"%2\": %3",
                              {"/dev/ttyUSB0", "115200,n,8,1", "Inappropriate ioctl for device"}};
        QCOMPARE(
            problemText(badMode, Language::English),
            QStringLiteral("Cannot set /dev/ttyUSB0 to \"115200,n,8,1\": Inappropriate ioctl for device"));
        QCOMPARE(problemText(badMode, Language::TraditionalChinese),
                 QStringLiteral("無法將 /dev/ttyUSB0 設為 \"115200,n,8,1\"：Inappropriate ioctl for device"));
        const Problem noAddress{
            Problem::Severity::Error, Problem::Kind::ConfigLinkFailed, "No reader address to send to", {}};
        QCOMPARE(problemText(noAddress, Language::SimplifiedChinese),
                 QStringLiteral("没有要发送的读卡机地址"));
        // Texts of only values and punctuation are the same in every language.
        const Problem lost{Problem::Severity::Error,
                           Problem::Kind::ConfigLinkFailed,
                           "%1:%2: %3",
                           {"10.0.0.7", "4001", "Connection refused"}};
        QCOMPARE(problemText(lost, Language::SimplifiedChinese),
                 QStringLiteral("10.0.0.7:4001: Connection refused"));
    }
};

QTEST_APPLESS_MAIN(TestLinkLogText)
#include "tst_link_log_text.moc"
