#include "base/PortText.h"

namespace PortText {

int value(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : kDefaultPort;
}

QString normalized(const QString &text)
{
    return QString::number(value(text));
}

} // namespace PortText
