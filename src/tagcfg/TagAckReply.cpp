#include "tagcfg/TagAckReply.h"

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::optional<TagAckReply> TagAckReply::parse(const QByteArray &frame)
{
    if (frame.size() != kFrameLength || frame.at(2) != 'R')
        return std::nullopt;
    TagAckReply ack;
    ack.uid = frame.mid(3, 16);
    ack.letter = frame.at(19);
    ack.reg = frame.mid(20, 2);
    ack.valueText = frame.mid(22, 2);
    const int high = hexDigit(ack.valueText.at(0));
    const int low = hexDigit(ack.valueText.at(1));
    if (high >= 0 && low >= 0)
        ack.value = quint8(high * 16 + low);
    return ack;
}

bool TagAckReply::fits(const QByteArray &tagUid, const TagCommand &command) const
{
    return uid == tagUid && letter == command.letter && reg == command.registerText();
}
