#pragma once

#include "readercfg/ConfigLink.h"

#include <memory>

class QSerialPort;

// The configuration link over one serial port, with the line settings of the link page
// ("115200,n,8,1"). It only ever takes what is queued: when more than kMaxQueued bytes wait at
// once (a reader flooding the line), they are thrown away unread.
class SerialConfigLink : public ConfigLink
{
    Q_OBJECT
public:
    static constexpr int kMaxQueued = 1024;

    SerialConfigLink(const QString &device, const QString &mode, QObject *parent = nullptr);
    ~SerialConfigLink() override;

    QString device() const { return m_device; }

    bool open() override;
    void close() override;
    bool send(const QByteArray &bytes) override;
    void discardPending() override;

private:
    void handleReadyRead();
    void handleError();

    QString m_device;
    QString m_mode;
    std::unique_ptr<QSerialPort> m_port;
};
