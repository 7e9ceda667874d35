#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A tag report the reader hands out on a "C" poll while it is in command mode: a reply frame of 27,
// 31 or 35 bytes (1-based positions, STX at 1): UID 3-18, RSSI 19-20, LQI 21-22, DI 23-24, and the
// temperature words T1 at 25-28 (31 and 35 bytes) and T2 at 29-32 (35 bytes). A 22-byte idle reply
// and a 27-byte acknowledgement ('R' at position 3) are not reports.
struct TagPollReport
{
    QByteArray uid;
    int rssi = 0;
    int lqi = 0;
    quint8 di = 0xFF;
    QString t1 = QStringLiteral("-"); // "%3.2f" degrees, "-" when the report has none
    QString t2 = QStringLiteral("-");

    static std::optional<TagPollReport> parse(const QByteArray &frame);
    // "[BAT]" when the battery nibble is not 0xF, then "[SW]", "[SENSOR]", "[START]" for bits 0, 1
    // and 3 that are clear.
    static QString statusText(quint8 di);
    // A temperature word: 1/32 degree units, 16384 taken off when bit 0x2000 is set; "%3.2f".
    static QString temperatureText(quint16 word);
};
