#pragma once

#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

// A `talvo-cli read --replay - --http 127.0.0.1:0` session for the web tests: reports are written to
// its standard input (which stays open, so the session runs until stopped), and the address it serves
// is read from its diagnostics.
class CliWebSession
{
public:
    static QString cliPath()
    {
        return qEnvironmentVariable("TALVO_BIN_DIR") + QStringLiteral("/cli/talvo-cli");
    }

    // False when the program did not say where it serves within the deadline.
    bool start(const QStringList &extra = {})
    {
        manager.setProxy(QNetworkProxy::NoProxy);
        process.start(cliPath(),
                      QStringList{QStringLiteral("read"), QStringLiteral("--replay"), QStringLiteral("-"),
                                  QStringLiteral("--label"), QStringLiteral("SITE1/R1"),
                                  QStringLiteral("--http"), QStringLiteral("127.0.0.1:0")} +
                          extra);
        const QRegularExpression served(QStringLiteral("web view: (http://\\S+)"));
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired() && process.state() != QProcess::NotRunning) {
            errors += process.readAllStandardError();
            const auto m = served.match(QString::fromUtf8(errors));
            if (m.hasMatch()) {
                base = QUrl(m.captured(1));
                return true;
            }
            process.waitForReadyRead(100);
        }
        return false;
    }

    void feed(const QByteArray &bytes) { process.write(bytes); }

    ~CliWebSession()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(10000))
            process.kill();
    }

    struct Reply
    {
        int status = 0;
        QByteArray body;
        QNetworkReply::NetworkError error = QNetworkReply::NoError;
        QList<QNetworkReply::RawHeaderPair> headers;
        QJsonDocument json() const { return QJsonDocument::fromJson(body); }
    };

    Reply get(const QString &pathAndQuery, const QByteArray &token = {}, const QByteArray &origin = {})
    {
        QNetworkRequest request(base.resolved(QUrl(pathAndQuery)));
        if (!token.isEmpty())
            request.setRawHeader("Authorization", "Bearer " + token);
        if (!origin.isEmpty())
            request.setRawHeader("Origin", origin);
        QNetworkReply *reply = manager.get(request);
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!reply->isFinished())
            done.wait(10000);
        Reply r{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
                reply->error(), reply->rawHeaderPairs()};
        reply->deleteLater();
        return r;
    }

    QProcess process;
    QByteArray errors;
    QUrl base;
    QNetworkAccessManager manager;
};
