#pragma once

#include "i18n/LanguageTable.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;
class TagHistory;

// The "Chart" view of "Read TAG": RSSI and one sensor (the first temperature, or the second word:
// a second temperature or the relative humidity) of the selected tags (up to kMaxSeries) against
// wall-clock time, from the tag history. The charts are drawn again on a timer only while the
// view is shown and not paused; hidden, it costs nothing.
class ChartView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxSeries = 8;
    static constexpr int kRefreshMs = 100;

    explicit ChartView(const TagHistory &history, QWidget *parent = nullptr);

    // The tags to chart: the first kMaxSeries of these.
    void setTags(const QStringList &uids);
    const QStringList &chartedTags() const { return m_tags; }
    // 1, 10 or 60 minutes up to now.
    void setWindowMinutes(int minutes);
    int windowMinutes() const;
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // Which sensor the lower chart plots: the first (T1) or the second (T2 or humidity).
    void setSecondSensor(bool second);
    bool isSecondSensor() const;
    void setLanguage(Language language);

    // Draws the charts again from the history now (nothing while hidden or paused).
    void refresh();
    QList<QLineSeries *> rssiSeries() const { return m_rssi; }
    QList<QLineSeries *> temperatureSeries() const { return m_temperature; }

    // The points drawn, as CSV: uid,time,reader,rssi,lqi,di,t1,t2 (time in ISO 8601).
    QByteArray plottedCsv() const;
    bool saveImage(const QString &file, QString *error);
    bool saveData(const QString &file, QString *error);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QChartView *makeChart(const char *name, QDateTimeAxis **xAxis, QValueAxis **yAxis);
    void buildControls(QWidget *bar);
    void rebuildSeries();
    void fillSeries();
    void showResult(bool ok, const QString &file, const QString &error);
    void showPauseCaption();
    void showSensorTitle();

    const TagHistory &m_history;
    Language m_language = Language::English;
    QStringList m_tags;
    QList<QLineSeries *> m_rssi;
    QList<QLineSeries *> m_temperature;
    QChartView *m_rssiView = nullptr;
    QChartView *m_sensorView = nullptr;
    QDateTimeAxis *m_rssiTime = nullptr;
    QDateTimeAxis *m_sensorTime = nullptr;
    QValueAxis *m_rssiAxis = nullptr;
    QValueAxis *m_sensorAxis = nullptr;
    QPushButton *m_pause = nullptr;
    QComboBox *m_window = nullptr;
    QComboBox *m_sensor = nullptr;
    QLabel *m_status = nullptr;
    QTimer m_timer;
    bool m_paused = false;
    qint64 m_rangeEnd = 0; // wall-clock ms of the right edge last drawn
    quint64 m_drawnVersion = 0;
};
