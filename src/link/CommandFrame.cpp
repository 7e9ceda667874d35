#include "link/CommandFrame.h"

namespace CommandFrame {

quint8 calcBcc(QByteArrayView bytes)
{
    quint8 bcc = 0;
    for (char c : bytes)
        bcc ^= static_cast<quint8>(c);
    return bcc;
}

QByteArray byteToHex(quint8 value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QByteArray hex(2, Qt::Uninitialized);
    hex[0] = kDigits[value >> 4];
    hex[1] = kDigits[value & 0x0F];
    return hex;
}

QByteArray buildCommandFrame(QByteArrayView command)
{
    QByteArray frame;
    frame.reserve(int(command.size()) + 4);
    frame.append(kSoh);
    frame.append(command.first(qMin<qsizetype>(command.size(), kMaxCommandLength)));
    frame.append(byteToHex(calcBcc(frame)));
    frame.append(kCr);
    return frame;
}

bool checkReplyBcc(QByteArrayView frame)
{
    const qsizetype len = frame.size();
    if (len < 4)
        return false;
    const QByteArray hex = byteToHex(calcBcc(frame.first(len - 3)));
    return frame[len - 3] == hex[0] && frame[len - 2] == hex[1];
}

QByteArray replyPayload(QByteArrayView frame)
{
    if (frame.size() < 4)
        return {};
    return frame.sliced(1, frame.size() - 4).toByteArray();
}

} // namespace CommandFrame
