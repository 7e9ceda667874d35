#pragma once

#include "base/LinkKind.h"

#include <QString>

// The texts a reader command leaves in the message panels. The failure texts carry the attempt
// counter (5 down to 1) and keep their spacing exactly, one space before the bracket over UDP.
namespace ExchangeTexts {

// "Command Ok." (translated at the edge).
QString commandOk();
// The message panel before a command runs (translated at the edge).
QString selectFunction();
// The link could not be opened: "Connect Error !" on the reader page, "Command Error !" on the tag
// panel.
QString openFailed();
QString openFailedOnTagPanel();
// A failed attempt. `connected`: a TCP link held its connection when the attempt ended (the
// connection was there, but no good reply came).
QString attemptFailed(LinkKind kind, bool connected, int counter);
// A command ended by the user.
QString cancelled();

} // namespace ExchangeTexts
