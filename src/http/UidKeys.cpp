#include "http/UidKeys.h"

bool UidKeys::pack(const QString &text, quint64 *words)
{
    if (text.size() > kLength)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 || c > 0x7E)
            return false;
        const quint64 folded = c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
        words[i / 8] |= folded << (8 * (i % 8));
    }
    return true;
}

UidKeys::Prefix UidKeys::prefix(const QString &text)
{
    Prefix p;
    p.packed = pack(text, p.word);
    for (qsizetype i = 0; p.packed && i < text.size(); ++i)
        p.mask[i / 8] |= quint64(0xFF) << (8 * (i % 8));
    return p;
}

void UidKeys::set(size_t row, const QString &uid)
{
    if (row >= m_keys.size()) {
        m_keys.resize(row + 1);
        m_kinds.resize(row + 1, Kind::None);
    }
    Key k;
    m_kinds[row] = pack(uid, k.word) ? Kind::Packed : Kind::Unpacked;
    m_keys[row] = k;
}
