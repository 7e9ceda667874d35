#include "link/SerialPortMap.h"

QString SerialPortMap::defaultDevice(int number)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

QString SerialPortMap::device(int number) const
{
    const auto it = m_devices.constFind(number);
    return it != m_devices.constEnd() ? *it : defaultDevice(number);
}

void SerialPortMap::setDevice(int number, const QString &device)
{
    if (number < 1 || number > kMaxPort)
        return;
    if (device.trimmed().isEmpty())
        m_devices.remove(number);
    else
        m_devices.insert(number, device.trimmed());
}

QString SerialPortMap::label(int number)
{
    return QStringLiteral("COM%1").arg(number, 2, 10, QLatin1Char('0'));
}

QVariantMap SerialPortMap::toVariantMap() const
{
    QVariantMap map;
    for (auto it = m_devices.constBegin(); it != m_devices.constEnd(); ++it)
        map.insert(QString::number(it.key()), it.value());
    return map;
}

SerialPortMap SerialPortMap::fromVariantMap(const QVariantMap &map)
{
    SerialPortMap m;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        bool ok = false;
        const int n = it.key().toInt(&ok);
        if (ok)
            m.setDevice(n, it.value().toString());
    }
    return m;
}
