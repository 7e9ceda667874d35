#pragma once

#include "link/CommandPacer.h"
#include "link/ReadingSource.h"

class QTcpSocket;

// A reader on a TCP connection, made by this program or accepted by the listener. The received bytes
// stay in the socket until the session takes them. The source owns the socket and greets the reader.
class SocketReadingSource : public ReadingSource
{
    Q_OBJECT
public:
    static constexpr int kGreetingRounds = 10;
    // A reader that sends faster than the session takes is held back by TCP, not by memory.
    static constexpr qint64 kReadBufferLimit = 32 * 1024;

    SocketReadingSource(QTcpSocket *socket, const QString &label, QObject *parent = nullptr);

    QTcpSocket *socket() const { return m_socket; }
    // The reader's address and port as "address:port".
    QString peerText() const;
    // The line for the connection log: "Connected:" + address + " Port:" + port.
    QString connectedLine() const;

    bool isEligible() const override;
    QByteArray takeBytes() override;

    // Writes a frame when the connection is up; false when it could not be written.
    bool sendFrame(const QByteArray &frame);
    // "M1" and "A3" ten times each, alternately, with the gap after every frame.
    void greet(int gapMs);
    void stopGreeting() { m_greeting.clear(); }

private:
    QTcpSocket *m_socket;
    CommandPacer m_greeting;
};
