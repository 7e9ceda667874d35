#pragma once

#include <QTabBar>

// A tab bar that draws every caption centred in its tab and paints the selected tab red, with the
// window colour as its text colour, so the page in front is obvious from across the room.
class RedTabBar : public QTabBar
{
    Q_OBJECT
public:
    explicit RedTabBar(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
