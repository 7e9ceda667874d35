#include "app/ReadButtonPanel.h"

#include "app/Controls.h"
#include "app/WindowTranslator.h"

#include <QGridLayout>
#include <QScrollBar>

using namespace Controls;

namespace {
void paint(QWidget *w, const QColor &colour)
{
    w->setStyleSheet(QStringLiteral("background-color: %1;").arg(colour.name()));
}
} // namespace

ReadButtonPanel::ReadButtonPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlFun"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto *grid = new QGridLayout(this);
    m_btnStart = button(this, "btnStart", QStringLiteral("Start"));
    m_btnClear = button(this, "btnClear", QStringLiteral("Clear"));
    m_btnExit = button(this, "btnExit", QStringLiteral("Exit"));
    grid->addWidget(m_btnStart, 0, 0);
    grid->addWidget(m_btnClear, 0, 1);
    grid->addWidget(m_btnExit, 0, 2);

    m_btnSetTag = button(this, "btnSetTag", QStringLiteral("Set TAG"));
    grid->addWidget(m_btnSetTag, 1, 0);
    grid->addWidget(label(this, "lblTagID", QStringLiteral("TAG ID:")), 1, 1);
    m_edtTagID = edit(this, QStringLiteral("edtTagID"), QStringLiteral("0000000000000000"));
    m_edtTagID->setMinimumWidth(150);
    grid->addWidget(m_edtTagID, 1, 2);

    grid->addWidget(label(this, "lblTagCount", QStringLiteral("TAG Count:")), 2, 0);
    m_pnlTagCount = panel(this, "pnlTagCount", QStringLiteral("0"));
    grid->addWidget(m_pnlTagCount, 2, 1);
    m_shComm = frame(this, "shComm");
    m_shComm->setFixedSize(18, 18);
    m_shComm->setFrameStyle(QFrame::Box);
    grid->addWidget(m_shComm, 2, 2, Qt::AlignLeft);

    grid->addWidget(label(this, "lblRSSI", QStringLiteral("RSSI Filter:")), 3, 0);
    m_sbRSSI = new QScrollBar(Qt::Horizontal, this);
    m_sbRSSI->setObjectName(QStringLiteral("sbRSSI"));
    m_sbRSSI->setRange(0, 255);
    m_sbRSSI->setMinimumWidth(120);
    grid->addWidget(m_sbRSSI, 3, 1, 1, 1);
    m_pnRSSI = panel(this, "pnRSSI", QStringLiteral("0"));
    WindowTranslator::exclude(m_pnRSSI); // shows the threshold, not a caption
    grid->addWidget(m_pnRSSI, 3, 2, Qt::AlignLeft);

    m_pnlTamper = panel(this, "pnlTamper", QStringLiteral("Tamper Alarm"));
    m_pnlTamper->hide();
    grid->addWidget(m_pnlTamper, 4, 0, 1, 2);
    m_btnTemperReset = button(this, "btnTemperReset", QStringLiteral("Temper Alarm Reset"));
    m_btnTemperReset->hide();
    grid->addWidget(m_btnTemperReset, 4, 2);
    setIdleLook();
}

void ReadButtonPanel::setBlinkPhase(int phase)
{
    paint(m_shComm, phase == 0 ? Qt::yellow : Qt::red);
    paint(m_pnlTamper, phase == 0 ? Qt::red : Qt::yellow);
}

void ReadButtonPanel::setIdleLook()
{
    paint(m_shComm, palette().color(QPalette::Button));
    paint(m_pnlTamper, Qt::red);
}
