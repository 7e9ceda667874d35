#pragma once

#include "tagcfg/TagCommand.h"

#include <QByteArray>
#include <optional>

// A tag's acknowledgement as the reader hands it out on a "C" poll: a 27-byte reply frame with
// 'R' at position 3 (1-based, STX at 1), the answering tag's UID at 4-19, the acknowledged
// letter at 20, the register at 21-22 and the value at 23-24 (the written value for 'w', the
// register's contents for 'r').
struct TagAckReply
{
    static constexpr int kFrameLength = 27;

    QByteArray uid;       // 16 characters
    char letter = '\0';   // 'w', 'r' or 'X'
    QByteArray reg;       // two characters, as received
    QByteArray valueText; // two characters, as received
    // The value when valueText is two hex digits; nothing otherwise.
    std::optional<quint8> value;

    // The acknowledgement in a whole reply frame (STX through CR), or nothing when the frame is
    // not one (another length, no 'R' at position 3).
    static std::optional<TagAckReply> parse(const QByteArray &frame);

    // Whether it answers `command` sent to `uid`: same UID, letter and register. The value is not
    // compared.
    bool fits(const QByteArray &uid, const TagCommand &command) const;
};
