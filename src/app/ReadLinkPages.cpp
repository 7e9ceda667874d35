#include "app/ReadLinkPages.h"

#include "app/Controls.h"
#include "app/LinkPages.h"
#include "base/PortText.h"
#include "base/SettingsStore.h"
#include "i18n/LanguageTable.h"
#include "i18n/LinkLogText.h"

#include <QGridLayout>
#include <QVBoxLayout>

using namespace Controls;

ReadLinkPages::ReadLinkPages(QWidget *parent) : PageControl(QStringLiteral("pcTagMain"), parent)
{
    addLinkPages(this, &LinkKindTable::Row::readPageIndex, &ReadLinkPages::pageName,
                 [this](LinkKind kind) { return buildPage(kind); });
}

QString ReadLinkPages::pageName(LinkKind kind)
{
    return QLatin1String(LinkKindTable::row(kind).readPageName);
}

QWidget *ReadLinkPages::buildPage(LinkKind kind)
{
    static const LinkPageBuilders<ReadLinkPages> kBuilders{
        &ReadLinkPages::buildTcpServerPage, &ReadLinkPages::buildComPage, &ReadLinkPages::buildTcpClientPage,
        &ReadLinkPages::buildUdpPage, &ReadLinkPages::buildMqttPage};
    return kBuilders.build(this, kind);
}

LinkKind ReadLinkPages::linkKind() const
{
    return LinkKindTable::fromReadPageIndex(currentIndex());
}

void ReadLinkPages::showLinkKind(LinkKind kind)
{
    setCurrentIndex(LinkKindTable::readPageIndex(kind));
}

QWidget *ReadLinkPages::buildComPage()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setVerticalSpacing(2);
    for (int n = 1; n <= kCount; ++n) {
        const int row = (n - 1) % 10;
        const int col = (n - 1) / 10 * 2;
        auto *box = check(page, QStringLiteral("chkCOM") + twoDigits(n), QStringLiteral("COM%1").arg(n));
        box->setProperty("Tag", n);
        auto *device = edit(page, QStringLiteral("edDevCOM") + twoDigits(n), QString());
        device->setMinimumWidth(70);
        device->setMaximumWidth(110);
        grid->addWidget(box, row, col);
        grid->addWidget(device, row, col + 1);
        m_com[size_t(n - 1)] = box;
        m_comDevice[size_t(n - 1)] = device;
    }
    grid->setRowStretch(10, 1);
    return page;
}

QWidget *ReadLinkPages::buildUdpPage()
{
    auto *page = new QWidget;
    auto *outer = new QVBoxLayout(page);
    m_pnlIP = frame(page, "pnlIP");
    auto *grid = new QGridLayout(m_pnlIP);
    grid->addWidget(label(m_pnlIP, "lblLocalPort", QStringLiteral("Local Listen Port :")), 0, 0);
    m_edLocalPort = edit(m_pnlIP, QStringLiteral("edLocalPort"), PortText::defaultText());
    grid->addWidget(m_edLocalPort, 0, 1);
    grid->addWidget(label(m_pnlIP, "lblDesPort", QStringLiteral("Destination Port :")), 1, 0);
    m_edDesPort = edit(m_pnlIP, QStringLiteral("edDesPort"), PortText::defaultText());
    grid->addWidget(m_edDesPort, 1, 1);
    grid->setRowStretch(2, 1);
    m_pnlMemo = frame(page, "pnlMemo");
    auto *memoLayout = new QVBoxLayout(m_pnlMemo);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    m_memoUdp = memo(m_pnlMemo, "MemoUDP");
    memoLayout->addWidget(m_memoUdp);
    m_pnlMemo->hide();
    outer->addWidget(m_pnlIP);
    outer->addWidget(m_pnlMemo);
    return page;
}

// Reading from a broker: the page that names the broker and the topics to read.
// The broker's URL and the topic prefix to read; while reading, the page lists the subscription and
// each site/reader heard instead. User, password file and CA file are the "Publish" group's.
QWidget *ReadLinkPages::buildMqttPage()
{
    auto *page = new QWidget;
    auto *outer = new QVBoxLayout(page);
    m_pnlMqtt = frame(page, "pnlMqtt");
    auto *v = new QVBoxLayout(m_pnlMqtt);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(label(m_pnlMqtt, "lblMqttInUrl", QStringLiteral("Broker URL:")));
    m_edtMqttInUrl = edit(m_pnlMqtt, QStringLiteral("edtMqttInUrl"), QString());
    m_edtMqttInUrl->setToolTip(QStringLiteral("mqtt://host:1883, mqtts://host:8883"));
    v->addWidget(m_edtMqttInUrl);
    v->addWidget(label(m_pnlMqtt, "lblMqttInPrefix", QStringLiteral("Prefix:")));
    m_edtMqttInPrefix = edit(m_pnlMqtt, QStringLiteral("edtMqttInPrefix"), QString());
    v->addWidget(m_edtMqttInPrefix);
    v->addStretch(1);
    for (QLineEdit *e : {m_edtMqttInUrl, m_edtMqttInPrefix})
        connect(e, &QLineEdit::editingFinished, this, [this, e] {
            if (e->isModified()) {
                e->setModified(false);
                emit brokerEdited();
            }
        });
    m_memoMqtt = memo(page, "MemoMqtt");
    m_memoMqtt->hide();
    outer->addWidget(m_pnlMqtt);
    outer->addWidget(m_memoMqtt);
    return page;
}

QWidget *ReadLinkPages::buildTcpServerPage()
{
    auto *page = new QWidget;
    auto *outer = new QVBoxLayout(page);
    m_pnlTcpServerSet = frame(page, "pnlTcpServerSet");
    auto *grid = new QGridLayout(m_pnlTcpServerSet);
    grid->setVerticalSpacing(2);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int n = 1; n <= kCount; ++n) {
        const int row = (n - 1) % 10;
        const int col = (n - 1) / 10 * 2;
        auto *box = check(m_pnlTcpServerSet, QStringLiteral("chkIP") + twoDigits(n), twoDigits(n));
        box->setProperty("Tag", n);
        auto *address =
            edit(m_pnlTcpServerSet, QStringLiteral("edIP") + twoDigits(n), SettingsStore::designIp(n));
        address->setProperty("Tag", n);
        address->setMinimumWidth(110);
        address->setMaximumWidth(120);
        grid->addWidget(box, row, col);
        grid->addWidget(address, row, col + 1);
        m_ipCheck[size_t(n - 1)] = box;
        m_ipEdit[size_t(n - 1)] = address;
    }
    grid->addWidget(label(m_pnlTcpServerSet, "lblTcpRemotePort", QStringLiteral("Port :")), 10, 0);
    m_edtTcpRemotePort = edit(m_pnlTcpServerSet, QStringLiteral("edtTcpRemotePort"), PortText::defaultText());
    grid->addWidget(m_edtTcpRemotePort, 10, 1);
    grid->setRowStretch(11, 1);
    m_pnlTcpServerView = frame(page, "PnlTcpServerView");
    auto *viewLayout = new QVBoxLayout(m_pnlTcpServerView);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    m_moTcpServer = memo(m_pnlTcpServerView, "moTcpServer");
    viewLayout->addWidget(m_moTcpServer);
    m_pnlTcpServerView->hide();
    outer->addWidget(m_pnlTcpServerSet);
    outer->addWidget(m_pnlTcpServerView);
    return page;
}

QWidget *ReadLinkPages::buildTcpClientPage()
{
    auto *page = new QWidget;
    auto *outer = new QVBoxLayout(page);
    m_pnlTcpClient = frame(page, "pnlTcpClient");
    auto *grid = new QGridLayout(m_pnlTcpClient);
    grid->addWidget(label(m_pnlTcpClient, "lblListenPort", QStringLiteral("Local Listen Port :")), 0, 0);
    m_edtListenPort = edit(m_pnlTcpClient, QStringLiteral("edtListenPort"), PortText::defaultText());
    grid->addWidget(m_edtListenPort, 0, 1);
    grid->setRowStretch(1, 1);
    m_memoClient0 = memo(page, "MemoClient0");
    m_memoClient0->hide();
    m_memoClient1 = memo(page, "MemoClient1");
    m_memoClient1->hide();
    outer->addWidget(m_pnlTcpClient);
    outer->addWidget(m_memoClient0);
    return page;
}

void ReadLinkPages::fillBrokerValues(SettingsStore::MqttValues *values) const
{
    values->inUrl = m_edtMqttInUrl->text().trimmed();
    values->inPrefix = m_edtMqttInPrefix->text().trimmed();
}

void ReadLinkPages::applyBrokerValues(const SettingsStore::MqttValues &values)
{
    m_edtMqttInUrl->setText(values.inUrl);
    m_edtMqttInPrefix->setText(values.inPrefix);
}

void ReadLinkPages::setLanguage(Language language)
{
    const QString tip = translate(language, QStringLiteral("Device this port number opens"));
    for (QLineEdit *device : m_comDevice)
        device->setToolTip(tip);
    m_edtMqttInPrefix->setToolTip(translate(language, QStringLiteral("Empty: every site")));
    m_language = language;
    renderLog(m_moTcpServer, m_log);
    renderLog(m_memoMqtt, m_mqttLog);
}

// A connection log written anew in the current language.
void ReadLinkPages::renderLog(QPlainTextEdit *memo, const QList<LinkLogEvent> &log) const
{
    QStringList lines;
    lines.reserve(log.size());
    for (const LinkLogEvent &event : log)
        lines.append(linkLogText(event, m_language));
    memo->setPlainText(lines.join(QLatin1Char('\n')));
}

void ReadLinkPages::showConnectionLists(bool reading)
{
    const LinkKind kind = linkKind();
    const bool udp = reading && kind == LinkKind::Udp;
    const bool tcpOut = reading && kind == LinkKind::TcpToReaders;
    const bool listener = reading && kind == LinkKind::TcpListener;
    const bool broker = reading && kind == LinkKind::Mqtt;
    m_pnlIP->setVisible(!udp);
    m_pnlMemo->setVisible(udp);
    m_pnlTcpServerSet->setVisible(!tcpOut);
    m_pnlTcpServerView->setVisible(tcpOut);
    m_pnlTcpClient->setVisible(!listener);
    m_memoClient0->setVisible(listener);
    m_pnlMqtt->setVisible(!broker);
    m_memoMqtt->setVisible(broker);
    if (reading) {
        m_memoMqtt->clear();
        m_memoUdp->clear();
        m_moTcpServer->clear();
        m_log.clear();
        m_mqttLog.clear();
        m_memoClient0->clear();
        m_memoClient1->clear();
    }
}

void ReadLinkPages::appendLog(const LinkLogEvent &event)
{
    const bool broker = linkKind() == LinkKind::Mqtt;
    (broker ? m_mqttLog : m_log).append(event);
    (broker ? m_memoMqtt : m_moTcpServer)->appendPlainText(linkLogText(event, m_language));
}

namespace {
QString addressOf(const QString &line)
{
    const qsizetype colon = line.lastIndexOf(QLatin1Char(':'));
    return colon > 0 ? line.left(colon) : line;
}

void removeLine(QPlainTextEdit *memo, const QString &line)
{
    QStringList lines = memo->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.removeOne(line))
        memo->setPlainText(lines.join(QLatin1Char('\n')));
}
} // namespace

void ReadLinkPages::listClient(const QString &line)
{
    m_memoClient0->appendPlainText(line);
    m_memoClient1->appendPlainText(addressOf(line));
}

void ReadLinkPages::unlistClient(const QString &line)
{
    removeLine(m_memoClient0, line);
    removeLine(m_memoClient1, addressOf(line));
}

void ReadLinkPages::listSender(const QString &line)
{
    m_memoUdp->appendPlainText(line);
}
