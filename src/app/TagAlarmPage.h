#pragma once

#include "app/TagButtonPage.h"

#include <vector>

class QGridLayout;

// The "PV/PJ" page of the temperature-alarm and anti-tamper tag: the group "Anti-Tamper" (IR detect
// times and interval, temperature difference, alarm count, the anti-tamper and alarm-beep ON/OFF
// pairs) above the group "Temperature Alarm" (Top, High, Standard, Low and Bottom Level, the
// temperature-alarm ON/OFF pair). Each slider row is its button, the slider and its read-out; the
// read-outs keep their fixed initial texts until their slider first changes.
//
// The alarm levels count from Standard Temp: moving it recomputes the four level read-outs and
// hints. High Level stays below Top Level once either of them or Standard Temp has moved: its
// maximum follows Top Level - 1 (unless Top Level is 1), and a position above it drops to it.
class TagAlarmPage : public TagButtonPage
{
    Q_OBJECT
public:
    explicit TagAlarmPage(QWidget *parent = nullptr);

protected:
    void handleSliderChange(TagValue value) override;

private:
    struct Pair
    {
        quint8 reg;
        const char *labelName;
        const char *caption;
    };

    QWidget *buildGroup(const char *name, const char *title, const std::vector<TagValue> &rows,
                        const std::vector<Pair> &pairs);
    void addSliderRow(TagValue value, QGridLayout *grid, QWidget *parent);
    void addPairRow(const Pair &pair, QGridLayout *grid, QWidget *parent);
    void applyHighLevelCap();
};
