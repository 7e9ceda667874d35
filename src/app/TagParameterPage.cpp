#include "app/TagParameterPage.h"

#include "app/Controls.h"
#include "tagcfg/TagButtons.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kMargin = 4;
constexpr int kSpacing = 3;

struct AreaNames
{
    TagPage page;
    const char *area;  // the parameter area
    const char *times; // the "X" between count and interval
};
constexpr AreaNames kAreas[] = {{TagPage::Tag, "pnlTagSet", "pnlX"},
                                {TagPage::Wk, "pnlWKASet", "pnlX2"},
                                {TagPage::Rq, "pnlRQSet", "pnlX3"},
                                {TagPage::Fz, "pnlFZSet", "pnlX4"}};

const AreaNames &areaOf(TagPage page)
{
    for (const AreaNames &a : kAreas)
        if (a.page == page)
            return a;
    return kAreas[0];
}

// The rows of the parameter area, top to bottom, each named by the value it shows (None: the
// buttons that send no value of their own).
constexpr TagValue kRows[] = {TagValue::ActiveCount, TagValue::ReceiveCount, TagValue::BeepTime,
                              TagValue::Led1,        TagValue::LedTime,      TagValue::PaLevel,
                              TagValue::None};

// The row a button stands in: the first value it sends, or the first one it reads.
TagValue rowOf(const TagButton &button)
{
    std::vector<TagValue> in = button.inputs();
    if (in.empty())
        for (const TagStep &step : button.steps)
            if (step.isRead())
                in.push_back(step.value);
    if (in.empty())
        return TagValue::None;
    switch (in.front()) {
    case TagValue::ActiveInterval:
        return TagValue::ActiveCount;
    case TagValue::Led2:
    case TagValue::Flash:
        return TagValue::Led1;
    case TagValue::Version:
        return TagValue::None;
    default:
        return in.front();
    }
}

} // namespace

TagParameterPage::TagParameterPage(TagPage page, QWidget *parent) : TagButtonPage(page, parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kSpacing);
    auto *area = Controls::frame(this, areaOf(page).area);
    auto *rows = new QVBoxLayout(area);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(kSpacing);
    for (TagValue key : kRows)
        rows->addWidget(buildRow(key, area));
    rows->addStretch(1);
    layout->addWidget(area);
    m_powerKeyHost = new QWidget(this);
    auto *host = new QVBoxLayout(m_powerKeyHost);
    host->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_powerKeyHost, 1);
}

// A row: its sliders (or check boxes) with their read-outs, and the buttons that send or read its
// values: a lone button beside them, a pair under them (and alone for the row of buttons without a
// value), so that a page's rows stay few and short.
QWidget *TagParameterPage::buildRow(TagValue key, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *lines = new QVBoxLayout(row);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(kSpacing);
    auto *line = new QHBoxLayout;
    lines->addLayout(line);
    QHBoxLayout *buttons = line;
    const TagValueSpec *control = TagValues::find(tagPage(), key);
    if (key == TagValue::ActiveCount) {
        addActiveTime(line, row);
    } else if (key == TagValue::Led1) {
        for (const TagCheckSpec &check : TagChoices::checks())
            if (check.page == tagPage())
                line->addWidget(addCheck(check, row));
    } else if (control) {
        addSliderWithLabel(*control, line, row);
    }
    // Buttons of all four pages are found from each of them; the power-key button stands in its
    // panel.
    std::vector<const TagButton *> rowButtons;
    for (const TagButton &button : TagButtons::all()) {
        const bool onThisPage = TagButtons::find(button.id, tagPage()) == &button;
        if (onThisPage && rowOf(button) == key && button.id != TagButton::Id::PowerKeyMode)
            rowButtons.push_back(&button);
    }
    if (line->count() > 0 && rowButtons.size() > 1 && key != TagValue::Led1) {
        buttons = new QHBoxLayout;
        lines->addLayout(buttons);
    }
    for (const TagButton *button : rowButtons)
        buttons->addWidget(addButton(*button, row));
    if (buttons != line || !control) // a slider's line is filled by the slider
        buttons->addStretch(1);
    if (control && control->hidden) {
        row->setVisible(false);
        m_hiddenRows.push_back(row);
    }
    return row;
}

// Count and interval side by side with an "X" between them: 1 X 2.5 Sec.
void TagParameterPage::addActiveTime(QBoxLayout *row, QWidget *parent)
{
    const Slider &count = addSlider(*TagValues::find(tagPage(), TagValue::ActiveCount), parent);
    row->addWidget(count.bar, 1);
    row->addWidget(count.readout);
    QLabel *times = Controls::panel(parent, areaOf(tagPage()).times, QStringLiteral("X"));
    times->setMinimumWidth(20);
    row->addWidget(times);
    const Slider &interval = addSlider(*TagValues::find(tagPage(), TagValue::ActiveInterval), parent);
    row->addWidget(interval.bar, 1);
    row->addWidget(interval.readout);
}

// A slider with its label under it ("X 0.1 second"), then its read-out.
void TagParameterPage::addSliderWithLabel(const TagValueSpec &control, QBoxLayout *row, QWidget *parent)
{
    const Slider &s = addSlider(control, parent);
    auto *column = new QVBoxLayout;
    column->setSpacing(0);
    column->addWidget(s.bar);
    // Named after its slider ("sbTagRecv1" -> "lblTagRecv1"), so the language switch finds it.
    if (control.label)
        column->addWidget(Controls::label(parent, ("lbl" + QByteArray(control.slider).mid(2)).constData(),
                                          QLatin1String(control.label)));
    row->addLayout(column, 1);
    row->addWidget(s.readout);
}

void TagParameterPage::setHiddenShown(bool shown)
{
    for (QWidget *row : m_hiddenRows)
        row->setVisible(shown);
}

void TagParameterPage::adoptPowerKeyPanel(QWidget *panel)
{
    m_powerKeyHost->layout()->addWidget(panel);
    panel->show();
}
