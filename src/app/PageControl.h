#pragma once

#include <QTabWidget>

// A page control: a tab widget whose selected tab is drawn red. Pages carry their control name as
// objectName and their English caption as the translation key.
class PageControl : public QTabWidget
{
    Q_OBJECT
public:
    explicit PageControl(const QString &name, QWidget *parent = nullptr);

    // Adds `page` named `name` with `caption`; returns the page.
    QWidget *addPage(QWidget *page, const QString &name, const QString &caption);
    // The page named `name`, or nullptr.
    QWidget *page(const QString &name) const;
    void showPage(const QString &name);
    QString currentPageName() const;
};
