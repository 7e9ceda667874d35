#pragma once

#include "base/LinkKind.h"
#include "i18n/LanguageTable.h"
#include "readercfg/ConfigLinkRequest.h"

#include <QWidget>

class PageControl;
class ReaderCommandPanel;
class SerialPortMap;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

// The "Set Reader" page (`tsSetReader`). It owns the configuration link panel `pnlTagMain` with
// `pcSetReadMain` ("COM", "UDP", "TCP Server", "TCP Client"), which the "Set TAG" page borrows while
// it is shown, the reader command panel, and the message panel with the send and receive boxes.
class SetReaderPage : public QWidget
{
    Q_OBJECT
public:
    explicit SetReaderPage(QWidget *parent = nullptr);

    // Link kind of the configuration page in front.
    LinkKind linkKind() const;
    void showLinkKind(LinkKind kind);
    // The serial ports offered for configuration: the numbered ports `ports` ("COM3") with the device
    // each number stands for in `map`, then the system's serial devices; the first is selected.
    void setComPorts(const QStringList &ports, const SerialPortMap &map, const QStringList &devices = {});
    // The configuration link the link page in front describes.
    ConfigLinkRequest configLinkRequest() const;
    // A reader seen by the reading links becomes the target of configuration commands on the page of
    // its link kind ("TCP Server", "TCP Client", "UDP").
    void setConfigTarget(LinkKind kind, const QString &address, quint16 port, quint16 listenPort);
    // Refills `cmbNet` with the translated port kinds and selects the first.
    void setLanguage(Language language);
    // The message panel back to "Select Function", the send and receive boxes empty.
    void resetMessages(Language language);

    // What a running command shows: the command sent, the reply payload, the message panel.
    void showSendText(const QString &text);
    void showReply(const QString &payload);
    void showMessage(const QString &text);
    // A command runs: the link pages and the command panel are disabled (Cancel is not).
    void setBusy(bool busy, bool relayRunning = false);
    // The reader that connected in is the configuration connection: `edtTcpClientIP` shows its
    // address, sky blue and read-only, until released.
    void showAcceptedReader(const QString &address);
    void releaseAcceptedReader();
    ReaderCommandPanel *commandPanel() const { return m_commands; }

    // The configuration panel, which the "Set TAG" page borrows while it is shown.
    QWidget *configPanel() const { return m_pnlTagMain; }
    // Takes the configuration panel back.
    void adoptConfigPanel();

signals:
    void exitRequested();
    // Esc while a command runs.
    void cancelRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildPage(LinkKind kind);
    void fitCommandWidth();
    QWidget *buildComPage();
    QWidget *buildUdpPage();
    QWidget *buildTcpServerPage();
    QWidget *buildTcpClientPage();
    static QString pageName(LinkKind kind);
    QString editText(const char *name) const;
    void readSerialTarget(ConfigLinkRequest &r) const;
    QLineEdit *lineEdit(const char *name) const;

    QVBoxLayout *m_configSlot = nullptr;
    QWidget *m_pnlTagMain = nullptr;
    PageControl *m_pcSetReadMain = nullptr;
    QComboBox *m_cbxCom = nullptr;
    QComboBox *m_cmbBaud = nullptr;
    ReaderCommandPanel *m_commands = nullptr;
    QScrollArea *m_commandScroll = nullptr;
    QLabel *m_pnMsg = nullptr;
    QLineEdit *m_edSend = nullptr;
    QLineEdit *m_edRecv = nullptr;
    QPushButton *m_btnExit01 = nullptr;
};
