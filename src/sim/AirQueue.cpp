#include "sim/AirQueue.h"

bool AirQueue::push(Item item)
{
    if (size() >= kCapacity)
        return false;
    m_items.push_back(std::move(item));
    return true;
}

std::optional<AirQueue::Item> AirQueue::takeDue(qint64 nowMs)
{
    // Items share one air delay, so the oldest is also the first due.
    if (m_items.empty() || m_items.front().dueMs > nowMs)
        return std::nullopt;
    Item item = std::move(m_items.front());
    m_items.pop_front();
    return item;
}
