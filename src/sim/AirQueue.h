#pragma once

#include <QByteArray>

#include <deque>
#include <optional>

// Tag commands a reader has taken from the host ("E" + UID + command) and not yet relayed over the
// air. Each becomes due after the air delay; a "C" poll takes the oldest due one.
class AirQueue
{
public:
    static constexpr int kCapacity = 32;

    struct Item
    {
        QByteArray uid;     // 16 characters
        QByteArray command; // 5 characters: letter, register, value
        qint64 dueMs = 0;
    };

    // False when the queue is full.
    bool push(Item item);
    // The oldest item whose time has come, removed from the queue.
    std::optional<Item> takeDue(qint64 nowMs);
    void clear() { m_items.clear(); }
    int size() const { return int(m_items.size()); }

private:
    std::deque<Item> m_items;
};
