#include "app/SetReaderPage.h"

#include "app/Controls.h"
#include "app/PageControl.h"
#include "i18n/LanguageTable.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Controls;

namespace {
QComboBox *combo(QWidget *parent, const char *name)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    return c;
}
} // namespace

SetReaderPage::SetReaderPage(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    m_configSlot = new QVBoxLayout;
    m_pnlTagMain = new QWidget(this);
    m_pnlTagMain->setObjectName(QStringLiteral("pnlTagMain"));
    auto *panelLayout = new QVBoxLayout(m_pnlTagMain);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_pcSetReadMain = new PageControl(QStringLiteral("pcSetReadMain"), m_pnlTagMain);
    m_pcSetReadMain->addPage(buildComPage(), QStringLiteral("tsComPort"), QStringLiteral("COM"));
    m_pcSetReadMain->addPage(buildUdpPage(), QStringLiteral("tsUdpServer"), QStringLiteral("UDP"));
    m_pcSetReadMain->addPage(buildTcpServerPage(), QStringLiteral("tsTcpServer"),
                             QStringLiteral("TCP Server"));
    m_pcSetReadMain->addPage(buildTcpClientPage(), QStringLiteral("tsTcpClient"),
                             QStringLiteral("TCP Client"));
    m_pcSetReadMain->setMaximumHeight(190);
    panelLayout->addWidget(m_pcSetReadMain);
    m_configSlot->addWidget(m_pnlTagMain);

    auto *messages = new QFormLayout;
    m_pnMsg = panel(this, "pnMsg", QStringLiteral("Select Function"));
    messages->addRow(m_pnMsg);
    m_edSend = edit(this, QStringLiteral("edSend"), QString());
    m_edSend->setReadOnly(true);
    messages->addRow(label(this, "lblSend", QStringLiteral("Send Data:")), m_edSend);
    m_edRecv = edit(this, QStringLiteral("edRecv"), QString());
    m_edRecv->setReadOnly(true);
    messages->addRow(label(this, "lblRecv", QStringLiteral("Recv Data:")), m_edRecv);
    m_cmbNet = combo(this, "cmbNet");
    messages->addRow(label(this, "lblNetPort", QStringLiteral("Set Net Port")), m_cmbNet);
    m_btnExit01 = button(this, "btnExit01", QStringLiteral("Exit"));
    messages->addRow(m_btnExit01);
    m_configSlot->addLayout(messages);
    m_configSlot->addStretch(1);
    layout->addLayout(m_configSlot, 1);
    layout->addStretch(1);
    fillNetPorts(0);
}

QWidget *SetReaderPage::buildComPage()
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    m_cbxCom = combo(page, "cbxCom");
    form->addRow(label(page, "lblCom", QStringLiteral("COM")), m_cbxCom);
    m_cmbBaud = combo(page, "cmbBaud");
    for (const char *baud : {"4800", "9600", "19200", "38400", "57600", "115200", "230400"}) {
        m_cmbBaud->addItem(QStringLiteral("%1,n,8,1").arg(QLatin1String(baud)));
        m_cmbBaud->addItem(QStringLiteral("%1,e,8,1").arg(QLatin1String(baud)));
    }
    m_cmbBaud->setCurrentIndex(10);
    form->addRow(label(page, "lblBaud", QStringLiteral("Baud")), m_cmbBaud);
    return page;
}

QWidget *SetReaderPage::buildUdpPage()
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    form->addRow(label(page, "lblUdpDesIP", QStringLiteral("IP :")),
                 edit(page, QStringLiteral("edtUdpDesIP"), QStringLiteral("192.168.1.101")));
    form->addRow(label(page, "lblUdpDesPort", QStringLiteral("Destination Port :")),
                 edit(page, QStringLiteral("edUDPDesPort"), QStringLiteral("4001")));
    form->addRow(label(page, "lblUdpLocPort", QStringLiteral("Local Listen Port :")),
                 edit(page, QStringLiteral("edUDPLocPort"), QStringLiteral("4001")));
    return page;
}

QWidget *SetReaderPage::buildTcpServerPage()
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    form->addRow(label(page, "lblTcpServerIP", QStringLiteral("IP :")),
                 edit(page, QStringLiteral("edtTcpServerIP"), QStringLiteral("192.168.1.101")));
    form->addRow(label(page, "lblTcpServerPort", QStringLiteral("Port :")),
                 edit(page, QStringLiteral("edtTcpServerPort"), QStringLiteral("4001")));
    return page;
}

QWidget *SetReaderPage::buildTcpClientPage()
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    form->addRow(label(page, "lblLisPort", QStringLiteral("Local Listen Port :")),
                 edit(page, QStringLiteral("edtLisPort"), QStringLiteral("4001")));
    form->addRow(label(page, "lblTcpClientIP", QStringLiteral("IP :")),
                 edit(page, QStringLiteral("edtTcpClientIP"), QStringLiteral("192.168.1.101")));
    return page;
}

void SetReaderPage::adoptConfigPanel()
{
    m_configSlot->insertWidget(0, m_pnlTagMain);
    m_pnlTagMain->show();
}

QString SetReaderPage::pageForLinkMode(int linkMode)
{
    switch (linkMode) {
    case 0:
        return QStringLiteral("tsTcpServer");
    case 1:
        return QStringLiteral("tsComPort");
    case 2:
        return QStringLiteral("tsTcpClient");
    default:
        return QStringLiteral("tsUdpServer");
    }
}

int SetReaderPage::linkModeForPage(const QString &page)
{
    if (page == QLatin1String("tsTcpServer"))
        return 0;
    if (page == QLatin1String("tsComPort"))
        return 1;
    if (page == QLatin1String("tsTcpClient"))
        return 2;
    return 3;
}

void SetReaderPage::fillNetPorts(int language)
{
    m_cmbNet->clear();
    for (const char *item : {"ALL", "NET", "RS232", "RS485"})
        m_cmbNet->addItem(translate(language, QLatin1String(item)));
    m_cmbNet->setCurrentIndex(0);
}

void SetReaderPage::setConfigTarget(int linkMode, const QString &address, quint16 port, quint16 listenPort)
{
    auto set = [this](const char *name, const QString &text) {
        if (auto *edit = findChild<QLineEdit *>(QLatin1String(name)))
            edit->setText(text);
    };
    switch (linkMode) {
    case 0:
        set("edtTcpServerIP", address);
        set("edtTcpServerPort", QString::number(port));
        break;
    case 2:
        set("edtTcpClientIP", address);
        set("edtLisPort", QString::number(listenPort));
        break;
    case 3:
        set("edtUdpDesIP", address);
        set("edUDPDesPort", QString::number(port));
        break;
    default:
        break;
    }
}
