// Reports per second through TagTables::applyReport, with no view attached.
//   table_bench [--reports N] [--rounds R] [--csv-reports N]
// 1. CSV off, 10 distinct tags and 100,000 distinct tags (steady state, after every tag has its row).
// 2. Auto-save on for all tags: all-tags log lines per second written to a temporary folder, compared
//    with 20 serial ports at full line rate (115200 baud, 31-character lines: about 7,400 reports/s).
#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "reading/TagReport.h"
#include "reading/TagTables.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double kTwentyPortsReportsPerSecond = 20 * 115200.0 / 10 / 31;

std::vector<TTagReport> makeReports(int distinctTags)
{
    std::vector<TTagReport> reports;
    reports.reserve(size_t(distinctTags));
    for (int i = 0; i < distinctTags; ++i) {
        TTagReport r;
        r.uid = QStringLiteral("%1").arg(1000000000000000LL + i * 7919LL, 16, 10, QLatin1Char('0'));
        r.rssi = quint8(0x40 + i % 64);
        r.lqi = quint8(0xA3);
        r.di = quint8(i % 3 == 0 ? 0xFE : 0xFF);
        r.t1 = QStringLiteral("25.00 C / 77.00 F");
        r.t2 = QStringLiteral("-");
        r.kind = ReportKind::OneTemperature;
        reports.push_back(r);
    }
    return reports;
}

// Feeds `count` reports cycling over `reports`; flushes the way the refresh timer would (often).
double feed(TagTables &tables, const std::vector<TTagReport> &reports, qint64 count)
{
    const QString label = QStringLiteral("COM03");
    QElapsedTimer timer;
    timer.start();
    size_t next = 0;
    for (qint64 i = 0; i < count; ++i) {
        tables.applyReport(reports[next], label);
        if (++next == reports.size())
            next = 0;
        if ((i & 0xFFF) == 0)
            tables.flushChanges();
    }
    tables.flushChanges();
    return double(count) / (double(timer.nsecsElapsed()) / 1e9);
}

// One table per tag count, every tag given its row first, then rounds that alternate between the
// tables so that both see the same machine load; the best round of each counts.
void runTables(qint64 reportCount, int rounds)
{
    SystemClock clock;
    SilentTonePlayer tones;
    const int counts[2] = {10, 100000};
    std::vector<std::unique_ptr<TagTables>> tables;
    std::vector<std::vector<TTagReport>> reports;
    for (int distinct : counts) {
        tables.push_back(std::make_unique<TagTables>(clock, tones));
        reports.push_back(makeReports(distinct));
        const double insertRate = feed(*tables.back(), reports.back(), distinct);
        std::printf("  %6d tags: first pass (rows appended) %.0f reports/s\n", distinct, insertRate);
    }
    std::vector<double> best(2, 0.0);
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < 2; ++i)
            best[i] = std::max(best[i], feed(*tables[i], reports[i], reportCount));
    }
    for (size_t i = 0; i < 2; ++i)
        std::printf("  %6d tags: %12.0f reports/s (best of %d rounds of %lld)\n", counts[i], best[i], rounds,
                    static_cast<long long>(reportCount));
    std::printf("  100,000 / 10 tags ratio: %.2f (target >= 0.5); 10 tags target >= 500,000 reports/s\n",
                best[1] / best[0]);
}

void runCsv(qint64 reportCount)
{
    QTemporaryDir dir;
    SystemClock clock;
    SilentTonePlayer tones;
    TagTables tables(clock, tones);
    tables.csvLog()->setFileName(dir.filePath(QStringLiteral("run.csv")));
    tables.setAutoSave(true);
    tables.setAllTagsLog(true);
    tables.startSession();
    const auto reports = makeReports(100);
    const double rate = feed(tables, reports, reportCount);
    const quint64 lines = tables.csvLog()->allLogCount();
    const qint64 bytes = QFile(tables.csvLog()->allTagsFileName()).size();
    std::printf("  all-tags log, file opened and closed per report: %.0f lines/s (%llu lines, %lld bytes, "
                "%llu unwritten)\n",
                rate, static_cast<unsigned long long>(lines), static_cast<long long>(bytes),
                static_cast<unsigned long long>(tables.csvLog()->unwrittenLines()));
    std::printf("  20 serial ports at full line rate need %.0f reports/s: %.1fx headroom\n",
                kTwentyPortsReportsPerSecond, rate / kTwentyPortsReportsPerSecond);

    // Both logs: every tag selected as well, so each report writes two lines.
    QStringList uids;
    for (const auto &r : reports)
        uids << r.uid;
    tables.loadSelection(uids);
    tables.numberKeyReleased(QString::number(reports.size()));
    const double both = feed(tables, reports, reportCount / 2);
    std::printf("  both logs (two lines per report): %.0f reports/s, %.1fx headroom\n", both,
                both / kTwentyPortsReportsPerSecond);
}

qint64 option(const QStringList &args, const QString &name, qint64 fallback)
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1].toLongLong() : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 reports = option(args, QStringLiteral("--reports"), 2000000);
    const qint64 csvReports = option(args, QStringLiteral("--csv-reports"), 100000);

    std::printf("applyReport, CSV off, no view:\n");
    runTables(reports, int(option(args, QStringLiteral("--rounds"), 5)));
    std::printf("auto-save CSV on (%lld reports):\n", static_cast<long long>(csvReports));
    runCsv(csvReports);
    return 0;
}
