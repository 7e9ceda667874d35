#pragma once

#include "readercfg/ConfigLink.h"

#include <QHostAddress>

#include <functional>
#include <memory>

class QNetworkDatagram;
class QUdpSocket;

// The configuration link over UDP: each command goes as one datagram to the reader's address and
// port from the local port; only datagrams from the reader's address are taken, each exactly once.
//
// When the reading links already hold the local port, the link opens no socket of its own: the
// reading links hand over the datagrams they receive (deliverDatagram) and send for it
// (setDatagramSender).
class UdpConfigLink : public ConfigLink
{
    Q_OBJECT
public:
    using DatagramSender = std::function<bool(const QNetworkDatagram &)>;

    UdpConfigLink(const QHostAddress &localAddress, quint16 localPort, const QHostAddress &destAddress,
                  quint16 destPort, bool handedOver, QObject *parent = nullptr);
    ~UdpConfigLink() override;

    bool open() override;
    void close() override;
    bool send(const QByteArray &bytes) override;

    // A datagram received for this link; false when it is not from the reader (it is ignored).
    bool deliverDatagram(const QNetworkDatagram &datagram);
    void setDatagramSender(DatagramSender sender) { m_sender = std::move(sender); }
    // The local port bound (useful with port 0); 0 when none.
    quint16 localPort() const;
    quint64 ignoredDatagrams() const { return m_ignored; }

private:
    void handleReadyRead();

    QHostAddress m_localAddress;
    quint16 m_localPort;
    QHostAddress m_destAddress;
    quint16 m_destPort;
    bool m_handedOver;
    std::unique_ptr<QUdpSocket> m_socket;
    DatagramSender m_sender;
    quint64 m_ignored = 0;
};
