// Reports per second through TagTables::applyReport, with no view attached.
//   table_bench [--reports N] [--csv-seconds S]
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
#include <cstdio>
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

double runTables(int distinctTags, qint64 reportCount)
{
    SystemClock clock;
    SilentTonePlayer tones;
    TagTables tables(clock, tones);
    const auto reports = makeReports(distinctTags);
    const double insertRate = feed(tables, reports, qint64(reports.size())); // every tag gets its row
    const double rate = feed(tables, reports, reportCount);
    std::printf("  %7d tags: %12.0f reports/s (first pass, rows appended: %.0f reports/s; rows %d)\n",
                distinctTags, rate, insertRate, tables.allTags()->size());
    return rate;
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
    const qint64 reports = option(args, QStringLiteral("--reports"), 3000000);
    const qint64 csvReports = option(args, QStringLiteral("--csv-reports"), 100000);

    std::printf("applyReport, CSV off, no view (%lld reports each):\n", static_cast<long long>(reports));
    const double few = runTables(10, reports);
    const double many = runTables(100000, reports);
    std::printf("  100,000 / 10 tags ratio: %.2f (target >= 0.5); 10 tags target >= 500,000 reports/s\n",
                many / few);
    std::printf("auto-save CSV on (%lld reports):\n", static_cast<long long>(csvReports));
    runCsv(csvReports);
    return 0;
}
