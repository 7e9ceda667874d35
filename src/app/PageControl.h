#pragma once

#include <QTabWidget>

// A page control: a tab widget whose selected tab is drawn red (or plain, for the page controls that
// keep the usual tabs). Pages carry their control name as objectName and their English caption as the
// translation key.
class PageControl : public QTabWidget
{
    Q_OBJECT
public:
    enum class TabLook
    {
        Red,
        Plain
    };

    explicit PageControl(const QString &name, QWidget *parent = nullptr, TabLook look = TabLook::Red);

    // Adds `page` named `name` with `caption`; returns the page.
    QWidget *addPage(QWidget *page, const QString &name, const QString &caption);
    // The page named `name`, or nullptr.
    QWidget *page(const QString &name) const;
    void showPage(const QString &name);
    QString currentPageName() const;
};
