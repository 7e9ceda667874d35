#pragma once

#include "tagcfg/TagButton.h"

#include <QFrame>

#include <array>

class QRadioButton;

// The one power-key panel (`pnlONOFFMode`) of the four parameter pages: the radio buttons
// `rbtn01`..`rbtn04` and "Power On/Off Mode". It moves onto whichever of those pages is shown, so its
// selection carries over from page to page.
class PowerKeyPanel : public QFrame
{
    Q_OBJECT
public:
    explicit PowerKeyPanel(QWidget *parent = nullptr);

    // The index of the first checked radio button, -1 when none is.
    int checkedIndex() const;

signals:
    void buttonClicked(const TagButton *button);

private:
    std::array<QRadioButton *, 4> m_radios{};
};
