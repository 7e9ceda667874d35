#include "link/ReplyAssembler.h"

#include "link/CommandFrame.h"

bool ReplyAssembler::feed(QByteArrayView bytes, qsizetype *consumed)
{
    qsizetype i = 0;
    for (; i < bytes.size() && !m_complete; ++i) {
        const char c = bytes[i];
        if (c == CommandFrame::kStx) {
            m_index = 0;
            m_buffer.fill('\0');
        }
        m_buffer[m_index] = c;
        m_index = (m_index + 1) % kBufferSize;
        if (c == CommandFrame::kCr && m_buffer[0] == CommandFrame::kStx)
            m_complete = true;
    }
    if (consumed)
        *consumed = i;
    return m_complete;
}

void ReplyAssembler::reset()
{
    m_buffer.fill('\0');
    m_index = 0;
    m_complete = false;
}
