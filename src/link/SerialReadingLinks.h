#pragma once

#include "base/Timing.h"
#include "link/ReadingLinks.h"
#include "link/ReconnectSchedule.h"
#include "link/ReplyAssembler.h"
#include "link/SerialPortMap.h"

#include <QList>
#include <QTimer>
#include <map>
#include <memory>

class QSerialPort;
class ReadingSource;

// The serial reading links: the chosen COM ports, opened together at 115200 8N1. Once they are open
// the lowest open port is told "M0" (report on every reader port) and "A3" (send reports as text);
// at close it is told "A0" (stop sending) before the ports close. Each command waits for the
// reader's reply frame (or the reply time-out) before the next goes out.
//
// Every byte a port receives goes to its reading source in order, also while a command reply is
// awaited: reports that arrive around a command are read, not purged.
//
// Links that reconnect try a port that fails (a USB adapter pulled out) or cannot be opened again
// after a growing wait (ReconnectSchedule) until it opens; it is then read again under its number,
// and when it is the lowest open port it is told "M0" and "A3" again, as at the start.
class SerialReadingLinks : public ReadingLinks
{
    Q_OBJECT
public:
    SerialReadingLinks(const SerialPortMap &map, const QList<int> &portNumbers, const Timing &timing = {},
                       QObject *parent = nullptr);
    ~SerialReadingLinks() override;
    Q_DISABLE_COPY_MOVE(SerialReadingLinks)

    void open() override;
    void close() override;
    void broadcastCommand(const QByteArray &command) override;

    QList<int> openPorts() const;
    int highestOpenPort() const;
    // Ports that fail or cannot be opened are tried again until the links close.
    void setReconnect(bool on) { m_reconnect = on; }
    bool reconnects() const { return m_reconnect; }

signals:
    // A command's reply came back with a valid check (true), or not in time / with a bad check (false).
    // With no port open a command counts as done (true).
    void commandFinished(const QByteArray &command, bool ok);

private:
    struct Port;
    enum class Phase
    {
        Closed,
        Opening,
        Open,
        Closing
    };

    bool openPort(int number, QString *why);
    void retryLater(int number, const QString &reason);
    void handleRetryDue(int number);
    QString endpointText(int number) const;
    void handleReadyRead(Port &port);
    void handlePortError(Port &port);
    void dropPort(int number);
    void enqueue(const QByteArray &command);
    void runNextCommand();
    void finishCommand(bool ok);
    void handleQueueEmpty();
    void closePorts();

    SerialPortMap m_map;
    QList<int> m_requested;
    Timing m_timing;
    Phase m_phase = Phase::Closed;
    std::map<int, std::unique_ptr<Port>> m_ports; // by port number, rising
    bool m_reconnect = false;
    std::map<int, std::unique_ptr<ReconnectSchedule>> m_retries; // by port number

    QList<QByteArray> m_queue;
    QByteArray m_current;
    bool m_commandRunning = false;
    int m_replyPort = 0;
    ReplyAssembler m_reply;
    QTimer m_replyTimer;
    QTimer m_gapTimer;
};
