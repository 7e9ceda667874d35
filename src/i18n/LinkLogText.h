#pragma once

#include "i18n/LanguageTable.h"
#include "link/LinkLogEvent.h"

// A connection-log line as the user reads it, in `language`. Addresses, ports and the system's
// reasons are shown as they are.
QString linkLogText(const LinkLogEvent &event, Language language);
