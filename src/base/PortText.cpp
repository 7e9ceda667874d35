#include "base/PortText.h"

namespace PortText {

QString defaultText()
{
    return QString::number(kDefaultPort);
}

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

quint16 port(const QString &text)
{
    const int v = value(text);
    return v >= 0 && v <= 65535 ? quint16(v) : kDefaultPort;
}

QString portText(const QString &text)
{
    return QString::number(port(text));
}

std::optional<quint16> parse(const QString &text, int lowest)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok || v < lowest || v > 65535)
        return std::nullopt;
    return quint16(v);
}

} // namespace PortText
