#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair for serial tests: the program under test opens slavePath() as its serial
// device; the test plays the reader on the master side.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Writes every byte to the master side (what the reader sends).
    bool write(const QByteArray &bytes);
    // Bytes the program wrote so far (what the reader received), without blocking.
    QByteArray readAvailable();
    // Reads until `count` bytes have arrived or `timeoutMs` passed (polls the fd, no event loop
    // needed by the caller); returns what arrived.
    QByteArray readAtLeast(int count, int timeoutMs);

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the master never sees a hang-up between opens
    QString m_slavePath;
};
