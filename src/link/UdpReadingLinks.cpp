#include "link/UdpReadingLinks.h"

#include "base/PortText.h"
#include "link/HostAddressText.h"
#include "link/ReadingSource.h"

#include <QUdpSocket>
#include <QVariant>

UdpReadingLinks::UdpReadingLinks(QObject *parent) : NetworkReadingLinks(parent), m_sources(1, nullptr) {}

UdpReadingLinks::~UdpReadingLinks()
{
    if (m_socket)
        disconnect(m_socket, nullptr, this, nullptr);
    // Links destroyed while open: the session must not keep sources that are about to go.
    for (size_t slot = 1; slot < m_sources.size(); ++slot)
        emit sourceRemoved(int(slot));
}

quint16 UdpReadingLinks::localPort() const
{
    return m_socket && m_socket->state() == QAbstractSocket::BoundState ? m_socket->localPort() : 0;
}

void UdpReadingLinks::open()
{
    if (!beginOpen())
        return;
    m_localPortText = PortText::normalized(m_localPortText);
    m_destinationPortText = PortText::normalized(m_destinationPortText);
    m_fullReported = false;
    m_sendFailureReported = false;
    m_ownDatagrams = 0;
    m_socket = new QUdpSocket(this);
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpReadingLinks::handleReadyRead);
    const std::optional<quint16> port = portNumber(m_localPortText);
    if (port && m_socket->bind(m_bindAddress, *port)) {
        m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                                  QVariant(kReceiveBufferBytes));
        emit logged(LinkLogEvent::of(LinkLogEvent::Kind::Bound, {}, m_socket->localPort()));
    } else if (port) {
        const QString why = m_socket->errorString();
        emit logged(LinkLogEvent::of(LinkLogEvent::Kind::NotBound, {}, *port, why));
        raiseProblem(QStringLiteral("Cannot use UDP port %1: %2"), {m_localPortText, why});
    }
    emit opened();
    broadcastCommand("M0");
    broadcastCommand("A3");
}

void UdpReadingLinks::handleReadyRead()
{
    // A bounded batch: a flood of datagrams must not keep the event loop from the session. Those
    // still waiting raise the socket's read notification again.
    for (int n = 0; n < kDatagramsPerBatch && m_socket && m_socket->hasPendingDatagrams(); ++n)
        handleDatagram(m_socket->receiveDatagram());
}

void UdpReadingLinks::handleDatagram(const QNetworkDatagram &datagram)
{
    if (state() == State::Closed)
        return;
    if (isConfigurationMode()) {
        emit datagramOffered(datagram);
        return;
    }
    if (datagram.senderAddress().isNull())
        return;
    const QString address = hostAddressText(datagram.senderAddress());
    if (address == m_localHostAddress) {
        ++m_ownDatagrams;
        return;
    }
    const quint16 port = quint16(datagram.senderPort());
    const QString key = address + QLatin1Char(':') + QString::number(port);
    const int slot = m_slotByKey.value(key, 0);
    if (slot)
        m_sources[size_t(slot)]->appendBytes(datagram.data());
    else
        registerSender(address, port, key); // the first datagram only makes the sender known
}

void UdpReadingLinks::registerSender(const QString &address, quint16 port, const QString &key)
{
    if (senderCount() >= kMaxSenders) {
        if (!m_fullReported) {
            m_fullReported = true;
            emit logged(LinkLogEvent::of(LinkLogEvent::Kind::SenderNotListed, address, port));
            raiseProblem(QStringLiteral("More than %1 UDP senders; %2 and later ones are not read"),
                         {QString::number(kMaxSenders), key});
        }
        return;
    }
    const int slot = int(m_sources.size());
    auto *source = new ReadingSource(address, this);
    m_sources.push_back(source);
    m_slotByKey.insert(key, slot);
    m_lines.append(key);
    emit senderListed(key);
    emit senderRegistered(address, port);
    emit sourceAdded(slot, source);
}

void UdpReadingLinks::sendFrameToAll(const QByteArray &frame)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::BoundState)
        return;
    const int port = PortText::value(m_destinationPortText);
    const bool sent = port >= 0 && port <= 65535 &&
                      m_socket->writeDatagram(frame, m_broadcastAddress, quint16(port)) == frame.size();
    if (!sent && !m_sendFailureReported) {
        m_sendFailureReported = true;
        raiseProblem(QStringLiteral("Cannot send to %1 Port:%2: %3"),
                     {m_broadcastAddress.toString(), m_destinationPortText, m_socket->errorString()});
    }
}

void UdpReadingLinks::closeLinks()
{
    // Whatever arrived up to now is still read; then the senders go.
    handleReadyRead();
    for (size_t slot = m_sources.size() - 1; slot >= 1; --slot) {
        emit sourceRemoved(int(slot));
        m_sources[slot]->deleteLater();
    }
    m_sources.assign(1, nullptr);
    m_slotByKey.clear();
    m_lines.clear();
    if (m_socket) {
        disconnect(m_socket, nullptr, this, nullptr);
        m_socket->close();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    finishClosed();
}
