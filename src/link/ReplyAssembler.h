#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Collects a reader's reply frame out of a byte stream that may also carry tag report lines.
// An STX starts the frame afresh; every byte (STX included) is stored at the write index, which wraps
// at 1024; a CR completes the frame only when the buffer begins with STX.
class ReplyAssembler
{
public:
    static constexpr int kBufferSize = 1024;

    // Feeds bytes; returns true when a reply was completed (the rest of `bytes` is not consumed:
    // `consumed` tells how many were). The completed frame stays in reply() until reset().
    bool feed(QByteArrayView bytes, qsizetype *consumed = nullptr);
    void reset();

    bool isComplete() const { return m_complete; }
    // The completed frame, STX through CR; empty while none is complete.
    QByteArray reply() const { return m_complete ? m_buffer.left(m_index) : QByteArray(); }
    // Bytes of the current frame collected so far, STX through CR.
    int length() const { return m_index; }

private:
    QByteArray m_buffer = QByteArray(kBufferSize, '\0');
    int m_index = 0;
    bool m_complete = false;
};
