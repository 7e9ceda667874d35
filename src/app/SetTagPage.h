#pragma once

#include "i18n/LanguageTable.h"
#include "tagcfg/TagButton.h"

#include <QWidget>

#include <vector>

class PageControl;
class PowerKeyPanel;
class QHBoxLayout;
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
// sequence or provisioning run, with the provisioning panel above it. The read loop's panel and the
// provisioning panel fold away (switches beside "Cancel"), so the tag type pages have the room. The
// page shows what it is given and says what the user asked for.
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

    // Values of the controls of `page` (with the power-key radio group), and a read value into the
    // slider of `page` that shows it (the pages that share the value follow).
    TagValueMap values(TagPage page) const;
    void showValue(TagPage page, TagValue value, int position);
    // The controls kept hidden unless the user asks for them (the PA rows).
    void setHiddenShown(bool shown);

    // Provisioning from a plan file, below the panel.
    ProvisionPanel *provisionPanel() const { return m_provision; }
    // The read loop's panel and the provisioning bar are folded away unless the user opens them.
    void setFolded(bool readFolded, bool provisionFolded);
    bool isReadFolded() const;
    bool isProvisionFolded() const;
    // A plan being loaded or run shows its bar.
    void unfoldProvisioning();
    // The caret in "TAG ID:" (the alarm page's guard).
    void focusTagId();

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
    // The user chose the tag type page `page`.
    void tagTypeShown(TagPage page);
    // The user folded or unfolded the read loop's panel or the provisioning bar.
    void foldsChanged(bool readFolded, bool provisionFolded);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *buildReadPanel(QWidget *parent);
    QHBoxLayout *buildFoot();
    static void keepReadableWhenDisabled(QWidget *w);
    void showFolds();
    TagButtonPage *tagPage(TagPage page) const;
    void addTagPages(QWidget *parent);
    void shareValue(TagValue value, int position);
    void handleTagTypeShown(int index);
    void refitTagPages();

    QWidget *m_pnlSetTagMain = nullptr;
    QPushButton *m_btnTagExit = nullptr;
    QPushButton *m_btnTagCancel = nullptr;
    QPushButton *m_btnRead = nullptr;
    QPushButton *m_btnShowReadTag = nullptr;
    QPushButton *m_btnShowProvision = nullptr;
    QWidget *m_pnlReadTag = nullptr;
    QLineEdit *m_pnTagID = nullptr;
    QLabel *m_pnlTagMsg = nullptr;
    QLabel *m_pnlCount = nullptr;
    QTableView *m_grdTagUID = nullptr;
    PageControl *m_pcSelTagType = nullptr;
    ProvisionPanel *m_provision = nullptr;
    std::vector<TagButtonPage *> m_tagPages; // in the order of their tabs
    PowerKeyPanel *m_powerKey = nullptr;
    QVBoxLayout *m_layout = nullptr;
    bool m_sequenceRunning = false;
    bool m_reading = false;
};
