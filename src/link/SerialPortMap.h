#pragma once

#include <QMap>
#include <QString>
#include <QVariantMap>

// Serial ports are chosen by number (1..256), as readers and users name them: COM1, COM2, ...
// On Windows the number is the COM device itself. Elsewhere each number stands for a device path
// that the user chooses (COM3 can be /dev/ttyUSB0, or a test's pseudo-terminal); numbers without a
// chosen path fall back to the platform's n-th serial device.
class SerialPortMap
{
public:
    static constexpr int kMaxPort = 256;

    QString device(int number) const;
    bool hasCustomDevice(int number) const { return m_devices.contains(number); }
    void setDevice(int number, const QString &device);
    void clearDevice(int number) { m_devices.remove(number); }

    // The label of a port in reports and CSV lines: "COM" + two digits (COM03).
    static QString label(int number);
    static QString defaultDevice(int number);

    // Stored form: "1" -> "/dev/ttyUSB0", ...
    QVariantMap toVariantMap() const;
    static SerialPortMap fromVariantMap(const QVariantMap &map);

private:
    QMap<int, QString> m_devices;
};
