#include "app/SetTagPage.h"

#include "app/Controls.h"
#include "app/PageControl.h"
#include "app/PowerKeyPanel.h"
#include "app/ProvisionPanel.h"
#include "app/TagParameterPage.h"
#include "app/WindowTranslator.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

using namespace Controls;

namespace {
const QString kNoTag = QStringLiteral("0000000000000000");
constexpr int kSpacing = 4;
constexpr int kReadPanelHeight = 150; // its buttons and a few rows of its grid

struct TypePage
{
    TagPage page;
    const char *name;
    const char *caption;
};
constexpr TypePage kTypePages[] = {{TagPage::Tag, "tsTAG", "TAG"},
                                   {TagPage::Wk, "tsWKA", "WK"},
                                   {TagPage::Rq, "tsRQ", "RQ"},
                                   {TagPage::Fz, "tsFZ", "FZ"},
                                   {TagPage::PvPj, "tsPV", "PV/PJ"}};
} // namespace

SetTagPage::SetTagPage(QWidget *parent) : QWidget(parent)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(kSpacing);
    auto *panelFrame = frame(this, "pnlSetTagMain");
    m_pnlSetTagMain = panelFrame;
    m_layout = new QVBoxLayout(panelFrame);
    m_layout->setContentsMargins(kSpacing, kSpacing, kSpacing, 0);
    m_layout->setSpacing(kSpacing);
    // "OK" and the tag being configured share the top line, so the tag type pages keep the height.
    auto *topRow = new QHBoxLayout;
    m_btnTagExit = button(panelFrame, "btnTagExit", QStringLiteral("OK"));
    connect(m_btnTagExit, &QPushButton::clicked, this, &SetTagPage::doneRequested);
    topRow->addWidget(m_btnTagExit);
    topRow->addWidget(label(panelFrame, "lblSetTagID", QStringLiteral("TAG ID:")));
    m_pnTagID = edit(panelFrame, QStringLiteral("pnTagID"), kNoTag);
    connect(m_pnTagID, &QLineEdit::textEdited, this, &SetTagPage::tagIdEdited);
    topRow->addWidget(m_pnTagID, 1);
    m_layout->addLayout(topRow);
    m_pnlTagMsg = panel(panelFrame, "pnlTagMsg", QStringLiteral("Select Function"));
    keepReadableWhenDisabled(m_pnlTagMsg);
    m_layout->addWidget(m_pnlTagMsg);
    addTagPages(panelFrame);
    // Hiding the pages while the read loop runs keeps their room, so nothing below them moves.
    QSizePolicy pagesPolicy = m_pcSelTagType->sizePolicy();
    pagesPolicy.setRetainSizeWhenHidden(true);
    m_pcSelTagType->setSizePolicy(pagesPolicy);
    m_layout->addWidget(m_pcSelTagType, 1);
    m_pnlReadTag = buildReadPanel(panelFrame);
    m_layout->addWidget(m_pnlReadTag);
    outer->addWidget(panelFrame, 1);
    // Outside the locked panel: a run's table can be scrolled while its rows go out.
    m_provision = new ProvisionPanel(this);
    outer->addWidget(m_provision);
    outer->addLayout(buildFoot());
    setFolded(true, true);
}

// The foot line: the switches that unfold the panel's read loop and the provisioning bar (both are
// extras, folded unless the user opens them), and "Cancel", outside the panel that a run locks.
QHBoxLayout *SetTagPage::buildFoot()
{
    auto *foot = new QHBoxLayout;
    foot->setContentsMargins(kSpacing, 0, kSpacing, kSpacing);
    const auto fold = [this, foot](const char *name, const char *caption) {
        QPushButton *b = button(this, name, QLatin1String(caption));
        b->setCheckable(true);
        b->setFlat(true);
        connect(b, &QPushButton::toggled, this, [this] {
            showFolds();
            emit foldsChanged(isReadFolded(), isProvisionFolded());
        });
        foot->addWidget(b);
        return b;
    };
    m_btnShowReadTag = fold("btnShowReadTag", "Read TAG");
    m_btnShowProvision = fold("btnShowProvision", "Provisioning");
    foot->addStretch(1);
    m_btnTagCancel = button(this, "btnTagCancel", QStringLiteral("Cancel"));
    m_btnTagCancel->setEnabled(false);
    connect(m_btnTagCancel, &QPushButton::clicked, this, &SetTagPage::cancelRequested);
    foot->addWidget(m_btnTagCancel);
    return foot;
}

// The progress line stays legible while a run locks the panel around it.
void SetTagPage::keepReadableWhenDisabled(QWidget *w)
{
    QPalette p = w->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::Window})
        p.setColor(QPalette::Disabled, role, p.color(QPalette::Active, role));
    w->setPalette(p);
}

void SetTagPage::setFolded(bool readFolded, bool provisionFolded)
{
    const QSignalBlocker readBlocker(m_btnShowReadTag);
    const QSignalBlocker provisionBlocker(m_btnShowProvision);
    m_btnShowReadTag->setChecked(!readFolded);
    m_btnShowProvision->setChecked(!provisionFolded);
    showFolds();
}

bool SetTagPage::isReadFolded() const
{
    return !m_btnShowReadTag->isChecked();
}

bool SetTagPage::isProvisionFolded() const
{
    return !m_btnShowProvision->isChecked();
}

void SetTagPage::showFolds()
{
    // The read loop's panel stays out while it runs (its button is how the loop stops).
    m_pnlReadTag->setVisible(!isReadFolded() || m_reading);
    m_provision->setVisible(!isProvisionFolded());
    const QStyle::StandardPixmap arrow[2] = {QStyle::SP_ArrowRight, QStyle::SP_ArrowDown};
    m_btnShowReadTag->setIcon(style()->standardIcon(arrow[m_btnShowReadTag->isChecked()]));
    m_btnShowProvision->setIcon(style()->standardIcon(arrow[m_btnShowProvision->isChecked()]));
}

void SetTagPage::unfoldProvisioning()
{
    if (isProvisionFolded())
        m_btnShowProvision->setChecked(true);
}

void SetTagPage::addTagPages(QWidget *parent)
{
    m_pcSelTagType = new PageControl(QStringLiteral("pcSelTagType"), parent);
    m_powerKey = new PowerKeyPanel; // the first parameter page takes it
    connect(m_powerKey, &PowerKeyPanel::buttonClicked, this, &SetTagPage::tagButtonClicked);
    for (const TypePage &t : kTypePages) {
        TagButtonPage *page = TagButtonPage::create(t.page);
        connect(page, &TagButtonPage::buttonClicked, this, &SetTagPage::tagButtonClicked);
        connect(page, &TagButtonPage::sharedValueChanged, this, &SetTagPage::shareValue);
        if (auto *parameters = qobject_cast<TagParameterPage *>(page); parameters && !m_powerKey->parent())
            parameters->adoptPowerKeyPanel(m_powerKey);
        m_tagPages.push_back(page);
        // Each tag type page scrolls: the alarm page's rows are taller than the panel's window.
        auto *scroll = new QScrollArea;
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(page);
        m_pcSelTagType->addPage(scroll, QLatin1String(t.name), QLatin1String(t.caption));
    }
    connect(m_pcSelTagType, &QTabWidget::currentChanged, this, &SetTagPage::handleTagTypeShown);
}

// Moving a shared slider moves its peers on the other pages; a peer that already holds the position
// does not change again, so the round ends.
void SetTagPage::shareValue(TagValue value, int position)
{
    for (TagButtonPage *p : m_tagPages)
        p->setValue(value, position);
}

// The power-key panel moves onto the parameter page being shown; the alarm page has none.
void SetTagPage::handleTagTypeShown(int index)
{
    if (index < 0 || size_t(index) >= m_tagPages.size())
        return;
    TagButtonPage *page = m_tagPages[size_t(index)];
    if (auto *parameters = qobject_cast<TagParameterPage *>(page))
        parameters->adoptPowerKeyPanel(m_powerKey);
    refitTagPages();
    emit tagTypeShown(page->tagPage());
}

// A page whose rows came or went (the power-key panel, the hidden rows) gets its scroll range anew;
// the scroll area does not see the change of a page that is not in front.
void SetTagPage::refitTagPages()
{
    for (int i = 0; i < m_pcSelTagType->count(); ++i)
        if (auto *scroll = qobject_cast<QScrollArea *>(m_pcSelTagType->widget(i)))
            scroll->setWidgetResizable(true);
}

QWidget *SetTagPage::buildReadPanel(QWidget *parent)
{
    auto *readPanel = frame(parent, "pnlReadTag");
    readPanel->setFixedHeight(kReadPanelHeight);
    auto *readSide = new QVBoxLayout(readPanel);
    readSide->setContentsMargins(0, 0, 0, 0);
    auto *buttons = new QHBoxLayout;
    m_btnRead = button(readPanel, "btnRead", QStringLiteral("Read T&AG"));
    connect(m_btnRead, &QPushButton::clicked, this, &SetTagPage::readRequested);
    buttons->addWidget(m_btnRead);
    QPushButton *clearButton = button(readPanel, "btnClear02", QStringLiteral("&Clear"));
    connect(clearButton, &QPushButton::clicked, this, &SetTagPage::clearRequested);
    buttons->addWidget(clearButton);
    m_pnlCount = panel(readPanel, "pnlCount", QStringLiteral("0"));
    buttons->addWidget(m_pnlCount);
    buttons->addStretch(1);
    readSide->addLayout(buttons);
    m_grdTagUID = new QTableView(readPanel);
    m_grdTagUID->setObjectName(QStringLiteral("grdTagUID"));
    m_grdTagUID->verticalHeader()->hide();
    m_grdTagUID->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdTagUID->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdTagUID->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_grdTagUID, &QTableView::clicked, this,
            [this](const QModelIndex &index) { emit readRowClicked(index.row()); });
    readSide->addWidget(m_grdTagUID, 1);
    return readPanel;
}

void SetTagPage::setTagId(const QString &uid)
{
    m_pnTagID->setText(uid);
}

QString SetTagPage::tagId() const
{
    return m_pnTagID->text();
}

void SetTagPage::showMessage(const QString &text)
{
    m_pnlTagMsg->setText(text);
}

QString SetTagPage::message() const
{
    return m_pnlTagMsg->text();
}

void SetTagPage::resetMessage(Language language)
{
    m_pnlTagMsg->setText(translate(language, QStringLiteral("Select Function")));
}

void SetTagPage::showFirstTagType()
{
    m_pcSelTagType->setCurrentIndex(0);
}

void SetTagPage::setReadModel(QAbstractItemModel *model)
{
    m_grdTagUID->setModel(model);
}

void SetTagPage::showReadCount(int count)
{
    m_pnlCount->setText(QString::number(count));
}

void SetTagPage::followReadRow(int row)
{
    m_grdTagUID->selectRow(row);
}

void SetTagPage::adoptConfigPanel(QWidget *panel)
{
    m_layout->addWidget(panel);
    panel->show();
}

TagButtonPage *SetTagPage::tagPage(TagPage page) const
{
    for (TagButtonPage *p : m_tagPages)
        if (p->tagPage() == page)
            return p;
    return nullptr;
}

TagValueMap SetTagPage::values(TagPage page) const
{
    const TagButtonPage *p = tagPage(page);
    TagValueMap out = p ? p->values() : TagValueMap{};
    out[TagValue::PowerKeyRadio] = m_powerKey->checkedIndex();
    return out;
}

void SetTagPage::showValue(TagPage page, TagValue value, int position)
{
    if (TagButtonPage *p = tagPage(page))
        p->setValue(value, position);
}

void SetTagPage::setHiddenShown(bool shown)
{
    for (TagButtonPage *p : m_tagPages)
        if (auto *parameters = qobject_cast<TagParameterPage *>(p))
            parameters->setHiddenShown(shown);
    refitTagPages();
}

void SetTagPage::setSequenceRunning(bool running)
{
    m_sequenceRunning = running;
    m_pnlSetTagMain->setEnabled(!running);
    m_btnTagCancel->setEnabled(running);
    if (running)
        m_btnTagCancel->setFocus();
}

void SetTagPage::setReading(bool reading, const QString &caption)
{
    m_reading = reading;
    WindowTranslator::setKey(m_btnRead, caption);
    m_btnRead->setText(caption);
    m_btnTagExit->setEnabled(!reading);
    m_pcSelTagType->setVisible(!reading);
    showFolds();
}

void SetTagPage::focusTagId()
{
    m_pnTagID->setFocus(Qt::OtherFocusReason);
}

// Esc ends a running sequence, as "Cancel" does.
void SetTagPage::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_sequenceRunning) {
        emit cancelRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}
