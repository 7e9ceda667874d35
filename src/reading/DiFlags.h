#pragma once

#include <QString>

// The event flags of a report's DI byte as text: "[BAT=nn]" when the battery nibble is not 0xF, then
// "[SW]", "[SENSOR]", "[MO]", "[START]" for bits 0..3 that are clear. DI 0xFF gives an empty text.
QString diFlagText(quint8 di);
