#include "tagcfg/TagCodes.h"

namespace TagCodes {

namespace {
QByteArray hexByte(int v)
{
    return QByteArray::number(v & 0xFF, 16).toUpper().rightJustified(2, '0');
}
} // namespace

int ledModeCode(bool led1, bool led2)
{
    return (led1 ? 0 : 1) | (led2 ? 0 : 2);
}

QByteArray ledAction(bool flash, bool led1, bool led2, int timeTenths)
{
    const int digit = (led1 ? 1 : 0) | (led2 ? 2 : 0);
    return QByteArray("L") + (flash ? '8' : '0') + char('0' + digit) + hexByte(timeTenths);
}

QByteArray beepAction(int timeTenths)
{
    return QByteArray("B00") + hexByte(timeTenths);
}

int firstChecked(const std::array<bool, 4> &checked)
{
    for (int i = 0; i < 4; ++i)
        if (checked[size_t(i)])
            return i;
    return -1;
}

int powerKeyCode(const std::array<bool, 4> &checked)
{
    const int first = firstChecked(checked);
    return first < 0 ? 3 : first;
}

QString versionText(int value)
{
    const QString digits = QString::fromLatin1(hexByte(value));
    return QStringLiteral("TAG Version ") + digits.at(0) + QLatin1Char('.') + digits.at(1);
}

int highLevelMaximum(int topLevel, int currentMaximum)
{
    return topLevel > 1 ? topLevel - 1 : currentMaximum;
}

} // namespace TagCodes
