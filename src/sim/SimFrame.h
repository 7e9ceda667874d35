#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The reader's side of the framing. A host command arrives as SOH, the ASCII command, the XOR of every
// byte before it (SOH included) as two upper-case hex digits, CR. The reader answers with STX, the
// payload, the XOR of STX and the payload as two upper-case hex digits, CR. Tag report lines are not
// framed: they are bare ASCII lines ended by CR.
namespace SimFrame {

constexpr char kSoh = 0x01;
constexpr char kStx = 0x02;
constexpr char kCr = 0x0D;
// Longest command frame a reader takes, SOH through CR (the host builds frames in a 1024-byte buffer).
constexpr int kMaxCommandFrame = 1024;

// XOR of the bytes (0 for none).
quint8 xorOf(QByteArrayView bytes);
// Writes value as two upper-case hex digits at out[0], out[1].
void putHexByte(char *out, quint8 value);
// Two upper-case hex digits.
QByteArray hexByte(quint8 value);
// Reads two hex digits; upper case only when strictUpper (the host writes upper case).
std::optional<quint8> parseHexByte(QByteArrayView two, bool strictUpper = true);
// STX + payload + BCC digits + CR.
QByteArray replyFrame(QByteArrayView payload);

} // namespace SimFrame
