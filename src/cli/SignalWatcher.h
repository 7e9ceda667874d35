#pragma once

#include <QObject>

// Turns SIGINT and SIGTERM into a Qt signal on the event loop, so that a stop request runs the same
// orderly shutdown as any other (readers told to stop, ports closed).
class SignalWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void stopRequested(int signalNumber);
};
