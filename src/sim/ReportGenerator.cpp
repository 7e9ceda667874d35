#include "sim/ReportGenerator.h"

#include "sim/SimFrame.h"
#include "sim/TagPopulation.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxLine = 40; // marker (3) + longest line (31) with room to spare

void putWord(char *out, quint16 word)
{
    SimFrame::putHexByte(out, quint8(word >> 8));
    SimFrame::putHexByte(out + 2, quint8(word & 0xFF));
}

void putDecimal(char *out, int width, quint64 value)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
}

quint8 jitter(SimRandom &rng, quint8 centre, int spread)
{
    return quint8(std::clamp(int(centre) + rng.between(-spread, spread), 0, 255));
}

// Relative humidity as the reader's humidity word gives it, for a word x and temperature t.
double humidityOf(double x, double t)
{
    const double linear = 0.0405 * x - 0.0000028 * x * x - 4;
    return (0.01 + 0.00008 * x) * (t - 25) + linear;
}

} // namespace

ReportGenerator::ReportGenerator(TagPopulation *tags, quint64 seed, const Settings &settings)
    : m_tags(tags), m_rng(seed), m_settings(settings)
{
}

quint16 ReportGenerator::scaleAWord(double celsius)
{
    int w = int(std::lround(std::clamp(celsius, -255.0, 255.0) * 32));
    if (w < 0)
        w += 0x4000; // negative values carry the sign at bit 13
    return quint16(w & 0x3FFF);
}

quint16 ReportGenerator::humidityTemperatureWord(double celsius)
{
    const long v = std::clamp(std::lround((celsius + 40) * 100), 0L, 0x3FFFL);
    return quint16(0x8000 | v);
}

quint16 ReportGenerator::humidityWord(double relativeHumidity, double celsius)
{
    // The humidity curve rises over the whole useful range of the word; search for the closest word.
    int lo = 0;
    int hi = 7000;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (humidityOf(mid, celsius) < relativeHumidity)
            lo = mid + 1;
        else
            hi = mid;
    }
    return quint16(lo);
}

quint16 ReportGenerator::kelvinWord(double celsius)
{
    // 0.02 K units; the type bits take the top of word 1, so the value must stay below 0x4000.
    const long v = std::clamp(std::lround((celsius * 100 + 27315) / 2), 1L, 0x3FFFL);
    return quint16(v);
}

SimTag *ReportGenerator::pickTag()
{
    const int n = m_tags ? m_tags->size() : 0;
    if (n == 0)
        return nullptr;
    const int start = int(m_rng.below(quint64(n)));
    for (int i = 0; i < n; ++i) {
        SimTag &tag = m_tags->tag((start + i) % n);
        if (tag.isOn())
            return &tag;
    }
    return nullptr;
}

quint8 ReportGenerator::rssiCentre(const SimTag &tag)
{
    const int steps = m_settings.approachReports;
    if (steps <= 0 || &tag != &m_tags->tag(0))
        return tag.rssi;
    const int seen = std::min(m_approachSeen++, steps);
    return quint8(kApproachFrom + (kApproachTo - kApproachFrom) * seen / steps);
}

int ReportGenerator::writeFields(char *buf)
{
    SimTag *tag = pickTag();
    if (!tag)
        return 0;
    if (m_settings.sequenceUids) {
        ++m_sequence;
        putDecimal(buf, 4, quint64(m_settings.readerNumber) % 10000);
        putDecimal(buf + 4, 12, m_sequence % 1000000000000ULL);
    } else {
        std::copy(tag->uid.begin(), tag->uid.end(), buf);
    }
    SimFrame::putHexByte(buf + 16, jitter(m_rng, rssiCentre(*tag), 6));
    SimFrame::putHexByte(buf + 18, jitter(m_rng, tag->lqi, 4));
    quint8 events = 0x0F;
    if (m_rng.chance(0.03))
        events &= quint8(~(1u << m_rng.below(4)));
    SimFrame::putHexByte(buf + 20, quint8(tag->battery << 4 | events));
    const double t1 = tag->temperature1 + m_rng.between(-3, 3) / 10.0;
    const double t2 = tag->temperature2 + m_rng.between(-3, 3) / 10.0;
    switch (tag->kind) {
    case SimTagKind::Standard:
        return 22;
    case SimTagKind::OneTemperature:
        putWord(buf + 22, scaleAWord(t1));
        return 26;
    case SimTagKind::TwoTemperature:
        putWord(buf + 22, scaleAWord(t1));
        putWord(buf + 26, scaleAWord(t2));
        return 30;
    case SimTagKind::RawWord:
        ++tag->rawCounter;
        putWord(buf + 22, quint16(0x4000 | (tag->rawCounter & 0x3FFF)));
        putWord(buf + 26, tag->rawCounter);
        return 30;
    case SimTagKind::TemperatureHumidity: {
        const double t = std::clamp(t1, -40.0, 120.0);
        putWord(buf + 22, humidityTemperatureWord(t));
        putWord(buf + 26, humidityWord(tag->humidity + m_rng.between(-10, 10) / 10.0, t));
        return 30;
    }
    case SimTagKind::TwoTemperatureKelvin:
        putWord(buf + 22, quint16(0xC000 | kelvinWord(std::min(t1, 50.0))));
        putWord(buf + 26, kelvinWord(t2));
        return 30;
    }
    return 22;
}

void ReportGenerator::appendNoise(QByteArray &out)
{
    const int n = m_rng.between(1, 40);
    for (int i = 0; i < n; ++i) {
        char c = char(m_rng.below(256));
        if (c == SimFrame::kCr)
            c = '#';
        out.append(c);
    }
    out.append(SimFrame::kCr);
}

int ReportGenerator::appendLines(QByteArray &out, int count)
{
    char buf[kMaxLine];
    int made = 0;
    for (; made < count; ++made) {
        if (m_settings.garbageRate > 0 && m_rng.chance(m_settings.garbageRate))
            appendNoise(out);
        int offset = 0;
        if (m_settings.tamperRate > 0 && m_rng.chance(m_settings.tamperRate)) {
            // Marker and status byte with bit 7 clear: the reader reports a tamper event.
            buf[0] = 'J';
            buf[1] = '0';
            buf[2] = '0';
            offset = 3;
        }
        const int len = writeFields(buf + offset);
        if (len == 0)
            break;
        if (offset)
            ++m_tamperLines;
        buf[offset + len] = SimFrame::kCr;
        out.append(buf, offset + len + 1);
    }
    return made;
}

QByteArray ReportGenerator::nextFields()
{
    char buf[kMaxLine];
    const int len = writeFields(buf);
    return QByteArray(buf, len);
}

int ReportGenerator::takeTamperLines()
{
    const int n = m_tamperLines;
    m_tamperLines = 0;
    return n;
}
