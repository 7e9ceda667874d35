#include "publish/PublishSettings.h"

#include <QFile>
#include <QSysInfo>
#include <QUrl>

std::optional<BrokerAddress> BrokerAddress::parse(const QString &text, QString *why)
{
    const QUrl url(text, QUrl::StrictMode);
    BrokerAddress a;
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))) {
        *why = QStringLiteral("\"%1\" is not an mqtt:// or mqtts:// URL").arg(text);
        return std::nullopt;
    }
    a.tls = scheme == QLatin1String("mqtts");
    a.host = url.host();
    a.port = url.port(a.tls ? 8883 : 1883);
    if (a.host.isEmpty() || a.port < 1 || a.port > 65535) {
        *why = QStringLiteral("\"%1\" names no broker host and port").arg(text);
        return std::nullopt;
    }
    if (!url.path().isEmpty() && url.path() != QLatin1String("/")) {
        *why = QStringLiteral("\"%1\": a broker URL has no path").arg(text);
        return std::nullopt;
    }
    return a;
}

QString PublishSettings::effectiveSite() const
{
    return site.isEmpty() ? QSysInfo::machineHostName() : site;
}

QString PublishSettings::effectivePrefix() const
{
    return prefix.isEmpty() ? QStringLiteral("talvo/") + effectiveSite() : prefix;
}

QString PublishSettings::subscriberPrefix() const
{
    if (!prefix.isEmpty())
        return prefix;
    return site.isEmpty() ? QStringLiteral("talvo/+") : QStringLiteral("talvo/") + site;
}

std::optional<QString> PublishSettings::readPasswordFile(const QString &path, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("password file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}
