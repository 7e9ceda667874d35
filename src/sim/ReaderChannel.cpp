#include "sim/ReaderChannel.h"

#include "sim/SimFrame.h"

#include <QTimer>

ReaderChannel::ReaderChannel(TagPopulation *tags, std::unique_ptr<SimTransport> transport,
                             const Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings),
      m_generator(tags, SimRandom::derive(settings.seed, 0x1000 + quint64(settings.reader.readerNumber)),
                  settings.reports),
      m_reader(tags, &m_generator, settings.reader), m_transport(std::move(transport)),
      m_faults(SimRandom::derive(settings.seed, 0x2000 + quint64(settings.reader.readerNumber)))
{
    m_clock.start();
    connect(m_transport.get(), &SimTransport::bytesReceived, this, &ReaderChannel::handleBytes);
    connect(m_transport.get(), &SimTransport::peerClosed, this,
            [this](SimTransport::PeerId peer) { m_parsers.remove(peer); });
    connect(m_transport.get(), &SimTransport::peerConnected, this, [this](const QString &peer) {
        if (m_settings.log)
            emit logLine(QStringLiteral("reader %1: %2 connected").arg(number()).arg(peer));
    });
    connect(m_transport.get(), &SimTransport::peerDisconnected, this, [this](const QString &peer) {
        if (m_settings.log)
            emit logLine(QStringLiteral("reader %1: %2 disconnected").arg(number()).arg(peer));
    });
}

ReaderChannel::~ReaderChannel() = default;

bool ReaderChannel::open()
{
    return m_transport->open();
}

void ReaderChannel::close()
{
    m_transport->close();
    m_parsers.clear();
}

QString ReaderChannel::hexAndText(const QByteArray &bytes)
{
    QString text;
    for (char c : bytes)
        text += (c >= 0x20 && c < 0x7F) ? QChar(c) : QChar('.');
    return QString::fromLatin1(bytes.toHex(' ').toUpper()) + "  |" + text + '|';
}

void ReaderChannel::handleBytes(SimTransport::PeerId peer, const QByteArray &bytes)
{
    CommandParser &parser = m_parsers[peer];
    parser.feed(bytes);
    while (parser.hasFrame())
        handleFrame(peer, parser.takeFrame());
}

void ReaderChannel::handleFrame(SimTransport::PeerId peer, const CommandParser::Frame &frame)
{
    if (frame.status != CommandParser::Status::Ok) {
        // A damaged frame is not answered: the host cannot be sure which command it was.
        if (m_settings.log)
            emit logLine(QStringLiteral("reader %1 <- %2 (%3, ignored)")
                             .arg(number())
                             .arg(hexAndText(frame.raw))
                             .arg(frame.status == CommandParser::Status::BadBcc ? "bad BCC" : "too long"));
        return;
    }
    ++m_commands;
    QByteArray reply = SimFrame::replyFrame(m_reader.handleCommand(frame.command, m_clock.elapsed()));
    if (m_settings.log)
        emit logLine(QStringLiteral("reader %1 <- %2").arg(number()).arg(hexAndText(frame.raw)));
    if (m_faults.chance(m_settings.dropReplies)) {
        if (m_settings.log)
            emit logLine(QStringLiteral("reader %1 -> (reply dropped)").arg(number()));
        emit commandAnswered(frame.command, {});
        return;
    }
    if (m_faults.chance(m_settings.badBcc)) {
        // Replace the low BCC digit by another upper-case hex digit.
        static constexpr char kDigits[] = "0123456789ABCDEF";
        char &digit = reply[reply.size() - 2];
        const int value = digit <= '9' ? digit - '0' : digit - 'A' + 10;
        digit = kDigits[(value + 1) % 16];
    }
    emit commandAnswered(frame.command, reply);
    if (m_settings.replyDelayMs <= 0) {
        sendReply(peer, reply);
        return;
    }
    QTimer::singleShot(m_settings.replyDelayMs, this, [this, peer, reply] { sendReply(peer, reply); });
}

void ReaderChannel::sendReply(SimTransport::PeerId peer, const QByteArray &frame)
{
    if (m_settings.log)
        emit logLine(QStringLiteral("reader %1 -> %2").arg(number()).arg(hexAndText(frame)));
    m_transport->sendTo(peer, frame);
}

void ReaderChannel::deliverReports(int count)
{
    if (count <= 0)
        return;
    if (!m_reader.sendsReports()) {
        if (m_reader.autoSendMode() == 0)
            m_reader.addPollCredit(count);
        return;
    }
    if (!m_transport->hasPeer()) {
        m_linesDropped += quint64(count);
        return;
    }
    m_out.resize(0);
    const int made = m_generator.appendLines(m_out, count);
    m_reader.noteTamperLines(m_generator.takeTamperLines());
    if (made == 0)
        return;
    if (m_transport->sendReports(m_out))
        m_linesSent += quint64(made);
    else
        m_linesDropped += quint64(made);
}
