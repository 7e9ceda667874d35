// The window under load: a source pushes 20,000 reports/s over 5,000 tags while "View All TAG" shows.
// Prints the grid's repaints per second, the event-loop lateness of a 10 ms probe timer, the delay
// of posted clicks, and whether every report arrived in order.
//
//   QT_QPA_PLATFORM=offscreen build/bench/gui_responsiveness_bench [seconds]
#include "app/TfrmModule.h"
#include "base/SettingsStore.h"
#include "base/TonePlayer.h"
#include "link/ReadingLinks.h"
#include "link/ReadingSource.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QMouseEvent>
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

QByteArray reportLine(quint64 n)
{
    char line[32];
    std::snprintf(line, sizeof line, "%016llu%02X%02XFF\r", 1000000ULL + n % kTags, unsigned(0x40 + n % 64),
                  unsigned(n % 256));
    return QByteArray(line);
}

// One source fed on a timer, at a fixed report rate measured against the wall clock.
class LoadLinks : public ReadingLinks
{
public:
    void open() override
    {
        m_source = new ReadingSource(QStringLiteral("COM01"), this);
        emit sourceAdded(1, m_source);
        m_clock.start();
        m_timer.setInterval(kTickMs);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const quint64 due = quint64(m_clock.elapsed()) * kReportsPerSecond / 1000;
            QByteArray chunk;
            for (; sent < due; ++sent)
                chunk += reportLine(sent);
            m_source->appendBytes(chunk);
        });
        m_timer.start();
        emit opened();
    }
    void close() override
    {
        m_timer.stop();
        emit sourceRemoved(1);
        emit closed();
    }
    void broadcastCommand(const QByteArray &) override {}
    quint64 sent = 0;

private:
    ReadingSource *m_source = nullptr;
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
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("bench.ini")));
    SilentTonePlayer tone;
    TfrmModule window(&settings, &tone, dir.filePath(QStringLiteral("sel.csv")));
    window.show();
    LoadLinks *links = nullptr;
    window.reading()->setLinksFactory([&links](const LinkRequest &) {
        auto l = std::make_unique<LoadLinks>();
        links = l.get();
        return l;
    });
    auto *grid = window.findChild<QTableView *>(QStringLiteral("grdUID"));
    PaintCounter paints;
    grid->viewport()->installEventFilter(&paints);

    quint64 received = 0;
    quint64 outOfOrder = 0;
    QObject::connect(&window.reading()->decoder(), &ReportDecoder::reportDecoded, &app,
                     [&](const TTagReport &r, const QString &) {
                         if (r.uid != QString::fromLatin1(reportLine(received).left(16)))
                             ++outOfOrder;
                         ++received;
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
    std::printf("grid repaints: %.1f per second\n", double(-paints.paints) / seconds);
    std::printf("probe lateness (ms): median %.0f, p99 %.0f, max %.0f\n", percentile(lateness, 0.5),
                percentile(lateness, 0.99), percentile(lateness, 1.0));
    std::printf("click delay (ms): median %.1f, max %.1f over %zu clicks\n",
                percentile(clickDelays, 0.5) / 1000, percentile(clickDelays, 1.0) / 1000, clickDelays.size());
    return 0;
}
