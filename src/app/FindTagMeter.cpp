#include "app/FindTagMeter.h"

#include "app/Controls.h"
#include "app/WindowTranslator.h"
#include "reading/FindTagSignal.h"

#include <QProgressBar>
#include <QVBoxLayout>

#include <cmath>

using namespace Controls;

namespace {
QLabel *bigLabel(QWidget *parent, const char *name, int pointSize)
{
    QLabel *l = label(parent, name, QString());
    QFont font = l->font();
    font.setPointSize(pointSize);
    font.setBold(true);
    l->setFont(font);
    l->setAlignment(Qt::AlignCenter);
    WindowTranslator::exclude(l);
    return l;
}
} // namespace

FindTagMeter::FindTagMeter(const FindTagSignal &signal, QWidget *parent) : QWidget(parent), m_signal(signal)
{
    setObjectName(QStringLiteral("pnlFindTag"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        label(this, "lblFindHint", QStringLiteral("Tag to find (click its row or type its UID in TAG ID):")));
    m_uid = bigLabel(this, "lblFindUid", 18);
    layout->addWidget(m_uid);
    m_meter = new QProgressBar(this);
    m_meter->setObjectName(QStringLiteral("barFindRssi"));
    m_meter->setRange(0, 255);
    m_meter->setTextVisible(false);
    m_meter->setMinimumHeight(60);
    layout->addWidget(m_meter);
    m_value = bigLabel(this, "lblFindRssi", 40);
    layout->addWidget(m_value);
    m_age = bigLabel(this, "lblFindAge", 14);
    layout->addWidget(m_age);
    m_tone = check(this, QStringLiteral("chkFindTone"), QStringLiteral("Tick tone"));
    connect(m_tone, &QCheckBox::toggled, this, &FindTagMeter::toneToggled);
    layout->addWidget(m_tone, 0, Qt::AlignCenter);
    layout->addStretch(1);
    m_timer.setInterval(kRefreshMs);
    connect(&m_timer, &QTimer::timeout, this, &FindTagMeter::refresh);
    refresh();
}

void FindTagMeter::setLanguage(Language language)
{
    m_language = language;
    refresh();
}

int FindTagMeter::meterValue() const
{
    return m_meter->value();
}

QString FindTagMeter::ageText() const
{
    return m_age->text();
}

void FindTagMeter::refresh()
{
    m_uid->setText(m_signal.uid());
    const int value = m_signal.hasReport() ? int(std::lround(m_signal.smoothedRssi())) : 0;
    m_meter->setValue(value);
    m_value->setText(m_signal.hasReport() ? QString::number(value) : QStringLiteral("-"));
    const qint64 age = m_signal.msSinceLastReport();
    m_age->setText(age < 0 ? translate(m_language, QStringLiteral("No report yet"))
                           : translate(m_language, QStringLiteral("Last report %1 s ago"))
                                 .arg(QString::number(double(age) / 1000.0, 'f', 1)));
}

void FindTagMeter::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
    m_timer.start();
}

void FindTagMeter::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}
