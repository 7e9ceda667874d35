#pragma once

#include "i18n/LanguageTable.h"

#include <QTimer>
#include <QWidget>

class FindTagSignal;
class QCheckBox;
class QLabel;
class QProgressBar;

// The "Find TAG" view of "Read TAG": a large meter of the smoothed RSSI of the tag being looked for
// and the time since its latest report, and the switch of the search tone. It reads the signal on a
// timer only while it is shown.
class FindTagMeter : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 100;

    explicit FindTagMeter(const FindTagSignal &signal, QWidget *parent = nullptr);

    void setLanguage(Language language);
    // Shows the signal now.
    void refresh();
    int meterValue() const;
    QString ageText() const;

signals:
    void toneToggled(bool on);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    const FindTagSignal &m_signal;
    Language m_language = Language::English;
    QLabel *m_uid = nullptr;
    QProgressBar *m_meter = nullptr;
    QLabel *m_value = nullptr;
    QLabel *m_age = nullptr;
    QCheckBox *m_tone = nullptr;
    QTimer m_timer;
};
