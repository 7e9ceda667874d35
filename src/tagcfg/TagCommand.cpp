#include "tagcfg/TagCommand.h"

namespace {
QByteArray hexByte(quint8 v)
{
    return QByteArray::number(v, 16).toUpper().rightJustified(2, '0');
}
} // namespace

QByteArray TagCommand::text() const
{
    return letter + hexByte(reg) + hexByte(value);
}

QByteArray TagCommand::registerText() const
{
    return hexByte(reg);
}

QByteArray TagCommand::readerCommand(const QByteArray &uid) const
{
    return 'E' + uid + text();
}
