#pragma once

#include "sim/AirQueue.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

class ReportGenerator;
class TagPopulation;

// The state of one simulated reader and its answers to host commands. It knows nothing of bytes on
// a wire: the caller hands it the command text of a checked frame and sends the reply payload it
// returns inside a reply frame. Every command is answered. A command the reader does not know, or one
// with a malformed or out-of-range parameter, is answered with '?' followed by the command (or '!'
// when the command itself starts with '?'), so the reply's first character differs from the
// command's and the host sees a failure at once.
class SimReader
{
public:
    // Which reader port a transport stands for; "M" selects which ports carry reports.
    enum class PortKind
    {
        Serial,
        Network
    };

    struct Settings
    {
        int readerNumber = 1; // 1-based; the serial number and digital inputs derive from it
        PortKind portKind = PortKind::Network;
        int startMode = 3;            // auto-send mode after power-up (3: report lines)
        int airDelayMs = 200;         // from "E" to the tag's acknowledgement being ready for "C"
        bool noAck = false;           // tags never answer over the air
        QList<QByteArray> silentUids; // these tags never answer over the air
    };

    static constexpr int kPollCreditLimit = 64; // reports kept for "C" while not in mode 3

    SimReader(TagPopulation *tags, ReportGenerator *generator, const Settings &settings);

    // Answers one command (the text between SOH and the BCC digits) at time nowMs (any monotonic
    // millisecond clock). Returns the reply payload, never empty.
    QByteArray handleCommand(QByteArrayView command, qint64 nowMs);

    // True when report lines go out on this reader's port: mode 3 and a report port that includes it.
    bool sendsReports() const;
    // Reports the reader received while not sending lines; "C" hands them out one per poll.
    void addPollCredit(int reports);
    // The generator sent lines with the tamper marker: the reader's tamper state is set until "BT".
    void noteTamperLines(int lines);

    int autoSendMode() const { return m_mode; }
    int reportPort() const { return m_port; }
    QByteArray readerId() const { return m_id; }
    int baudIndex() const { return m_baudIndex; }
    int rssiLevel() const { return m_rssiLevel; }
    int gain() const { return m_gain; }
    bool relay(int output) const { return output == 1 ? m_relay1 : m_relay2; }
    int relayOnTimeTenths() const { return m_relayOnTime; }
    bool relayOnMode() const { return m_relayOnMode; }
    bool tamperActive() const { return m_tamper; }
    int pendingAirCommands() const { return m_air.size(); }
    const Settings &settings() const { return m_settings; }
    // Digital inputs 3 and 4 (bit 0, bit 1); inputs 1 and 2 follow relay outputs 1 and 2.
    void setExtraInputs(quint8 bits) { m_extraInputs = bits & 0x3; }

    static QByteArray errorReply(QByteArrayView command);

private:
    void factoryDefaults();
    QByteArray handleSimple(QByteArrayView command);
    QByteArray handleId(QByteArrayView command);
    QByteArray handleRelay(QByteArrayView command);
    QByteArray handleRelayTime(QByteArrayView command);
    QByteArray handleTagCommand(QByteArrayView command, qint64 nowMs);
    QByteArray handlePoll(qint64 nowMs);
    // The 23-character acknowledgement payload for an over-the-air command, or empty when the tag
    // does not answer it.
    QByteArray airAnswer(const AirQueue::Item &item);

    TagPopulation *m_tags;
    ReportGenerator *m_generator;
    Settings m_settings;
    AirQueue m_air;
    int m_mode = 3;
    int m_port = 0;
    QByteArray m_id;
    int m_baudIndex = 10;
    int m_rssiLevel = 0;
    int m_gain = 0xC7;
    bool m_relay1 = false;
    bool m_relay2 = false;
    int m_relayOnTime = 10;
    bool m_relayOnMode = false;
    bool m_tamper = false;
    quint8 m_extraInputs = 0;
    int m_pollCredit = 0;
};
