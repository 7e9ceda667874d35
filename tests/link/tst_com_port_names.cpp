#include "link/ComPortNames.h"

#include <QtTest>

class TestComPortNames : public QObject
{
    Q_OBJECT
private slots:
    void filtersTheSystemList()
    {
        QCOMPARE(ComPortNames::fromSystemNames({"COM10", " com3 ", "VCOM5"}), QStringList({"COM3", "COM10"}));
        QCOMPARE(ComPortNames::fromSystemNames({"COM100", "COM101", "COM0", "XCOM7", "COM2", "COM2"}),
                 QStringList({"COM2", "COM100"}));
    }

    void fallsBackToSixteenPorts()
    {
        const QStringList fallback = ComPortNames::fromSystemNames({"ttyS0", "ttyUSB0", "VCOM1"});
        QCOMPARE(fallback.size(), 16);
        QCOMPARE(fallback.first(), QStringLiteral("COM1"));
        QCOMPARE(fallback.last(), QStringLiteral("COM16"));
        QCOMPARE(ComPortNames::fromSystemNames({}).size(), 16);
    }
};

QTEST_APPLESS_MAIN(TestComPortNames)
#include "tst_com_port_names.moc"
