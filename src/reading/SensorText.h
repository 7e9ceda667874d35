#pragma once

#include <QString>

// Display texts of sensor words. Arithmetic is single precision; numbers are shown as "%3.2f" would
// show them (two decimals, ties to even on the exact value).
namespace SensorText {
QString fixed2(float value);
// Scale A: 1/32 degree units, sign at bit 13. "25.00 C / 77.00 F".
QString scaleA(quint16 word);
// Scale B: 0.02 kelvin units. The caller masks word 1 to 14 bits.
QString scaleB(quint16 word);
// Humidity tag: temperature (number only) and relative humidity ("33.70%").
float humidityTagCelsius(quint16 word1);
QString relativeHumidity(quint16 word2, float celsius);
} // namespace SensorText
