#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

// The UID of each row of the tag directory kept packed and folded to lower case, so that a prefix
// search (?uid=) over a table of a million tags compares two words a row instead of each row's
// string. Only UIDs of up to 16 ASCII characters (every UID a reader sends) are packed; for others,
// and for prefixes that are not short ASCII, the search compares the strings themselves.
class UidKeys
{
public:
    static constexpr int kLength = 16;

    struct Prefix
    {
        quint64 word[2] = {};
        quint64 mask[2] = {}; // the bytes the prefix covers
        bool packed = false;
    };
    static Prefix prefix(const QString &text);

    // The row's tag has this UID.
    void set(size_t row, const QString &uid);
    void clear()
    {
        m_keys.clear();
        m_kinds.clear();
    }

    // Whether the row's UID starts with the prefix in any case (false for a row without a tag);
    // nullopt when only the strings can tell.
    std::optional<bool> startsWith(size_t row, const Prefix &p) const
    {
        const Kind kind = row < m_kinds.size() ? m_kinds[row] : Kind::None;
        if (kind == Kind::None)
            return false;
        if (!p.packed || kind == Kind::Unpacked)
            return std::nullopt;
        const Key &k = m_keys[row];
        return (((k.word[0] ^ p.word[0]) & p.mask[0]) | ((k.word[1] ^ p.word[1]) & p.mask[1])) == 0;
    }

private:
    enum class Kind : quint8
    {
        None, // no tag in the row (yet)
        Packed,
        Unpacked,
    };
    struct Key
    {
        quint64 word[2] = {};
    };
    // Folds `text` into the words; false when it is longer than kLength or not printable ASCII.
    static bool pack(const QString &text, quint64 *words);

    std::vector<Key> m_keys;
    std::vector<Kind> m_kinds;
};
