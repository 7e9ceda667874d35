#include "sim/SimFrame.h"

namespace SimFrame {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c, bool strictUpper)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (!strictUpper && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

quint8 xorOf(QByteArrayView bytes)
{
    quint8 x = 0;
    for (char c : bytes)
        x ^= static_cast<quint8>(c);
    return x;
}

void putHexByte(char *out, quint8 value)
{
    out[0] = kHexDigits[value >> 4];
    out[1] = kHexDigits[value & 0x0F];
}

QByteArray hexByte(quint8 value)
{
    QByteArray hex(2, Qt::Uninitialized);
    putHexByte(hex.data(), value);
    return hex;
}

std::optional<quint8> parseHexByte(QByteArrayView two, bool strictUpper)
{
    if (two.size() != 2)
        return std::nullopt;
    const int hi = hexValue(two[0], strictUpper);
    const int lo = hexValue(two[1], strictUpper);
    if (hi < 0 || lo < 0)
        return std::nullopt;
    return quint8(hi * 16 + lo);
}

QByteArray replyFrame(QByteArrayView payload)
{
    QByteArray frame;
    frame.reserve(payload.size() + 4);
    frame.append(kStx);
    frame.append(payload);
    frame.append(hexByte(xorOf(frame)));
    frame.append(kCr);
    return frame;
}

} // namespace SimFrame
