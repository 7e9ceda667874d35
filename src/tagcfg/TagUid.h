#pragma once

#include "i18n/LanguageTable.h"

#include <QString>

// The UID a tag command is addressed to. It must be what a tag report can carry: exactly 16
// characters, each a digit or an upper-case A-F, and not the all-zero placeholder the panel shows
// when no tag is chosen. A shorter text would shift the tag command into the UID field of the
// reader's "E" command; such UIDs are refused before anything is sent.
namespace TagUid {
constexpr int kLength = 16;
bool isValid(const QString &uid);
// Why `uid` is refused, in `language`; empty when it is valid.
QString problem(Language language, const QString &uid);
} // namespace TagUid
