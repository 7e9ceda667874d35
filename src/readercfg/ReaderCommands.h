#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The reader command set: what each "Set Reader" control's value turns into on the wire, and what
// is read back from the replies. Hexadecimal fields are upper case; numbers are as the controls
// hold them.
namespace ReaderCommands {

QByteArray initial();      // "X5A": factory defaults
QByteArray reset();        // "BR"
QByteArray version();      // "V"
QByteArray serialNumber(); // "S"
QByteArray readId();       // "T"
// "T" + the ID as typed (at most 4 characters on the page; sent unchecked).
QByteArray setId(const QString &id);
// "Y%X" of the reader's baud item index 0..11 (baudRateItems).
QByteArray setBaudrate(int itemIndex);
// "A%d" of the auto-send mode 0..4 (autoSendItems).
QByteArray autoSend(int mode);
// "M%d" of the report port 0..3 (netItems).
QByteArray netPort(int port);
// "N%02X" of the RSSI level 0..250.
QByteArray rssiLevel(int level);

// The three gain fields: 0..3, 0..7, 0..7.
struct GainFields
{
    int gain1 = 0;
    int gain2 = 0;
    int gain3 = 0;
    bool operator==(const GainFields &o) const
    {
        return gain1 == o.gain1 && gain2 == o.gain2 && gain3 == o.gain3;
    }
};
// The fields of gain level 1..7; nothing for another level (the fields stay as they are).
std::optional<GainFields> gainLevelFields(int level);
// gain1 x 64 + gain2 x 8 + gain3.
int gainByte(const GainFields &fields);
// "W1C01%02X" of the gain byte.
QByteArray setGain(int gainByte);

// "R02%04X" of the relay-on time in tenths of a second (seconds x 10; 999 s gives R022706).
QByteArray relayOnTime(int seconds);
// "R010001" (outputs switch on by themselves when a tag is received) or "R010000".
QByteArray relayOnMode(bool autoOn);
// "L0" + output (1, 2) + state ("1" on, "0" off).
QByteArray relayOutput(int output, bool on);

// The reader ID from the reply to "T": the four characters at positions 3-6 of a 9-byte frame
// (STX, 'T', ID, BCC, CR); nothing for a frame of another length.
std::optional<QString> readerIdFromReply(QByteArrayView frame);
// Digital inputs 1..4 from a relay reply frame of at least 37 bytes: positions 19-22 (STX is
// position 1), '1' meaning on; nothing for a shorter frame.
std::optional<std::array<bool, 4>> digitalInputs(QByteArrayView frame);
static constexpr int kRelayReplyMinLength = 37;

// The page's lists, in order: the reader's own serial speeds (12, no 230400), the auto-send modes
// and the report ports.
const QStringList &baudRateItems();
const QStringList &autoSendItems();
const QStringList &netItems();

} // namespace ReaderCommands
