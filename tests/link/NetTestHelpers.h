#pragma once

// Pieces shared by the network link tests: command frames as readers receive them, report lines,
// a peer socket that collects what it is sent, and a reading session wired to the decoder.

#include "FastTiming.h"
#include "link/CommandFrame.h"
#include "link/ReadingSource.h"
#include "reading/ReadingSession.h"
#include "reading/ReportDecoder.h"

#include <QAbstractSocket>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <memory>

namespace nettest {

// Pointer arguments of link signals, for QSignalSpy.
inline void registerSignalTypes()
{
    qRegisterMetaType<ReadingSource *>();
    qRegisterMetaType<QAbstractSocket *>();
}

inline QByteArray frame(const char *command)
{
    return CommandFrame::buildCommandFrame(command);
}

// What a reader hears once connected: "M1" and "A3", ten times each, alternately.
inline QByteArray greeting()
{
    QByteArray g;
    for (int i = 0; i < 10; ++i)
        g += frame("M1") + frame("A3");
    return g;
}

inline QByteArray repeated(const char *command, int times)
{
    QByteArray out;
    for (int i = 0; i < times; ++i)
        out += frame(command);
    return out;
}

// A standard report line whose UID carries the reader and a sequence number.
inline QByteArray reportLine(int reader, int seq)
{
    const QByteArray uid = QByteArray::number(reader, 16).rightJustified(8, '0') +
                           QByteArray::number(seq, 16).rightJustified(8, '0');
    return uid.toUpper() + "50A3FF\r";
}

inline QString uidOf(int reader, int seq)
{
    return QString::fromLatin1(reportLine(reader, seq).left(16));
}

// Report lines 0..count-1 of one reader, back to back.
inline QByteArray manyLines(int reader, int count)
{
    QByteArray lines;
    lines.reserve(qsizetype(count) * reportLine(reader, 0).size());
    for (int seq = 0; seq < count; ++seq)
        lines += reportLine(reader, seq);
    return lines;
}

// The far end of one connection or UDP endpoint, as a reader sees it.
struct Peer
{
    QPointer<QAbstractSocket> socket;
    QByteArray received;
    bool disconnected = false;
};

// Collects what the socket receives, and whether it was disconnected. The record lives as long as
// the socket or the test holds it, whichever is longer.
inline std::shared_ptr<Peer> watch(QAbstractSocket *socket)
{
    auto peer = std::make_shared<Peer>();
    peer->socket = socket;
    QObject::connect(socket, &QAbstractSocket::readyRead, socket,
                     [socket, peer] { peer->received += socket->readAll(); });
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, [peer] { peer->disconnected = true; });
    return peer;
}

struct Decoded
{
    QString uid;
    QString label;
};

// A reading session with the report decoder behind it; keeps every report and message it gives.
struct ReadingHarness
{
    ReadingSession session;
    ReportDecoder decoder;
    QList<Decoded> reports;
    QStringList problems;
    QStringList logLines;

    ReadingHarness()
    {
        session.setTiming(fastTiming());
        QObject::connect(&session, &ReadingSession::frameReady, &decoder, &ReportDecoder::decodeReport);
        QObject::connect(&decoder, &ReportDecoder::reportDecoded, &session,
                         [this](const TTagReport &r, const QString &label) {
                             reports.append({r.uid, label});
                         });
        QObject::connect(&session, &ReadingSession::problem, &session,
                         [this](const Problem &p) { problems.append(p.englishText()); });
        QObject::connect(&session, &ReadingSession::logLine, &session,
                         [this](const QString &l) { logLines.append(l); });
    }

    int countFrom(const QString &label) const
    {
        int n = 0;
        for (const Decoded &d : reports)
            n += d.label == label;
        return n;
    }
    bool has(const QString &uid, const QString &label) const
    {
        for (const Decoded &d : reports)
            if (d.uid == uid && d.label == label)
                return true;
        return false;
    }
};

// Every line of manyLines(reader, count) was decoded under `label`, once each and in order.
inline bool readAllInOrder(const ReadingHarness &h, const QString &label, int reader, int count)
{
    int seq = 0;
    for (const Decoded &d : h.reports) {
        if (d.label != label)
            continue;
        if (seq >= count || d.uid != uidOf(reader, seq))
            return false;
        ++seq;
    }
    return seq == count;
}

} // namespace nettest
