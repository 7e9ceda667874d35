#include "reading/ReportTextCache.h"

#include "reading/SensorText.h"

namespace {
template <typename Make>
const QString &cached(std::vector<QString> &table, size_t size, size_t index, Make make)
{
    if (table.empty())
        table.resize(size);
    QString &text = table[index];
    if (text.isNull())
        text = make();
    return text;
}
} // namespace

const QString &ReportTextCache::uid(QByteArrayView sixteen)
{
    UidKey key{};
    std::memcpy(&key.hi, sixteen.data(), 8);
    std::memcpy(&key.lo, sixteen.data() + 8, 8);
    if (m_uids.empty())
        m_uids.resize(kUidSlots);
    UidSlot &slot = m_uids[slotOf(key)];
    if (!(slot.key == key) || slot.text.isNull()) {
        slot.key = key;
        slot.text = QString::fromLatin1(sixteen.first(16));
    }
    return slot.text;
}

const QString &ReportTextCache::scaleA(quint16 word)
{
    return cached(m_scaleA, 65536, word, [word] { return SensorText::scaleA(word); });
}

const QString &ReportTextCache::scaleB(quint16 word)
{
    return cached(m_scaleB, 65536, word, [word] { return SensorText::scaleB(word); });
}

const QString &ReportTextCache::humidityCelsius(quint16 word1)
{
    const quint16 w = word1 & 0x3FFF;
    return cached(m_humidity, 0x4000, w,
                  [w] { return SensorText::fixed2(SensorText::humidityTagCelsius(w)); });
}
