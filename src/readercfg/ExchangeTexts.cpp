#include "readercfg/ExchangeTexts.h"

namespace ExchangeTexts {

QString commandOk()
{
    return QStringLiteral("Command Ok.");
}

QString selectFunction()
{
    return QStringLiteral("Select Function");
}

QString openFailed()
{
    return QStringLiteral("Connect Error !");
}

QString openFailedOnTagPanel()
{
    return QStringLiteral("Command Error !");
}

QString attemptFailed(LinkKind kind, bool connected, int counter)
{
    const QString n = QString::number(counter);
    switch (kind) {
    case LinkKind::Serial:
        return QStringLiteral("Command Error !  [ ") + n + QStringLiteral(" ]");
    case LinkKind::Udp:
        return QStringLiteral("Connect Error ! [ ") + n + QStringLiteral(" ]");
    case LinkKind::TcpToReaders:
    case LinkKind::TcpListener:
    case LinkKind::Mqtt:
        break;
    }
    return (connected ? QStringLiteral("Command Error !  [ ") : QStringLiteral("Connect Error !  [ ")) + n +
           QStringLiteral(" ]");
}

QString cancelled()
{
    return QStringLiteral("Command Cancelled !");
}

} // namespace ExchangeTexts
