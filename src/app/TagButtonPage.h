#pragma once

#include "tagcfg/TagButton.h"
#include "tagcfg/TagChoices.h"

#include <QWidget>

#include <map>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;

// One tag type page of the tag settings panel ("TAG", "WK", ..., "PV/PJ"), built from the tables:
// its sliders with their read-outs (`sbTime` / `pnlTime1`, ...), check boxes and buttons. A click
// asks for the button's command; the controls give the values it sends and take the values a read
// brings back. Moving a slider runs its change handler: the read-out (and hint) follow, and a slider
// whose value the four parameter pages share says so, so that its peers follow.
class TagButtonPage : public QWidget
{
    Q_OBJECT
public:
    // The page of `page`'s kind: the parameter layout of the four pages, or the alarm page.
    static TagButtonPage *create(TagPage page, QWidget *parent = nullptr);

    TagPage tagPage() const { return m_page; }
    // Positions of this page's sliders and states (0/1) of its check boxes.
    TagValueMap values() const;
    // Moves the slider of `value` (if this page has one) to `position` clamped to its range, as a
    // user's move would; false when the page has no such slider.
    bool setValue(TagValue value, int position);
    int buttonCount() const { return m_buttons; }

signals:
    void buttonClicked(const TagButton *button);
    // A slider of a value the four parameter pages share moved.
    void sharedValueChanged(TagValue value, int position);

protected:
    explicit TagButtonPage(TagPage page, QWidget *parent = nullptr);

    struct Slider
    {
        const TagValueSpec *control;
        QScrollBar *bar;
        QLabel *readout;
    };

    // The slider of `control` with its read-out (showing the initial text); both on `parent`.
    const Slider &addSlider(const TagValueSpec &control, QWidget *parent);
    QPushButton *addButton(const TagButton &button, QWidget *parent);
    QCheckBox *addCheck(const TagCheckSpec &check, QWidget *parent);
    const Slider *slider(TagValue value) const;
    int position(TagValue value) const;
    // The change handler of a slider: read-out and hint from its position.
    void showReadout(TagValue value);
    // Runs after a slider moved; the default shows its read-out and passes a shared value on.
    virtual void handleSliderChange(TagValue value);

private:
    TagPage m_page;
    std::map<TagValue, Slider> m_sliders;
    std::map<TagValue, QCheckBox *> m_checks;
    int m_buttons = 0;
};
