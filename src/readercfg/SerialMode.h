#pragma once

#include <QSerialPort>
#include <QStringList>

#include <optional>

// The line settings of a serial configuration link, written the way the link page and readers'
// labels write them: "115200,n,8,1" (baud, parity letter, data bits, stop bits).
struct SerialMode
{
    qint32 baud = 115200;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // The fourteen line settings the link page offers, 4800 to 230400 baud, no parity and even
    // parity for each; item kDefaultItem, "115200,n,8,1", is the default.
    static const QStringList &items();
    static constexpr int kDefaultItem = 10;

    // Reads "BAUD,P,D,S": parity n (none), e (even), o (odd), m (mark) or s (space) in either case;
    // data bits 5 to 8; stop bits 1, 1.5 or 2. Spaces around the fields are allowed. Nothing when
    // the text does not read so.
    static std::optional<SerialMode> parse(const QString &text);

    bool operator==(const SerialMode &o) const
    {
        return baud == o.baud && parity == o.parity && dataBits == o.dataBits && stopBits == o.stopBits;
    }
};
