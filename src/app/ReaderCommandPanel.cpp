#include "app/ReaderCommandPanel.h"

#include "app/Controls.h"
#include "app/WindowTranslator.h"
#include "readercfg/ReaderCommands.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSlider>
#include <QVBoxLayout>

#include <iterator>

using namespace Controls;
namespace RC = ReaderCommands;

// One button of the panel: its control name, its caption, the steps it sends and what its reply
// fills in.
struct ReaderCommandPanel::CommandRow
{
    const char *name;
    const char *caption;
    ReaderCommandSequence (ReaderCommandPanel::*steps)();
    ReplyUse use;
};

const ReaderCommandPanel::CommandRow *ReaderCommandPanel::rows(int *count)
{
    using P = ReaderCommandPanel;
    static const CommandRow kRows[] = {
        {"btnInitial", "Reader Initial", &P::initialSteps, ReplyUse::Show},
        {"btnReset", "Reader Reset", &P::resetSteps, ReplyUse::Show},
        {"btnGetVersion", "Get Version", &P::versionSteps, ReplyUse::Show},
        {"btnGetSN", "Get Reader S/N", &P::serialNumberSteps, ReplyUse::Show},
        {"btnGetID", "Get Reader ID", &P::readIdSteps, ReplyUse::ReaderId},
        {"btnSetID", "Set Reader ID", &P::setIdSteps, ReplyUse::Show},
        {"btnSetBaudrate", "Set Baudrate", &P::baudrateSteps, ReplyUse::Show},
        {"btnAutoSend", "Set Auto Send", &P::autoSendSteps, ReplyUse::Show},
        {"btnSetNet", "Set Net Port", &P::netSteps, ReplyUse::Show},
        {"btnSetRSSI", "Set RSSI Level", &P::rssiSteps, ReplyUse::Show},
        {"butSetGainLevel", "Set Gain Level", &P::gainLevelSteps, ReplyUse::Show},
        {"btnSetGain", "Set GAIN", &P::gainSteps, ReplyUse::Show},
        {"btnTxRx", "TxRx", &P::testPairSteps, ReplyUse::Show},
        {"btnRelayOnTime", "Set Relay ON Time (sec)", &P::relayOnTimeSteps, ReplyUse::Show},
    };
    *count = int(std::size(kRows));
    return kRows;
}

ReaderCommandPanel::ReaderCommandPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlSetup"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_commands = buildCommands();
    layout->addWidget(m_commands);
    auto *switches = new QHBoxLayout;
    m_chkShowHidden = check(this, QStringLiteral("chkShowHidden"), QStringLiteral("Show hidden controls"));
    connect(m_chkShowHidden, &QCheckBox::toggled, this, [this](bool shown) {
        m_pnlHidden->setVisible(shown);
        emit hiddenShownChanged(shown);
    });
    switches->addWidget(m_chkShowHidden);
    switches->addStretch(1);
    m_btnCancel = button(this, "btnCancel", QStringLiteral("Cancel"));
    m_btnCancel->setEnabled(false);
    connect(m_btnCancel, &QPushButton::clicked, this, &ReaderCommandPanel::cancelRequested);
    switches->addWidget(m_btnCancel);
    layout->addLayout(switches);
    m_pnlHidden = buildHidden();
    m_pnlHidden->setVisible(false);
    layout->addWidget(m_pnlHidden);
    layout->addStretch(1);
    setLanguage(Language::English);
}

QSlider *ReaderCommandPanel::slider(QWidget *parent, const char *name, int min, int max, int value)
{
    auto *s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(min, max);
    s->setValue(value);
    return s;
}

void ReaderCommandPanel::addRowButton(QGridLayout *grid, int row, int column, const char *name)
{
    int count = 0;
    const CommandRow *table = rows(&count);
    for (int i = 0; i < count; ++i) {
        if (qstrcmp(table[i].name, name) != 0)
            continue;
        auto *b = button(grid->parentWidget(), name, QLatin1String(table[i].caption));
        const CommandRow &r = table[i];
        connect(b, &QPushButton::clicked, this, [this, &r] { run(r); });
        grid->addWidget(b, row, column);
        return;
    }
}

QWidget *ReaderCommandPanel::buildCommands()
{
    auto *box = new QWidget(this);
    box->setObjectName(QStringLiteral("pnlReaderCommands"));
    auto *grid = new QGridLayout(box);
    addRowButton(grid, 0, 0, "btnReset");
    addRowButton(grid, 0, 1, "btnInitial");
    addRowButton(grid, 1, 0, "btnGetVersion");
    addRowButton(grid, 1, 1, "btnGetSN");
    m_edID = edit(box, QStringLiteral("edID"), QStringLiteral("0001"));
    m_edID->setMaxLength(4);
    grid->addWidget(m_edID, 2, 2);
    addRowButton(grid, 2, 0, "btnGetID");
    addRowButton(grid, 2, 1, "btnSetID");
    m_cmbBaudRate = new QComboBox(box);
    m_cmbBaudRate->setObjectName(QStringLiteral("cmbBaudRate"));
    m_cmbBaudRate->addItems(RC::baudRateItems());
    m_cmbBaudRate->setCurrentIndex(10);
    grid->addWidget(m_cmbBaudRate, 3, 1, 1, 2);
    addRowButton(grid, 3, 0, "btnSetBaudrate");
    m_cmbAutoSend = new QComboBox(box);
    m_cmbAutoSend->setObjectName(QStringLiteral("cmbAutoSend"));
    m_cmbAutoSend->addItems(RC::autoSendItems());
    m_cmbAutoSend->setCurrentIndex(3);
    grid->addWidget(m_cmbAutoSend, 4, 1, 1, 2);
    addRowButton(grid, 4, 0, "btnAutoSend");
    m_cmbNet = new QComboBox(box);
    m_cmbNet->setObjectName(QStringLiteral("cmbNet"));
    grid->addWidget(m_cmbNet, 5, 1, 1, 2);
    addRowButton(grid, 5, 0, "btnSetNet");
    m_sbSetRSSI = slider(box, "sbSetRSSI", 0, 250, 0);
    m_sbSetRSSI->setPageStep(10);
    m_pnSetRSSI = panel(box, "pnSetRSSI", QStringLiteral("0"));
    WindowTranslator::exclude(m_pnSetRSSI);
    connect(m_sbSetRSSI, &QSlider::valueChanged, m_pnSetRSSI,
            [this](int value) { m_pnSetRSSI->setText(QString::number(value)); });
    grid->addWidget(m_sbSetRSSI, 6, 1);
    grid->addWidget(m_pnSetRSSI, 6, 2);
    addRowButton(grid, 6, 0, "btnSetRSSI");
    m_sbGainLevel = slider(box, "sbGainLevel", 1, 7, 7);
    m_pnlGainLevel = panel(box, "pnlGainLevel", QStringLiteral("7"));
    WindowTranslator::exclude(m_pnlGainLevel);
    connect(m_sbGainLevel, &QSlider::valueChanged, this, [this](int level) {
        m_pnlGainLevel->setText(QString::number(level));
        applyGainLevel(level);
    });
    grid->addWidget(m_sbGainLevel, 7, 1);
    grid->addWidget(m_pnlGainLevel, 7, 2);
    addRowButton(grid, 7, 0, "butSetGainLevel");
    return box;
}

QWidget *ReaderCommandPanel::buildHidden()
{
    auto *box = new QWidget(this);
    box->setObjectName(QStringLiteral("pnlHidden"));
    auto *grid = new QGridLayout(box);
    m_edtTx = edit(box, QStringLiteral("edtTx"), QStringLiteral("A0"));
    m_edtRx = edit(box, QStringLiteral("edtRx"), QString());
    grid->addWidget(m_edtTx, 0, 1);
    grid->addWidget(m_edtRx, 0, 2);
    addRowButton(grid, 0, 0, "btnTxRx");
    m_cbxRelayOnTime = check(box, QStringLiteral("cbxRelayOnTime"),
                             QStringLiteral("Relay ON Mode (Receive Tag Auto ON)(For K7)(V0209)"));
    grid->addWidget(m_cbxRelayOnTime, 1, 0, 1, 3);
    // Ticking or unticking the mode sends the setting at once, as the button does.
    connect(m_cbxRelayOnTime, &QCheckBox::clicked, this,
            [this] { emit commandRequested(relayOnTimeSteps(), ReplyUse::Show); });
    m_sbRelayOnTime = slider(box, "sbRelayOnTime", 0, 999, 1);
    m_pnlRelayOnTime = panel(box, "pnlRelayOnTime", QStringLiteral("1"));
    WindowTranslator::exclude(m_pnlRelayOnTime);
    connect(m_sbRelayOnTime, &QSlider::valueChanged, m_pnlRelayOnTime,
            [this](int value) { m_pnlRelayOnTime->setText(QString::number(value)); });
    grid->addWidget(m_sbRelayOnTime, 2, 1);
    grid->addWidget(m_pnlRelayOnTime, 2, 2);
    addRowButton(grid, 2, 0, "btnRelayOnTime");
    grid->addWidget(buildRelayPanel(box), 3, 0, 1, 3);
    m_sbSetGain = {slider(box, "sbSetGain1", 0, 3, 0), slider(box, "sbSetGain2", 0, 7, 0),
                   slider(box, "sbSetGain3", 0, 7, 0)};
    for (int i = 0; i < 3; ++i)
        grid->addWidget(m_sbSetGain[size_t(i)], 4 + i, 1, 1, 2);
    addRowButton(grid, 4, 0, "btnSetGain");
    // Offered as laid out; reading the gain back is not a command of the reader set.
    auto *getGain = button(box, "btnGetGAIN", QStringLiteral("Get GAIN"));
    getGain->setEnabled(false);
    grid->addWidget(getGain, 5, 0);
    return box;
}

QWidget *ReaderCommandPanel::buildRelayPanel(QWidget *parent)
{
    m_pnlRelay = new QWidget(parent);
    m_pnlRelay->setObjectName(QStringLiteral("pnlRelay"));
    auto *row = new QHBoxLayout(m_pnlRelay);
    m_cbxDO01 = check(m_pnlRelay, QStringLiteral("cbxDO01"), QStringLiteral("DO1"));
    m_cbxDO02 = check(m_pnlRelay, QStringLiteral("cbxDO02"), QStringLiteral("DO2"));
    for (QCheckBox *out : {m_cbxDO01, m_cbxDO02}) {
        connect(out, &QCheckBox::toggled, this,
                [this] { emit outputsChanged(m_cbxDO01->isChecked(), m_cbxDO02->isChecked()); });
        row->addWidget(out);
    }
    m_btnRelay = button(m_pnlRelay, "btnRelay", QStringLiteral("Set Relay ON/OFF"));
    connect(m_btnRelay, &QPushButton::clicked, this, &ReaderCommandPanel::relayToggleRequested);
    row->addWidget(m_btnRelay);
    for (int k = 0; k < 4; ++k) {
        auto *shape = panel(m_pnlRelay, "", QStringLiteral("DI%1").arg(k + 1));
        shape->setObjectName(QStringLiteral("ShapeDI%1").arg(k + 1));
        shape->setAutoFillBackground(true);
        m_shapeDI[size_t(k)] = shape;
        row->addWidget(shape);
    }
    showInputs({false, false, false, false});
    return m_pnlRelay;
}

void ReaderCommandPanel::run(const CommandRow &row)
{
    emit commandRequested((this->*row.steps)(), row.use);
}

void ReaderCommandPanel::setBusy(bool busy, bool relayRunning)
{
    m_commands->setEnabled(!busy);
    m_chkShowHidden->setEnabled(!busy);
    m_btnCancel->setEnabled(busy);
    for (QWidget *w : m_pnlHidden->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        w->setEnabled(!busy || (relayRunning && w == m_pnlRelay));
    m_pnlHidden->findChild<QWidget *>(QStringLiteral("btnGetGAIN"))->setEnabled(false);
    m_btnRelay->setEnabled(!busy || relayRunning);
    const QString caption = relayRunning ? QStringLiteral("Stop") : QStringLiteral("Set Relay ON/OFF");
    if (WindowTranslator::key(m_btnRelay) != caption) {
        WindowTranslator::setKey(m_btnRelay, caption);
        m_btnRelay->setText(translate(m_language, caption));
    }
    if (busy)
        m_btnCancel->setFocus();
}

void ReaderCommandPanel::setReaderId(const QString &id)
{
    m_edID->setText(id);
}

void ReaderCommandPanel::showInputs(const std::array<bool, 4> &inputs)
{
    for (size_t k = 0; k < inputs.size(); ++k) {
        QPalette p = m_shapeDI[k]->palette();
        p.setColor(QPalette::Window, inputs[k] ? QColor(Qt::yellow) : QColor(Qt::white));
        m_shapeDI[k]->setPalette(p);
    }
}

void ReaderCommandPanel::showTestReply(const QString &text)
{
    if (hiddenShown())
        m_edtRx->setText(text);
}

bool ReaderCommandPanel::hiddenShown() const
{
    return m_chkShowHidden->isChecked();
}

void ReaderCommandPanel::setHiddenShown(bool shown)
{
    m_chkShowHidden->setChecked(shown);
    m_pnlHidden->setVisible(shown);
}

bool ReaderCommandPanel::output(int number) const
{
    return (number == 1 ? m_cbxDO01 : m_cbxDO02)->isChecked();
}

void ReaderCommandPanel::setLanguage(Language language)
{
    m_language = language;
    m_cmbNet->clear();
    for (const QString &item : RC::netItems())
        m_cmbNet->addItem(translate(language, item));
    m_cmbNet->setCurrentIndex(0);
}

void ReaderCommandPanel::applyGainLevel(int level)
{
    const auto fields = RC::gainLevelFields(level);
    if (!fields)
        return;
    m_sbSetGain[0]->setValue(fields->gain1);
    m_sbSetGain[1]->setValue(fields->gain2);
    m_sbSetGain[2]->setValue(fields->gain3);
}

ReaderCommandSequence ReaderCommandPanel::initialSteps()
{
    return ReaderSequences::single(RC::initial());
}

ReaderCommandSequence ReaderCommandPanel::resetSteps()
{
    return ReaderSequences::single(RC::reset());
}

ReaderCommandSequence ReaderCommandPanel::versionSteps()
{
    return ReaderSequences::single(RC::version());
}

ReaderCommandSequence ReaderCommandPanel::serialNumberSteps()
{
    return ReaderSequences::single(RC::serialNumber());
}

ReaderCommandSequence ReaderCommandPanel::readIdSteps()
{
    return ReaderSequences::single(RC::readId());
}

ReaderCommandSequence ReaderCommandPanel::setIdSteps()
{
    return ReaderSequences::single(RC::setId(m_edID->text()));
}

ReaderCommandSequence ReaderCommandPanel::baudrateSteps()
{
    return ReaderSequences::single(RC::setBaudrate(m_cmbBaudRate->currentIndex()));
}

ReaderCommandSequence ReaderCommandPanel::autoSendSteps()
{
    return ReaderSequences::single(RC::autoSend(m_cmbAutoSend->currentIndex()));
}

ReaderCommandSequence ReaderCommandPanel::netSteps()
{
    return ReaderSequences::single(RC::netPort(m_cmbNet->currentIndex()));
}

ReaderCommandSequence ReaderCommandPanel::rssiSteps()
{
    return ReaderSequences::single(RC::rssiLevel(m_sbSetRSSI->value()));
}

ReaderCommandSequence ReaderCommandPanel::gainLevelSteps()
{
    // The level's fields go into the raw sliders first, then their gain byte is sent.
    applyGainLevel(m_sbGainLevel->value());
    return gainSteps();
}

ReaderCommandSequence ReaderCommandPanel::gainSteps()
{
    const RC::GainFields fields{m_sbSetGain[0]->value(), m_sbSetGain[1]->value(), m_sbSetGain[2]->value()};
    return ReaderSequences::setGain(RC::gainByte(fields));
}

ReaderCommandSequence ReaderCommandPanel::testPairSteps()
{
    return ReaderSequences::single(m_edtTx->text().toLatin1());
}

ReaderCommandSequence ReaderCommandPanel::relayOnTimeSteps()
{
    return ReaderSequences::relayOnTime(m_sbRelayOnTime->value(), m_cbxRelayOnTime->isChecked());
}
