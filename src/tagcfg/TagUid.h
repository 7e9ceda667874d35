#pragma once

#include "tagcfg/TagFlowMessage.h"

#include <QString>

#include <optional>

// The UID a tag command is addressed to. It must be what a tag report can carry: exactly 16
// characters, each a digit or an upper-case A-F, and not the all-zero placeholder the panel shows
// when no tag is chosen. A shorter text would shift the tag command into the UID field of the
// reader's "E" command; such UIDs are refused before anything is sent.
namespace TagUid {
constexpr int kLength = 16;
bool isValid(const QString &uid);
// Why a tag button sends nothing to `uid`: no tag chosen (`tagChosen` false or no UID), or a UID no
// report carries (TagFlowMessage::Kind NotChosen or InvalidUid); nothing when it may send.
std::optional<TagFlowMessage::Kind> refusal(const QString &uid, bool tagChosen);
} // namespace TagUid
