// network_bench: many readers pushing report lines over loopback TCP into a headless reading session
// (listener links, round-robin session, report decoder), compared with a raw sink that only reads
// the same kind of connections and counts line ends. Prints reports/s, the ratio to the raw line
// rate, lines lost (per-reader sequence numbers in the UIDs), the spread of per-reader rates, and the
// CPU an idle session uses with 500 connected, silent readers.
//
// The readers are `talvo-sim --tcp-client` when it is built next to this program, otherwise a
// built-in peer process (this program with --peer) that behaves the same way for this purpose:
// sequence UIDs (reader number in 4 digits, running line number in 12), reports from the start,
// silent after "A0".
//
//   network_bench [--readers 100,500] [--seconds 5] [--idle-readers 500] [--peer-kind sim|builtin]
//                 [--sim PATH-TO-talvo-sim] [--sim-rate LINES-PER-SECOND] [--sequence-uids]
//
// The simulated readers send their tag population's UIDs, as readers do; --sequence-uids makes every
// UID unique instead (reader and line number) so that each reader's sequence is checked too. Lost
// lines are always counted: what the readers say they sent against what was decoded.

#include "BenchSupport.h"
#include "link/CommandFrame.h"
#include "link/TcpListenerReadingLinks.h"
#include "reading/ReadingSession.h"
#include "reading/ReportDecoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr quint32 kFirstReaderAddress = 0x7F280001; // 127.40.0.1

// Runs the event loop for `ms` with no wake-ups of its own (an idle measurement must not poll).
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Seconds a thread has run on a CPU and has waited, runnable, for one (the machine's load), from the
// scheduler's statistics ("/proc/thread-self/schedstat", or "/proc/PID/schedstat" for another process).
struct SchedTimes
{
    double run = 0;
    double wait = 0;
};

SchedTimes schedTimes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = f.readAll().split(' ');
    if (fields.size() < 2)
        return {};
    return {fields[0].toDouble() / 1e9, fields[1].toDouble() / 1e9};
}

double runQueueWaitSeconds()
{
    return schedTimes(QStringLiteral("/proc/thread-self/schedstat")).wait;
}

// ---------------------------------------------------------------------------------------------
// Built-in peer: N readers connecting from 127.40.x.y, pushing sequence-numbered lines as fast as
// TCP takes them, silent after "A0". Exits when every connection is gone and says how many lines it
// sent, as the simulator does.

struct PeerReader
{
    QTcpSocket *socket = nullptr;
    int number = 0;
    quint64 seq = 0;
    bool stopped = false;
    bool gone = false;
};

int runPeer(const QStringList &args)
{
    const quint16 port = quint16(args.value(args.indexOf("--port") + 1).toUInt());
    const int count = args.value(args.indexOf("--readers") + 1).toInt();
    const bool silent = args.contains("--silent");
    const QByteArray stop = CommandFrame::buildCommandFrame("A0");
    std::vector<PeerReader> readers(size_t(std::max(count, 0)));
    quint64 sent = 0;
    int open = count;
    auto gone = [&open](PeerReader &r) {
        if (!r.gone && (r.gone = true) && --open == 0)
            QCoreApplication::quit();
    };
    for (int i = 0; i < count; ++i) {
        PeerReader &r = readers[size_t(i)];
        r.number = i + 1;
        r.stopped = silent;
        r.socket = new QTcpSocket(qApp);
        r.socket->bind(QHostAddress(kFirstReaderAddress + quint32(i)), 0);
        auto push = [&r, &sent] {
            if (r.stopped || r.socket->bytesToWrite() > 64 * 1024)
                return;
            char batch[256 * 23 + 1];
            for (int n = 0; n < 256; ++n)
                std::snprintf(batch + n * 23, 24, "%04d%012llu50A3FF\r", r.number, ++r.seq);
            r.socket->write(batch, 256 * 23);
            sent += 256;
        };
        QObject::connect(r.socket, &QTcpSocket::connected, r.socket, push);
        QObject::connect(r.socket, &QTcpSocket::bytesWritten, r.socket, push);
        QObject::connect(r.socket, &QTcpSocket::readyRead, r.socket, [&r, stop] {
            if (r.socket->readAll().contains(stop))
                r.stopped = true;
        });
        QObject::connect(r.socket, &QTcpSocket::disconnected, r.socket, [&r, gone] { gone(r); });
        QObject::connect(r.socket, &QTcpSocket::errorOccurred, r.socket, [&r, gone] {
            if (r.socket->state() == QAbstractSocket::UnconnectedState)
                gone(r);
        });
        r.socket->connectToHost(QHostAddress::LocalHost, port);
    }
    const int rc = QCoreApplication::exec();
    std::fprintf(stderr, "network_bench peer: stopped, %llu lines sent, 0 dropped\n",
                 static_cast<unsigned long long>(sent));
    return rc;
}

// ---------------------------------------------------------------------------------------------
// Peer processes seen from the bench.

struct PeerProgram
{
    QString simPath;           // empty: built-in peer
    QString simRate;           // lines per second, all simulated readers together
    bool sequenceUids = false; // every line's UID unique: reader number and running line number

    std::unique_ptr<QProcess> start(quint16 port, int readers, bool silent) const
    {
        auto p = std::make_unique<QProcess>();
        p->setStandardOutputFile(QProcess::nullDevice());
        if (simPath.isEmpty()) {
            QStringList a{"--peer", "--port", QString::number(port), "--readers", QString::number(readers)};
            if (silent)
                a << "--silent";
            p->start(QCoreApplication::applicationFilePath(), a);
        } else {
            QStringList a{"--tcp-client",   "127.0.0.1:" + QString::number(port),
                          "--readers",      QString::number(readers),
                          "--bind",         "127.40.0.1",
                          "--rate",         silent ? QStringLiteral("0") : simRate,
                          "--reconnect-ms", "600000"};
            if (sequenceUids)
                a << "--sequence-uids";
            p->start(simPath, a);
        }
        p->waitForStarted(5000);
        return p;
    }
};

struct PeerTally
{
    quint64 sent = 0;
    quint64 dropped = 0; // lines the readers made but could not send (their own backlog was full)
    bool known = false;
};

// Ends the peer process (the built-in peer ends by itself once its connections are closed) and
// reads its closing line "..., N lines sent, M dropped".
PeerTally endPeer(QProcess &p, bool endsByItself)
{
    if (!endsByItself || !p.waitForFinished(3000)) {
        p.terminate();
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(5000);
        }
    }
    PeerTally t;
    const QRegularExpression tally(QStringLiteral("(\\d+) lines sent, (\\d+) dropped"));
    const auto m = tally.match(QString::fromLocal8Bit(p.readAllStandardError()));
    if (m.hasMatch()) {
        t.sent = m.captured(1).toULongLong();
        t.dropped = m.captured(2).toULongLong();
        t.known = true;
    }
    return t;
}

// Reader number and line number from a sequence UID (decimal digits, read without copies).
bool readSequenceUid(const QString &uid, int *reader, quint64 *seq)
{
    if (uid.size() != 16)
        return false;
    const QChar *c = uid.constData();
    quint64 v = 0;
    for (int i = 0; i < 16; ++i) {
        const int d = c[i].unicode() - '0';
        if (d < 0 || d > 9)
            return false;
        v = v * 10 + quint64(d);
        if (i == 3) {
            *reader = int(v);
            v = 0;
        }
    }
    *seq = v;
    return *reader > 0;
}

struct Spread
{
    double min = 0, max = 0;
};

Spread spreadOf(const std::vector<quint64> &counts)
{
    if (counts.empty())
        return {};
    const auto [lo, hi] = std::minmax_element(counts.begin(), counts.end());
    return {double(*lo), double(*hi)};
}

// ---------------------------------------------------------------------------------------------
// Raw sink: accepts the readers and counts line ends, nothing else.

struct RawResult
{
    double linesPerSecond = 0;
    Spread perReader;
};

RawResult runRawSink(const PeerProgram &peers, int readers, int seconds)
{
    QTcpServer server;
    server.setListenBacklogSize(1024);
    server.setMaxPendingConnections(1024);
    server.listen(QHostAddress::LocalHost, 0);
    std::vector<quint64> lines;
    std::vector<QTcpSocket *> sockets;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket *s = server.nextPendingConnection()) {
            const size_t index = lines.size();
            lines.push_back(0);
            sockets.push_back(s);
            // Readers report on the network only once told so, as the session's greeting does.
            s->write(CommandFrame::buildCommandFrame("M1") + CommandFrame::buildCommandFrame("A3"));
            QObject::connect(s, &QTcpSocket::readyRead, s, [s, index, &lines] {
                char buf[65536];
                qint64 n;
                while ((n = s->read(buf, sizeof buf)) > 0)
                    lines[index] += quint64(std::count(buf, buf + n, '\r'));
            });
        }
    });
    auto proc = peers.start(server.serverPort(), readers, false);
    runUntil([&] { return int(sockets.size()) >= readers; }, 30000);
    runFor(500); // every reader under way
    const std::vector<quint64> before = lines;
    QElapsedTimer t;
    t.start();
    runFor(seconds * 1000);
    const double elapsed = double(t.nsecsElapsed()) / 1e9;
    std::vector<quint64> window(lines.size());
    quint64 total = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        window[i] = lines[i] - before[i];
        total += window[i];
    }
    for (QTcpSocket *s : sockets)
        s->abort();
    endPeer(*proc, peers.simPath.isEmpty());
    return {double(total) / elapsed, spreadOf(window)};
}

// ---------------------------------------------------------------------------------------------
// The headless session: listener links, round-robin session, decoder.

struct SessionResult
{
    double reportsPerSecond = 0;
    Spread perReader;
    quint64 decoded = 0;
    quint64 gaps = 0;       // lines missing inside a reader's sequence
    quint64 duplicates = 0; // lines seen twice or out of order
    quint64 dropped = 0;    // lines the session's cutter dropped
    PeerTally peer;         // what the readers say they sent
    double cpuShare = 0;    // of one core, for the bench process during the window
    double waitShare = 0;   // of the window, runnable but waiting for a CPU
    SchedTimes readers;     // the readers' process during the window, shares of the window
    int connected = 0;
};

SessionResult runSession(const PeerProgram &peers, int readers, int seconds)
{
    TcpListenerReadingLinks links;
    links.setListenAddress(QHostAddress::LocalHost);
    links.setListenPortText("0");
    ReadingSession session;
    ReportDecoder decoder;
    std::map<int, quint64> lastSeq;
    QHash<QString, quint64> count; // by reader address
    SessionResult r;
    const bool checkSequences = peers.sequenceUids || peers.simPath.isEmpty();
    QObject::connect(&session, &ReadingSession::frameReady, &decoder, &ReportDecoder::decodeReport);
    QObject::connect(&decoder, &ReportDecoder::reportDecoded, &decoder,
                     [&](const TTagReport &rep, const QString &label) {
                         ++r.decoded;
                         ++count[label];
                         int reader = 0;
                         quint64 seq = 0;
                         if (!checkSequences || !readSequenceUid(rep.uid, &reader, &seq))
                             return;
                         quint64 &last = lastSeq[reader];
                         if (seq <= last)
                             ++r.duplicates;
                         else
                             r.gaps += seq - last - 1;
                         last = std::max(last, seq);
                     });
    session.start(&links);
    auto proc = peers.start(links.serverPort(), readers, false);
    runUntil([&] { return links.connectionCount() >= readers; }, 30000);
    r.connected = links.connectionCount();
    runFor(500);
    const auto before = count;
    const quint64 decodedBefore = r.decoded;
    const double cpuBefore = cpuSeconds();
    const double waitBefore = runQueueWaitSeconds();
    const QString peerStat = QStringLiteral("/proc/%1/schedstat").arg(proc->processId());
    const SchedTimes peerBefore = schedTimes(peerStat);
    QElapsedTimer t;
    t.start();
    runFor(seconds * 1000);
    const double elapsed = double(t.nsecsElapsed()) / 1e9;
    r.cpuShare = (cpuSeconds() - cpuBefore) / elapsed;
    r.waitShare = (runQueueWaitSeconds() - waitBefore) / elapsed;
    const SchedTimes peerAfter = schedTimes(peerStat);
    r.readers = {(peerAfter.run - peerBefore.run) / elapsed, (peerAfter.wait - peerBefore.wait) / elapsed};
    r.reportsPerSecond = double(r.decoded - decodedBefore) / elapsed;
    std::vector<quint64> window;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        window.push_back(it.value() - before.value(it.key()));
    while (int(window.size()) < readers)
        window.push_back(0);
    r.perReader = spreadOf(window);
    // The readers are told to stop first and every line in flight is read before the links close,
    // so that what the readers sent can be held against what was decoded.
    links.broadcastCommand("A0");
    QElapsedTimer quiet;
    quiet.start();
    quint64 seen = r.decoded;
    runUntil(
        [&] {
            if (r.decoded != seen) {
                seen = r.decoded;
                quiet.restart();
            }
            return quiet.elapsed() > 1000;
        },
        60000);
    session.stop();
    runUntil([&] { return session.state() == ReadingSession::State::Idle; }, 30000);
    r.dropped = session.droppedLines();
    r.peer = endPeer(*proc, peers.simPath.isEmpty());
    return r;
}

double runIdle(const PeerProgram &peers, int readers, int seconds, int *connected)
{
    TcpListenerReadingLinks links;
    links.setListenAddress(QHostAddress::LocalHost);
    links.setListenPortText("0");
    ReadingSession session;
    session.start(&links);
    auto proc = peers.start(links.serverPort(), readers, true);
    runUntil([&] { return links.connectionCount() >= readers; }, 30000);
    *connected = links.connectionCount();
    runFor(1000); // greetings over
    const double cpuBefore = cpuSeconds();
    QElapsedTimer t;
    t.start();
    runFor(seconds * 1000);
    const double share = (cpuSeconds() - cpuBefore) / (double(t.nsecsElapsed()) / 1e9);
    session.stop();
    runUntil([&] { return session.state() == ReadingSession::State::Idle; }, 30000);
    endPeer(*proc, peers.simPath.isEmpty());
    return share;
}

void printResult(int readers, int seconds, const RawResult &raw, const SessionResult &s)
{
    using ull = unsigned long long;
    std::printf("\n%d readers (%d connected to the session)\n", readers, s.connected);
    std::printf("  raw sink        %10.0f lines/s   per reader min %.0f max %.0f\n", raw.linesPerSecond,
                raw.perReader.min / seconds, raw.perReader.max / seconds);
    std::printf("  session         %10.0f reports/s ratio to raw %.2f (target >= 0.5)\n", s.reportsPerSecond,
                raw.linesPerSecond > 0 ? s.reportsPerSecond / raw.linesPerSecond : 0.0);
    if (s.peer.known)
        std::printf("  lost lines      %lld (readers sent %llu, decoded %llu; target 0)\n",
                    static_cast<long long>(s.peer.sent) - static_cast<long long>(s.decoded), ull(s.peer.sent),
                    ull(s.decoded));
    else
        std::printf("  lost lines      unknown: the readers did not say what they sent\n");
    std::printf(
        "  sequence check  %llu missing, %llu repeated, %llu cut as too long; the readers dropped %llu "
        "lines themselves (own backlog full)\n",
        ull(s.gaps), ull(s.duplicates), ull(s.dropped), ull(s.peer.dropped));
    std::printf("  fairness        per reader min %.0f max %.0f reports/s, min/max %.2f (target >= 0.5)\n",
                s.perReader.min / seconds, s.perReader.max / seconds,
                s.perReader.max > 0 ? s.perReader.min / s.perReader.max : 0.0);
    std::printf("  session CPU     %.0f%% of one core, %.0f%% of the time waiting for a CPU (machine load)\n",
                s.cpuShare * 100, s.waitShare * 100);
    std::printf("  readers' process %.0f%% of one core, %.0f%% of the time waiting for a CPU\n",
                s.readers.run * 100, s.readers.wait * 100);
    std::printf("  cost            %.2f us CPU per report\n",
                s.reportsPerSecond > 0 ? s.cpuShare / s.reportsPerSecond * 1e6 : 0.0);
}

QString findSim()
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString &p :
         {dir + "/../src/sim/talvo-sim", qEnvironmentVariable("TALVO_BIN_DIR") + "/sim/talvo-sim"})
        if (QFileInfo(p).isExecutable())
            return QFileInfo(p).canonicalFilePath();
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains("--peer"))
        return runPeer(args);

    auto option = [&args](const char *name, const QString &fallback) {
        const int i = args.indexOf(name);
        return i > 0 && i + 1 < args.size() ? args[i + 1] : fallback;
    };
    const int seconds = option("--seconds", "5").toInt();
    const int idleReaders = option("--idle-readers", "500").toInt();
    PeerProgram peers;
    if (option("--peer-kind", "sim") == "sim")
        peers.simPath = option("--sim", findSim());
    peers.simRate = option("--sim-rate", "4000000");
    peers.sequenceUids = args.contains("--sequence-uids");
    std::printf("network_bench: readers from %s, %d s windows, loopback TCP into the listener links\n",
                peers.simPath.isEmpty() ? "the built-in peer" : qPrintable(peers.simPath), seconds);

    for (const QString &n : option("--readers", "100,500").split(',')) {
        const int readers = n.toInt();
        const RawResult raw = runRawSink(peers, readers, seconds);
        const SessionResult s = runSession(peers, readers, seconds);
        printResult(readers, seconds, raw, s);
        std::fflush(stdout);
    }
    int connected = 0;
    const double idle = runIdle(peers, idleReaders, seconds, &connected);
    std::printf("\nidle session, %d silent readers connected: CPU %.2f%% of one core\n", connected,
                idle * 100);
    return 0;
}
