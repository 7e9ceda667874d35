#include "reading/ReportDecoder.h"

#include "reading/SensorText.h"

#include <array>

namespace {

constexpr qsizetype kMinFrame = 18;
constexpr qsizetype kTamperPrefix = 3;

// Value of every byte as a hex digit, -1 where it is none.
constexpr std::array<qint8, 256> kHexValue = [] {
    std::array<qint8, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[size_t(i)] = qint8(i >= '0' && i <= '9'   ? i - '0'
                             : i >= 'A' && i <= 'F' ? i - 'A' + 10
                             : i >= 'a' && i <= 'f' ? i - 'a' + 10
                                                    : -1);
    return t;
}();

int hexDigit(char c)
{
    return kHexValue[quint8(c)];
}

// Reads `digits` hex characters at 0-based `pos`; nullopt when one is not a hex digit.
std::optional<quint16> readHex(QByteArrayView line, qsizetype pos, int digits)
{
    quint16 v = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = hexDigit(line[pos + i]);
        if (d < 0)
            return std::nullopt;
        v = quint16((v << 4) | d);
    }
    return v;
}

const QString &dash()
{
    static const QString kDash = QStringLiteral("-");
    return kDash;
}

} // namespace

const char *reportKindName(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Standard:
        return "standard";
    case ReportKind::OneTemperature:
        return "one-temperature";
    case ReportKind::TwoTemperature:
        return "two-temperature";
    case ReportKind::RawWord:
        return "raw-word";
    case ReportKind::TemperatureHumidity:
        return "temperature-humidity";
    case ReportKind::TwoTemperatureKelvin:
        return "two-temperature-kelvin";
    }
    return "unknown";
}

ReportDecoder::ReportDecoder(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<TTagReport>();
}

std::optional<TTagReport> ReportDecoder::parseLine(QByteArrayView line, const ReportTypeSwitches &sw,
                                                   ReportTextCache *cache)
{
    const auto scaleA = [cache](QString &text, quint16 w) {
        if (cache)
            text = cache->scaleA(w);
        else
            text = SensorText::scaleA(w);
    };
    const auto scaleB = [cache](QString &text, quint16 w) {
        if (cache)
            text = cache->scaleB(w);
        else
            text = SensorText::scaleB(w);
    };
    const qsizetype length = line.size();
    if (length != 23 && length != 27 && length != 31)
        return std::nullopt;

    const auto rssi = readHex(line, 16, 2);
    const auto lqi = readHex(line, 18, 2);
    const auto di = readHex(line, 20, 2);
    if (!rssi || !lqi || !di)
        return std::nullopt;

    TTagReport r;
    std::optional<quint16> w1, w2;
    if (length >= 27 && !(w1 = readHex(line, 22, 4)))
        return std::nullopt;
    if (length == 31 && !(w2 = readHex(line, 26, 4)))
        return std::nullopt;

    if (length == 23) {
        if (!sw.standard)
            return std::nullopt;
        r.kind = ReportKind::Standard;
        r.t1 = dash();
        r.t2 = dash();
    } else if (length == 27) {
        if (!sw.oneTemperature)
            return std::nullopt;
        r.kind = ReportKind::OneTemperature;
        scaleA(r.t1, *w1);
        r.t2 = dash();
    } else {
        switch ((*w1 & 0xC000) >> 14) {
        case 0:
            if (!sw.twoTemperature)
                return std::nullopt;
            r.kind = ReportKind::TwoTemperature;
            scaleA(r.t1, *w1);
            scaleA(r.t2, *w2);
            break;
        case 1:
            r.kind = ReportKind::RawWord;
            r.t1 = dash();
            r.t2 = QString::fromLatin1(line.sliced(26, 4));
            break;
        case 2: {
            if (!sw.temperatureHumidity)
                return std::nullopt;
            r.kind = ReportKind::TemperatureHumidity;
            const float celsius = SensorText::humidityTagCelsius(*w1);
            if (cache)
                r.t1 = cache->humidityCelsius(*w1);
            else
                r.t1 = SensorText::fixed2(celsius);
            r.t2 = SensorText::relativeHumidity(*w2, celsius);
            break;
        }
        default:
            if (!sw.twoTemperature)
                return std::nullopt;
            r.kind = ReportKind::TwoTemperatureKelvin;
            if ((*w1 & 0x3FFF) == 0 || *w2 == 0)
                return std::nullopt;
            scaleB(r.t1, *w1 & 0x3FFF);
            scaleB(r.t2, *w2);
            break;
        }
    }
    if (cache)
        r.uid = cache->uid(line.first(16));
    else
        r.uid = QString::fromLatin1(line.first(16));
    r.rssi = quint8(*rssi);
    r.lqi = quint8(*lqi);
    r.di = quint8(*di);
    return r;
}

void ReportDecoder::decodeReport(QByteArrayView frame, const QString &label)
{
    if (!m_readingActive)
        return;
    if (frame.size() < kMinFrame)
        return;
    if (frame.contains('R'))
        return;
    if (frame.contains('J')) {
        // The status characters follow the marker; an unreadable status discards the line.
        const auto status = readHex(frame, 1, 2);
        if (!status) {
            ++m_discarded;
            return;
        }
        if (!(*status & 0x80)) {
            m_tamperCountdown = 0;
            m_tamperShown = true;
            emit tamperChanged(true, kNoCountdown);
        }
        frame = frame.sliced(kTamperPrefix);
    } else {
        countDownTamper();
    }
    auto report = parseLine(frame, m_switches, &m_cache);
    if (!report) {
        const qsizetype n = frame.size();
        if (n == 23 || n == 27 || n == 31)
            ++m_discarded; // listed length, but switched off or unreadable
        return;
    }
    emit reportDecoded(*report, label);
}

void ReportDecoder::acceptReport(const TTagReport &report, const QString &label)
{
    if (!m_readingActive)
        return;
    if (!m_switches.accepts(report.kind)) {
        ++m_discarded;
        return;
    }
    emit reportDecoded(report, label);
}

bool ReportTypeSwitches::accepts(ReportKind kind) const
{
    switch (kind) {
    case ReportKind::Standard:
        return standard;
    case ReportKind::OneTemperature:
        return oneTemperature;
    case ReportKind::TwoTemperature:
    case ReportKind::TwoTemperatureKelvin:
        return twoTemperature;
    case ReportKind::TemperatureHumidity:
        return temperatureHumidity;
    case ReportKind::RawWord:
        return true;
    }
    return true;
}

void ReportDecoder::countDownTamper()
{
    const int shownCount = kTamperCountdownLimit - m_tamperCountdown;
    const bool wasShown = m_tamperShown;
    ++m_tamperCountdown;
    if (m_tamperCountdown > kTamperCountdownLimit) {
        m_tamperCountdown = 0;
        m_tamperShown = false;
    }
    // The count runs on while the panel is hidden; listeners only hear about it while it is shown.
    if (wasShown)
        emit tamperChanged(m_tamperShown, shownCount);
}

void ReportDecoder::resetTamper()
{
    m_tamperCountdown = 0;
    const bool wasShown = m_tamperShown;
    m_tamperShown = false;
    if (wasShown)
        emit tamperChanged(false, kNoCountdown);
}
