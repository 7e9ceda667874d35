#pragma once

#include <QWidget>

class PageControl;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// The "Set Reader" page (`tsSetReader`). It owns the configuration link panel `pnlTagMain` with
// `pcSetReadMain` ("COM", "UDP", "TCP Server", "TCP Client"), which the "Set TAG" page borrows while
// it is shown; the reader command buttons come with the reader command set.
class SetReaderPage : public QWidget
{
    Q_OBJECT
public:
    explicit SetReaderPage(QWidget *parent = nullptr);

    QWidget *configPanel() const { return m_pnlTagMain; }
    PageControl *pcSetReadMain() const { return m_pcSetReadMain; }
    QComboBox *cbxCom() const { return m_cbxCom; }
    QComboBox *cmbBaud() const { return m_cmbBaud; }
    QComboBox *cmbNet() const { return m_cmbNet; }
    QLabel *pnMsg() const { return m_pnMsg; }
    QLineEdit *edSend() const { return m_edSend; }
    QLineEdit *edRecv() const { return m_edRecv; }
    QPushButton *btnExit01() const { return m_btnExit01; }

    // Takes the configuration panel back.
    void adoptConfigPanel();
    // Names of the configuration pages per reading link kind (0 TCP Server, 1 COM, 2 TCP Client, 3 UDP).
    static QString pageForLinkMode(int linkMode);
    static int linkModeForPage(const QString &page);

    // A reader seen by the reading links becomes the target of configuration commands on the page of
    // its link kind (0 TCP Server, 2 TCP Client, 3 UDP).
    void setConfigTarget(int linkMode, const QString &address, quint16 port, quint16 listenPort);
    // Refills `cmbNet` with the translated port kinds and selects the first.
    void fillNetPorts(int language);

private:
    QWidget *buildComPage();
    QWidget *buildUdpPage();
    QWidget *buildTcpServerPage();
    QWidget *buildTcpClientPage();

    QVBoxLayout *m_configSlot = nullptr;
    QWidget *m_pnlTagMain = nullptr;
    PageControl *m_pcSetReadMain = nullptr;
    QComboBox *m_cbxCom = nullptr;
    QComboBox *m_cmbBaud = nullptr;
    QComboBox *m_cmbNet = nullptr;
    QLabel *m_pnMsg = nullptr;
    QLineEdit *m_edSend = nullptr;
    QLineEdit *m_edRecv = nullptr;
    QPushButton *m_btnExit01 = nullptr;
};
