#pragma once

#include "sim/CommandParser.h"
#include "sim/ReportGenerator.h"
#include "sim/SimRandom.h"
#include "sim/SimReader.h"
#include "sim/SimTransport.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

#include <memory>

class TagPopulation;

// One simulated reader on one wire: cuts the bytes each peer sends into command frames, lets the
// reader answer them, sends the replies (with the configured faults) and, when asked by the pacer,
// sends report lines or keeps them for "C" polls.
class ReaderChannel : public QObject
{
    Q_OBJECT
public:
    struct Settings
    {
        SimReader::Settings reader;
        ReportGenerator::Settings reports;
        quint64 seed = 1;
        double dropReplies = 0.0; // share of replies never sent
        double badBcc = 0.0;      // share of replies sent with a wrong BCC digit
        int replyDelayMs = 0;     // every reply waits this long before it goes out
        bool log = false;         // emit logLine for every command and reply
    };

    ReaderChannel(TagPopulation *tags, std::unique_ptr<SimTransport> transport, const Settings &settings,
                  QObject *parent = nullptr);
    ~ReaderChannel() override;

    bool open();
    void close();
    // The reader's share of report lines for this tick: sent as lines in auto-send mode 3, otherwise
    // (mode 0) kept for "C" polls.
    void deliverReports(int count);

    SimReader &reader() { return m_reader; }
    SimTransport &transport() { return *m_transport; }
    int number() const { return m_settings.reader.readerNumber; }
    quint64 linesSent() const { return m_linesSent; }
    quint64 linesDropped() const { return m_linesDropped; }
    quint64 commandsAnswered() const { return m_commands; }

    // "01 41 33 0D  |.A3.|": bytes as hex and as text, for the log.
    static QString hexAndText(const QByteArray &bytes);

signals:
    // A checked command frame was answered; replyFrame is empty when the reply was dropped.
    void commandAnswered(const QByteArray &command, const QByteArray &replyFrame);
    void logLine(const QString &line);

private:
    void handleBytes(SimTransport::PeerId peer, const QByteArray &bytes);
    void handleFrame(SimTransport::PeerId peer, const CommandParser::Frame &frame);
    void sendReply(SimTransport::PeerId peer, const QByteArray &frame);

    Settings m_settings;
    ReportGenerator m_generator;
    SimReader m_reader;
    std::unique_ptr<SimTransport> m_transport;
    QHash<SimTransport::PeerId, CommandParser> m_parsers;
    SimRandom m_faults;
    QElapsedTimer m_clock;
    QByteArray m_out;
    quint64 m_linesSent = 0;
    quint64 m_linesDropped = 0;
    quint64 m_commands = 0;
};
