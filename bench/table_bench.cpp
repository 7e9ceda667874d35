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
void runTables(qint64 reportCount, int rounds)
{
    SystemClock clock;
    SilentTonePlayer tones;
    TagTables few(clock, tones);
    TagTables many(clock, tones);
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

// The all-tags lines of a table written through one file that stays open, flushed per batch: what a
// kept-open writer would reach (line building included).
double keptOpenLines(const TagTableModel &all, const QString &path, qint64 count)
{
    QFile file(path);
    if (!file.open(QIODevice::Append))
        return 0;
    const QString label = QStringLiteral("COM03");
    const QString when = QStringLiteral("2026/01/31 14:05:09");
    QElapsedTimer timer;
    timer.start();
    for (qint64 i = 0; i < count; ++i) {
        file.write(CsvLog::allTagsLine(all, int(i % all.size()), quint64(i + 1), label, when));
        if ((i & 63) == 63)
            file.flush();
    }
    file.flush();
    return double(count) / (double(timer.nsecsElapsed()) / 1e9);
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
    std::printf(
        "  for comparison, the same lines through a file kept open, flushed every 64 lines: %.0f lines/s\n",
        keptOpenLines(*tables.allTags(), dir.filePath(QStringLiteral("kept.csv")), reportCount));

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
