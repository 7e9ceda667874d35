#pragma once

#include "app/TagButtonPage.h"

#include <vector>

class QBoxLayout;

// One of the four tag type pages that share a layout ("TAG", "WK", "RQ", "FZ"). The parameter area
// (`pnlTagSet`, `pnlWKASet`, ...) holds, top to bottom: active time (count, "X", interval), receive
// count, beep time, the LED boxes, LED time, PA level (hidden unless hidden controls are shown),
// then the on/off and version buttons; each row carries the buttons that send or read its values.
// Below it the power-key panel stands while this page is shown.
class TagParameterPage : public TagButtonPage
{
    Q_OBJECT
public:
    explicit TagParameterPage(TagPage page, QWidget *parent = nullptr);

    // The PA row (slider, read-out, its label and buttons) shown or not.
    void setHiddenShown(bool shown);
    // Takes the one power-key panel below the parameter area.
    void adoptPowerKeyPanel(QWidget *panel);

private:
    QWidget *buildRow(TagValue key, QWidget *parent);
    void addActiveTime(QBoxLayout *row, QWidget *parent);
    void addSliderWithLabel(const TagValueSpec &control, QBoxLayout *row, QWidget *parent);

    std::vector<QWidget *> m_hiddenRows;
    QWidget *m_powerKeyHost = nullptr;
};
