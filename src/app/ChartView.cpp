#include "app/ChartView.h"

#include "app/Controls.h"
#include "app/SaveAsDialog.h"
#include "app/WindowTranslator.h"
#include "reading/TagHistory.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QSaveFile>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

using namespace Controls;

namespace {
const int kWindowMinutes[] = {1, 10, 60};
const char *const kSensorItems[] = {"T1 (temperature)", "T2 or humidity"};

QString isoTime(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(Qt::ISODateWithMs);
}

QByteArray sensorField(qint16 hundredths)
{
    return hundredths == HistoryPoint::kNoSensor ? QByteArray()
                                                 : QByteArray::number(hundredths / 100.0, 'f', 2);
}
} // namespace

ChartView::ChartView(const TagHistory &history, QWidget *parent) : QWidget(parent), m_history(history)
{
    setObjectName(QStringLiteral("pnlChart"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QWidget(this);
    buildControls(bar);
    layout->addWidget(bar);
    m_rssiView = makeChart("chtRssi", &m_rssiTime, &m_rssiAxis);
    m_rssiAxis->setRange(0, 255);
    m_rssiAxis->setTickCount(6); // 0, 51, ... 255
    m_sensorView = makeChart("chtTemperature", &m_sensorTime, &m_sensorAxis);
    m_sensorAxis->setRange(0, 50);
    layout->addWidget(m_rssiView, 3);
    layout->addWidget(m_sensorView, 2);
    m_timer.setInterval(kRefreshMs);
    connect(&m_timer, &QTimer::timeout, this, &ChartView::refresh);
    setLanguage(m_language);
}

void ChartView::buildControls(QWidget *bar)
{
    // Two rows, so the page stays narrow in every language: viewing, then the sensor and saving.
    auto *rows = new QVBoxLayout(bar);
    rows->setContentsMargins(4, 2, 4, 2);
    auto *row = new QHBoxLayout;
    auto *saveRow = new QHBoxLayout;
    rows->addLayout(row);
    rows->addLayout(saveRow);
    m_pause = button(bar, "btnChartPause", QStringLiteral("Pause"));
    connect(m_pause, &QPushButton::clicked, this, [this] { setPaused(!m_paused); });
    row->addWidget(m_pause);
    row->addWidget(label(bar, "lblChartWindow", QStringLiteral("Time window:")));
    m_window = new QComboBox(bar);
    m_window->setObjectName(QStringLiteral("cbxChartWindow"));
    for (int minutes : kWindowMinutes)
        m_window->addItem(QString(), minutes);
    m_window->setCurrentIndex(1);
    connect(m_window, &QComboBox::currentIndexChanged, this, [this] {
        m_drawnVersion = 0;
        refresh();
    });
    row->addWidget(m_window);
    m_sensor = new QComboBox(bar);
    m_sensor->setObjectName(QStringLiteral("cbxChartSensor"));
    for (const char *item : kSensorItems)
        m_sensor->addItem(QString::fromLatin1(item));
    connect(m_sensor, &QComboBox::currentIndexChanged, this, [this] {
        showSensorTitle();
        m_drawnVersion = 0;
        refresh();
    });
    saveRow->addWidget(m_sensor);
    row->addStretch(1);
    auto *image = button(bar, "btnChartImage", QStringLiteral("Save image..."));
    connect(image, &QPushButton::clicked, this, [this] {
        SaveAsDialog::ask(this, QStringLiteral("dlgChartImage"), QStringLiteral("PNG (*.png)"),
                          QStringLiteral("png"), [this](const QString &file) {
                              QString error;
                              showResult(saveImage(file, &error), file, error);
                          });
    });
    saveRow->addWidget(image);
    auto *data = button(bar, "btnChartData", QStringLiteral("Save data..."));
    connect(data, &QPushButton::clicked, this, [this] {
        SaveAsDialog::ask(this, QStringLiteral("dlgChartData"), QStringLiteral("CSV (*.csv)"),
                          QStringLiteral("csv"), [this](const QString &file) {
                              QString error;
                              showResult(saveData(file, &error), file, error);
                          });
    });
    saveRow->addWidget(data);
    m_status = label(bar, "lblChartStatus", QString());
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    WindowTranslator::exclude(m_status);
    saveRow->addWidget(m_status, 1);
}

QChartView *ChartView::makeChart(const char *name, QDateTimeAxis **xAxis, QValueAxis **yAxis)
{
    auto *chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setMargins(QMargins(2, 2, 2, 2));
    *xAxis = new QDateTimeAxis(chart);
    (*xAxis)->setFormat(QStringLiteral("hh:mm:ss"));
    (*xAxis)->setTickCount(5);
    chart->addAxis(*xAxis, Qt::AlignBottom);
    *yAxis = new QValueAxis(chart);
    (*yAxis)->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(*yAxis, Qt::AlignLeft);
    auto *view = new QChartView(chart, this);
    view->setObjectName(QLatin1String(name));
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

void ChartView::setLanguage(Language language)
{
    m_language = language;
    m_rssiView->chart()->setTitle(translate(language, QStringLiteral("RSSI")));
    for (int i = 0; i < m_window->count(); ++i)
        m_window->setItemText(i, translate(language, QStringLiteral("%1 min")).arg(kWindowMinutes[i]));
    for (int i = 0; i < m_sensor->count(); ++i)
        m_sensor->setItemText(i, translate(language, QString::fromLatin1(kSensorItems[i])));
    showSensorTitle();
    showPauseCaption();
}

void ChartView::showSensorTitle()
{
    m_sensorView->chart()->setTitle(translate(m_language, isSecondSensor()
                                                              ? QStringLiteral("T2 (C) or humidity (%)")
                                                              : QStringLiteral("Temperature (C)")));
}

bool ChartView::isSecondSensor() const
{
    return m_sensor->currentIndex() == 1;
}

void ChartView::setSecondSensor(bool second)
{
    m_sensor->setCurrentIndex(second ? 1 : 0);
}

void ChartView::showPauseCaption()
{
    const QString key = m_paused ? QStringLiteral("Resume") : QStringLiteral("Pause");
    WindowTranslator::setKey(m_pause, key);
    m_pause->setText(translate(m_language, key));
}

void ChartView::setTags(const QStringList &uids)
{
    const QStringList tags = uids.mid(0, kMaxSeries);
    if (tags == m_tags)
        return;
    m_tags = tags;
    rebuildSeries();
}

void ChartView::rebuildSeries()
{
    for (QChartView *view : {m_rssiView, m_sensorView})
        view->chart()->removeAllSeries();
    m_rssi.clear();
    m_temperature.clear();
    for (const QString &uid : m_tags) {
        for (auto [view, list, x, y] :
             {std::tuple(m_rssiView, &m_rssi, m_rssiTime, m_rssiAxis),
              std::tuple(m_sensorView, &m_temperature, m_sensorTime, m_sensorAxis)}) {
            auto *series = new QLineSeries;
            series->setName(uid);
            view->chart()->addSeries(series);
            series->attachAxis(x);
            series->attachAxis(y);
            list->append(series);
        }
    }
    m_drawnVersion = 0;
    refresh();
}

int ChartView::windowMinutes() const
{
    return m_window->currentData().toInt();
}

void ChartView::setWindowMinutes(int minutes)
{
    const int index = m_window->findData(minutes);
    if (index >= 0)
        m_window->setCurrentIndex(index);
}

void ChartView::setPaused(bool paused)
{
    m_paused = paused;
    showPauseCaption();
    if (!m_paused)
        refresh();
}

void ChartView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timer.start();
    refresh();
}

void ChartView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}

void ChartView::refresh()
{
    if (m_paused || !isVisible())
        return;
    const qint64 now = m_history.wallMs();
    const qint64 start = now - qint64(windowMinutes()) * 60000;
    for (QDateTimeAxis *axis : {m_rssiTime, m_sensorTime}) {
        axis->setFormat(windowMinutes() > 10 ? QStringLiteral("hh:mm") : QStringLiteral("hh:mm:ss"));
        axis->setRange(QDateTime::fromMSecsSinceEpoch(start), QDateTime::fromMSecsSinceEpoch(now));
    }
    m_rangeEnd = now;
    if (m_history.version() == m_drawnVersion)
        return;
    m_drawnVersion = m_history.version();
    fillSeries();
}

void ChartView::fillSeries()
{
    const qint64 start = m_rangeEnd - qint64(windowMinutes()) * 60000;
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    const bool second = isSecondSensor();
    for (int i = 0; i < m_tags.size(); ++i) {
        QList<QPointF> rssi;
        QList<QPointF> temperature;
        if (const HistorySeries *s = m_history.series(m_tags[i])) {
            for (int n = 0; n < s->size(); ++n) {
                const HistoryPoint &p = s->at(n);
                if (p.wallMs < start)
                    continue;
                rssi.append(QPointF(double(p.wallMs), p.rssi));
                const qint16 sensor = second ? p.t2 : p.t1;
                if (sensor != HistoryPoint::kNoSensor) {
                    const double t = sensor / 100.0;
                    temperature.append(QPointF(double(p.wallMs), t));
                    low = std::min(low, t);
                    high = std::max(high, t);
                }
            }
        }
        m_rssi[i]->replace(rssi);
        m_temperature[i]->replace(temperature);
    }
    if (low <= high) {
        m_sensorAxis->setRange(std::floor(low) - 1, std::ceil(high) + 1);
        m_sensorAxis->applyNiceNumbers();
    }
}

QByteArray ChartView::plottedCsv() const
{
    QByteArray out("uid,time,reader,rssi,lqi,di,t1,t2\n");
    const qint64 start = m_rangeEnd - qint64(windowMinutes()) * 60000;
    for (const QString &uid : m_tags) {
        const HistorySeries *s = m_history.series(uid);
        for (int n = 0; s && n < s->size(); ++n) {
            const HistoryPoint &p = s->at(n);
            if (p.wallMs < start || p.wallMs > m_rangeEnd)
                continue;
            out += uid.toUtf8() + ',' + isoTime(p.wallMs).toLatin1() + ',' +
                   m_history.labelName(p.label).toUtf8() + ',' + QByteArray::number(p.rssi) + ',' +
                   QByteArray::number(p.lqi) + ',' +
                   QByteArray::number(p.di, 16).toUpper().rightJustified(2, '0') + ',' + sensorField(p.t1) +
                   ',' + sensorField(p.t2) + '\n';
        }
    }
    return out;
}

bool ChartView::saveData(const QString &file, QString *error)
{
    QSaveFile out(file);
    const QByteArray bytes = plottedCsv();
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

bool ChartView::saveImage(const QString &file, QString *error)
{
    const QPixmap image = grab();
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || !image.save(&out, "PNG") || !out.commit()) {
        *error = out.errorString().isEmpty() ? QStringLiteral("PNG not written") : out.errorString();
        return false;
    }
    return true;
}

void ChartView::showResult(bool ok, const QString &file, const QString &error)
{
    m_status->setText(ok ? translate(m_language, QStringLiteral("Saved to %1")).arg(file)
                         : translate(m_language, QStringLiteral("Not saved: %1")).arg(error));
}
