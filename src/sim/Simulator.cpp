#include "sim/Simulator.h"

#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/SerialTransport.h"
#include "sim/TcpClientTransport.h"
#include "sim/TcpServerTransport.h"
#include "sim/UdpTransport.h"

namespace {
constexpr int kFinishPollMs = 5; // how often a finishing run looks whether its lines went out
} // namespace

Simulator::Simulator(const SimOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_tags(options.tags, options.seed)
{
    m_statsTimer.setInterval(1000);
    connect(&m_statsTimer, &QTimer::timeout, this, &Simulator::printStats);
    m_finishTimer.setInterval(kFinishPollMs);
    connect(&m_finishTimer, &QTimer::timeout, this, &Simulator::checkFinished);
}

Simulator::~Simulator()
{
    stop();
}

std::unique_ptr<SimTransport> Simulator::makeTransport(int index) const
{
    const SimOptions &o = m_options;
    const bool spread = o.spreadAddresses && o.readers > 1;
    const QHostAddress address = spread ? SimOptions::nthAddress(o.bind, index) : o.bind;
    const quint16 port = (spread || o.port == 0) ? o.port : quint16(o.port + index);
    switch (o.transport) {
    case SimOptions::Transport::Pty:
        return std::make_unique<PtyTransport>();
    case SimOptions::Transport::Serial:
        return std::make_unique<SerialTransport>(o.device, o.baud);
    case SimOptions::Transport::TcpServer:
        return std::make_unique<TcpServerTransport>(address, port);
    case SimOptions::Transport::TcpClient: {
        // Each reader's connection starts from its own address, so the host tells them apart; only
        // on loopback, where every 127.x.y.z is ours.
        const bool loopback = QHostAddress(o.host).isLoopback() || o.host == QLatin1String("localhost");
        const QHostAddress source =
            loopback || o.bindGiven ? SimOptions::nthAddress(o.bind, index) : QHostAddress();
        return std::make_unique<TcpClientTransport>(o.host, o.port, source, o.reconnectMs);
    }
    case SimOptions::Transport::Udp:
        return std::make_unique<UdpTransport>(address, port, o.udpHost, o.udpHostPort);
    }
    return nullptr;
}

bool Simulator::start(QString *error)
{
    stop();
    m_channels.clear();
    m_pacer = std::make_unique<ReportPacer>(m_options.rate);
    m_pacer->setLimit(m_options.count);
    connect(m_pacer.get(), &ReportPacer::limitReached, this, &Simulator::generationFinished);
    const bool serialSide = m_options.transport == SimOptions::Transport::Pty ||
                            m_options.transport == SimOptions::Transport::Serial;
    for (int i = 0; i < m_options.readers; ++i) {
        ReaderChannel::Settings s;
        s.reader.readerNumber = i + 1;
        s.reader.portKind = serialSide ? SimReader::PortKind::Serial : SimReader::PortKind::Network;
        s.reader.startMode = m_options.startMode;
        s.reader.airDelayMs = m_options.airDelayMs;
        s.reader.noAck = m_options.noAck;
        s.reader.silentUids = m_options.silentUids;
        s.reports.tamperRate = m_options.tamperRate;
        s.reports.garbageRate = m_options.garbage;
        s.reports.sequenceUids = m_options.sequenceUids;
        s.reports.readerNumber = i + 1;
        s.seed = m_options.seed;
        s.dropReplies = m_options.dropReplies;
        s.badBcc = m_options.badBcc;
        s.replyDelayMs = m_options.replyDelayMs;
        s.log = m_options.log;
        auto channel = std::make_unique<ReaderChannel>(&m_tags, makeTransport(i), s);
        connect(channel.get(), &ReaderChannel::logLine, this, &Simulator::logLine);
        if (!channel->open()) {
            *error = channel->transport().errorText();
            m_channels.clear();
            return false;
        }
        m_pacer->addChannel(channel.get());
        m_channels.push_back(std::move(channel));
    }
    m_pacer->start();
    if (m_options.stats)
        m_statsTimer.start();
    return true;
}

void Simulator::finish()
{
    if (m_pacer)
        m_pacer->stop();
    m_statsTimer.stop();
    m_finishing.start();
    checkFinished();
    if (!m_finishing.isValid())
        return;
    m_finishTimer.start();
}

void Simulator::checkFinished()
{
    if (unsentBytes() > 0 && m_finishing.elapsed() < kFinishWaitMs)
        return;
    m_finishing.invalidate();
    stop();
    emit finished();
}

qint64 Simulator::unsentBytes() const
{
    qint64 bytes = 0;
    for (const auto &channel : m_channels)
        bytes += channel->transport().unsentBytes();
    return bytes;
}

void Simulator::stop()
{
    m_finishTimer.stop();
    if (m_pacer)
        m_pacer->stop();
    m_statsTimer.stop();
    for (auto &channel : m_channels)
        channel->close();
}

QStringList Simulator::endpoints() const
{
    QStringList list;
    for (const auto &channel : m_channels)
        list << channel->transport().endpoint();
    return list;
}

quint64 Simulator::linesSent() const
{
    quint64 n = 0;
    for (const auto &channel : m_channels)
        n += channel->linesSent();
    return n;
}

quint64 Simulator::linesDropped() const
{
    quint64 n = 0;
    for (const auto &channel : m_channels)
        n += channel->linesDropped();
    return n;
}

void Simulator::printStats()
{
    const quint64 sent = linesSent();
    emit logLine(QStringLiteral("lines sent: %1/s, total %2, dropped %3")
                     .arg(sent - m_lastSent)
                     .arg(sent)
                     .arg(linesDropped()));
    m_lastSent = sent;
}
