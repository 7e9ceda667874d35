// Round-trip time of one "V" exchange with a reader, on a pty and on loopback TCP, against the
// simulated reader in this process: from the start of the exchange (the frame goes out) to the
// completed reply frame, over N exchanges on one open link. Prints the median and the 99th
// percentile. Then the longest stall of the event loop while a silent reader is retried 25 times
// (RunReaderCommand, waits scaled down 5x) with report lines flooding the TCP link.
//
//   reader_rtt_bench [--count N]
#include "base/TonePlayer.h"
#include "i18n/ReaderCommandText.h"
#include "readercfg/ConfigLink.h"
#include "readercfg/ConfigLinkFactory.h"
#include "readercfg/RunReaderCommand.h"
#include "readercfg/TransceiveCommand.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/ReportPacer.h"
#include "sim/TagPopulation.h"
#include "sim/TcpServerTransport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Runs the event loop until `object` says `signal` (bench only; the program itself never nests).
template <typename Object, typename Signal> void waitFor(Object *object, Signal signal)
{
    QEventLoop loop;
    QObject::connect(object, signal, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures
{
    double medianUs = 0;
    double p99Us = 0;
    int failures = 0;
};

Figures measure(ConfigLink &link, int count)
{
    Timing timing;
    timing.configSettleMs = 0; // the settle and gap pauses are not part of the round trip
    timing.configGapMs = 0;
    TransceiveCommand exchange(&link, timing);
    QElapsedTimer clock;
    std::vector<double> samples;
    samples.reserve(size_t(count));
    QObject::connect(&exchange, &TransceiveCommand::replyReceived,
                     [&] { samples.push_back(double(clock.nsecsElapsed()) / 1000.0); });
    Figures f;
    for (int i = 0; i < count; ++i) {
        clock.start();
        exchange.start("V");
        waitFor(&exchange, &TransceiveCommand::finished);
    }
    f.failures = count - int(samples.size());
    if (samples.empty())
        return f;
    std::sort(samples.begin(), samples.end());
    f.medianUs = samples[samples.size() / 2];
    f.p99Us = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
    return f;
}

void report(const char *wire, const Figures &f, int count)
{
    std::printf("%-14s \"V\" round trip over %d exchanges: median %.0f us, p99 %.0f us (%d without reply)\n",
                wire, count, f.medianUs, f.p99Us, f.failures);
}

std::unique_ptr<ReaderChannel> startReader(TagPopulation &tags, std::unique_ptr<SimTransport> transport,
                                           ReaderChannel::Settings s = {})
{
    auto reader = std::make_unique<ReaderChannel>(&tags, std::move(transport), s);
    return reader->open() ? std::move(reader) : nullptr;
}

bool benchPty(TagPopulation &tags, int count)
{
    ReaderChannel::Settings s;
    s.reader.portKind = SimReader::PortKind::Serial;
    s.reader.startMode = 0; // no report lines: only the exchange
    auto reader = startReader(tags, std::make_unique<PtyTransport>(), s);
    if (!reader)
        return false;
    ConfigLinkRequest request;
    request.comDevice = reader->transport().endpoint();
    auto link = ConfigLinkFactory::create(request);
    if (!link->open())
        return false;
    report("pty", measure(*link, count), count);
    return true;
}

bool benchTcp(TagPopulation &tags, int count)
{
    ReaderChannel::Settings s;
    s.reader.startMode = 0;
    auto reader = startReader(tags, std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0), s);
    if (!reader)
        return false;
    ConfigLinkRequest request;
    request.kind = LinkKind::TcpToReaders;
    request.tcpServerHost = QStringLiteral("127.0.0.1");
    request.tcpServerPort = reader->transport().localPort();
    auto link = ConfigLinkFactory::create(request);
    link->open();
    waitFor(link.get(), &ConfigLink::opened);
    report("loopback TCP", measure(*link, count), count);
    return true;
}

// The longest gap between ticks of a 1 ms timer while a silent reader floods report lines and a
// command is retried 25 times.
bool benchStall(TagPopulation &tags)
{
    ReaderChannel::Settings s;
    s.dropReplies = 1.0;
    auto reader = startReader(tags, std::make_unique<TcpServerTransport>(QHostAddress::LocalHost, 0), s);
    if (!reader)
        return false;
    ReportPacer pacer(20000);
    pacer.addChannel(reader.get());
    pacer.start();
    ConfigLinkRequest request;
    request.kind = LinkKind::TcpToReaders;
    request.tcpServerHost = QStringLiteral("127.0.0.1");
    request.tcpServerPort = reader->transport().localPort();
    SilentTonePlayer tones;
    RunReaderCommand executor(tones);
    executor.setTiming(Timing().scaled(5));
    executor.setRequest(request);
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] { longest = std::max(longest, sinceTick.restart()); });
    sinceTick.start();
    ticker.start(1);
    QElapsedTimer total;
    total.start();
    RunReaderCommand::Result result;
    QObject::connect(&executor, &RunReaderCommand::finished,
                     [&](const RunReaderCommand::Result &r) { result = r; });
    executor.start("V");
    waitFor(&executor, &RunReaderCommand::finished);
    std::printf("silent reader, 20000 report lines/s on the link: %d transmissions in %lld ms, \"%s\", "
                "longest event-loop stall %lld ms, %llu lines sent\n",
                result.transmissions, total.elapsed(),
                qPrintable(ReaderCommandText::message(result.message, Language::English)), longest,
                static_cast<unsigned long long>(reader->linesSent()));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int count = 1000;
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--count"));
    if (at > 0 && at + 1 < args.size())
        count = std::max(1, args[at + 1].toInt());
    TagPopulation tags(20, 1);
    if (!benchPty(tags, count) || !benchTcp(tags, count) || !benchStall(tags)) {
        std::fprintf(stderr, "reader_rtt_bench: a simulated reader or link could not be opened\n");
        return 1;
    }
    return 0;
}
