#include "reading/UidIndex.h"

#include <QRandomGenerator>

namespace {
constexpr size_t kInitialSlots = 64;
} // namespace

UidIndex::UidIndex() : m_slots(kInitialSlots), m_seed(QRandomGenerator::global()->generate64()) {}

bool UidIndex::pack(const QString &uid, quint64 *low, quint64 *high)
{
    const qsizetype n = uid.size();
    if (n > 16)
        return false;
    const char16_t *chars = reinterpret_cast<const char16_t *>(uid.constData());
    quint64 words[2] = {0, 0};
    char16_t any = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = chars[i];
        if (c == 0)
            return false; // zero is the padding
        any |= c;
        words[i / 8] |= quint64(c & 0xFF) << (8 * (i % 8));
    }
    if (any > 0xFF)
        return false;
    *low = words[0];
    *high = words[1];
    return true;
}

size_t UidIndex::home(quint64 low, quint64 high) const
{
    quint64 h = (low ^ m_seed) * 0x9E3779B97F4A7C15ULL ^ high;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return size_t(h) & (m_slots.size() - 1);
}

void UidIndex::insertFirst(const QString &uid, int row)
{
    quint64 low, high;
    if (!pack(uid, &low, &high)) {
        if (!m_other.contains(uid))
            m_other.insert(uid, row);
        return;
    }
    if ((m_used + 1) * 5 > m_slots.size() * 4) // at most 80% full
        grow();
    const size_t mask = m_slots.size() - 1;
    for (size_t i = home(low, high);; i = (i + 1) & mask) {
        Slot &slot = m_slots[i];
        if (slot.row < 0) {
            slot = Slot{low, high, row};
            ++m_used;
            return;
        }
        if (slot.low == low && slot.high == high)
            return;
    }
}

void UidIndex::remove(const QString &uid, int row)
{
    quint64 low, high;
    if (!pack(uid, &low, &high)) {
        if (m_other.value(uid, -1) == row)
            m_other.remove(uid);
        return;
    }
    const size_t mask = m_slots.size() - 1;
    size_t hole = home(low, high);
    for (;; hole = (hole + 1) & mask) {
        const Slot &slot = m_slots[hole];
        if (slot.row < 0)
            return;
        if (slot.low == low && slot.high == high)
            break;
    }
    if (m_slots[hole].row != row)
        return;
    // Entries after the hole that would no longer be found move into it, so that no search stops early.
    for (size_t j = (hole + 1) & mask; m_slots[j].row >= 0; j = (j + 1) & mask) {
        const size_t h = home(m_slots[j].low, m_slots[j].high);
        const bool reachable = hole <= j ? (hole < h && h <= j) : (hole < h || h <= j);
        if (!reachable) {
            m_slots[hole] = m_slots[j];
            hole = j;
        }
    }
    m_slots[hole] = Slot{};
    --m_used;
}

int UidIndex::value(const QString &uid) const
{
    quint64 low, high;
    if (!pack(uid, &low, &high))
        return m_other.value(uid, -1);
    const size_t mask = m_slots.size() - 1;
    for (size_t i = home(low, high);; i = (i + 1) & mask) {
        const Slot &slot = m_slots[i];
        if (slot.row < 0)
            return -1;
        if (slot.low == low && slot.high == high)
            return slot.row;
    }
}

void UidIndex::grow()
{
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    m_used = 0;
    const size_t mask = m_slots.size() - 1;
    for (const Slot &slot : old) {
        if (slot.row < 0)
            continue;
        size_t i = home(slot.low, slot.high);
        while (m_slots[i].row >= 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
        ++m_used;
    }
}

void UidIndex::clear()
{
    m_slots.assign(kInitialSlots, Slot{});
    m_used = 0;
    m_other.clear();
}
