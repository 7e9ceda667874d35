#pragma once

#include "i18n/LanguageTable.h"
#include "tagcfg/TagButton.h"

#include <QWidget>

#include <vector>

class PageControl;
class ProvisionPanel;
class QAbstractItemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QVBoxLayout;
class TagButtonPage;

// The tab-less "Set TAG" page (`tsSetTAG`) with the tag settings panel `pnlSetTagMain`: "OK", the tag
// being configured (`pnTagID`), the message line `pnlTagMsg`, the tag type pages of `pcSelTagType`
// with their buttons and sliders, the panel's own tag reading (`pnlReadTag`: "Read T&AG", "&Clear",
// the count and `grdTagUID`), the borrowed configuration link panel, and "Cancel" for a running
// sequence or provisioning run, with the provisioning panel above it. The page shows what it is
// given and says what the user asked for.
class SetTagPage : public QWidget
{
    Q_OBJECT
public:
    explicit SetTagPage(QWidget *parent = nullptr);

    // The tag to configure ("TAG ID:").
    void setTagId(const QString &uid);
    QString tagId() const;
    void showMessage(const QString &text);
    QString message() const;
    // The message panel back to "Select Function".
    void resetMessage(Language language);
    // The first tag type page ("TAG") in front.
    void showFirstTagType();
    // The grid of the panel's tag reading.
    void setReadModel(QAbstractItemModel *model);
    void showReadCount(int count);
    void followReadRow(int row);
    // Shows the borrowed configuration panel at the foot of the tag settings panel.
    void adoptConfigPanel(QWidget *panel);

    // Values of the sliders of the page of `button`, and a read value into its slider.
    TagValueMap values(TagPage page) const;
    void showValue(TagValue value, int position);

    // Provisioning from a plan file, below the panel.
    ProvisionPanel *provisionPanel() const { return m_provision; }

    // A sequence runs: the panel is locked, only "Cancel" (or Esc) is offered.
    void setSequenceRunning(bool running);
    // The read loop runs: its button says "Stop Read", the tag type pages are hidden, "OK" is locked.
    void setReading(bool reading, const QString &caption);

signals:
    // "OK": back to the "Read TAG" page.
    void doneRequested();
    void tagButtonClicked(const TagButton *button);
    void cancelRequested();
    void readRequested();
    void clearRequested();
    // The user typed in "TAG ID:".
    void tagIdEdited(const QString &text);
    // A row of the grid was clicked: its UID.
    void readRowClicked(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *buildReadPanel(QWidget *parent);
    TagButtonPage *tagPage(TagPage page) const;

    QWidget *m_pnlSetTagMain = nullptr;
    QPushButton *m_btnTagExit = nullptr;
    QPushButton *m_btnTagCancel = nullptr;
    QPushButton *m_btnRead = nullptr;
    QLineEdit *m_pnTagID = nullptr;
    QLabel *m_pnlTagMsg = nullptr;
    QLabel *m_pnlCount = nullptr;
    QTableView *m_grdTagUID = nullptr;
    PageControl *m_pcSelTagType = nullptr;
    ProvisionPanel *m_provision = nullptr;
    std::vector<TagButtonPage *> m_tagPages;
    QVBoxLayout *m_layout = nullptr;
    bool m_sequenceRunning = false;
};
