#include "WindowControls.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"

#include <QCheckBox>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSettings>
#include <QSpinBox>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

// "Serve a web view on port …" in the "Publish" group: off by default, a port in use is said, the
// page and the API are served on loopback once the port is free, and the choice is stored.
class TestWebViewWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    SilentTonePlayer m_tone;

private slots:
    void servesWhenTicked()
    {
        const QString ini = m_dir.filePath(QStringLiteral("web.ini"));
        QTcpServer blocker;
        QVERIFY(blocker.listen(QHostAddress::LocalHost, 0));
        const quint16 port = blocker.serverPort();
        {
            SettingsStore store(ini);
            TfrmModule w(&store, &m_tone, m_dir.filePath(QStringLiteral("sel.csv")));
            auto *box = control<QCheckBox>(&w, "chkWebView");
            auto *spin = control<QSpinBox>(&w, "spnWebViewPort");
            auto *state = control<QLabel>(&w, "lblWebViewState");
            QVERIFY(!box->isChecked());
            QCOMPARE(spin->value(), 8080);
            QVERIFY(state->text().isEmpty());

            spin->setValue(port);
            box->click();
            QVERIFY2(state->text().startsWith(QStringLiteral("Web view not served: ")),
                     qPrintable(state->text()));
            w.setLanguage(Language::TraditionalChinese);
            QCOMPARE(box->text(), QStringLiteral("提供網頁檢視，連接埠"));
            QVERIFY(state->text().startsWith(QStringLiteral("未提供網頁檢視：")));
            w.setLanguage(Language::English);

            blocker.close();
            emit spin->editingFinished();
            const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
            QCOMPARE(state->text(), QStringLiteral("Web view: ") + url);
            QNetworkAccessManager manager;
            manager.setProxy(QNetworkProxy::NoProxy);
            QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(url + QStringLiteral("api/v1/tags"))));
            QSignalSpy done(reply, &QNetworkReply::finished);
            QVERIFY(done.wait(10000));
            QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
            QCOMPARE(reply->readAll(), QByteArray("[]"));
            reply->deleteLater();
        }
        QSettings raw(ini, QSettings::IniFormat);
        QCOMPARE(raw.value("WebView").toInt(), 1);
        QCOMPARE(raw.value("WebViewPort").toInt(), int(port));
    }
};

QTEST_MAIN(TestWebViewWindow)
#include "tst_web_view_window.moc"
