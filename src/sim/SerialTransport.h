#pragma once

#include "sim/SimTransport.h"

#include <memory>

class QSerialPort;

// A real serial device (or one end of a null-modem pair) standing for the reader's RS232 port.
class SerialTransport : public SimTransport
{
    Q_OBJECT
public:
    explicit SerialTransport(const QString &device, int baud = 115200, QObject *parent = nullptr);
    ~SerialTransport() override;

    bool open() override;
    void close() override;
    QString endpoint() const override { return m_device; }
    void sendTo(PeerId peer, const QByteArray &bytes) override;
    bool sendReports(const QByteArray &lines) override;
    qint64 unsentBytes() const override;
    bool hasPeer() const override;

private:
    void handleReadyRead();

    QString m_device;
    int m_baud;
    std::unique_ptr<QSerialPort> m_port;
};
