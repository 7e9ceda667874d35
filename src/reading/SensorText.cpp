#include "reading/SensorText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace SensorText {
namespace {

// Writes `value` as "%.2f" would into `out`; returns the number of characters written (at most 24).
int writeFixed2(float value, char *out)
{
    // A float has 24 significant bits, so value * 100 is exact in double and rint() rounds the
    // exact decimal value half to even, as printf does.
    const double scaled = std::rint(double(value) * 100.0);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 1e17)
        return std::snprintf(out, 24, "%3.2f", double(value));
    char digits[24];
    int n = 0;
    unsigned long long hundredths = static_cast<unsigned long long>(std::fabs(scaled));
    digits[n++] = char('0' + hundredths % 10);
    digits[n++] = char('0' + (hundredths / 10) % 10);
    digits[n++] = '.';
    unsigned long long whole = hundredths / 100;
    do {
        digits[n++] = char('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    int len = 0;
    if (std::signbit(value))
        out[len++] = '-';
    while (n > 0)
        out[len++] = digits[--n];
    return len;
}

QString celsiusAndFahrenheit(float celsius)
{
    const float fahrenheit = celsius * 1.8f + 32.0f;
    char buf[64];
    int n = writeFixed2(celsius, buf);
    std::memcpy(buf + n, " C / ", 5);
    n += 5;
    n += writeFixed2(fahrenheit, buf + n);
    buf[n++] = ' ';
    buf[n++] = 'F';
    return QString::fromLatin1(buf, n);
}

} // namespace

QString fixed2(float value)
{
    char buf[32];
    return QString::fromLatin1(buf, writeFixed2(value, buf));
}

QString scaleA(quint16 word)
{
    int w = word;
    if (w & 0x2000)
        w -= 0x4000;
    return celsiusAndFahrenheit(float(w) * 0.03125f);
}

QString scaleB(quint16 word)
{
    return celsiusAndFahrenheit(float(2 * int(word) - 27315) * 0.01f);
}

float humidityTagCelsius(quint16 word1)
{
    return float(word1 & 0x3FFF) * 0.01f - 40.0f;
}

QString relativeHumidity(quint16 word2, float celsius)
{
    const float x = float(word2);
    const float linear = 0.0405f * x - 0.0000028f * x * x - 4.0f;
    const float compensated = (0.01f + 0.00008f * x) * (celsius - 25.0f) + linear;
    char buf[32];
    int n = writeFixed2(compensated, buf);
    buf[n++] = '%';
    return QString::fromLatin1(buf, n);
}

} // namespace SensorText
