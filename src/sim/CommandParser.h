#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <deque>

// Cuts a reader's input stream into host command frames and checks each one. Bytes outside a frame
// (before an SOH) are ignored; an SOH inside a frame starts a new one; a frame that grows past
// SimFrame::kMaxCommandFrame bytes without a CR is discarded.
class CommandParser
{
public:
    enum class Status
    {
        Ok,      // well-formed, BCC correct
        BadBcc,  // BCC digits missing, not upper-case hex, or not the XOR of the bytes before them
        TooLong, // no CR within the longest frame a reader takes
    };

    struct Frame
    {
        Status status = Status::Ok;
        QByteArray command; // the text between SOH and the BCC digits (empty unless Ok)
        QByteArray raw;     // the bytes as received, SOH through CR (or the discarded start)
    };

    void feed(QByteArrayView bytes);
    bool hasFrame() const { return !m_frames.empty(); }
    Frame takeFrame();
    void clear();

private:
    void finishFrame();

    QByteArray m_current;
    bool m_inFrame = false;
    std::deque<Frame> m_frames;
};
