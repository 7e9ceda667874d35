#include "app/SetReaderPage.h"

#include "app/Controls.h"
#include "app/LinkPages.h"
#include "app/PageControl.h"
#include "base/PortText.h"

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
    addLinkPages(m_pcSetReadMain, &LinkKindTable::Row::setReaderPageIndex, &SetReaderPage::pageName,
                 [this](LinkKind kind) { return buildPage(kind); });
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
    connect(m_btnExit01, &QPushButton::clicked, this, &SetReaderPage::exitRequested);
    messages->addRow(m_btnExit01);
    m_configSlot->addLayout(messages);
    m_configSlot->addStretch(1);
    layout->addLayout(m_configSlot, 1);
    layout->addStretch(1);
    setLanguage(Language::English);
}

QString SetReaderPage::pageName(LinkKind kind)
{
    // In the order of the stored page values.
    static const char *const kNames[LinkKindTable::kKindCount] = {"tsTcpServer", "tsComPort", "tsTcpClient",
                                                                  "tsUdpServer"};
    return QLatin1String(kNames[LinkKindTable::storedPage(kind)]);
}

QWidget *SetReaderPage::buildPage(LinkKind kind)
{
    using Build = QWidget *(SetReaderPage::*)();
    static const Build kBuilders[LinkKindTable::kKindCount] = {
        &SetReaderPage::buildTcpServerPage, &SetReaderPage::buildComPage, &SetReaderPage::buildTcpClientPage,
        &SetReaderPage::buildUdpPage};
    return (this->*kBuilders[LinkKindTable::storedPage(kind)])();
}

LinkKind SetReaderPage::linkKind() const
{
    return LinkKindTable::fromSetReaderPageIndex(m_pcSetReadMain->currentIndex());
}

void SetReaderPage::showLinkKind(LinkKind kind)
{
    m_pcSetReadMain->setCurrentIndex(LinkKindTable::setReaderPageIndex(kind));
}

void SetReaderPage::setComPorts(const QStringList &ports)
{
    m_cbxCom->clear();
    m_cbxCom->addItems(ports);
    m_cbxCom->setCurrentIndex(0);
}

void SetReaderPage::resetMessages(Language language)
{
    m_edSend->clear();
    m_edRecv->clear();
    m_pnMsg->setText(translate(language, QStringLiteral("Select Function")));
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
                 edit(page, QStringLiteral("edUDPDesPort"), PortText::defaultText()));
    form->addRow(label(page, "lblUdpLocPort", QStringLiteral("Local Listen Port :")),
                 edit(page, QStringLiteral("edUDPLocPort"), PortText::defaultText()));
    return page;
}

QWidget *SetReaderPage::buildTcpServerPage()
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    form->addRow(label(page, "lblTcpServerIP", QStringLiteral("IP :")),
                 edit(page, QStringLiteral("edtTcpServerIP"), QStringLiteral("192.168.1.101")));
    form->addRow(label(page, "lblTcpServerPort", QStringLiteral("Port :")),
                 edit(page, QStringLiteral("edtTcpServerPort"), PortText::defaultText()));
    return page;
}

QWidget *SetReaderPage::buildTcpClientPage()
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    form->addRow(label(page, "lblLisPort", QStringLiteral("Local Listen Port :")),
                 edit(page, QStringLiteral("edtLisPort"), PortText::defaultText()));
    form->addRow(label(page, "lblTcpClientIP", QStringLiteral("IP :")),
                 edit(page, QStringLiteral("edtTcpClientIP"), QStringLiteral("192.168.1.101")));
    return page;
}

void SetReaderPage::adoptConfigPanel()
{
    m_configSlot->insertWidget(0, m_pnlTagMain);
    m_pnlTagMain->show();
}

void SetReaderPage::setLanguage(Language language)
{
    m_cmbNet->clear();
    for (const char *item : {"ALL", "NET", "RS232", "RS485"})
        m_cmbNet->addItem(translate(language, QLatin1String(item)));
    m_cmbNet->setCurrentIndex(0);
}

void SetReaderPage::setConfigTarget(LinkKind kind, const QString &address, quint16 port, quint16 listenPort)
{
    auto set = [this](const char *name, const QString &text) {
        if (auto *edit = findChild<QLineEdit *>(QLatin1String(name)))
            edit->setText(text);
    };
    switch (kind) {
    case LinkKind::TcpToReaders:
        set("edtTcpServerIP", address);
        set("edtTcpServerPort", QString::number(port));
        break;
    case LinkKind::TcpListener:
        set("edtTcpClientIP", address);
        set("edtLisPort", QString::number(listenPort));
        break;
    case LinkKind::Udp:
        set("edtUdpDesIP", address);
        set("edUDPDesPort", QString::number(port));
        break;
    case LinkKind::Serial:
        break;
    }
}
