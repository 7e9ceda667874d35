#pragma once

#include <QHash>
#include <QString>
#include <vector>

// UID -> row of its first entry, in constant time. UIDs are compared exactly. A UID of up to 16
// Latin-1 characters (every UID a reader sends) is packed into two 64-bit words and kept inline in a
// flat open-addressing table, so a lookup among many thousands of tags usually costs one cache line;
// any other text goes to a plain string hash. The table's hash is seeded per instance, so crafted
// UIDs can't be lined up to collide.
class UidIndex
{
public:
    UidIndex();

    // Records `row` for the UID unless the UID already has a row.
    void insertFirst(const QString &uid, int row);
    // Forgets the UID if it is recorded for `row`.
    void remove(const QString &uid, int row);
    int value(const QString &uid) const;
    bool contains(const QString &uid) const { return value(uid) >= 0; }
    void clear();

private:
    struct Slot
    {
        quint64 low = 0;
        quint64 high = 0;
        int row = -1; // -1: empty
    };

    static bool pack(const QString &uid, quint64 *low, quint64 *high);
    size_t home(quint64 low, quint64 high) const;
    void grow();

    std::vector<Slot> m_slots;
    size_t m_used = 0;
    quint64 m_seed;
    QHash<QString, int> m_other;
};
