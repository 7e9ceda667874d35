#include "app/TagAlarmPage.h"

#include "app/Controls.h"
#include "tagcfg/TagButtons.h"
#include "tagcfg/TagCodes.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kMargin = 4;
constexpr int kSpacing = 1;

// The button that writes `value`, or the buttons that write the fixed values of register `reg`.
const TagButton *writerOf(TagValue value)
{
    for (const TagButton &button : TagButtons::all())
        if (button.page == TagPage::PvPj && button.steps.size() == 1 && button.steps.front().value == value)
            return &button;
    return nullptr;
}

std::vector<const TagButton *> pairOf(quint8 reg)
{
    std::vector<const TagButton *> out;
    for (const TagButton &button : TagButtons::all())
        if (button.page == TagPage::PvPj && button.steps.size() == 1 && button.steps.front().reg == reg &&
            button.steps.front().value == TagValue::None)
            out.push_back(&button);
    return out;
}

} // namespace

TagAlarmPage::TagAlarmPage(QWidget *parent) : TagButtonPage(TagPage::PvPj, parent)
{
    // Twelve rows of buttons: close together, so that all of them are in view at once.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, 0, kMargin, 0);
    layout->setSpacing(kSpacing);
    layout->addWidget(buildGroup(
        "GroupBox3", "Anti-Tamper",
        {TagValue::IrDetectTimes, TagValue::IrDetectInterval, TagValue::TempDifference, TagValue::AlarmCount},
        {{0x54, "Label32", "Anti-Tamper detect:"}, {0x5B, "Label34", "Alarm Beep:"}}));
    layout->addWidget(buildGroup("GroupBox2", "Temperature Alarm",
                                 {TagValue::TopLevel, TagValue::HighLevel, TagValue::StandardTemp,
                                  TagValue::LowLevel, TagValue::BottomLevel},
                                 {{0x55, "Label33", "Temperature alarm:"}}));
    layout->addStretch(1);
}

QWidget *TagAlarmPage::buildGroup(const char *name, const char *title, const std::vector<TagValue> &rows,
                                  const std::vector<Pair> &pairs)
{
    auto *group = new QGroupBox(QLatin1String(title), this);
    group->setObjectName(QLatin1String(name));
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(kMargin, kSpacing, kMargin, kSpacing);
    grid->setVerticalSpacing(kSpacing);
    for (TagValue value : rows)
        addSliderRow(value, grid, group);
    for (const Pair &pair : pairs)
        addPairRow(pair, grid, group);
    grid->setColumnStretch(1, 1);
    return group;
}

void TagAlarmPage::addSliderRow(TagValue value, QGridLayout *grid, QWidget *parent)
{
    const int row = grid->rowCount();
    if (const TagButton *button = writerOf(value))
        grid->addWidget(addButton(*button, parent), row, 0);
    const Slider &s = addSlider(*TagValues::find(TagPage::PvPj, value), parent);
    grid->addWidget(s.bar, row, 1);
    grid->addWidget(s.readout, row, 2);
}

// A label and its "ON" / "OFF" buttons.
void TagAlarmPage::addPairRow(const Pair &pair, QGridLayout *grid, QWidget *parent)
{
    const int row = grid->rowCount();
    grid->addWidget(Controls::label(parent, pair.labelName, QLatin1String(pair.caption)), row, 0);
    auto *buttons = new QHBoxLayout;
    for (const TagButton *button : pairOf(pair.reg))
        buttons->addWidget(addButton(*button, parent));
    buttons->addStretch(1);
    grid->addLayout(buttons, row, 1, 1, 2);
}

void TagAlarmPage::handleSliderChange(TagValue value)
{
    showReadout(value);
    switch (value) {
    case TagValue::StandardTemp:
        // The levels count from the standard temperature: their read-outs and hints follow it.
        for (TagValue level :
             {TagValue::TopLevel, TagValue::HighLevel, TagValue::LowLevel, TagValue::BottomLevel})
            showReadout(level);
        applyHighLevelCap();
        showReadout(value); // its own hint last
        break;
    case TagValue::TopLevel:
    case TagValue::HighLevel:
        applyHighLevelCap();
        break;
    default:
        break;
    }
}

// High Level's maximum is Top Level - 1 while Top Level is above 1; a High Level above it drops to it,
// which runs High Level's change handler (and this again, which then changes nothing).
void TagAlarmPage::applyHighLevelCap()
{
    QScrollBar *high = slider(TagValue::HighLevel)->bar;
    high->setMaximum(TagCodes::highLevelMaximum(position(TagValue::TopLevel), high->maximum()));
}
