#include "app/TagButtonPage.h"

#include "app/Controls.h"
#include "app/WindowTranslator.h"
#include "tagcfg/TagButtons.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QVBoxLayout>

TagButtonPage::TagButtonPage(TagPage page, QWidget *parent) : QWidget(parent), m_page(page)
{
    m_layout = new QVBoxLayout(this);
    for (const TagValueSpec &control : TagValues::all())
        if (control.page == page)
            addSlider(control);
    for (const TagButton &button : TagButtons::all())
        if (button.page == page)
            addButton(button);
    m_layout->addStretch(1);
}

void TagButtonPage::addSlider(const TagValueSpec &control)
{
    auto *row = new QHBoxLayout;
    auto *bar = new QScrollBar(Qt::Horizontal, this);
    bar->setObjectName(QLatin1String(control.slider));
    bar->setRange(control.low, control.high);
    bar->setValue(control.initial);
    QLabel *readout = Controls::panel(this, control.readout, control.readoutText(control.initial));
    readout->setMinimumWidth(90);
    WindowTranslator::exclude(readout); // shows the slider's value, not a caption
    connect(bar, &QScrollBar::valueChanged, readout,
            [readout, &control](int position) { readout->setText(control.readoutText(position)); });
    row->addWidget(bar, 1);
    row->addWidget(readout);
    m_layout->addLayout(row);
    m_sliders.emplace(control.value, Slider{&control, bar, readout});
}

void TagButtonPage::addButton(const TagButton &button)
{
    QPushButton *b = Controls::button(this, button.objectName, QLatin1String(button.caption));
    connect(b, &QPushButton::clicked, this, [this, &button] { emit buttonClicked(&button); });
    m_layout->addWidget(b);
    ++m_buttons;
}

TagValueMap TagButtonPage::values() const
{
    TagValueMap out;
    for (const auto &[value, slider] : m_sliders)
        out[value] = slider.bar->value();
    return out;
}

bool TagButtonPage::setValue(TagValue value, int position)
{
    const auto it = m_sliders.find(value);
    if (it == m_sliders.end())
        return false;
    const Slider &slider = it->second;
    if (!slider.control->contains(position)) {
        // A value the slider cannot take is shown as the tag gave it, never moved to a range end.
        slider.readout->setText(QString::number(position));
        return false;
    }
    slider.bar->setValue(position);
    slider.readout->setText(slider.control->readoutText(position));
    return true;
}
