#include "http/ApiJson.h"

#include "publish/ReportJson.h"
#include "reading/DiFlags.h"

#include <QJsonDocument>

namespace {

const char *boolText(bool b)
{
    return b ? "true" : "false";
}

QString timeText(qint64 ms, IsoTime &time)
{
    return ms > 0 ? QString::fromLatin1(time.format(ms)) : QString();
}

} // namespace

namespace ApiJson {

QByteArray tag(const TagDirectory::Entry &e, IsoTime &time, const QByteArray &extra)
{
    const TTagReport &r = e.report;
    QByteArray out;
    out.reserve(256);
    out += "{" + extra + "\"uid\":" + ReportJson::jsonString(r.uid);
    out += ",\"reader\":" + ReportJson::jsonString(e.reader);
    out += ",\"rssi\":" + QByteArray::number(r.rssi) + ",\"lqi\":" + QByteArray::number(r.lqi);
    out += ",\"di\":" + ReportJson::jsonString(diFlagText(r.di));
    out += ",\"t1\":" + ReportJson::jsonString(r.t1) + ",\"t2\":" + ReportJson::jsonString(r.t2);
    out += ",\"count\":" + QByteArray::number(e.count);
    out += ",\"first_seen\":\"" + time.format(e.firstSeenMs) + "\",\"last_seen\":\"" +
           time.format(e.lastSeenMs) + '"';
    out += QByteArray(",\"tamper\":") + boolText(e.tamper) + ",\"low_battery\":" + boolText(e.lowBattery()) +
           ",\"temperature_alarm\":" + boolText(e.temperatureAlarm()) + '}';
    return out;
}

QJsonObject problem(const ReaderDirectory::Logged &logged, IsoTime &time)
{
    const bool error = logged.problem.severity == Problem::Severity::Error;
    return {{QStringLiteral("time"), timeText(logged.timeMs, time)},
            {QStringLiteral("severity"), error ? QStringLiteral("error") : QStringLiteral("warning")},
            {QStringLiteral("text"), logged.problem.englishText()}};
}

QJsonArray problems(const std::deque<ReaderDirectory::Logged> &list, IsoTime &time)
{
    QJsonArray out;
    for (const ReaderDirectory::Logged &logged : list)
        out.append(problem(logged, time));
    return out;
}

QJsonObject reader(const ReaderDirectory::Reader &r, IsoTime &time)
{
    return {{QStringLiteral("label"), r.label},
            {QStringLiteral("state"), QLatin1String(ReaderDirectory::stateName(r.state))},
            {QStringLiteral("reports"), double(r.reports)},
            {QStringLiteral("last_seen"),
             r.lastSeenMs > 0 ? QJsonValue(timeText(r.lastSeenMs, time)) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("problems"), problems(r.problems, time)}};
}

QByteArray error(const QString &text)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("error"), text}}).toJson(QJsonDocument::Compact);
}

} // namespace ApiJson
