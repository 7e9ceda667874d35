#pragma once

#include "tagcfg/TagButton.h"

#include <QWidget>

#include <map>

class QLabel;
class QScrollBar;
class QVBoxLayout;

// One tag type page of the tag settings panel ("TAG", "WK", ...), built from the tables: every
// slider of the page (`sbTime` with its read-out `pnlTime1`, ...) and every button row of the page
// ("Set TAG Active Time", ...). A click asks for the button's sequence; the sliders give the values
// it sends and take the values a read brings back.
class TagButtonPage : public QWidget
{
    Q_OBJECT
public:
    explicit TagButtonPage(TagPage page, QWidget *parent = nullptr);

    TagPage tagPage() const { return m_page; }
    // Positions of this page's sliders.
    TagValueMap values() const;
    // Moves the slider of `value` (if this page has one) to `position`; a position outside its range
    // leaves the slider and shows the number in its read-out (false).
    bool setValue(TagValue value, int position);
    int buttonCount() const { return m_buttons; }

signals:
    void buttonClicked(const TagButton *button);

private:
    struct Slider
    {
        const TagValueSpec *control;
        QScrollBar *bar;
        QLabel *readout;
    };

    void addSlider(const TagValueSpec &control);
    void addButton(const TagButton &button);

    TagPage m_page;
    QVBoxLayout *m_layout;
    std::map<TagValue, Slider> m_sliders;
    int m_buttons = 0;
};
