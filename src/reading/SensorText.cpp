// Concatenations below build their text in one allocation (this runs for every sensor report).
#define QT_USE_QSTRINGBUILDER

#include "reading/SensorText.h"

#include <cmath>

namespace SensorText {
namespace {

QString celsiusAndFahrenheit(float celsius)
{
    const float fahrenheit = celsius * 1.8f + 32.0f;
    return fixed2(celsius) + QLatin1String(" C / ") + fixed2(fahrenheit) + QLatin1String(" F");
}

} // namespace

QString fixed2(float value)
{
    // A float has 24 significant bits, so value * 100 is exact in double and rint() rounds the
    // exact decimal value half to even, as printf does.
    const double scaled = std::rint(double(value) * 100.0);
    if (!std::isfinite(scaled))
        return QString::asprintf("%3.2f", double(value));
    const bool negative = std::signbit(value);
    const long long hundredths = std::llabs(static_cast<long long>(scaled));
    char buf[32];
    int pos = sizeof(buf);
    buf[--pos] = char('0' + hundredths % 10);
    buf[--pos] = char('0' + (hundredths / 10) % 10);
    buf[--pos] = '.';
    long long whole = hundredths / 100;
    do {
        buf[--pos] = char('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    if (negative)
        buf[--pos] = '-';
    return QString::fromLatin1(buf + pos, int(sizeof(buf)) - pos);
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
    return fixed2(compensated) + QLatin1Char('%');
}

} // namespace SensorText
