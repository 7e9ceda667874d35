#include "link/ComPortNames.h"

#include <QSerialPortInfo>
#include <bitset>

namespace ComPortNames {

QStringList fromSystemNames(const QStringList &systemNames)
{
    constexpr int kHighest = 100;
    std::bitset<kHighest + 1> present;
    for (const QString &raw : systemNames) {
        const QString name = raw.trimmed().toUpper();
        if (name.contains(QLatin1String("VCOM")) || !name.contains(QLatin1String("COM")))
            continue;
        bool ok = false;
        const int n = name.mid(3).toInt(&ok);
        if (ok && n > 0 && n <= kHighest)
            present.set(size_t(n));
    }
    QStringList names;
    for (int n = 1; n <= kHighest; ++n) {
        if (present.test(size_t(n)))
            names << QStringLiteral("COM%1").arg(n);
    }
    if (names.isEmpty()) {
        for (int n = 1; n <= 16; ++n)
            names << QStringLiteral("COM%1").arg(n);
    }
    return names;
}

QStringList systemNames()
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names << info.portName();
    return names;
}

} // namespace ComPortNames
