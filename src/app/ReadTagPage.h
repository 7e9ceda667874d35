#pragma once

#include <QWidget>
#include <array>

class PageControl;
class QAbstractItemModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTableView;
class ReadButtonPanel;
class ReadLinkPages;

// The "Read TAG" page (`tsReadTag`): the link pages and the button panel on the left; on the right
// `pcReadTag` with "View All TAG" (filters, type switches, the all-tags grid, the tag list and the
// selection) and "View Select TAG" (the selected-tags grid, its timing and the CSV controls).
class ReadTagPage : public QWidget
{
    Q_OBJECT
public:
    explicit ReadTagPage(QWidget *parent = nullptr);

    ReadLinkPages *links() const { return m_links; }
    ReadButtonPanel *buttons() const { return m_buttons; }
    PageControl *pcReadTag() const { return m_pcReadTag; }

    QTableView *grdUID() const { return m_grdUID; }
    QTableView *grdSel() const { return m_grdSel; }
    QListView *lvTag() const { return m_lvTag; }
    QListView *lvSel() const { return m_lvSel; }
    QLineEdit *edtTagFilter() const { return m_edtTagFilter; }
    QCheckBox *typeCheck(int n) const { return m_typeChecks[size_t(n - 1)]; } // chk01..chk04
    QCheckBox *cbxBeep() const { return m_cbxBeep; }
    QLineEdit *edNo() const { return m_edNo; }
    QLabel *pnlTime() const { return m_pnlTime; }
    QLabel *pnCount() const { return m_pnCount; }
    QLineEdit *edFile() const { return m_edFile; }
    QLineEdit *edFile2() const { return m_edFile2; }
    QPushButton *btnFile() const { return m_btnFile; }
    QPushButton *btnSave() const { return m_btnSave; }
    QCheckBox *chbAutoSave() const { return m_chbAutoSave; }
    QCheckBox *chbAllTags() const { return m_chbAllTags; }

    // Gives the UID and sensor columns room for their texts (after a model or font change).
    void fitGridColumns();
    void setModels(QAbstractItemModel *allTags, QAbstractItemModel *selectedTags, QAbstractItemModel *tagList,
                   QAbstractItemModel *selection);

private:
    QWidget *buildViewAllPage();
    QWidget *buildViewSelectPage();

    ReadLinkPages *m_links = nullptr;
    ReadButtonPanel *m_buttons = nullptr;
    PageControl *m_pcReadTag = nullptr;
    QTableView *m_grdUID = nullptr;
    QTableView *m_grdSel = nullptr;
    QWidget *m_pnlSel = nullptr;
    QListView *m_lvTag = nullptr;
    QListView *m_lvSel = nullptr;
    QLineEdit *m_edtTagFilter = nullptr;
    std::array<QCheckBox *, 4> m_typeChecks{};
    QCheckBox *m_cbxBeep = nullptr;
    QLineEdit *m_edNo = nullptr;
    QLabel *m_pnlTime = nullptr;
    QLabel *m_pnCount = nullptr;
    QLineEdit *m_edFile = nullptr;
    QLineEdit *m_edFile2 = nullptr;
    QPushButton *m_btnFile = nullptr;
    QPushButton *m_btnSave = nullptr;
    QCheckBox *m_chbAutoSave = nullptr;
    QCheckBox *m_chbAllTags = nullptr;
};
