#pragma once

#include "base/Language.h"
#include "tagcfg/TagFlowMessage.h"

#include <QString>

struct TagButton;

// The words of the tag panel's message line. Texts the language table holds are said in the user's
// language where the panel says them so ("Setting TAG", the translated success and guard texts);
// the texts this program adds (cancel, a refused UID, an acknowledgement value that is no number)
// are message rows of the same table; the rest stay as they are.
namespace TagFlowText {

QString message(const TagFlowMessage &message, Language language);
// The progress text followed by the attempt counter or the seconds left.
QString progress(TagProgress kind, Language language, int count);
// The button's success text.
QString success(const TagButton &button, Language language);
QString cancelled(Language language);
// Why `uid` is refused; empty when a tag report can carry it.
QString invalidUid(Language language, const QString &uid);

} // namespace TagFlowText
