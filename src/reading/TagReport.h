#pragma once

#include <QMetaType>
#include <QString>

// The report types a reader line can carry, told apart by length and, for 31-character lines, by the
// top two bits of the first sensor word.
enum class ReportKind : quint8
{
    Standard,             // 23 characters: no sensor word
    OneTemperature,       // 27: one temperature word
    TwoTemperature,       // 31, bits 00: two temperatures
    RawWord,              // 31, bits 01: second word shown as received
    TemperatureHumidity,  // 31, bits 10: temperature and relative humidity
    TwoTemperatureKelvin, // 31, bits 11: two temperatures in 0.02 K units
};

// One decoded tag report.
struct TTagReport
{
    QString uid;      // 16 characters as received
    quint8 rssi = 0;  // signal strength, from two hex characters
    quint8 lqi = 0;   // link quality, from two hex characters
    quint8 di = 0xFF; // event flags (active when the bit is 0)
    QString t1;       // first sensor text, "-" when the type has none
    QString t2;       // second sensor text, "-" when the type has none
    ReportKind kind = ReportKind::Standard;
};
Q_DECLARE_METATYPE(TTagReport)

const char *reportKindName(ReportKind kind);
