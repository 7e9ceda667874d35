#pragma once

#include "sim/SimTransport.h"

#include <memory>

class QSocketNotifier;

// A pseudo-terminal standing for a reader's serial port: the host opens the slave device (its path is
// endpoint()), the simulator works the master side. The simulator keeps its own slave descriptor open
// so the pty survives the host closing and reopening it; report lines that find the pty's buffer full
// are dropped (a burst that only partly fits is finished later, so no line is ever cut).
class PtyTransport : public SimTransport
{
    Q_OBJECT
public:
    explicit PtyTransport(QObject *parent = nullptr);
    ~PtyTransport() override;

    bool open() override;
    void close() override;
    QString endpoint() const override { return m_slavePath; }
    void sendTo(PeerId peer, const QByteArray &bytes) override;
    bool sendReports(const QByteArray &lines) override;
    qint64 unsentBytes() const override;
    bool hasPeer() const override { return m_master >= 0; }

private:
    void handleReadable();
    void handleWritable();
    // Writes what it can now and keeps the rest for later; false if the backlog is full.
    bool writeOrQueue(const QByteArray &bytes, bool mayDrop);

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QByteArray m_pending;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};
