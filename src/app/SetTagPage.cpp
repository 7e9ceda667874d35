#include "app/SetTagPage.h"

#include "app/Controls.h"
#include "app/PageControl.h"
#include "reading/TagTableModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

using namespace Controls;

namespace {
const QString kNoTag = QStringLiteral("0000000000000000");
}

SetTagPage::SetTagPage(QWidget *parent) : QWidget(parent)
{
    auto *outer = new QHBoxLayout(this);
    auto *panelFrame = frame(this, "pnlSetTagMain");
    m_layout = new QVBoxLayout(panelFrame);
    QPushButton *done = button(panelFrame, "btnTagExit", QStringLiteral("OK"));
    connect(done, &QPushButton::clicked, this, &SetTagPage::doneRequested);
    m_layout->addWidget(done);
    auto *idRow = new QHBoxLayout;
    idRow->addWidget(label(panelFrame, "lblSetTagID", QStringLiteral("TAG ID:")));
    m_pnTagID = edit(panelFrame, QStringLiteral("pnTagID"), kNoTag);
    idRow->addWidget(m_pnTagID, 1);
    m_layout->addLayout(idRow);
    m_pnlTagMsg = panel(panelFrame, "pnlTagMsg", QStringLiteral("Select Function"));
    m_layout->addWidget(m_pnlTagMsg);
    m_pcSelTagType = new PageControl(QStringLiteral("pcSelTagType"), panelFrame);
    m_pcSelTagType->addPage(new QWidget, QStringLiteral("tsTAG"), QStringLiteral("TAG"));
    m_pcSelTagType->addPage(new QWidget, QStringLiteral("tsWKA"), QStringLiteral("WK"));
    m_pcSelTagType->addPage(new QWidget, QStringLiteral("tsRQ"), QStringLiteral("RQ"));
    m_pcSelTagType->addPage(new QWidget, QStringLiteral("tsFZ"), QStringLiteral("FZ"));
    m_pcSelTagType->addPage(new QWidget, QStringLiteral("tsPV"), QStringLiteral("PV/PJ"));
    m_layout->addWidget(m_pcSelTagType, 1);
    outer->addWidget(panelFrame, 1);

    auto *readSide = new QVBoxLayout;
    auto *buttons = new QHBoxLayout;
    QPushButton *clearButton = button(this, "btnClear02", QStringLiteral("&Clear"));
    connect(clearButton, &QPushButton::clicked, this, &SetTagPage::clear);
    buttons->addWidget(clearButton);
    m_pnlCount = panel(this, "pnlCount", QStringLiteral("0"));
    buttons->addWidget(m_pnlCount);
    buttons->addStretch(1);
    readSide->addLayout(buttons);
    m_grdTagUID = new QTableView(this);
    m_grdTagUID->setObjectName(QStringLiteral("grdTagUID"));
    m_grdTagUID->verticalHeader()->hide();
    m_grdTagUID->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid = new QStandardItemModel(this);
    m_grdTagUID->setModel(m_grid);
    readSide->addWidget(m_grdTagUID, 1);
    outer->addLayout(readSide, 1);
}

void SetTagPage::setTagId(const QString &uid)
{
    m_pnTagID->setText(uid);
}

QString SetTagPage::tagId() const
{
    return m_pnTagID->text();
}

void SetTagPage::resetMessage(Language language)
{
    m_pnlTagMsg->setText(translate(language, QStringLiteral("Select Function")));
}

void SetTagPage::showFirstTagType()
{
    m_pcSelTagType->setCurrentIndex(0);
}

void SetTagPage::setHeaders(const QStringList &headers)
{
    m_grid->clear();
    m_grid->setColumnCount(int(headers.size()));
    for (int c = 0; c < headers.size(); ++c)
        m_grid->setHeaderData(c, Qt::Horizontal, headers.at(c));
}

void SetTagPage::resetGrid(Language language)
{
    QStringList headers = TagTableModel::defaultHeaderTexts(TagTableModel::Kind::SelectedTags);
    for (QString &h : headers)
        h = translate(language, h);
    setHeaders(headers);
}

// "&Clear": the grid back to its header row with the untranslated headers, the count to 0 and no tag
// chosen.
void SetTagPage::clear()
{
    setHeaders(TagTableModel::defaultHeaderTexts(TagTableModel::Kind::SelectedTags));
    m_pnlCount->setText(QStringLiteral("0"));
    m_pnTagID->setText(kNoTag);
}

void SetTagPage::adoptConfigPanel(QWidget *panel)
{
    m_layout->addWidget(panel);
    panel->show();
}
