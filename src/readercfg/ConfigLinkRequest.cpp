#include "readercfg/ConfigLinkRequest.h"

#include "base/PortText.h"

quint16 ConfigLinkRequest::portFromText(const QString &text)
{
    const int port = PortText::value(text);
    return port >= 0 && port <= 65535 ? quint16(port) : quint16(PortText::kDefaultPort);
}
