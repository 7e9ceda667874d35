#include "sim/CommandParser.h"

#include "sim/SimFrame.h"

void CommandParser::feed(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (c == SimFrame::kSoh) {
            m_current.clear();
            m_current.append(c);
            m_inFrame = true;
            continue;
        }
        if (!m_inFrame)
            continue;
        m_current.append(c);
        if (c == SimFrame::kCr) {
            finishFrame();
        } else if (m_current.size() >= SimFrame::kMaxCommandFrame) {
            m_frames.push_back({Status::TooLong, {}, m_current});
            m_current.clear();
            m_inFrame = false;
        }
    }
}

void CommandParser::finishFrame()
{
    Frame frame;
    frame.raw = m_current;
    m_current.clear();
    m_inFrame = false;
    // SOH, at least the two BCC digits, CR.
    const qsizetype n = frame.raw.size();
    frame.status = Status::BadBcc;
    if (n >= 4) {
        const auto bcc = SimFrame::parseHexByte(QByteArrayView(frame.raw).sliced(n - 3, 2));
        if (bcc && *bcc == SimFrame::xorOf(QByteArrayView(frame.raw).first(n - 3))) {
            frame.status = Status::Ok;
            frame.command = frame.raw.mid(1, n - 4);
        }
    }
    m_frames.push_back(std::move(frame));
}

CommandParser::Frame CommandParser::takeFrame()
{
    Frame frame = std::move(m_frames.front());
    m_frames.pop_front();
    return frame;
}

void CommandParser::clear()
{
    m_current.clear();
    m_inFrame = false;
    m_frames.clear();
}
