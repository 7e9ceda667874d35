#include "readercfg/ConfigLinkRequest.h"

#include "base/PortText.h"
#include "link/SerialPortMap.h"

quint16 ConfigLinkRequest::portFromText(const QString &text)
{
    const int port = PortText::value(text);
    return port >= 0 && port <= 65535 ? quint16(port) : quint16(PortText::kDefaultPort);
}

int ConfigLinkRequest::comNumberFromText(const QString &text)
{
    const qsizetype m = text.indexOf(QLatin1Char('M'));
    bool ok = false;
    const int number = (m < 0 ? QString() : text.mid(m + 1)).trimmed().toInt(&ok);
    return ok && number >= 1 && number <= SerialPortMap::kMaxPort ? number : 1;
}
