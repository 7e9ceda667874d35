#include "app/RedTabBar.h"

#include <QStyleOptionTab>
#include <QStylePainter>

RedTabBar::RedTabBar(QWidget *parent) : QTabBar(parent)
{
    setDrawBase(true);
}

void RedTabBar::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
        if (!isTabVisible(i))
            continue;
        QStyleOptionTab option;
        initStyleOption(&option, i);
        if (i != currentIndex()) {
            painter.drawControl(QStyle::CE_TabBarTab, option);
            continue;
        }
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
        const QRect inner = option.rect.adjusted(2, 2, -2, 0);
        painter.fillRect(inner, QColor(Qt::red));
        painter.setPen(palette().color(QPalette::Window));
        painter.drawText(inner, Qt::AlignCenter | Qt::TextShowMnemonic, option.text);
    }
}
