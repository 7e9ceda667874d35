#include "MqttOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>

void MqttOptions::addTo(QCommandLineParser &p)
{
    p.addOptions({
        {QStringLiteral("mqtt"),
         QStringLiteral("Also publish every report to the MQTT broker at URL (mqtt://HOST[:PORT], "
                        "mqtts://HOST[:PORT] for TLS), on PREFIX/reports/LABEL."),
         QStringLiteral("URL")},
        {QStringLiteral("mqtt-in"),
         QStringLiteral("Read the reports other instances publish to the MQTT broker at URL, under "
                        "--mqtt-prefix (default: every site, talvo/+). Labels are SITE/READER."),
         QStringLiteral("URL")},
        {QStringLiteral("mqtt-prefix"), QStringLiteral("Topic prefix (default talvo/SITE)."),
         QStringLiteral("P")},
        {QStringLiteral("site"),
         QStringLiteral("Site name published with every report (default: this machine's host name)."),
         QStringLiteral("NAME")},
        {QStringLiteral("mqtt-qos"), QStringLiteral("MQTT quality of service for reports: 0 (default) or 1."),
         QStringLiteral("0|1")},
        {QStringLiteral("mqtt-user"), QStringLiteral("User name at the broker."), QStringLiteral("U")},
        {QStringLiteral("mqtt-password-file"),
         QStringLiteral("File whose first line is the broker password (needs --mqtt-user)."),
         QStringLiteral("F")},
        {QStringLiteral("mqtt-cafile"),
         QStringLiteral("Certificate authorities (PEM) that sign the broker's certificate, for mqtts://."),
         QStringLiteral("F")},
    });
}

namespace {

const char *const kDetails[] = {"mqtt-prefix", "site",        "mqtt-qos",
                                "mqtt-user",   "mqtt-cafile", "mqtt-password-file"};

bool fail(QString *error, const QString &text)
{
    *error = text;
    return false;
}

bool readQos(const QCommandLineParser &p, int *qos, QString *error)
{
    if (!p.isSet(QStringLiteral("mqtt-qos")))
        return true;
    const QString text = p.value(QStringLiteral("mqtt-qos")).trimmed();
    if (text != QLatin1String("0") && text != QLatin1String("1"))
        return fail(error, QStringLiteral("--mqtt-qos must be 0 or 1, got '%1'").arg(text));
    *qos = text.toInt();
    return true;
}

bool readCredentials(const QCommandLineParser &p, PublishSettings *s, QString *error)
{
    s->user = p.value(QStringLiteral("mqtt-user"));
    const QString passwordFile = p.value(QStringLiteral("mqtt-password-file"));
    if (!passwordFile.isEmpty()) {
        if (s->user.isEmpty())
            return fail(error, QStringLiteral("--mqtt-password-file needs --mqtt-user"));
        QString why;
        const auto password = PublishSettings::readPasswordFile(passwordFile, &why);
        if (!password)
            return fail(error, QStringLiteral("--mqtt-password-file: %1").arg(why));
        s->password = *password;
    }
    s->caFile = p.value(QStringLiteral("mqtt-cafile"));
    if (!s->caFile.isEmpty() && !QFileInfo(s->caFile).isReadable())
        return fail(error, QStringLiteral("--mqtt-cafile: %1 cannot be read").arg(s->caFile));
    return true;
}

} // namespace

bool MqttOptions::parse(const QCommandLineParser &p, QString *error)
{
    const bool out = p.isSet(QStringLiteral("mqtt"));
    const bool in = p.isSet(QStringLiteral("mqtt-in"));
    if (!out && !in) {
        for (const char *name : kDetails) {
            if (p.isSet(QLatin1String(name)))
                return fail(
                    error, QStringLiteral("--%1 needs --mqtt URL or --mqtt-in URL").arg(QLatin1String(name)));
        }
        return true;
    }
    // Reading from a broker and publishing to one in the same run would send reports round in a
    // circle when both name the same broker and prefix.
    if (out && in)
        return fail(error, QStringLiteral("--mqtt and --mqtt-in cannot be used together"));
    PublishSettings s;
    s.url = p.value(in ? QStringLiteral("mqtt-in") : QStringLiteral("mqtt")).trimmed();
    QString why;
    if (!BrokerAddress::parse(s.url, &why))
        return fail(
            error,
            QStringLiteral("--%1: %2").arg(in ? QStringLiteral("mqtt-in") : QStringLiteral("mqtt"), why));
    s.prefix = p.value(QStringLiteral("mqtt-prefix")).trimmed();
    while (s.prefix.endsWith(QLatin1Char('/')))
        s.prefix.chop(1);
    s.site = p.value(QStringLiteral("site")).trimmed();
    if (s.prefix.contains(QLatin1Char('#')) || (out && s.prefix.contains(QLatin1Char('+'))))
        return fail(error, QStringLiteral("--mqtt-prefix: '%1' is not a topic prefix to %2")
                               .arg(s.prefix, out ? QStringLiteral("publish to") : QStringLiteral("read")));
    if (!readQos(p, &s.qos, error) || !readCredentials(p, &s, error))
        return false;
    (in ? subscribe : publish) = s;
    return true;
}
