#include "readercfg/SerialMode.h"

namespace {

std::optional<QSerialPort::Parity> parityFromLetter(const QString &text)
{
    if (text.size() != 1)
        return std::nullopt;
    switch (text.at(0).toLower().toLatin1()) {
    case 'n':
        return QSerialPort::NoParity;
    case 'e':
        return QSerialPort::EvenParity;
    case 'o':
        return QSerialPort::OddParity;
    case 'm':
        return QSerialPort::MarkParity;
    case 's':
        return QSerialPort::SpaceParity;
    default:
        return std::nullopt;
    }
}

std::optional<QSerialPort::StopBits> stopBitsFromText(const QString &text)
{
    if (text == QLatin1String("1"))
        return QSerialPort::OneStop;
    if (text == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    if (text == QLatin1String("2"))
        return QSerialPort::TwoStop;
    return std::nullopt;
}

} // namespace

const QStringList &SerialMode::items()
{
    static const QStringList kItems = {
        QStringLiteral("4800,n,8,1"),   QStringLiteral("4800,e,8,1"),   QStringLiteral("9600,n,8,1"),
        QStringLiteral("9600,e,8,1"),   QStringLiteral("19200,n,8,1"),  QStringLiteral("19200,e,8,1"),
        QStringLiteral("38400,n,8,1"),  QStringLiteral("38400,e,8,1"),  QStringLiteral("57600,n,8,1"),
        QStringLiteral("57600,e,8,1"),  QStringLiteral("115200,n,8,1"), QStringLiteral("115200,e,8,1"),
        QStringLiteral("230400,n,8,1"), QStringLiteral("230400,e,8,1"),
    };
    return kItems;
}

std::optional<SerialMode> SerialMode::parse(const QString &text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return std::nullopt;
    SerialMode mode;
    bool ok = false;
    mode.baud = fields[0].trimmed().toInt(&ok);
    if (!ok || mode.baud <= 0)
        return std::nullopt;
    const auto parity = parityFromLetter(fields[1].trimmed());
    const int dataBits = fields[2].trimmed().toInt(&ok);
    const auto stopBits = stopBitsFromText(fields[3].trimmed());
    if (!parity || !ok || dataBits < 5 || dataBits > 8 || !stopBits)
        return std::nullopt;
    mode.parity = *parity;
    mode.dataBits = QSerialPort::DataBits(dataBits);
    mode.stopBits = *stopBits;
    return mode;
}
