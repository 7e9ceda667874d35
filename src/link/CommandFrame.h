#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The frame every host command travels in: SOH, the ASCII command, the XOR of all preceding bytes
// (SOH included) as two upper-case hex digits, CR. Readers answer with STX, payload, BCC digits, CR.
namespace CommandFrame {

constexpr char kSoh = 0x01;
constexpr char kStx = 0x02;
constexpr char kCr = 0x0D;
constexpr int kMaxCommandLength = 1020; // the frame is built in a 1024-byte buffer

// XOR of the bytes; 0 for an empty run.
quint8 calcBcc(QByteArrayView bytes);
// Two upper-case hex characters, high nibble first.
QByteArray byteToHex(quint8 value);
// SOH + command + BCC digits + CR. A command longer than kMaxCommandLength is cut to that length.
QByteArray buildCommandFrame(QByteArrayView command);
// The XOR of the first L-3 bytes, as ByteToHex gives it, equals the two bytes before the CR.
// Lower-case digits fail. Frames shorter than 4 bytes fail.
bool checkReplyBcc(QByteArrayView frame);
// The payload of a reply frame: STX, the two BCC digits and CR removed (empty for a short frame).
QByteArray replyPayload(QByteArrayView frame);

} // namespace CommandFrame
