// The tag command sequence against the simulated reader on a pseudo-terminal, at real protocol
// times: how long a full "Set TAG Active Time" takes at the reader's air delay, and, for a tag that
// never answers, the whole 30-second window: the event loop's longest stall (a 1 ms timer measures
// it) and the CPU the process used (host and in-process simulated reader together).
//
//   ./build/bench/tag_bench [runs=5] [air-delay-ms=200] [window-seconds=30]

#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "i18n/TagFlowText.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/TagPopulation.h"
#include "tagcfg/SendTagCommand.h"
#include "tagcfg/TagButtons.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The longest gap between two turns of the event loop, measured with a 1 ms timer.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 gap = m_clock.restart();
            if (gap > 16 && qEnvironmentVariableIsSet("TAG_BENCH_TRACE"))
                std::fprintf(stderr, "stall %lld ms at %lld ms\n", static_cast<long long>(gap),
                             static_cast<long long>(m_total.elapsed()));
            m_longest = qMax(m_longest, gap);
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_total.start();
        m_timer.start();
    }
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    QElapsedTimer m_total;
    qint64 m_longest = 0;
};

struct Bench
{
    TagPopulation tags{20, 1};
    std::unique_ptr<ReaderChannel> sim;
    SilentTonePlayer tones;
    SystemClock clock;
    SendTagCommand flow{tones, clock};

    bool open(int airDelayMs, bool noAck)
    {
        ReaderChannel::Settings s;
        s.reader.portKind = SimReader::PortKind::Serial;
        s.reader.airDelayMs = airDelayMs;
        s.reader.noAck = noAck;
        sim = std::make_unique<ReaderChannel>(&tags, std::make_unique<PtyTransport>(), s);
        if (!sim->open())
            return false;
        ConfigLinkRequest request;
        request.comDevice = sim->transport().endpoint();
        flow.setRequest(request);
        return true;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const int airDelayMs = argc > 2 ? std::atoi(argv[2]) : 200;
    const int windowSeconds = argc > 3 ? std::atoi(argv[3]) : 30;
    qRegisterMetaType<SendTagCommand::Result>();

    Bench timed;
    if (!timed.open(airDelayMs, false))
        return 1;
    const TagValueMap values{{TagValue::ActiveInterval, 10}, {TagValue::ActiveCount, 1}};
    const QString uid = QString::fromLatin1(timed.tags.tag(0).uid);
    QElapsedTimer run;
    QList<qint64> times;
    int commands = 0;
    QObject::connect(&timed.flow, &SendTagCommand::finished, &app, [&](const SendTagCommand::Result &r) {
        times.append(run.elapsed());
        commands = int(r.sent.size());
        if (!r.ok())
            std::printf("run %lld failed: %s\n", static_cast<long long>(times.size()),
                        qPrintable(TagFlowText::message(r.message, Language::English)));
        if (times.size() < runs) {
            run.start();
            QTimer::singleShot(0, &app, [&] {
                timed.flow.start(TagButtons::get(TagButton::Id::SetActiveTime), uid, true, values);
            });
            return;
        }
        qint64 total = 0;
        for (qint64 t : times)
            total += t;
        std::printf("Set TAG Active Time, air delay %d ms: %lld runs, mean %.0f ms (min %lld, max %lld), %d "
                    "reader commands in the last run\n",
                    airDelayMs, static_cast<long long>(times.size()), double(total) / double(times.size()),
                    static_cast<long long>(*std::min_element(times.begin(), times.end())),
                    static_cast<long long>(*std::max_element(times.begin(), times.end())), commands);
        app.quit();
    });
    run.start();
    timed.flow.start(TagButtons::get(TagButton::Id::SetActiveTime), uid, true, values);
    app.exec();

    Bench silent;
    if (!silent.open(airDelayMs, true))
        return 1;
    Timing timing;
    timing.tagWindowMs = windowSeconds * 1000;
    silent.flow.setTiming(timing);
    StallMeter stalls;
    double startCpu = 0;
    QElapsedTimer window;
    QObject::connect(&silent.flow, &SendTagCommand::finished, &app, [&](const SendTagCommand::Result &r) {
        const double used = cpuSeconds() - startCpu;
        std::printf("Tag never answering, %d s window: ended after %.1f s with \"%s\", %lld reader commands, "
                    "longest event-loop stall %lld ms, %.3f CPU seconds (%.1f%% of one core)\n",
                    windowSeconds, double(window.elapsed()) / 1000.0,
                    qPrintable(TagFlowText::message(r.message, Language::English)),
                    static_cast<long long>(r.sent.size()), static_cast<long long>(stalls.longestMs()), used,
                    100.0 * used / (double(window.elapsed()) / 1000.0));
        app.quit();
    });
    window.start();
    startCpu = cpuSeconds();
    stalls.start();
    silent.flow.start(TagButtons::get(TagButton::Id::GetActiveTime),
                      QString::fromLatin1(silent.tags.tag(0).uid), true, {});
    return app.exec();
}
