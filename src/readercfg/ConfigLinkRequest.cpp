#include "readercfg/ConfigLinkRequest.h"

#include "link/SerialPortMap.h"

int ConfigLinkRequest::comNumberFromText(const QString &text)
{
    const qsizetype m = text.indexOf(QLatin1Char('M'));
    bool ok = false;
    const int number = (m < 0 ? QString() : text.mid(m + 1)).trimmed().toInt(&ok);
    return ok && number >= 1 && number <= SerialPortMap::kMaxPort ? number : 1;
}
