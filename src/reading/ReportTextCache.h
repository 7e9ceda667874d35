#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstring>
#include <vector>

// Texts that reports repeat over and over: tag UIDs and the display texts of sensor words. A reader
// sends the same few thousand UIDs and a narrow band of temperatures all day, so each text is made
// once and shared (Qt strings are implicitly shared), which keeps decoding free of allocations.
class ReportTextCache
{
public:
    // UIDs live in a direct-mapped table: a UID takes the slot its hash names, replacing whatever
    // was there. No growth, no rehash, no clearing: a stream of ever-new UIDs costs one string each,
    // as it would without the cache.
    static constexpr size_t kUidSlots = 1u << 16;

    const QString &uid(QByteArrayView sixteen);
    const QString &scaleA(quint16 word);
    const QString &scaleB(quint16 word);
    const QString &humidityCelsius(quint16 word1);

private:
    struct UidKey
    {
        quint64 hi, lo;
        bool operator==(const UidKey &o) const { return hi == o.hi && lo == o.lo; }
    };
    static size_t slotOf(const UidKey &k)
    {
        // Mix both halves into every bit: UIDs differ mostly in their last bytes.
        quint64 h = k.hi * 0x9E3779B97F4A7C15ull ^ k.lo;
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 33;
        return size_t(h) & (kUidSlots - 1);
    }

    struct UidSlot
    {
        UidKey key{~0ull, ~0ull};
        QString text;
    };
    std::vector<UidSlot> m_uids;
    std::vector<QString> m_scaleA;
    std::vector<QString> m_scaleB;
    std::vector<QString> m_humidity;
};
