#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Cuts one source's byte stream into frames. A frame is every byte since the previous CR, or since
// the last STX if one came later (the STX included), up to and including the CR. Bytes after the last
// CR wait for the next chunk. A line that grows past kMaxLine bytes without a CR is dropped and the
// next byte starts a new line, so a noisy source cannot grow memory without bound.
class LineCutter
{
public:
    static constexpr qsizetype kMaxLine = 1024;
    static constexpr char kStx = 0x02;
    static constexpr char kCr = 0x0D;

    // Calls onFrame(QByteArrayView frame) for every frame the chunk completes, in order.
    template <typename OnFrame> void feed(QByteArrayView chunk, OnFrame &&onFrame);

    void clear() { m_line.clear(); }
    qsizetype pendingLength() const { return m_line.size(); }
    // Lines dropped for growing past kMaxLine without a CR.
    quint64 droppedLines() const { return m_droppedLines; }

private:
    QByteArray m_line;
    quint64 m_droppedLines = 0;
};

template <typename OnFrame> void LineCutter::feed(QByteArrayView chunk, OnFrame &&onFrame)
{
    const char *data = chunk.data();
    const qsizetype n = chunk.size();
    qsizetype start = 0; // first byte of the current line inside this chunk
    for (qsizetype i = 0; i < n; ++i) {
        if (m_line.size() + (i - start) >= kMaxLine) {
            m_line.clear();
            start = i;
            ++m_droppedLines;
        }
        const char c = data[i];
        if (c == kStx) {
            m_line.clear();
            start = i;
        } else if (c == kCr) {
            if (m_line.isEmpty()) {
                onFrame(QByteArrayView(data + start, i + 1 - start));
            } else {
                m_line.append(data + start, i + 1 - start);
                onFrame(QByteArrayView(m_line));
                m_line.clear();
            }
            start = i + 1;
        }
    }
    if (start < n)
        m_line.append(data + start, n - start);
}
