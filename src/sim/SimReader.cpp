#include "sim/SimReader.h"

#include "sim/ReportGenerator.h"
#include "sim/SimFrame.h"
#include "sim/TagPopulation.h"

#include <algorithm>

namespace {

constexpr char kVersion[] = "1.00-SIM";

bool isUpperHex(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

// The digit of a one-character parameter in 0..maxValue, or -1.
int digitParam(QByteArrayView command, int maxValue)
{
    if (command.size() != 2)
        return -1;
    const char c = command[1];
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v <= maxValue ? v : -1;
}

} // namespace

SimReader::SimReader(TagPopulation *tags, ReportGenerator *generator, const Settings &settings)
    : m_tags(tags), m_generator(generator), m_settings(settings)
{
    factoryDefaults();
    m_mode = std::clamp(settings.startMode, 0, 4);
}

void SimReader::factoryDefaults()
{
    m_mode = 3;
    m_port = 0;
    m_id = "0001";
    m_baudIndex = 10;
    m_rssiLevel = 0;
    m_gain = 0xC7;
    m_relay1 = m_relay2 = false;
    m_relayOnTime = 10;
    m_relayOnMode = false;
}

QByteArray SimReader::errorReply(QByteArrayView command)
{
    QByteArray reply(1, !command.isEmpty() && command[0] == '?' ? '!' : '?');
    reply.append(command.first(std::min<qsizetype>(command.size(), 32)));
    return reply;
}

bool SimReader::sendsReports() const
{
    if (m_mode != 3)
        return false;
    if (m_port == 0)
        return true;
    return m_settings.portKind == PortKind::Network ? m_port == 1 : m_port == 2;
}

void SimReader::addPollCredit(int reports)
{
    m_pollCredit = std::min(kPollCreditLimit, m_pollCredit + std::max(0, reports));
}

void SimReader::noteTamperLines(int lines)
{
    if (lines > 0)
        m_tamper = true;
}

QByteArray SimReader::handleCommand(QByteArrayView command, qint64 nowMs)
{
    if (command.isEmpty())
        return errorReply(command);
    switch (command[0]) {
    case 'T':
        return handleId(command);
    case 'L':
        return handleRelay(command);
    case 'R':
        return handleRelayTime(command);
    case 'E':
        return handleTagCommand(command, nowMs);
    case 'C':
        return command.size() == 1 ? handlePoll(nowMs) : errorReply(command);
    default:
        return handleSimple(command);
    }
}

QByteArray SimReader::handleSimple(QByteArrayView command)
{
    const QByteArray echo = command.toByteArray();
    switch (command[0]) {
    case 'A': {
        const int mode = digitParam(command, 4);
        if (mode < 0)
            break;
        m_mode = mode;
        return echo;
    }
    case 'M': {
        const int port = digitParam(command, 3);
        if (port < 0)
            break;
        m_port = port;
        return echo;
    }
    case 'Y': {
        const int baud = digitParam(command, 11);
        if (baud < 0)
            break;
        m_baudIndex = baud;
        return echo;
    }
    case 'N':
        if (command.size() != 3 || !isUpperHex(command.sliced(1)))
            break;
        m_rssiLevel = *SimFrame::parseHexByte(command.sliced(1));
        return echo;
    case 'W':
        // "W" + register address (4 hex digits) + value; the gain lives at 1C01.
        if (command.size() != 7 || !isUpperHex(command.sliced(1)))
            break;
        if (command.sliced(1, 4) == QByteArrayView("1C01"))
            m_gain = *SimFrame::parseHexByte(command.sliced(5));
        return echo;
    case 'B':
        if (command == QByteArrayView("BT")) {
            m_tamper = false;
            return echo;
        }
        if (command == QByteArrayView("BR")) {
            m_air.clear();
            m_pollCredit = 0;
            m_relay1 = m_relay2 = false;
            return echo;
        }
        break;
    case 'X':
        if (command != QByteArrayView("X5A"))
            break;
        factoryDefaults();
        return echo;
    case 'V':
        if (command.size() != 1)
            break;
        return QByteArray("V") + kVersion;
    case 'S':
        if (command.size() != 1)
            break;
        return "S" + QByteArray::number(20260000 + m_settings.readerNumber % 10000);
    default:
        break;
    }
    return errorReply(command);
}

QByteArray SimReader::handleId(QByteArrayView command)
{
    if (command.size() == 1)
        return "T" + m_id;
    const QByteArrayView id = command.sliced(1);
    const bool plain = std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
    if (id.size() > 4 || !plain)
        return errorReply(command);
    m_id = id.toByteArray().rightJustified(4, '0');
    return "T" + m_id;
}

QByteArray SimReader::handleRelay(QByteArrayView command)
{
    // "L0" + output (1, 2) + state (0 off, 1 on).
    if (command.size() != 4 || command[1] != '0' || (command[2] != '1' && command[2] != '2') ||
        (command[3] != '0' && command[3] != '1'))
        return errorReply(command);
    (command[2] == '1' ? m_relay1 : m_relay2) = command[3] == '1';
    // Positions in the whole frame (STX = 1): the four digital inputs stand at 19-22, so 17 payload
    // characters come before them; the frame is 37 bytes long.
    QByteArray reply = command.toByteArray();
    reply += " DO=";
    reply += m_relay1 ? '1' : '0';
    reply += m_relay2 ? '1' : '0';
    reply += " DI1-4=";
    reply += m_relay1 ? '1' : '0';
    reply += m_relay2 ? '1' : '0';
    reply += (m_extraInputs & 1) ? '1' : '0';
    reply += (m_extraInputs & 2) ? '1' : '0';
    reply += " RELAY READY";
    return reply;
}

QByteArray SimReader::handleRelayTime(QByteArrayView command)
{
    if (command.size() != 7 || !isUpperHex(command.sliced(1)))
        return errorReply(command);
    if (command.startsWith("R02")) {
        m_relayOnTime = command.sliced(3).toByteArray().toInt(nullptr, 16);
        return command.toByteArray();
    }
    if (command == QByteArrayView("R010001") || command == QByteArrayView("R010000")) {
        m_relayOnMode = command[6] == '1';
        return command.toByteArray();
    }
    return errorReply(command);
}

QByteArray SimReader::handleTagCommand(QByteArrayView command, qint64 nowMs)
{
    // "E" + UID (16) + tag command (5).
    if (command.size() != 22)
        return errorReply(command);
    AirQueue::Item item{command.sliced(1, 16).toByteArray(), command.sliced(17).toByteArray(),
                        nowMs + std::max(0, m_settings.airDelayMs)};
    if (!m_air.push(std::move(item)))
        return errorReply(command);
    return command.toByteArray();
}

QByteArray SimReader::airAnswer(const AirQueue::Item &item)
{
    SimTag *tag = m_tags ? m_tags->find(item.uid) : nullptr;
    if (m_settings.noAck || !tag || m_settings.silentUids.contains(item.uid))
        return {};
    const char letter = item.command[0];
    const auto reg = SimFrame::parseHexByte(QByteArrayView(item.command).sliced(1, 2));
    const auto value = SimFrame::parseHexByte(QByteArrayView(item.command).sliced(3, 2));
    if (!reg || !value)
        return {};
    quint8 answered = *value;
    if (letter == 'w')
        tag->registers[*reg] = *value;
    else if (letter == 'r')
        answered = tag->registers[*reg];
    else if (letter != 'X')
        return {}; // beep and LED actions are carried out without an acknowledgement
    QByteArray ack;
    ack.reserve(22);
    ack += 'R';
    ack += item.uid;
    ack += letter;
    ack += SimFrame::hexByte(*reg);
    ack += SimFrame::hexByte(answered);
    return ack;
}

QByteArray SimReader::handlePoll(qint64 nowMs)
{
    while (auto item = m_air.takeDue(nowMs)) {
        const QByteArray ack = airAnswer(*item);
        if (!ack.isEmpty())
            return "C" + ack;
    }
    if (m_pollCredit > 0 && m_generator) {
        const QByteArray fields = m_generator->nextFields();
        if (!fields.isEmpty()) {
            --m_pollCredit;
            return "C" + fields;
        }
    }
    return "CI" + QByteArray(16, '0');
}
