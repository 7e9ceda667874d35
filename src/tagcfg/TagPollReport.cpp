#include "tagcfg/TagPollReport.h"

#include "reading/SensorText.h"

namespace {

std::optional<int> hexField(const QByteArray &frame, int position, int length)
{
    bool ok = false;
    const QByteArray text = frame.mid(position - 1, length);
    const int v = text.toInt(&ok, 16);
    if (!ok || text.size() != length || text.startsWith('-') || text.startsWith('+'))
        return std::nullopt;
    return v;
}

} // namespace

std::optional<TagPollReport> TagPollReport::parse(const QByteArray &frame)
{
    const qsizetype n = frame.size();
    if (n != 27 && n != 31 && n != 35)
        return std::nullopt;
    if (n == 27 && frame.at(2) == 'R')
        return std::nullopt; // an acknowledgement
    const auto rssi = hexField(frame, 19, 2);
    const auto lqi = hexField(frame, 21, 2);
    const auto di = hexField(frame, 23, 2);
    if (!rssi || !lqi || !di)
        return std::nullopt;
    TagPollReport report;
    report.uid = frame.mid(2, 16);
    report.rssi = *rssi;
    report.lqi = *lqi;
    report.di = quint8(*di);
    if (n >= 31) {
        const auto t1 = hexField(frame, 25, 4);
        if (!t1)
            return std::nullopt;
        report.t1 = temperatureText(quint16(*t1));
    }
    if (n == 35) {
        const auto t2 = hexField(frame, 29, 4);
        if (!t2)
            return std::nullopt;
        report.t2 = temperatureText(quint16(*t2));
    }
    return report;
}

QString TagPollReport::statusText(quint8 di)
{
    QString text;
    if ((di & 0xF0) != 0xF0)
        text += QStringLiteral("[BAT]");
    if (!(di & 0x01))
        text += QStringLiteral("[SW]");
    if (!(di & 0x02))
        text += QStringLiteral("[SENSOR]");
    if (!(di & 0x08))
        text += QStringLiteral("[START]");
    return text;
}

QString TagPollReport::temperatureText(quint16 word)
{
    int w = word;
    if (w & 0x2000)
        w -= 16384;
    return SensorText::fixed2(float(w) * 0.03125f);
}
