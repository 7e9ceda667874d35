#include "app/PageControl.h"

#include "app/RedTabBar.h"

PageControl::PageControl(const QString &name, QWidget *parent, TabLook look) : QTabWidget(parent)
{
    setObjectName(name);
    if (look == TabLook::Red)
        setTabBar(new RedTabBar(this));
}

QWidget *PageControl::addPage(QWidget *page, const QString &name, const QString &caption)
{
    page->setObjectName(name);
    addTab(page, caption);
    return page;
}

QWidget *PageControl::page(const QString &name) const
{
    for (int i = 0; i < count(); ++i) {
        if (widget(i)->objectName() == name)
            return widget(i);
    }
    return nullptr;
}

void PageControl::showPage(const QString &name)
{
    if (QWidget *p = page(name))
        setCurrentWidget(p);
}

QString PageControl::currentPageName() const
{
    return currentWidget() ? currentWidget()->objectName() : QString();
}
