#pragma once

#include "i18n/LanguageTable.h"

#include <QWidget>

class PageControl;
class QLabel;
class QLineEdit;
class QStandardItemModel;
class QTableView;
class QVBoxLayout;

// The tab-less "Set TAG" page (`tsSetTAG`) with the tag settings panel `pnlSetTagMain`: the tag being
// configured, its message panel, the tag type pages and the grid of the panel's own tag reading with
// its "&Clear" button and count. The tag command buttons come with the tag command flow.
class SetTagPage : public QWidget
{
    Q_OBJECT
public:
    explicit SetTagPage(QWidget *parent = nullptr);

    // The tag to configure ("TAG ID:").
    void setTagId(const QString &uid);
    QString tagId() const;
    // The message panel back to "Select Function".
    void resetMessage(Language language);
    // The first tag type page ("TAG") in front.
    void showFirstTagType();
    // The grid with only its translated header row.
    void resetGrid(Language language);
    // Shows the borrowed configuration panel at the foot of this page.
    void adoptConfigPanel(QWidget *panel);

signals:
    // "OK": back to the "Read TAG" page.
    void doneRequested();

private:
    void clear();
    void setHeaders(const QStringList &headers);

    QLineEdit *m_pnTagID = nullptr;
    QLabel *m_pnlTagMsg = nullptr;
    QLabel *m_pnlCount = nullptr;
    QTableView *m_grdTagUID = nullptr;
    QStandardItemModel *m_grid = nullptr;
    PageControl *m_pcSelTagType = nullptr;
    QVBoxLayout *m_layout = nullptr;
};
