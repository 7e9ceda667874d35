// The window under load: sources push 20,000 reports/s over 5,000 tags while one tag view shows.
// Prints the view's repaints per second, the event-loop lateness of a 10 ms probe timer, the delay
// of posted clicks, and whether every report arrived in order.
//
//   QT_QPA_PLATFORM=offscreen build/bench/gui_responsiveness_bench [seconds] [all|chart|coverage]
//
// all: "View All TAG", one source. chart: "Chart" with all 5,000 tags selected (their history kept,
// the first 8 drawn), one source; also prints the history's memory. coverage: "Coverage" with 20
// sources, each reporting every tag (5,000 x 20 cells).
#include "app/ChartView.h"
#include "app/CoverageView.h"
#include "app/SignalViews.h"
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "link/ReadingLinks.h"
#include "link/ReadingSource.h"

#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kTags = 5000;
constexpr int kReportsPerSecond = 20000;
constexpr int kTickMs = 5;
constexpr int kMaxSources = 20;

QByteArray reportLine(quint64 n)
{
    char line[32];
    std::snprintf(line, sizeof line, "%016llu%02X%02XFF\r", 1000000ULL + n % kTags, unsigned(0x40 + n % 64),
                  unsigned(n % 256));
    return QByteArray(line);
}

// Sources fed on a timer, at a fixed report rate measured against the wall clock. Report n goes to
// source (n / kTags) % sources, so with several sources every source reports every tag in turn.
class LoadLinks : public ReadingLinks
{
public:
    explicit LoadLinks(int sources) : m_count(sources) {}
    static int sourceOf(quint64 n, int sources) { return int((n / kTags) % quint64(sources)); }
    void open() override
    {
        for (int k = 0; k < m_count; ++k) {
            m_sources[k] =
                new ReadingSource(QStringLiteral("COM%1").arg(k + 1, 2, 10, QLatin1Char('0')), this);
            emit sourceAdded(k + 1, m_sources[k]);
        }
        m_clock.start();
        m_timer.setInterval(kTickMs);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const quint64 due = quint64(m_clock.elapsed()) * kReportsPerSecond / 1000;
            QByteArray chunks[kMaxSources];
            for (; sent < due; ++sent)
                chunks[sourceOf(sent, m_count)] += reportLine(sent);
            for (int k = 0; k < m_count; ++k) {
                if (!chunks[k].isEmpty())
                    m_sources[k]->appendBytes(chunks[k]);
            }
        });
        m_timer.start();
        emit opened();
    }
    void close() override
    {
        m_timer.stop();
        for (int k = 0; k < m_count; ++k)
            emit sourceRemoved(k + 1);
        emit closed();
    }
    void broadcastCommand(const QByteArray &) override {}
    quint64 sent = 0;

private:
    int m_count;
    ReadingSource *m_sources[kMaxSources] = {};
    QTimer m_timer;
    QElapsedTimer m_clock;
};

class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

double percentile(std::vector<qint64> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return double(v[size_t(p * double(v.size() - 1))]);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QString view = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("all");
    const int sources = view == QLatin1String("coverage") ? kMaxSources : 1;
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("bench.ini")));
    SilentTonePlayer tone;
    TfrmModule window(&settings, &tone, dir.filePath(QStringLiteral("sel.csv")));
    window.show();
    LoadLinks *links = nullptr;
    window.reading()->setLinksFactory([&links, sources](const LinkRequest &) {
        auto l = std::make_unique<LoadLinks>(sources);
        links = l.get();
        return l;
    });
    SignalViews *signalViews = window.reading()->signalViews();
    auto *tagViews = window.findChild<QTabWidget *>(QStringLiteral("pcReadTag"));
    QWidget *painted = window.findChild<QTableView *>(QStringLiteral("grdUID"))->viewport();
    if (view == QLatin1String("chart")) {
        QStringList uids;
        for (int t = 0; t < kTags; ++t)
            uids << QString::fromLatin1(reportLine(quint64(t)).left(16));
        window.reading()->tables().loadSelection(uids);
        tagViews->setCurrentWidget(signalViews->chartView());
        painted = signalViews->chartView()->findChild<QChartView *>(QStringLiteral("chtRssi"))->viewport();
    } else if (view == QLatin1String("coverage")) {
        tagViews->setCurrentWidget(signalViews->coverageView());
        painted = signalViews->coverageView()->table()->viewport();
    }
    PaintCounter paints;
    painted->installEventFilter(&paints);

    // Every source's reports must arrive in the order it sent them.
    quint64 received = 0;
    quint64 outOfOrder = 0;
    std::vector<quint64> next(static_cast<size_t>(sources));
    for (int k = 0; k < sources; ++k)
        next[size_t(k)] = quint64(k) * kTags;
    QObject::connect(&window.reading()->decoder(), &ReportDecoder::reportDecoded, &app,
                     [&](const TTagReport &r, const QString &label) {
                         const int k = label.mid(3).toInt() - 1;
                         quint64 &n = next[size_t(std::clamp(k, 0, sources - 1))];
                         if (r.uid != QString::fromLatin1(reportLine(n).left(16)))
                             ++outOfOrder;
                         ++received;
                         if (++n % kTags == 0)
                             n += quint64(sources - 1) * kTags; // this source's next block
                     });

    // Probe: a 10 ms timer; its lateness is the time the event loop was busy elsewhere.
    std::vector<qint64> lateness;
    QElapsedTimer probeClock;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    qint64 expected = 0;
    QObject::connect(&probe, &QTimer::timeout, &app, [&] {
        const qint64 now = probeClock.elapsed();
        lateness.push_back(std::max<qint64>(0, now - expected));
        expected = now + 10;
    });

    // Clicks: a mouse press and release on the "Beep" box posted every 100 ms, as the window system
    // would deliver them; the delay until the box says clicked.
    auto *beep = window.findChild<QCheckBox *>(QStringLiteral("cbxBeep"));
    std::vector<qint64> clickDelays;
    QElapsedTimer clickClock;
    QObject::connect(beep, &QCheckBox::clicked, &app,
                     [&] { clickDelays.push_back(clickClock.nsecsElapsed() / 1000); });
    QTimer clicker;
    clicker.setInterval(100);
    QObject::connect(&clicker, &QTimer::timeout, &app, [&] {
        const QPointF at = QRectF(beep->rect()).center();
        const QPointF global = beep->mapToGlobal(at);
        clickClock.start();
        QCoreApplication::postEvent(beep, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(beep, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                          Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    });

    QTimer::singleShot(0, &app, [&] {
        window.reading()->startOrStop();
        probeClock.start();
        expected = 10;
        probe.start();
        clicker.start();
    });
    QTimer::singleShot(seconds * 1000, &app, [&] {
        probe.stop();
        clicker.stop();
        paints.paints = -paints.paints; // freeze the count
        window.reading()->startOrStop();
    });
    QObject::connect(window.reading(), &ReadTagController::sessionEnded, &app, &QCoreApplication::quit);
    app.exec();

    const quint64 sent = links ? links->sent : 0;
    std::printf("reports sent %llu, decoded %llu, out of order %llu (%s)\n", (unsigned long long)sent,
                (unsigned long long)received, (unsigned long long)outOfOrder,
                sent == received && outOfOrder == 0 ? "none lost" : "LOST OR REORDERED");
    std::printf("rate: %.0f reports/s over %d tags, %d s\n", double(received) / seconds, kTags, seconds);
    std::printf("view: %s, %d source(s)\n", qPrintable(view), sources);
    std::printf("view repaints: %.1f per second\n", double(-paints.paints) / seconds);
    const TagHistory &history = signalViews->history();
    std::printf("history: %d tracked tags, %.1f MiB now, bound %.1f MiB (%lld bytes per tag)\n",
                history.trackedCount(), double(history.memoryBytes()) / 1048576.0,
                double(TagHistory::boundBytesPerTag(history.bound())) * history.trackedCount() / 1048576.0,
                (long long)TagHistory::boundBytesPerTag(history.bound()));
    const CoverageMatrix &coverage = signalViews->coverage();
    std::printf("coverage: %d tags x %d readers, %.1f MiB\n", coverage.tagCount(), coverage.readerCount(),
                double(coverage.memoryBytes()) / 1048576.0);
    std::printf("probe lateness (ms): median %.0f, p99 %.0f, max %.0f\n", percentile(lateness, 0.5),
                percentile(lateness, 0.99), percentile(lateness, 1.0));
    std::printf("click delay (ms): median %.1f, max %.1f over %zu clicks\n",
                percentile(clickDelays, 0.5) / 1000, percentile(clickDelays, 1.0) / 1000, clickDelays.size());
    return 0;
}
