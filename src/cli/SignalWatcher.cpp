#include "SignalWatcher.h"

#include "platform/StopRequests.h"

#include <QSocketNotifier>

SignalWatcher::SignalWatcher(QObject *parent) : QObject(parent)
{
    // Also keeps a reader of standard output that goes away from killing the program silently:
    // writes then fail, which the report writer turns into a message and exit status 1.
    const platform::SocketHandle watched = platform::installStopRequests();
    if (watched == platform::kNoSocket)
        return;
    auto *notifier = new QSocketNotifier(watched, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, watched] {
        const int number = platform::takeStopRequest(watched);
        if (number >= 0)
            emit stopRequested(number);
    });
}

SignalWatcher::~SignalWatcher()
{
    platform::removeStopRequests();
}
