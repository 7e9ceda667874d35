#include "link/ReplyAssembler.h"

#include "link/CommandFrame.h"

bool ReplyAssembler::feed(QByteArrayView bytes, qsizetype *consumed)
{
    qsizetype i = 0;
    for (; i < bytes.size() && !m_complete; ++i) {
        const char c = bytes[i];
        // Only the bytes before the index are ever read, so a restart need not clear the buffer
        // (an STX storm then costs one store per byte).
        if (c == CommandFrame::kStx)
            m_index = 0;
        m_buffer[m_index] = c;
        m_index = (m_index + 1) % kBufferSize;
        if (c == CommandFrame::kCr && m_buffer[0] == CommandFrame::kStx && echoMatches())
            m_complete = true;
    }
    if (consumed)
        *consumed = i;
    return m_complete;
}

bool ReplyAssembler::echoMatches() const
{
    return m_echoLetter == '\0' || (m_index > 1 && m_buffer[1] == m_echoLetter);
}

void ReplyAssembler::reset()
{
    m_buffer.fill('\0');
    m_index = 0;
    m_complete = false;
}
