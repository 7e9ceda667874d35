#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

// `pnlFun`, the button panel of the "Read TAG" page: Start/Stop, "Clear", "Exit", "Set TAG" with the
// latest tag ID, "TAG Count:", the RSSI threshold, the tamper alarm and the activity indicator. A
// part of the "Read TAG" page, which alone reaches its controls.
class ReadButtonPanel : public QFrame
{
    Q_OBJECT
public:
    explicit ReadButtonPanel(QWidget *parent = nullptr);

    // Activity blink: phase 0 paints the indicator yellow and the alarm red, phase 1 the reverse.
    void setBlinkPhase(int phase);
    void setIdleLook();

private:
    friend class ReadTagPage;

    QPushButton *btnStart() const { return m_btnStart; }
    QPushButton *btnClear() const { return m_btnClear; }
    QPushButton *btnExit() const { return m_btnExit; }
    QPushButton *btnSetTag() const { return m_btnSetTag; }
    QPushButton *btnTemperReset() const { return m_btnTemperReset; }
    QLineEdit *edtTagID() const { return m_edtTagID; }
    QLabel *pnlTagCount() const { return m_pnlTagCount; }
    QLabel *pnRSSI() const { return m_pnRSSI; }
    QLabel *pnlTamper() const { return m_pnlTamper; }
    QFrame *shComm() const { return m_shComm; }
    QScrollBar *sbRSSI() const { return m_sbRSSI; }

    QPushButton *m_btnStart = nullptr;
    QPushButton *m_btnClear = nullptr;
    QPushButton *m_btnExit = nullptr;
    QPushButton *m_btnSetTag = nullptr;
    QPushButton *m_btnTemperReset = nullptr;
    QLineEdit *m_edtTagID = nullptr;
    QLabel *m_pnlTagCount = nullptr;
    QLabel *m_pnRSSI = nullptr;
    QLabel *m_pnlTamper = nullptr;
    QFrame *m_shComm = nullptr;
    QScrollBar *m_sbRSSI = nullptr;
};
