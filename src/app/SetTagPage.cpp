#include "app/SetTagPage.h"

#include "app/Controls.h"
#include "app/PageControl.h"
#include "app/ProvisionPanel.h"
#include "app/TagButtonPage.h"
#include "app/WindowTranslator.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

using namespace Controls;

namespace {
const QString kNoTag = QStringLiteral("0000000000000000");

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
    auto *panelFrame = frame(this, "pnlSetTagMain");
    m_pnlSetTagMain = panelFrame;
    m_layout = new QVBoxLayout(panelFrame);
    m_btnTagExit = button(panelFrame, "btnTagExit", QStringLiteral("OK"));
    connect(m_btnTagExit, &QPushButton::clicked, this, &SetTagPage::doneRequested);
    m_layout->addWidget(m_btnTagExit);
    auto *idRow = new QHBoxLayout;
    idRow->addWidget(label(panelFrame, "lblSetTagID", QStringLiteral("TAG ID:")));
    m_pnTagID = edit(panelFrame, QStringLiteral("pnTagID"), kNoTag);
    connect(m_pnTagID, &QLineEdit::textEdited, this, &SetTagPage::tagIdEdited);
    idRow->addWidget(m_pnTagID, 1);
    m_layout->addLayout(idRow);
    m_pnlTagMsg = panel(panelFrame, "pnlTagMsg", QStringLiteral("Select Function"));
    m_layout->addWidget(m_pnlTagMsg);
    m_pcSelTagType = new PageControl(QStringLiteral("pcSelTagType"), panelFrame);
    for (const TypePage &t : kTypePages) {
        auto *page = new TagButtonPage(t.page);
        connect(page, &TagButtonPage::buttonClicked, this, &SetTagPage::tagButtonClicked);
        m_tagPages.push_back(page);
        // Each tag type page scrolls: the alarm page's rows are taller than the panel's window.
        auto *scroll = new QScrollArea;
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(page);
        m_pcSelTagType->addPage(scroll, QLatin1String(t.name), QLatin1String(t.caption));
    }
    m_layout->addWidget(m_pcSelTagType, 1);
    m_layout->addWidget(buildReadPanel(panelFrame), 1);
    outer->addWidget(panelFrame, 1);
    // Outside the locked panel: a run's table can be scrolled while its rows go out.
    m_provision = new ProvisionPanel(this);
    outer->addWidget(m_provision);
    m_btnTagCancel = button(this, "btnTagCancel", QStringLiteral("Cancel"));
    m_btnTagCancel->setEnabled(false);
    connect(m_btnTagCancel, &QPushButton::clicked, this, &SetTagPage::cancelRequested);
    outer->addWidget(m_btnTagCancel);
}

QWidget *SetTagPage::buildReadPanel(QWidget *parent)
{
    auto *readPanel = frame(parent, "pnlReadTag");
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
    return p ? p->values() : TagValueMap{};
}

void SetTagPage::showValue(TagValue value, int position)
{
    for (TagButtonPage *p : m_tagPages)
        p->setValue(value, position);
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
    WindowTranslator::setKey(m_btnRead, caption);
    m_btnRead->setText(caption);
    m_btnTagExit->setEnabled(!reading);
    m_pcSelTagType->setVisible(!reading);
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
