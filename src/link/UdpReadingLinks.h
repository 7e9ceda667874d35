#pragma once

#include "base/PortText.h"
#include "link/NetworkReadingLinks.h"

#include <QHash>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QStringList>
#include <vector>

class QUdpSocket;

// UDP reading ("UDP" page): one endpoint bound to the local port; commands go out as datagrams to the
// broadcast address at the destination port. Each sender (address and port) gets a slot the first
// time it sends: that first datagram only registers it, later ones are read, as source number = slot,
// under the sender's address. Datagrams from this computer's own address are never read, so the
// program's own broadcasts coming back are ignored.
class UdpReadingLinks : public NetworkReadingLinks
{
    Q_OBJECT
public:
    // A sender table this large is a flood, not an installation; later senders are reported.
    static constexpr int kMaxSenders = 4096;
    // Room for bursts from many readers while the session is busy.
    static constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
    static constexpr int kDatagramsPerBatch = 64;

    explicit UdpReadingLinks(QObject *parent = nullptr);
    ~UdpReadingLinks() override;
    Q_DISABLE_COPY_MOVE(UdpReadingLinks)

    // Port texts are rewritten as integer values (4001 when not one) when the links open.
    void setLocalPortText(const QString &text) { m_localPortText = text; }
    const QString &localPortText() const { return m_localPortText; }
    void setDestinationPortText(const QString &text) { m_destinationPortText = text; }
    const QString &destinationPortText() const { return m_destinationPortText; }
    // 255.255.255.255 by default; tests and loopback demos use a loopback address.
    void setBroadcastAddress(const QHostAddress &address) { m_broadcastAddress = address; }
    const QHostAddress &broadcastAddress() const { return m_broadcastAddress; }
    // Every interface by default.
    void setBindAddress(const QHostAddress &address) { m_bindAddress = address; }
    // This computer's address: datagrams from it are never read.
    void setLocalHostAddress(const QString &address) { m_localHostAddress = address; }
    const QString &localHostAddress() const { return m_localHostAddress; }

    // The port actually bound (useful with port 0); 0 when not bound.
    quint16 localPort() const;
    int senderCount() const { return int(m_sources.size()) - 1; }
    // One line address:port per registered sender, in the order they were first heard.
    const QStringList &senderLines() const { return m_lines; }
    quint64 ignoredOwnDatagrams() const { return m_ownDatagrams; }

    void open() override;

signals:
    void senderListed(const QString &line);
    // A new sender was registered (the page shows it as the destination of configuration commands).
    void senderRegistered(const QString &address, quint16 port);
    // Configuration mode: a datagram for the configuration side; nothing else is done with it.
    void datagramOffered(const QNetworkDatagram &datagram);

protected:
    void sendFrameToAll(const QByteArray &frame) override;
    void closeLinks() override;

private:
    void handleReadyRead();
    void handleDatagram(const QNetworkDatagram &datagram);
    void registerSender(const QString &address, quint16 port, const QString &key);

    QString m_localPortText = PortText::defaultText();
    QString m_destinationPortText = PortText::defaultText();
    QHostAddress m_broadcastAddress = QHostAddress(QHostAddress::Broadcast);
    QHostAddress m_bindAddress = QHostAddress(QHostAddress::AnyIPv4);
    QString m_localHostAddress;
    QUdpSocket *m_socket = nullptr;
    std::vector<ReadingSource *> m_sources; // index = slot; slot 0 is never a source
    QHash<QString, int> m_slotByKey;
    QStringList m_lines;
    bool m_fullReported = false;
    bool m_sendFailureReported = false;
    quint64 m_ownDatagrams = 0;
};
