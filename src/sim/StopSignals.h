#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal on the event loop (the handler only writes a byte to a
// pipe that a socket notifier watches), so the program can stop its readers cleanly.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    // Installs the handlers; false when the pipe or handlers cannot be set up.
    bool install();

signals:
    void stopRequested(int signalNumber);

private:
    void handleNotifier();

    std::unique_ptr<QSocketNotifier> m_notifier;
};
