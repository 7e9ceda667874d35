#include "reading/ReadingPipeline.h"

#include "link/ReadingLinks.h"
#include "link/ReadingSource.h"
#include "link/SerialReadingLinks.h"
#include "link/TcpClientReadingLinks.h"
#include "link/TcpListenerReadingLinks.h"
#include "link/UdpReadingLinks.h"

#include <QNetworkInterface>

ReadingPipeline::ReadingPipeline(Clock &clock, TonePlayer &tones, QObject *parent)
    : QObject(parent), m_tables(clock, tones)
{
    connect(&m_session, &ReadingSession::frameReady, &m_decoder, &ReportDecoder::decodeReport);
    connect(&m_decoder, &ReportDecoder::reportDecoded, &m_tables, &TagTables::applyReport);
    connect(&m_session, &ReadingSession::ended, this, &ReadingPipeline::handleSessionEnded);
    connect(&m_session, &ReadingSession::problem, this, &ReadingPipeline::problem);
    connect(&m_tables, &TagTables::problem, this, &ReadingPipeline::problem);
    connect(m_tables.csvLog(), &CsvLog::fallbackUsed, this,
            [this](const QString &wanted, const QString &used) {
                emit problem({Problem::Severity::Warning,
                              Problem::Kind::CsvFallback,
                              CsvLog::fallbackText(),
                              {wanted, used}});
            });
    connect(m_tables.csvLog(), &CsvLog::linesNotWritten, this, [this](quint64 total, const QString &reason) {
        emit problem({Problem::Severity::Error,
                      Problem::Kind::CsvLinesNotWritten,
                      QStringLiteral("%1 CSV line(s) not written: %2"),
                      {QString::number(total), reason}});
    });
}

ReadingPipeline::~ReadingPipeline()
{
    // Links that go with the pipeline must not reach the session or the tables on their way out.
    if (m_links)
        disconnect(m_links.get(), nullptr, nullptr, nullptr);
}

void ReadingPipeline::setTiming(const Timing &timing)
{
    m_timing = timing;
    m_session.setTiming(timing);
}

namespace {
QString portText(quint16 port)
{
    return QString::number(port);
}

// The "TCP Server" page lists readers that are TCP servers: this program is their client, so its
// links are TcpClientReadingLinks (and the "TCP Client" page, where readers are the clients, listens).
std::unique_ptr<ReadingLinks> makeTcpToReaders(const LinkRequest &request)
{
    auto links = std::make_unique<TcpClientReadingLinks>();
    QList<ReaderAddress> readers;
    for (const auto &[number, address] : request.readerAddresses)
        readers.append({number, address});
    links->setReaders(readers);
    links->setRemotePortText(portText(request.tcpRemotePort));
    links->setTiming(request.timing);
    links->setReconnect(request.reconnect);
    return links;
}

std::unique_ptr<ReadingLinks> makeSerial(const LinkRequest &request)
{
    SerialPortMap map;
    QList<int> numbers;
    for (const auto &[number, device] : request.comPorts) {
        numbers << number;
        if (!device.isEmpty())
            map.setDevice(number, device);
    }
    auto links = std::make_unique<SerialReadingLinks>(map, numbers, request.timing);
    links->setReconnect(request.reconnect);
    return links;
}

std::unique_ptr<ReadingLinks> makeListener(const LinkRequest &request)
{
    auto links = std::make_unique<TcpListenerReadingLinks>();
    links->setListenPortText(portText(request.listenPort));
    links->setTiming(request.timing);
    return links;
}

std::unique_ptr<ReadingLinks> makeUdp(const LinkRequest &request)
{
    auto links = std::make_unique<UdpReadingLinks>();
    links->setLocalPortText(portText(request.localPort));
    links->setDestinationPortText(portText(request.desPort));
    links->setBroadcastAddress(request.udpBroadcastAddress);
    links->setLocalHostAddress(request.localHostAddress.isNull() ? QString()
                                                                 : request.localHostAddress.toString());
    links->setTiming(request.timing);
    return links;
}
} // namespace

std::unique_ptr<ReadingLinks> ReadingPipeline::makeLinks(const LinkRequest &request)
{
    switch (request.kind) {
    case LinkKind::TcpToReaders:
        return makeTcpToReaders(request);
    case LinkKind::Serial:
        return makeSerial(request);
    case LinkKind::TcpListener:
        return makeListener(request);
    case LinkKind::Udp:
        return makeUdp(request);
    case LinkKind::Mqtt:
        break;
    }
    return nullptr;
}

QHostAddress ReadingPipeline::localHostAddress()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &i : interfaces) {
        if (!i.flags().testFlag(QNetworkInterface::IsUp) || i.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const auto entries = i.addressEntries();
        for (const QNetworkAddressEntry &e : entries)
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return e.ip();
    }
    return QHostAddress(QStringLiteral("192.168.1.1"));
}

void ReadingPipeline::connectKindSignals(ReadingLinks *links)
{
    if (auto *tcp = qobject_cast<TcpClientReadingLinks *>(links)) {
        connect(tcp, &TcpClientReadingLinks::readerConnected, this,
                [this](const QString &address, quint16 port) {
                    emit readerSeen(LinkKind::TcpToReaders, address, port);
                });
    } else if (auto *listener = qobject_cast<TcpListenerReadingLinks *>(links)) {
        connect(listener, &TcpListenerReadingLinks::clientListed, this, &ReadingPipeline::clientListed);
        connect(listener, &TcpListenerReadingLinks::clientUnlisted, this, &ReadingPipeline::clientUnlisted);
        connect(listener, &TcpListenerReadingLinks::readerConnected, this,
                [this](const QString &address, quint16 port) {
                    emit readerSeen(LinkKind::TcpListener, address, port);
                });
    } else if (auto *udp = qobject_cast<UdpReadingLinks *>(links)) {
        connect(udp, &UdpReadingLinks::senderListed, this, &ReadingPipeline::senderListed);
        connect(udp, &UdpReadingLinks::senderRegistered, this, [this](const QString &address, quint16 port) {
            emit readerSeen(LinkKind::Udp, address, port);
        });
    }
}

void ReadingPipeline::start(std::unique_ptr<ReadingLinks> links)
{
    m_links = std::move(links);
    if (!m_links) {
        emit ended();
        return;
    }
    connectKindSignals(m_links.get());
    connectSourceSignals(m_links.get());
    m_session.start(m_links.get());
}

void ReadingPipeline::connectSourceSignals(ReadingLinks *links)
{
    m_sourceLabels.clear();
    connect(links, &ReadingLinks::sourceAdded, this, [this](int index, ReadingSource *source) {
        if (!source)
            return;
        const auto old = m_sourceLabels.constFind(index);
        if (old != m_sourceLabels.constEnd())
            emit readerDisconnected(*old);
        m_sourceLabels.insert(index, source->label());
        emit readerConnected(source->label());
    });
    connect(links, &ReadingLinks::sourceRemoved, this, [this](int index) {
        const QString label = m_sourceLabels.take(index);
        if (!label.isNull())
            emit readerDisconnected(label);
    });
}

void ReadingPipeline::enterReport(const TTagReport &report, const QString &label)
{
    m_decoder.acceptReport(report, label);
}

void ReadingPipeline::stop()
{
    m_session.stop();
}

void ReadingPipeline::handleSessionEnded()
{
    // The links are still inside their closed() signal: delete them once it has returned.
    if (m_links)
        m_links.release()->deleteLater();
    emit ended();
}
