#include "app/ConfigLinkForm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

namespace {
QString textOf(const QWidget *panel, const char *name, const QString &fallback)
{
    if (const auto *edit = panel->findChild<QLineEdit *>(QLatin1String(name)))
        return edit->text().trimmed();
    if (const auto *combo = panel->findChild<QComboBox *>(QLatin1String(name)))
        return combo->currentText();
    return fallback;
}
} // namespace

namespace ConfigLinkForm {

ConfigLinkRequest request(const QWidget *panel, LinkKind kind, const std::function<QString(int)> &comDevice)
{
    ConfigLinkRequest r;
    r.kind = kind;
    r.comNumber = ConfigLinkRequest::comNumberFromText(textOf(panel, "cbxCom", QStringLiteral("COM1")));
    if (comDevice)
        r.comDevice = comDevice(r.comNumber);
    r.serialMode = textOf(panel, "cmbBaud", r.serialMode);
    r.tcpServerHost = textOf(panel, "edtTcpServerIP", r.tcpServerHost);
    r.tcpServerPort = ConfigLinkRequest::portFromText(textOf(panel, "edtTcpServerPort", QString()));
    r.listenPort = ConfigLinkRequest::portFromText(textOf(panel, "edtLisPort", QString()));
    r.acceptAddress = textOf(panel, "edtTcpClientIP", r.acceptAddress);
    r.udpDestAddress = QHostAddress(textOf(panel, "edtUdpDesIP", r.udpDestAddress.toString()));
    r.udpDestPort = ConfigLinkRequest::portFromText(textOf(panel, "edUDPDesPort", QString()));
    r.udpLocalPort = ConfigLinkRequest::portFromText(textOf(panel, "edUDPLocPort", QString()));
    return r;
}

} // namespace ConfigLinkForm
