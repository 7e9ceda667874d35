#pragma once

#include "link/CommandPacer.h"
#include "link/ReadingSource.h"

class QTcpSocket;

// A reader on a TCP connection, made by this program or accepted by the listener. The received bytes
// stay in the socket until the session takes them. When the connection ends (an error, a disconnect)
// the source first takes over every byte the connection still holds, so that the session reads the
// reader's last lines even after the socket is gone. The source owns the socket and greets the reader.
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

    bool isEligible() const override;
    QByteArray takeBytes() override;

    // Moves the bytes the connection holds into the source: the socket's, then the system's (at most
    // `limit` of those; all when negative).
    void holdArrivedBytes(qint64 limit = -1);
    // False once the reader has closed or reset the connection. Bytes waiting in front of the end
    // are moved into the source, at most a read buffer's worth.
    bool isLive();
    // Why the connection ended: the socket's error, or what the system said when it ended.
    QString endReason() const;

    // Writes a frame when the connection is up; false when it could not be written.
    bool sendFrame(const QByteArray &frame);
    // "M1" and "A3" ten times each, alternately, with the gap after every frame.
    void greet(int gapMs);
    void stopGreeting() { m_greeting.clear(); }

private:
    QByteArray socketBytes();

    QTcpSocket *m_socket;
    CommandPacer m_greeting;
    bool m_ended = false;
    QString m_endReason;
};
