#include "sim/TagPopulation.h"

#include "sim/SimRandom.h"

#include <algorithm>

namespace {

SimTagKind pickKind(SimRandom &rng)
{
    // A mix like a mixed installation: mostly plain and one-temperature tags.
    const int roll = rng.between(0, 99);
    if (roll < 30)
        return SimTagKind::Standard;
    if (roll < 55)
        return SimTagKind::OneTemperature;
    if (roll < 70)
        return SimTagKind::TwoTemperature;
    if (roll < 85)
        return SimTagKind::TemperatureHumidity;
    if (roll < 95)
        return SimTagKind::TwoTemperatureKelvin;
    return SimTagKind::RawWord;
}

QByteArray makeUid(SimRandom &rng)
{
    QByteArray uid(16, '0');
    for (char &c : uid)
        c = char('0' + rng.below(10));
    return uid;
}

} // namespace

std::array<quint8, 256> TagPopulation::defaultRegisters()
{
    std::array<quint8, 256> r{};
    r[0x30] = 100;  // PA level
    r[0x40] = 0x0A; // transmit interval code (2.5 s)
    r[0x41] = 0x01; // transmit count
    r[0x42] = 0x00; // on
    r[0x43] = 0x0A; // receive count
    r[0x45] = 0x03; // power key: press on/off
    r[0x46] = 0x00; // LED mode: both LEDs on
    r[0x48] = 0x12; // version 1.2
    r[0x50] = 2;    // IR detect times
    r[0x51] = 9;    // IR detect interval code
    r[0x52] = 7;    // temperature difference, 0.1 degree
    r[0x53] = 15;   // alarm count
    r[0x54] = 0x01; // anti-tamper detect on
    r[0x55] = 0x01; // temperature alarm on
    r[0x56] = 36;   // standard temperature
    r[0x57] = 40;   // top level
    r[0x58] = 15;   // high level
    r[0x59] = 86;   // low level
    r[0x5A] = 61;   // bottom level
    r[0x5B] = 0x01; // alarm beep on
    return r;
}

TagPopulation::TagPopulation(int count, quint64 seed)
{
    SimRandom rng(SimRandom::derive(seed, 0x7A65));
    const int n = std::max(0, count);
    m_tags.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        SimTag tag;
        do {
            tag.uid = makeUid(rng);
        } while (m_byUid.contains(tag.uid));
        tag.kind = pickKind(rng);
        tag.rssi = quint8(rng.between(0x30, 0xC0));
        tag.lqi = quint8(rng.between(0x80, 0xFF));
        tag.battery = rng.chance(0.7) ? 0xF : quint8(rng.between(2, 14));
        tag.temperature1 = rng.between(-200, 450) / 10.0;
        tag.temperature2 = rng.between(-200, 450) / 10.0;
        tag.humidity = rng.between(200, 900) / 10.0;
        tag.rawCounter = quint16(rng.below(0x10000));
        tag.registers = defaultRegisters();
        m_byUid.insert(tag.uid, i);
        m_tags.push_back(std::move(tag));
    }
}

SimTag *TagPopulation::find(QByteArrayView uid)
{
    const auto it = m_byUid.constFind(uid.toByteArray());
    return it == m_byUid.constEnd() ? nullptr : &m_tags[size_t(*it)];
}

int TagPopulation::onCount() const
{
    return int(std::count_if(m_tags.begin(), m_tags.end(), [](const SimTag &t) { return t.isOn(); }));
}
