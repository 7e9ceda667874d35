#include "publish/ReportJson.h"

#include "reading/DiFlags.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <array>
#include <cstdio>

namespace {

constexpr qsizetype kMaxText = 256; // longer than any field a reader or a site name gives

const std::array<ReportKind, 6> kKinds{
    ReportKind::Standard, ReportKind::OneTemperature,      ReportKind::TwoTemperature,
    ReportKind::RawWord,  ReportKind::TemperatureHumidity, ReportKind::TwoTemperatureKelvin};

// The DI byte back from its flag text: every one of the 256 bytes has a text of its own.
std::optional<quint8> diFromText(const QString &text)
{
    static const QHash<QString, quint8> kBytes = [] {
        QHash<QString, quint8> bytes;
        for (int v = 0; v < 256; ++v)
            bytes.insert(diFlagText(quint8(v)), quint8(v));
        return bytes;
    }();
    const auto it = kBytes.constFind(text);
    if (it == kBytes.constEnd())
        return std::nullopt;
    return *it;
}

std::optional<ReportKind> kindFromName(const QString &name)
{
    for (ReportKind kind : kKinds) {
        if (name == QLatin1String(reportKindName(kind)))
            return kind;
    }
    return std::nullopt;
}

bool readText(const QJsonObject &o, const char *name, QString *out)
{
    const QJsonValue v = o.value(QLatin1String(name));
    if (!v.isString() || v.toString().size() > kMaxText)
        return false;
    *out = v.toString();
    return true;
}

bool readByte(const QJsonObject &o, const char *name, quint8 *out)
{
    const QJsonValue v = o.value(QLatin1String(name));
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    if (d < 0 || d > 255 || d != double(int(d)))
        return false;
    *out = quint8(d);
    return true;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isHexDigit(QChar c)
{
    return isDigit(c) || (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

bool isHex(QStringView text, qsizetype digits)
{
    if (text.size() != digits)
        return false;
    for (QChar c : text) {
        if (!isHexDigit(c))
            return false;
    }
    return true;
}

// A number as the sensor texts write it: an optional minus, digits, a point and two decimals.
// Returns the position after it, or -1.
qsizetype skipFixed2(QStringView text, qsizetype at)
{
    if (at < text.size() && text[at] == QLatin1Char('-'))
        ++at;
    const qsizetype digits = at;
    while (at < text.size() && isDigit(text[at]))
        ++at;
    if (at == digits || at + 3 > text.size() || text[at] != QLatin1Char('.') || !isDigit(text[at + 1]) ||
        !isDigit(text[at + 2]))
        return -1;
    return at + 3;
}

// "25.00", "33.70%", "25.00 C / 77.00 F": a number and the text behind it.
bool isFixed2(QStringView text, QStringView tail = {})
{
    const qsizetype end = skipFixed2(text, 0);
    return end >= 0 && text.sliced(end) == tail;
}

bool isTemperature(QStringView text)
{
    const qsizetype celsius = skipFixed2(text, 0);
    return celsius >= 0 && text.sliced(celsius).startsWith(u" C / ") &&
           isFixed2(text.sliced(celsius + 5), u" F");
}

// T1 and T2 as the decoder writes them for the report's kind.
bool sensorTextsFit(const TTagReport &r)
{
    const QLatin1String dash("-");
    switch (r.kind) {
    case ReportKind::Standard:
        return r.t1 == dash && r.t2 == dash;
    case ReportKind::OneTemperature:
        return isTemperature(r.t1) && r.t2 == dash;
    case ReportKind::TwoTemperature:
    case ReportKind::TwoTemperatureKelvin:
        return isTemperature(r.t1) && isTemperature(r.t2);
    case ReportKind::RawWord:
        return r.t1 == dash && isHex(r.t2, 4);
    case ReportKind::TemperatureHumidity:
        return isFixed2(r.t1) && isFixed2(r.t2, u"%");
    }
    return false;
}

// A name that may stand in a log line: no control or other unprintable characters (they would end
// or forge lines, or reach a terminal) and not the CSV separator.
bool isCleanLabel(const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        const auto category = QChar::category(c);
        if (c == U',' || (c != U' ' && !QChar::isPrint(c)) || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            return false;
    }
    return true;
}

// The first field of a report read back that a reader or a publisher could not have sent, or empty.
QString badField(const ReportJson::Received &in)
{
    if (!isHex(in.report.uid, 16))
        return QStringLiteral("uid");
    if (!sensorTextsFit(in.report))
        return QStringLiteral("t1/t2");
    if (!isCleanLabel(in.label))
        return QStringLiteral("label");
    if (!isCleanLabel(in.site))
        return QStringLiteral("site");
    if (!isCleanLabel(in.reader))
        return QStringLiteral("reader");
    return {};
}

} // namespace

namespace ReportJson {

QByteArray jsonString(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out += '"';
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", unsigned(c));
            out += esc;
        } else {
            out += char(c);
        }
    }
    out += '"';
    return out;
}

QByteArray object(const TTagReport &r, const QString &label)
{
    return "{\"uid\":" + jsonString(r.uid) + ",\"rssi\":" + QByteArray::number(r.rssi) +
           ",\"lqi\":" + QByteArray::number(r.lqi) + ",\"di\":" + jsonString(diFlagText(r.di)) +
           ",\"t1\":" + jsonString(r.t1) + ",\"t2\":" + jsonString(r.t2) + ",\"kind\":\"" +
           reportKindName(r.kind) + "\",\"label\":" + jsonString(label) + "}";
}

QByteArray published(const TTagReport &report, const QString &label, const QString &site)
{
    QByteArray out = object(report, label);
    out.chop(1);
    out += ",\"site\":" + jsonString(site) + ",\"reader\":" + jsonString(label) + "}";
    return out;
}

std::optional<Received> parse(const QByteArray &payload, QString *why)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        *why = doc.isNull() ? QStringLiteral("not JSON") : QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    Received in;
    QString di, kind;
    for (const auto &[name, target] : {std::pair{"uid", &in.report.uid},
                                       {"di", &di},
                                       {"t1", &in.report.t1},
                                       {"t2", &in.report.t2},
                                       {"kind", &kind},
                                       {"label", &in.label},
                                       {"site", &in.site},
                                       {"reader", &in.reader}}) {
        if (!readText(o, name, target)) {
            *why = QStringLiteral("field \"%1\" missing or not a short text").arg(QLatin1String(name));
            return std::nullopt;
        }
    }
    if (!readByte(o, "rssi", &in.report.rssi) || !readByte(o, "lqi", &in.report.lqi)) {
        *why = QStringLiteral("field \"rssi\" or \"lqi\" missing or not a number 0..255");
        return std::nullopt;
    }
    const auto diByte = diFromText(di);
    const auto kindValue = kindFromName(kind);
    if (!diByte || !kindValue) {
        *why =
            !diByte ? QStringLiteral("field \"di\" is not a flag text") : QStringLiteral("unknown \"kind\"");
        return std::nullopt;
    }
    in.report.di = *diByte;
    in.report.kind = *kindValue;
    const QString field = badField(in);
    if (!field.isEmpty()) {
        *why = QStringLiteral("field \"%1\" is not what a reader sends").arg(field);
        return std::nullopt;
    }
    return in;
}

} // namespace ReportJson
