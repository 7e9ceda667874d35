#pragma once

#include <QWidget>

class PageControl;
class QLabel;
class QLineEdit;
class QTableView;
class QVBoxLayout;

// The tab-less "Set TAG" page (`tsSetTAG`) with the tag settings panel `pnlSetTagMain`: the tag being
// configured, its message panel, the tag type pages and the grid of the panel's own tag reading. The
// tag command buttons come with the tag command flow.
class SetTagPage : public QWidget
{
    Q_OBJECT
public:
    explicit SetTagPage(QWidget *parent = nullptr);

    QLineEdit *pnTagID() const { return m_pnTagID; }
    QLabel *pnlTagMsg() const { return m_pnlTagMsg; }
    QTableView *grdTagUID() const { return m_grdTagUID; }
    PageControl *pcSelTagType() const { return m_pcSelTagType; }
    // Shows the borrowed configuration panel at the foot of this page.
    void adoptConfigPanel(QWidget *panel);

private:
    QLineEdit *m_pnTagID = nullptr;
    QLabel *m_pnlTagMsg = nullptr;
    QTableView *m_grdTagUID = nullptr;
    PageControl *m_pcSelTagType = nullptr;
    QVBoxLayout *m_layout = nullptr;
};
