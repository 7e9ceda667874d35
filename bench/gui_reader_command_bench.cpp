// The window while a silent reader is tried 25 times: "Get Version" pressed on the "Set Reader"
// page, the simulated reader on a pseudo-terminal (as COM3) dropping every reply. A 2 ms probe timer
// runs throughout; the longest gap between two of its ticks beyond its interval is the longest the
// UI thread was kept from its event loop. The CPU time the UI thread used within that gap tells
// work on the thread from the system running something else (the machine's load). Prints that
// stall, the probe's lateness percentiles, the transmissions counted and the time the command took.
//
//   QT_QPA_PLATFORM=offscreen build/bench/gui_reader_command_bench [time-divisor]
#include "app/SetReaderController.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "sim/PtyTransport.h"
#include "sim/ReaderChannel.h"
#include "sim/TagPopulation.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {
constexpr int kProbeMs = 2;

// CPU time of the calling thread, in microseconds.
qint64 threadCpuMicros()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

double percentile(std::vector<qint64> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return double(v[size_t(p * double(v.size() - 1))]) / 1000.0;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int divisor = argc > 1 ? std::max(1, atoi(argv[1])) : 1;
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("bench.ini")));
    SilentTonePlayer tone;

    TagPopulation tags(4, 3);
    ReaderChannel::Settings silent;
    silent.reader.portKind = SimReader::PortKind::Serial;
    silent.dropReplies = 1.0;
    ReaderChannel reader(&tags, std::make_unique<PtyTransport>(), silent);
    if (!reader.open()) {
        std::fprintf(stderr, "cannot open a pseudo-terminal\n");
        return 1;
    }
    int transmissions = 0;
    QObject::connect(&reader, &ReaderChannel::commandAnswered, &app, [&] { ++transmissions; });
    settings.writeComDevices({{QStringLiteral("3"), reader.transport().endpoint()}});

    TfrmModule window(&settings, &tone, dir.filePath(QStringLiteral("sel.csv")));
    window.readerCommands()->setTiming(Timing().scaled(divisor));
    window.show();
    auto *main = window.findChild<QTabWidget *>(QStringLiteral("pcMain"));
    main->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tsSetReader")));
    auto *links = window.findChild<QTabWidget *>(QStringLiteral("pcSetReadMain"));
    links->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tsComPort")));
    auto *com = window.findChild<QComboBox *>(QStringLiteral("cbxCom"));
    com->setCurrentIndex(com->findText(QStringLiteral("COM3  ") + reader.transport().endpoint()));

    std::vector<qint64> lateness; // microseconds beyond the probe interval
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 lastCpu = 0;
    qint64 worstGap = 0;
    qint64 worstGapCpu = 0;
    qint64 worstGapAt = 0; // when the longest stall ended, from the button's press
    qint64 worstCpu = 0;   // the most CPU time the thread used between two ticks
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(kProbeMs);
    QObject::connect(&probe, &QTimer::timeout, &app, [&] {
        const qint64 now = clock.nsecsElapsed() / 1000;
        const qint64 cpu = threadCpuMicros();
        const qint64 late = std::max<qint64>(0, now - last - kProbeMs * 1000);
        lateness.push_back(late);
        if (late > worstGap) {
            worstGap = late;
            worstGapCpu = cpu - lastCpu;
            worstGapAt = now;
        }
        worstCpu = std::max(worstCpu, cpu - lastCpu);
        last = now;
        lastCpu = cpu;
    });

    QElapsedTimer commandClock;
    SetReaderController *commands = window.readerCommands();
    QObject::connect(commands, &SetReaderController::busyChanged, &app, [&](bool busy) {
        if (!busy)
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
    });
    QTimer::singleShot(100, &app, [&] {
        clock.start();
        lastCpu = threadCpuMicros();
        probe.start();
        commandClock.start();
        window.findChild<QPushButton *>(QStringLiteral("btnGetVersion"))->click();
    });
    app.exec();
    probe.stop();

    std::printf("silent reader: %d transmissions in %.1f s (durations divided by %d)\n", transmissions,
                double(commandClock.elapsed()) / 1000.0, divisor);
    std::printf(
        "UI thread longest stall beyond the %d ms probe: %.2f ms (median %.2f, p99 %.2f, %zu ticks)\n",
        kProbeMs, percentile(lateness, 1.0), percentile(lateness, 0.5), percentile(lateness, 0.99),
        lateness.size());
    std::printf("UI thread CPU time within that gap: %.2f ms; most CPU time between two ticks: %.2f ms\n",
                double(worstGapCpu) / 1000.0, double(worstCpu) / 1000.0);
    std::printf("the longest stall ended %.1f ms after the button was pressed\n",
                double(worstGapAt) / 1000.0);
    return 0;
}
