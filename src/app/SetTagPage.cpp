#include "app/SetTagPage.h"

#include "app/Controls.h"
#include "app/PageControl.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

using namespace Controls;

SetTagPage::SetTagPage(QWidget *parent) : QWidget(parent)
{
    auto *outer = new QHBoxLayout(this);
    auto *panelFrame = frame(this, "pnlSetTagMain");
    m_layout = new QVBoxLayout(panelFrame);
    m_layout->addWidget(button(panelFrame, "btnTagExit", QStringLiteral("OK")));
    auto *idRow = new QHBoxLayout;
    idRow->addWidget(label(panelFrame, "lblSetTagID", QStringLiteral("TAG ID:")));
    m_pnTagID = edit(panelFrame, QStringLiteral("pnTagID"), QStringLiteral("0000000000000000"));
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
    buttons->addWidget(button(this, "btnClear02", QStringLiteral("&Clear")));
    buttons->addWidget(panel(this, "pnlCount", QStringLiteral("0")));
    buttons->addStretch(1);
    readSide->addLayout(buttons);
    m_grdTagUID = new QTableView(this);
    m_grdTagUID->setObjectName(QStringLiteral("grdTagUID"));
    m_grdTagUID->verticalHeader()->hide();
    m_grdTagUID->setEditTriggers(QAbstractItemView::NoEditTriggers);
    readSide->addWidget(m_grdTagUID, 1);
    outer->addLayout(readSide, 1);
}

void SetTagPage::adoptConfigPanel(QWidget *panel)
{
    m_layout->addWidget(panel);
    panel->show();
}
