#pragma once

#include "base/LinkKind.h"
#include "i18n/LanguageTable.h"

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

    // Link kind of the configuration page in front.
    LinkKind linkKind() const;
    void showLinkKind(LinkKind kind);
    // The serial ports offered for configuration; the first is selected.
    void setComPorts(const QStringList &ports);
    // A reader seen by the reading links becomes the target of configuration commands on the page of
    // its link kind ("TCP Server", "TCP Client", "UDP").
    void setConfigTarget(LinkKind kind, const QString &address, quint16 port, quint16 listenPort);
    // Refills `cmbNet` with the translated port kinds and selects the first.
    void setLanguage(Language language);
    // The message panel back to "Select Function", the send and receive boxes empty.
    void resetMessages(Language language);

    // The configuration panel, which the "Set TAG" page borrows while it is shown.
    QWidget *configPanel() const { return m_pnlTagMain; }
    // Takes the configuration panel back.
    void adoptConfigPanel();

signals:
    void exitRequested();

private:
    QWidget *buildPage(LinkKind kind);
    QWidget *buildComPage();
    QWidget *buildUdpPage();
    QWidget *buildTcpServerPage();
    QWidget *buildTcpClientPage();
    static QString pageName(LinkKind kind);

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
