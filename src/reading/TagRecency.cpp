#include "reading/TagRecency.h"

void TagRecency::clear()
{
    m_prev.clear();
    m_next.clear();
    m_head = m_tail = -1;
}

void TagRecency::grow(int row)
{
    if (std::size_t(row) >= m_next.size()) {
        m_prev.resize(std::size_t(row) + 1, kOut);
        m_next.resize(std::size_t(row) + 1, kOut);
    }
}

void TagRecency::touch(int row)
{
    if (!contains(row) || m_head == row)
        return;
    unlink(row);
    pushFront(row);
}

void TagRecency::add(int row)
{
    grow(row);
    if (!contains(row))
        pushFront(row);
}

void TagRecency::remove(int row)
{
    if (contains(row)) {
        unlink(row);
        m_prev[std::size_t(row)] = m_next[std::size_t(row)] = kOut;
    }
}

void TagRecency::unlink(int row)
{
    const int prev = m_prev[std::size_t(row)];
    const int next = m_next[std::size_t(row)];
    (prev >= 0 ? m_next[std::size_t(prev)] : m_head) = next;
    (next >= 0 ? m_prev[std::size_t(next)] : m_tail) = prev;
}

void TagRecency::pushFront(int row)
{
    m_prev[std::size_t(row)] = -1;
    m_next[std::size_t(row)] = m_head;
    if (m_head >= 0)
        m_prev[std::size_t(m_head)] = row;
    m_head = row;
    if (m_tail < 0)
        m_tail = row;
}
