#pragma once

#include "readercfg/ConfigLink.h"
#include "readercfg/TransceiveCommand.h"

// Lets go of the configuration link and exchange of an earlier run: the owner stops hearing them,
// a running exchange is cancelled, the link is closed, and both are deleted once their own signals
// have returned (a run often ends inside one of them).
inline void discardConfigLink(QObject *owner, TransceiveCommand *&exchange, ConfigLink *&link)
{
    if (exchange) {
        QObject::disconnect(exchange, nullptr, owner, nullptr);
        exchange->cancel();
        exchange->deleteLater();
        exchange = nullptr;
    }
    if (link) {
        link->close();
        QObject::disconnect(link, nullptr, owner, nullptr);
        link->deleteLater();
        link = nullptr;
    }
}
