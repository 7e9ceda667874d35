#pragma once

#include <QByteArray>
#include <QHash>

#include <array>
#include <vector>

// The report types a simulated tag sends; the line length and the top two bits of the first sensor
// word tell them apart on the wire.
enum class SimTagKind : quint8
{
    Standard,             // 23-character line, no sensor word
    OneTemperature,       // 27: one temperature word (1/32 degree, sign at bit 13)
    TwoTemperature,       // 31, word 1 bits 00: two temperature words
    RawWord,              // 31, word 1 bits 01: a raw second word
    TemperatureHumidity,  // 31, word 1 bits 10: temperature (0.01 degree + 40) and humidity word
    TwoTemperatureKelvin, // 31, word 1 bits 11: two temperatures in 0.02 K units
};

// One simulated tag: its UID, report type, the centre values its reports wander around, and the
// registers the tag settings pages read and write over the air.
struct SimTag
{
    QByteArray uid; // 16 decimal digits
    SimTagKind kind = SimTagKind::Standard;
    quint8 rssi = 0x60;
    quint8 lqi = 0xC0;
    quint8 battery = 0xF; // high nibble of DI: 0xF means "no battery report"
    double temperature1 = 25.0;
    double temperature2 = 25.0;
    double humidity = 45.0;
    quint16 rawCounter = 0;
    std::array<quint8, 256> registers{};

    // Register 42 holds 00 when the tag is on and 01 when it is off; a tag that is off sends nothing.
    bool isOn() const { return registers[0x42] == 0x00; }
};

// A fixed set of simulated tags made from a seed: the same seed and count always give the same UIDs,
// types and values, so runs can be compared.
class TagPopulation
{
public:
    TagPopulation(int count, quint64 seed);

    int size() const { return int(m_tags.size()); }
    SimTag &tag(int index) { return m_tags[size_t(index)]; }
    const SimTag &tag(int index) const { return m_tags[size_t(index)]; }
    // The tag with this UID, or nullptr.
    SimTag *find(QByteArrayView uid);
    // Number of tags whose register 42 says "on".
    int onCount() const;

    // The register contents of a fresh tag: 30 PA 100, 40 interval code 10, 41 count 1, 42 on,
    // 43 receive count 10, 45 power-key mode 3, 46 both LEDs on, 48 version 1.2, and the alarm and
    // anti-tamper registers 50-5B at the values the tag settings pages start from.
    static std::array<quint8, 256> defaultRegisters();

private:
    std::vector<SimTag> m_tags;
    QHash<QByteArray, int> m_byUid;
};
