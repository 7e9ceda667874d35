// Reports per second through TagTables::applyReport, with no view attached.
//   table_bench [--reports N] [--rounds R] [--csv-reports N]
// 1. CSV off, 10 distinct tags and 100,000 distinct tags (steady state, after every tag has its row).
// 2. Auto-save on, every tag selected and all tags logged (two CSV lines per report) into a temporary
//    folder: reports and lines per second with the logs opened per report and kept open per batch,
//    compared with 20 serial ports at full line rate (115200 baud, 31-character lines: ~7,400/s).
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
#include <random>
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
// With `fresh`, each report gets a UID text built anew from the line bytes, as the decoder hands it
// over (its cost is part of the figure); otherwise the prebuilt reports are passed as they are.
double feed(TagTables &tables, const std::vector<TTagReport> &reports, qint64 count, bool fresh = false)
{
    const QString label = QStringLiteral("COM03");
    QByteArray lineBytes;
    for (const TTagReport &r : reports)
        lineBytes += r.uid.toLatin1();
    TTagReport current;
    QElapsedTimer timer;
    timer.start();
    size_t next = 0;
    for (qint64 i = 0; i < count; ++i) {
        if (fresh) {
            const TTagReport &base = reports[next];
            current.uid = QString::fromLatin1(lineBytes.constData() + 16 * next, 16);
            current.rssi = base.rssi;
            current.lqi = base.lqi;
            current.di = base.di;
            current.t1 = base.t1;
            current.t2 = base.t2;
            tables.applyReport(current, label);
        } else {
            tables.applyReport(reports[next], label);
        }
        if (++next == reports.size())
            next = 0;
        if ((i & 0xFFF) == 0)
            tables.flushChanges();
    }
    tables.flushChanges();
    return double(count) / (double(timer.nsecsElapsed()) / 1e9);
}

// A table for 10 tags and one for 100,000, every tag given its row first. Then rounds that alternate
// between the cases so that all see the same machine load; the best round of each case counts. The
// 100,000 tags are fed in order of first appearance (rows visited in sequence) and shuffled (rows
// visited at random, as many tags reporting at once would).
void runTables(qint64 reportCount, int rounds, int maxTags)
{
    SystemClock clock;
    SilentTonePlayer tones;
    TagTables few(clock, tones);
    TagTables many(clock, tones);
    few.setMaxTags(maxTags); // 0: unbounded, as the window keeps it by default
    many.setMaxTags(maxTags);
    const auto fewReports = makeReports(10);
    const auto manyReports = makeReports(100000);
    auto shuffled = manyReports;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(4));
    std::printf("  rows appended (first pass): %.0f reports/s with 10 tags, %.0f with 100,000\n",
                feed(few, fewReports, 10), feed(many, manyReports, 100000));

    struct Case
    {
        const char *name;
        TagTables &tables;
        const std::vector<TTagReport> &reports;
        double best[2] = {0, 0}; // prebuilt reports, UID text built per report
    } cases[] = {{"10 tags", few, fewReports},
                 {"100,000 tags, in sequence", many, manyReports},
                 {"100,000 tags, random order", many, shuffled}};
    for (int round = 0; round < rounds; ++round) {
        for (Case &c : cases) {
            for (int fresh = 0; fresh < 2; ++fresh)
                c.best[fresh] = std::max(c.best[fresh], feed(c.tables, c.reports, reportCount, fresh != 0));
        }
    }
    std::printf("  best of %d rounds of %lld reports, reports/s (ratio to 10 tags):\n", rounds,
                static_cast<long long>(reportCount));
    std::printf("  %-28s %22s %28s\n", "", "prebuilt reports", "UID text built per report");
    for (const Case &c : cases) {
        std::printf("  %-28s %14.0f (%.2f) %20.0f (%.2f)\n", c.name, c.best[0], c.best[0] / cases[0].best[0],
                    c.best[1], c.best[1] / cases[0].best[1]);
    }
    std::printf("  targets: 10 tags >= 500,000 reports/s; 100,000 tags >= 0.5 x 10 tags\n");
}

// Reports through tables logging to both CSV files (every tag selected, all tags logged: two lines
// per report). The event loop gets a turn after every `batch` reports, as after a service pass of the
// reading session; with keep-open batches that is where the logs close.
void runCsvCase(const char *name, bool keepOpen, qint64 reportCount, int batch)
{
    QTemporaryDir dir;
    SystemClock clock;
    SilentTonePlayer tones;
    TagTables tables(clock, tones);
    CsvLog &csv = *tables.csvLog();
    csv.setFileName(dir.filePath(QStringLiteral("run.csv")));
    csv.setKeepOpenForBatch(keepOpen);
    tables.setAutoSave(true);
    tables.setAllTagsLog(true);
    const auto reports = makeReports(100);
    QStringList uids;
    for (const auto &r : reports)
        uids << r.uid;
    tables.loadSelection(uids);
    tables.numberKeyReleased(QString::number(reports.size()));
    tables.startSession();

    const QString label = QStringLiteral("COM03");
    QElapsedTimer timer;
    timer.start();
    for (qint64 i = 0; i < reportCount; ++i) {
        tables.applyReport(reports[size_t(i) % reports.size()], label);
        if (i % batch == batch - 1)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const double rate = double(reportCount) / (double(timer.nsecsElapsed()) / 1e9);
    const qint64 bytes = QFile(csv.fileName()).size() + QFile(csv.allTagsFileName()).size();
    std::printf(
        "  %-44s %9.0f reports/s = %9.0f lines/s, %.1fx the 20-port rate (%lld bytes, %llu unwritten)\n",
        name, rate, 2 * rate, rate / kTwentyPortsReportsPerSecond, static_cast<long long>(bytes),
        static_cast<unsigned long long>(csv.unwrittenLines()));
}

void runCsv(qint64 reportCount)
{
    std::printf("  20 serial ports at full line rate: %.0f reports/s\n", kTwentyPortsReportsPerSecond);
    runCsvCase("opened and closed per report (the default)", false, reportCount, 64);
    runCsvCase("kept open for a batch of 64 reports", true, reportCount, 64);
    runCsvCase("kept open for a batch of 1 report", true, reportCount, 1);
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
    const int maxTags = int(option(args, QStringLiteral("--max-tags"), 0));
    if (maxTags > 0)
        std::printf("  all-tags table bounded at %d tags (least recently seen leave)\n", maxTags);
    runTables(reports, int(option(args, QStringLiteral("--rounds"), 5)), maxTags);
    std::printf("auto-save CSV on, both logs (%lld reports):\n", static_cast<long long>(csvReports));
    runCsv(csvReports);
    return 0;
}
