#include "reading/DiFlags.h"

#include <array>

QString diFlagText(quint8 di)
{
    // 256 possible bytes: build every text once.
    static const std::array<QString, 256> kTexts = [] {
        std::array<QString, 256> texts;
        for (int v = 0; v < 256; ++v) {
            QString t;
            const int battery = v >> 4;
            if (battery != 0xF)
                t += QStringLiteral("[BAT=%1]").arg(battery, 2, 10, QLatin1Char('0'));
            if (!(v & 0x01))
                t += QStringLiteral("[SW]");
            if (!(v & 0x02))
                t += QStringLiteral("[SENSOR]");
            if (!(v & 0x04))
                t += QStringLiteral("[MO]");
            if (!(v & 0x08))
                t += QStringLiteral("[START]");
            texts[size_t(v)] = t;
        }
        return texts;
    }();
    return kTexts[di];
}
