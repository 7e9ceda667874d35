#pragma once

#include "app/PageControl.h"
#include "base/LinkKind.h"
#include "base/SettingsStore.h"
#include "i18n/LanguageTable.h"
#include "link/LinkLogEvent.h"

#include <QList>

#include <array>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QFrame;

// `pcTagMain`: the link kind of the reading side, one page per kind: "COM" (`tsCOM`, twenty port
// boxes, each with the device its number stands for), "UDP" (`tsUDP`), "TCP Server" (`tsNET`, twenty
// reader addresses), "TCP Client" (`tsNetServer`, the listen port) and "MQTT" (`tsMQTT`, the broker
// and topic prefix to read other instances' reports from). A part of the "Read TAG" page, which alone
// reaches its controls.
class ReadLinkPages : public PageControl
{
    Q_OBJECT
public:
    static constexpr int kCount = kNumberedLinkCount;

    explicit ReadLinkPages(QWidget *parent = nullptr);

    // Link kind of the page in front.
    LinkKind linkKind() const;
    void showLinkKind(LinkKind kind);

    // The "MQTT" page's broker URL and prefix (the other broker values are left as given).
    void fillBrokerValues(SettingsStore::MqttValues *values) const;
    void applyBrokerValues(const SettingsStore::MqttValues &values);

    // Texts the captions do not carry (the device boxes' tooltips, the connection logs' lines).
    void setLanguage(Language language);
    // While reading, each network page shows its connection list instead of its settings.
    void showConnectionLists(bool reading);
    // The connection log of the "TCP Server" page, or of the "MQTT" page when it is in front.
    void appendLog(const LinkLogEvent &event);
    // The readers connected to the listener ("address:port" lines) and the UDP senders.
    void listClient(const QString &line);
    void unlistClient(const QString &line);
    void listSender(const QString &line);

signals:
    // The user changed the "MQTT" page's URL or prefix (to be stored).
    void brokerEdited();

private:
    friend class ReadTagPage;

    void renderLog(QPlainTextEdit *memo, const QList<LinkLogEvent> &log) const;

    // n = 1..20.
    QCheckBox *comCheck(int n) const { return m_com[size_t(n - 1)]; }
    QLineEdit *comDevice(int n) const { return m_comDevice[size_t(n - 1)]; }
    QCheckBox *ipCheck(int n) const { return m_ipCheck[size_t(n - 1)]; }
    QLineEdit *ipEdit(int n) const { return m_ipEdit[size_t(n - 1)]; }

    QLineEdit *edLocalPort() const { return m_edLocalPort; }
    QLineEdit *edDesPort() const { return m_edDesPort; }
    QLineEdit *edtTcpRemotePort() const { return m_edtTcpRemotePort; }
    QLineEdit *edtListenPort() const { return m_edtListenPort; }

    static QString pageName(LinkKind kind);
    QWidget *buildPage(LinkKind kind);
    QWidget *buildComPage();
    QWidget *buildUdpPage();
    QWidget *buildTcpServerPage();
    QWidget *buildTcpClientPage();
    QWidget *buildMqttPage();

    std::array<QCheckBox *, kCount> m_com{};
    std::array<QLineEdit *, kCount> m_comDevice{};
    std::array<QCheckBox *, kCount> m_ipCheck{};
    std::array<QLineEdit *, kCount> m_ipEdit{};
    QLineEdit *m_edLocalPort = nullptr;
    QLineEdit *m_edDesPort = nullptr;
    QLineEdit *m_edtTcpRemotePort = nullptr;
    QLineEdit *m_edtListenPort = nullptr;
    QFrame *m_pnlIP = nullptr;
    QFrame *m_pnlMemo = nullptr;
    QPlainTextEdit *m_memoUdp = nullptr;
    QFrame *m_pnlTcpServerSet = nullptr;
    QFrame *m_pnlTcpServerView = nullptr;
    QPlainTextEdit *m_moTcpServer = nullptr;
    QList<LinkLogEvent> m_log;     // the lines of m_moTcpServer, shown again on a language switch
    QList<LinkLogEvent> m_mqttLog; // the lines of m_memoMqtt, likewise
    Language m_language = Language::English;
    QFrame *m_pnlTcpClient = nullptr;
    QPlainTextEdit *m_memoClient0 = nullptr;
    QPlainTextEdit *m_memoClient1 = nullptr;
    QFrame *m_pnlMqtt = nullptr;
    QLineEdit *m_edtMqttInUrl = nullptr;
    QLineEdit *m_edtMqttInPrefix = nullptr;
    QPlainTextEdit *m_memoMqtt = nullptr;
};
