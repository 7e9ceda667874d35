#pragma once

#include <cstddef>
#include <vector>

// The rows of a bounded all-tags table from the most to the least recently seen, as a list threaded
// through two arrays: marking a row seen, taking the least recently seen one and keeping a row out
// (a selected tag, which never leaves the table) each take constant time, however many tags there are.
class TagRecency
{
public:
    void clear();
    // A row that just got a report: first in line (a row kept out stays out).
    void touch(int row);
    // Puts a row in line as the most recently seen; rows not in line yet are out.
    void add(int row);
    // Takes a row out of line (it will not be offered by leastRecent()).
    void remove(int row);
    bool contains(int row) const
    {
        return row >= 0 && std::size_t(row) < m_next.size() && m_next[std::size_t(row)] != kOut;
    }
    // The least recently seen row in line, or -1.
    int leastRecent() const { return m_tail; }

private:
    static constexpr int kOut = -2; // a row not in line
    void grow(int row);
    void unlink(int row);
    void pushFront(int row);

    std::vector<int> m_prev;
    std::vector<int> m_next;
    int m_head = -1;
    int m_tail = -1;
};
