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
    // When set, a CR completes only a frame whose first payload character is `letter` (the reply
    // echoes the command's first character); '\0' (the default) lets any STX frame complete.
    void setEchoLetter(char letter) { m_echoLetter = letter; }

    bool isComplete() const { return m_complete; }
    // The completed frame, STX through CR; empty while none is complete.
    QByteArray reply() const { return m_complete ? m_buffer.left(m_index) : QByteArray(); }
    // Bytes of the current frame collected so far, STX through CR.
    int length() const { return m_index; }
    // Byte `i` (0-based) of the current frame; valid for i < length().
    char at(int i) const { return m_buffer.at(i); }

private:
    bool echoMatches() const;

    QByteArray m_buffer = QByteArray(kBufferSize, '\0');
    int m_index = 0;
    bool m_complete = false;
    char m_echoLetter = '\0';
};
