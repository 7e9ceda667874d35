#pragma once

#include "i18n/LanguageTable.h"
#include "readercfg/ReaderCommandSequence.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// The reader command controls of the "Set Reader" page (`pnlSetup`): one button per reader setting,
// the controls whose values the commands carry, and the installer's controls (test pair, relay-on
// time, relay outputs and digital inputs, raw gain fields) shown only while "Show hidden controls"
// is ticked. A button press becomes the command steps of its row, built from the controls' values;
// what to do with the reply is said with them.
class ReaderCommandPanel : public QWidget
{
    Q_OBJECT
public:
    // What the reply of a command fills in besides the send and receive boxes.
    enum class ReplyUse
    {
        Show,     // the payload is shown, nothing more
        ReaderId, // a 9-byte reply fills `edID`
    };

    explicit ReaderCommandPanel(QWidget *parent = nullptr);

    // A command or sequence runs: every control that could start another is disabled, Cancel is not.
    // `relayRunning`: the relay loop runs; its toggle and outputs stay usable.
    void setBusy(bool busy, bool relayRunning);
    void setReaderId(const QString &id);
    void showInputs(const std::array<bool, 4> &inputs);
    // The test pair's reply box, filled only while the hidden controls are shown.
    void showTestReply(const QString &text);
    bool hiddenShown() const;
    void setHiddenShown(bool shown);
    bool output(int number) const;
    // Refills `cmbNet` with the translated port kinds and selects the first.
    void setLanguage(Language language);
    // Gain fields of level 1..7 into the raw gain sliders; another level leaves them.
    void applyGainLevel(int level);

signals:
    void commandRequested(const ReaderCommandSequence &steps, ReaderCommandPanel::ReplyUse use);
    void relayToggleRequested();
    void outputsChanged(bool do1, bool do2);
    void cancelRequested();
    void hiddenShownChanged(bool shown);

private:
    struct CommandRow;
    static const CommandRow *rows(int *count);
    QWidget *buildCommands();
    QWidget *buildHidden();
    QWidget *buildRelayPanel(QWidget *parent);
    void addRowButton(QGridLayout *grid, int row, int column, const char *name);
    void run(const CommandRow &row);
    QSlider *slider(QWidget *parent, const char *name, int min, int max, int value);

    ReaderCommandSequence initialSteps();
    ReaderCommandSequence resetSteps();
    ReaderCommandSequence versionSteps();
    ReaderCommandSequence serialNumberSteps();
    ReaderCommandSequence readIdSteps();
    ReaderCommandSequence setIdSteps();
    ReaderCommandSequence baudrateSteps();
    ReaderCommandSequence autoSendSteps();
    ReaderCommandSequence netSteps();
    ReaderCommandSequence rssiSteps();
    ReaderCommandSequence gainLevelSteps();
    ReaderCommandSequence gainSteps();
    ReaderCommandSequence testPairSteps();
    ReaderCommandSequence relayOnTimeSteps();

    QWidget *m_commands = nullptr;
    QWidget *m_pnlHidden = nullptr;
    QLineEdit *m_edID = nullptr;
    QComboBox *m_cmbBaudRate = nullptr;
    QComboBox *m_cmbAutoSend = nullptr;
    QComboBox *m_cmbNet = nullptr;
    QSlider *m_sbSetRSSI = nullptr;
    QLabel *m_pnSetRSSI = nullptr;
    QSlider *m_sbGainLevel = nullptr;
    QLabel *m_pnlGainLevel = nullptr;
    std::array<QSlider *, 3> m_sbSetGain{};
    QLineEdit *m_edtTx = nullptr;
    QLineEdit *m_edtRx = nullptr;
    QCheckBox *m_cbxRelayOnTime = nullptr;
    QSlider *m_sbRelayOnTime = nullptr;
    QLabel *m_pnlRelayOnTime = nullptr;
    QWidget *m_pnlRelay = nullptr;
    QCheckBox *m_cbxDO01 = nullptr;
    QCheckBox *m_cbxDO02 = nullptr;
    QPushButton *m_btnRelay = nullptr;
    std::array<QLabel *, 4> m_shapeDI{};
    QPushButton *m_btnCancel = nullptr;
    QCheckBox *m_chkShowHidden = nullptr;
    Language m_language = Language::English;
};

Q_DECLARE_METATYPE(ReaderCommandPanel::ReplyUse)
