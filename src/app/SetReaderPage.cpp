#include "app/SetReaderPage.h"

#include "app/Controls.h"
#include "app/LinkPages.h"
#include "app/PageControl.h"
#include "app/ReaderCommandPanel.h"
#include "base/PortText.h"
#include "link/SerialPortMap.h"
#include "readercfg/SerialMode.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

using namespace Controls;

namespace {
// A link page's rows, close together: the same panel stands in the tag settings panel, where the
// tag type pages need the height.
QFormLayout *compactForm(QWidget *page)
{
    auto *form = new QFormLayout(page);
    form->setContentsMargins(6, 4, 6, 4);
    form->setVerticalSpacing(3);
    return form;
}

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
    m_btnExit01 = button(this, "btnExit01", QStringLiteral("Exit"));
    connect(m_btnExit01, &QPushButton::clicked, this, &SetReaderPage::exitRequested);
    messages->addRow(m_btnExit01);
    m_configSlot->addLayout(messages);
    m_configSlot->addStretch(1);
    layout->addLayout(m_configSlot, 1);
    m_commands = new ReaderCommandPanel(this);
    connect(m_commands, &ReaderCommandPanel::cancelRequested, this, &SetReaderPage::cancelRequested);
    // The command panel scrolls rather than setting the window's height: with the hidden controls
    // shown it is taller than small screens.
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrSetup"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(m_commands);
    layout->addWidget(scroll, 1);
    // It scrolls only down: it is kept as wide as the panel needs, whatever is shown and in whatever
    // language, so nothing is cut at its side.
    m_commandScroll = scroll;
    m_commands->installEventFilter(this);
    setLanguage(Language::English);
}

QString SetReaderPage::pageName(LinkKind kind)
{
    return QLatin1String(LinkKindTable::row(kind).setReaderPageName);
}

QWidget *SetReaderPage::buildPage(LinkKind kind)
{
    // MQTT has no "Set Reader" page.
    static const LinkPageBuilders<SetReaderPage> kBuilders{
        &SetReaderPage::buildTcpServerPage, &SetReaderPage::buildComPage, &SetReaderPage::buildTcpClientPage,
        &SetReaderPage::buildUdpPage};
    return kBuilders.build(this, kind);
}

LinkKind SetReaderPage::linkKind() const
{
    return LinkKindTable::fromSetReaderPageIndex(m_pcSetReadMain->currentIndex());
}

void SetReaderPage::showLinkKind(LinkKind kind)
{
    // A kind without a "Set Reader" page (MQTT) leaves the page in front as it is.
    if (LinkKindTable::setReaderPageIndex(kind) != LinkKindTable::kNoPage)
        m_pcSetReadMain->setCurrentIndex(LinkKindTable::setReaderPageIndex(kind));
}

namespace {
constexpr int kNumberRole = Qt::UserRole;
constexpr int kDeviceRole = Qt::UserRole + 1;
} // namespace

void SetReaderPage::setComPorts(const QStringList &ports, const SerialPortMap &map,
                                const QStringList &devices)
{
    QList<int> numbers;
    for (const QString &port : ports)
        numbers.append(ConfigLinkRequest::comNumberFromText(port));
    // Numbers the user gave a device on the reading page are offered too.
    for (int n = 1; n <= kNumberedLinkCount; ++n) {
        if (map.hasCustomDevice(n) && !numbers.contains(n))
            numbers.append(n);
    }
    std::sort(numbers.begin(), numbers.end());
    const QString chosen = m_cbxCom->currentText();
    QVariant chosenNumber = m_cbxCom->itemData(m_cbxCom->findText(chosen), kNumberRole);
    bool typedNumber = false; // "COM7" or "COM7  /dev/..." typed
    const int typed = chosen.section(QLatin1Char(' '), 0, 0).mid(3).toInt(&typedNumber);
    if (!chosenNumber.isValid() && typedNumber &&
        chosen.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        chosenNumber = typed;
    m_cbxCom->clear();
    for (int n : numbers) {
        const QString name = QStringLiteral("COM%1").arg(n);
        const QString device = map.device(n);
        m_cbxCom->addItem(device == name ? name : name + QStringLiteral("  ") + device);
        m_cbxCom->setItemData(m_cbxCom->count() - 1, n, kNumberRole);
        m_cbxCom->setItemData(m_cbxCom->count() - 1, device, kDeviceRole);
    }
    // A system device is a device of its own, not one of the numbered ports.
    for (const QString &device : devices) {
        m_cbxCom->addItem(device);
        m_cbxCom->setItemData(m_cbxCom->count() - 1, device, kDeviceRole);
    }
    // A refill keeps the port chosen before, also when its number now stands for another device.
    int index = m_cbxCom->findText(chosen);
    if (index < 0 && chosenNumber.isValid())
        index = m_cbxCom->findData(chosenNumber, kNumberRole);
    m_cbxCom->setCurrentIndex(std::max(0, index));
    // Text no item holds now (a typed port or device, a device gone) stays: a command must not go
    // to another port than the one the user chose.
    if (index < 0 && !chosen.isEmpty())
        m_cbxCom->setEditText(chosen);
}

QLineEdit *SetReaderPage::lineEdit(const char *name) const
{
    return m_pnlTagMain->findChild<QLineEdit *>(QLatin1String(name));
}

QString SetReaderPage::editText(const char *name) const
{
    const QLineEdit *e = lineEdit(name);
    return e ? e->text().trimmed() : QString();
}

// A listed port carries its number and device. Other text is a port name ("COM7": the device
// listed for that number, if any), a port name with its device ("COM3  /dev/ttyUSB0", as the items
// read) or a device path.
void SetReaderPage::readSerialTarget(ConfigLinkRequest &r) const
{
    const QString text = m_cbxCom->currentText().trimmed();
    int item = m_cbxCom->findText(text);
    if (item < 0 || !m_cbxCom->itemData(item, kDeviceRole).isValid()) {
        if (!text.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
            r.comDevice = text;
            return;
        }
        const QString name = text.section(QLatin1Char(' '), 0, 0);
        r.comNumber = ConfigLinkRequest::comNumberFromText(name.toUpper());
        r.comDevice = text.mid(name.size()).trimmed();
        item = r.comDevice.isEmpty() ? m_cbxCom->findData(r.comNumber, kNumberRole) : -1;
        if (item < 0)
            return;
    }
    // A system device has no number of its own.
    r.comNumber = std::max(1, m_cbxCom->itemData(item, kNumberRole).toInt());
    r.comDevice = m_cbxCom->itemData(item, kDeviceRole).toString();
}

// The one reading of the link panel: the "Set Reader" buttons, the tag buttons, the tag read loop
// and provisioning all take their link from here, whichever page shows the panel.
ConfigLinkRequest SetReaderPage::configLinkRequest() const
{
    ConfigLinkRequest r;
    r.kind = linkKind();
    readSerialTarget(r);
    r.serialMode = m_cmbBaud->currentText();
    r.tcpServerHost = editText("edtTcpServerIP");
    r.tcpServerPort = PortText::port(editText("edtTcpServerPort"));
    r.listenPort = PortText::port(editText("edtLisPort"));
    r.acceptAddress = editText("edtTcpClientIP");
    r.udpDestAddress = QHostAddress(editText("edtUdpDesIP"));
    r.udpDestPort = PortText::port(editText("edUDPDesPort"));
    r.udpLocalPort = PortText::port(editText("edUDPLocPort"));
    return r;
}

void SetReaderPage::showSendText(const QString &text)
{
    m_edSend->setText(text);
}

void SetReaderPage::showReply(const QString &payload)
{
    m_edRecv->setText(payload);
}

void SetReaderPage::showMessage(const QString &text)
{
    m_pnMsg->setText(text);
}

void SetReaderPage::setBusy(bool busy, bool relayRunning)
{
    m_pnlTagMain->setEnabled(!busy);
    m_commands->setBusy(busy, relayRunning);
}

void SetReaderPage::showAcceptedReader(const QString &address)
{
    QLineEdit *ip = lineEdit("edtTcpClientIP");
    // Sky blue (0xA6CAF0), as the accepted reader's box has always been shown.
    ip->setStyleSheet(QStringLiteral("background-color: #A6CAF0;"));
    ip->setReadOnly(true);
    ip->setText(address);
}

void SetReaderPage::releaseAcceptedReader()
{
    QLineEdit *ip = lineEdit("edtTcpClientIP");
    ip->setStyleSheet(QString());
    ip->setReadOnly(false);
}

bool SetReaderPage::eventFilter(QObject *watched, QEvent *event)
{
    // Set once the panel's own layout pass is over, so that the page lays itself out again.
    if (watched == m_commands && event->type() == QEvent::LayoutRequest)
        QMetaObject::invokeMethod(this, &SetReaderPage::fitCommandWidth, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void SetReaderPage::fitCommandWidth()
{
    const int width =
        m_commands->minimumSizeHint().width() + m_commandScroll->verticalScrollBar()->sizeHint().width();
    if (width != m_commandScroll->minimumWidth())
        m_commandScroll->setMinimumWidth(width);
}

void SetReaderPage::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        emit cancelRequested();
        return;
    }
    QWidget::keyPressEvent(event);
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
    QFormLayout *form = compactForm(page);
    m_cbxCom = combo(page, "cbxCom");
    // A device path can be typed as well as picked.
    m_cbxCom->setEditable(true);
    m_cbxCom->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(label(page, "lblCom", QStringLiteral("COM")), m_cbxCom);
    m_cmbBaud = combo(page, "cmbBaud");
    m_cmbBaud->addItems(SerialMode::items());
    m_cmbBaud->setCurrentIndex(SerialMode::kDefaultItem);
    form->addRow(label(page, "lblBaud", QStringLiteral("Baud")), m_cmbBaud);
    return page;
}

QWidget *SetReaderPage::buildUdpPage()
{
    auto *page = new QWidget;
    QFormLayout *form = compactForm(page);
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
    QFormLayout *form = compactForm(page);
    form->addRow(label(page, "lblTcpServerIP", QStringLiteral("IP :")),
                 edit(page, QStringLiteral("edtTcpServerIP"), QStringLiteral("192.168.1.101")));
    form->addRow(label(page, "lblTcpServerPort", QStringLiteral("Port :")),
                 edit(page, QStringLiteral("edtTcpServerPort"), PortText::defaultText()));
    return page;
}

QWidget *SetReaderPage::buildTcpClientPage()
{
    auto *page = new QWidget;
    QFormLayout *form = compactForm(page);
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
    m_commands->setLanguage(language);
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
    case LinkKind::Mqtt:
        break;
    }
}
