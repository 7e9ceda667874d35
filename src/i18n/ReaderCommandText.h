#pragma once

#include "base/Language.h"
#include "readercfg/ReaderCommandMessage.h"

#include <QString>

// The words of a reader command's message panels. The failure texts carry the attempt counter and
// keep their spacing exactly, one space before the bracket over UDP; "Command Ok.", "Select
// Function" and "Command Cancelled !" are said in the user's language, the failures as they are.
namespace ReaderCommandText {

// The "Set Reader" page's message panel.
QString message(const ReaderCommandMessage &message, Language language);
// The tag settings panel's message line: only the failures reach it, and a link that could not be
// opened reads "Command Error !" there. Null for the other stages.
QString tagPanelMessage(const ReaderCommandMessage &message, Language language);

} // namespace ReaderCommandText
