#include "readercfg/ReaderCommands.h"

namespace ReaderCommands {

namespace {
QByteArray hex(int value, int width)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(width, '0');
}
} // namespace

QByteArray initial()
{
    return "X5A";
}

QByteArray reset()
{
    return "BR";
}

QByteArray version()
{
    return "V";
}

QByteArray serialNumber()
{
    return "S";
}

QByteArray readId()
{
    return "T";
}

QByteArray setId(const QString &id)
{
    return "T" + id.toLatin1();
}

QByteArray setBaudrate(int itemIndex)
{
    return "Y" + QByteArray::number(itemIndex, 16).toUpper();
}

QByteArray autoSend(int mode)
{
    return "A" + QByteArray::number(mode);
}

QByteArray netPort(int port)
{
    return "M" + QByteArray::number(port);
}

QByteArray rssiLevel(int level)
{
    return "N" + hex(level, 2);
}

std::optional<GainFields> gainLevelFields(int level)
{
    static constexpr GainFields kLevels[] = {{0, 7, 0}, {0, 7, 7}, {2, 7, 7}, {0, 3, 7},
                                             {3, 3, 7}, {2, 0, 7}, {3, 0, 7}};
    if (level < 1 || level > 7)
        return std::nullopt;
    return kLevels[level - 1];
}

int gainByte(const GainFields &fields)
{
    return fields.gain1 * 64 + fields.gain2 * 8 + fields.gain3;
}

QByteArray setGain(int gainByte)
{
    return "W1C01" + hex(gainByte, 2);
}

QByteArray relayOnTime(int seconds)
{
    return "R02" + hex(seconds * 10, 4);
}

QByteArray relayOnMode(bool autoOn)
{
    return autoOn ? "R010001" : "R010000";
}

QByteArray relayOutput(int output, bool on)
{
    return "L0" + QByteArray::number(output) + (on ? "1" : "0");
}

std::optional<QString> readerIdFromReply(QByteArrayView frame)
{
    if (frame.size() != 9)
        return std::nullopt;
    return QString::fromLatin1(frame.sliced(2, 4));
}

std::optional<std::array<bool, 4>> digitalInputs(QByteArrayView frame)
{
    if (frame.size() < kRelayReplyMinLength)
        return std::nullopt;
    std::array<bool, 4> inputs{};
    for (int k = 0; k < 4; ++k)
        inputs[size_t(k)] = frame[18 + k] == '1'; // positions 19..22, 1-based
    return inputs;
}

const QStringList &baudRateItems()
{
    static const QStringList kItems = {
        QStringLiteral("4800,n,8,1"),  QStringLiteral("4800,e,8,1"),   QStringLiteral("9600,n,8,1"),
        QStringLiteral("9600,e,8,1"),  QStringLiteral("19200,n,8,1"),  QStringLiteral("19200,e,8,1"),
        QStringLiteral("38400,n,8,1"), QStringLiteral("38400,e,8,1"),  QStringLiteral("57600,n,8,1"),
        QStringLiteral("57600,e,8,1"), QStringLiteral("115200,n,8,1"), QStringLiteral("115200,e,8,1"),
    };
    return kItems;
}

const QStringList &autoSendItems()
{
    static const QStringList kItems = {QStringLiteral("Mode #0 NONE"), QStringLiteral("Mode #1 BCC"),
                                       QStringLiteral("Mode #2 ID"), QStringLiteral("Mode #3 ASCII"),
                                       QStringLiteral("Mode #4 OFF")};
    return kItems;
}

const QStringList &netItems()
{
    static const QStringList kItems = {QStringLiteral("ALL"), QStringLiteral("NET"), QStringLiteral("RS232"),
                                       QStringLiteral("RS485")};
    return kItems;
}

} // namespace ReaderCommands
