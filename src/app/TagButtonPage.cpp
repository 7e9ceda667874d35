#include "app/TagButtonPage.h"

#include "app/Controls.h"
#include "app/TagAlarmPage.h"
#include "app/TagParameterPage.h"
#include "app/WindowTranslator.h"

#include <QScrollBar>

namespace {
constexpr int kDefaultStandard = 36;
} // namespace

TagButtonPage *TagButtonPage::create(TagPage page, QWidget *parent)
{
    if (page == TagPage::PvPj)
        return new TagAlarmPage(parent);
    return new TagParameterPage(page, parent);
}

TagButtonPage::TagButtonPage(TagPage page, QWidget *parent) : QWidget(parent), m_page(page) {}

const TagButtonPage::Slider &TagButtonPage::addSlider(const TagValueSpec &control, QWidget *parent)
{
    auto *bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(QLatin1String(control.slider));
    bar->setRange(control.low, control.high);
    bar->setValue(control.initial);
    bar->setMinimumWidth(60);
    QLabel *readout = Controls::panel(parent, control.readout, control.initialReadout());
    readout->setMinimumWidth(70);
    WindowTranslator::exclude(readout); // shows the slider's value, not a caption
    const TagValue value = control.value;
    connect(bar, &QScrollBar::valueChanged, this, [this, value] { handleSliderChange(value); });
    return m_sliders.emplace(control.value, Slider{&control, bar, readout}).first->second;
}

QPushButton *TagButtonPage::addButton(const TagButton &button, QWidget *parent)
{
    QPushButton *b = Controls::button(parent, button.objectName, QLatin1String(button.caption));
    connect(b, &QPushButton::clicked, this, [this, &button] { emit buttonClicked(&button); });
    ++m_buttons;
    return b;
}

QCheckBox *TagButtonPage::addCheck(const TagCheckSpec &check, QWidget *parent)
{
    QCheckBox *box = Controls::check(parent, QLatin1String(check.objectName), QLatin1String(check.caption));
    box->setChecked(check.initiallyChecked);
    box->setVisible(check.visible);
    m_checks[check.value] = box;
    return box;
}

const TagButtonPage::Slider *TagButtonPage::slider(TagValue value) const
{
    const auto it = m_sliders.find(value);
    return it == m_sliders.end() ? nullptr : &it->second;
}

int TagButtonPage::position(TagValue value) const
{
    const Slider *s = slider(value);
    return s ? s->bar->value() : 0;
}

void TagButtonPage::showReadout(TagValue value)
{
    const Slider *s = slider(value);
    if (!s)
        return;
    const Slider *standard = slider(TagValue::StandardTemp);
    const int degrees = standard ? standard->bar->value() : kDefaultStandard;
    const int at = s->bar->value();
    s->readout->setText(s->control->readoutText(at, degrees));
    if (s->control->hint != TagValueSpec::Hint::None)
        s->bar->setToolTip(s->control->hintText(at));
}

void TagButtonPage::handleSliderChange(TagValue value)
{
    showReadout(value);
    const Slider *s = slider(value);
    if (s && s->control->shared)
        emit sharedValueChanged(value, s->bar->value());
}

TagValueMap TagButtonPage::values() const
{
    TagValueMap out;
    for (const auto &[value, s] : m_sliders)
        out[value] = s.bar->value();
    for (const auto &[value, box] : m_checks)
        out[value] = box->isChecked() ? 1 : 0;
    return out;
}

bool TagButtonPage::setValue(TagValue value, int position)
{
    const Slider *s = slider(value);
    if (!s)
        return false;
    // A value the slider cannot hold lands at its range end (a code of 18 on the "TAG" page shows
    // as 15); moving it runs the change handler as a user's move does.
    s->bar->setValue(s->control->clamp(position));
    return true;
}
