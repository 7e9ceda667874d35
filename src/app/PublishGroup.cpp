#include "app/PublishGroup.h"

#include "app/Controls.h"
#include "app/WindowTranslator.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Controls;

PublishGroup::PublishGroup(QWidget *parent) : QGroupBox(QStringLiteral("Publish"), parent)
{
    setObjectName(QStringLiteral("grpPublish"));
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(6, 2, 6, 2);
    v->setSpacing(2);
    auto *line = new QHBoxLayout;
    m_chkPublish = check(this, QStringLiteral("chkPublish"), QStringLiteral("Publish reports"));
    line->addWidget(m_chkPublish);
    m_lblState = label(this, "lblPublishState", QString());
    m_lblState->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lblState->setMinimumWidth(60);
    WindowTranslator::exclude(m_lblState);
    line->addWidget(m_lblState, 1);
    m_btnDetails = new QToolButton(this);
    m_btnDetails->setObjectName(QStringLiteral("btnMqttDetails"));
    m_btnDetails->setCheckable(true);
    m_btnDetails->setArrowType(Qt::DownArrow);
    m_btnDetails->setAutoRaise(true);
    line->addWidget(m_btnDetails);
    v->addLayout(line);
    m_details = buildDetails();
    v->addWidget(m_details);
    v->addLayout(buildWebViewLine());
    showDetails(false);
    connect(m_btnDetails, &QToolButton::toggled, this, &PublishGroup::showDetails);
    connect(m_chkPublish, &QCheckBox::clicked, this, &PublishGroup::edited);
    connect(m_cmbQos, &QComboBox::activated, this, &PublishGroup::edited);
    renderState();
}

QLayout *PublishGroup::buildWebViewLine()
{
    auto *line = new QHBoxLayout;
    m_chkWebView = check(this, QStringLiteral("chkWebView"), QStringLiteral("Serve a web view on port"));
    line->addWidget(m_chkWebView);
    m_spnWebViewPort = new QSpinBox(this);
    m_spnWebViewPort->setObjectName(QStringLiteral("spnWebViewPort"));
    m_spnWebViewPort->setRange(1, 65535);
    m_spnWebViewPort->setValue(SettingsStore::kDefaultWebViewPort);
    line->addWidget(m_spnWebViewPort);
    m_lblWebViewState = label(this, "lblWebViewState", QString());
    m_lblWebViewState->setTextInteractionFlags(Qt::TextSelectableByMouse);
    WindowTranslator::exclude(m_lblWebViewState);
    line->addWidget(m_lblWebViewState, 1);
    const auto changed = [this] {
        emit webViewEdited();
        emit webViewChanged();
    };
    connect(m_chkWebView, &QCheckBox::clicked, this, changed);
    connect(m_spnWebViewPort, &QSpinBox::editingFinished, this, changed);
    return line;
}

void PublishGroup::applyWebView(bool on, quint16 port)
{
    m_chkWebView->setChecked(on);
    m_spnWebViewPort->setValue(port);
    emit webViewChanged();
}

bool PublishGroup::webViewOn() const
{
    return m_chkWebView->isChecked();
}

quint16 PublishGroup::webViewPort() const
{
    return quint16(m_spnWebViewPort->value());
}

void PublishGroup::showWebViewState(const QString &url, const QString &error)
{
    m_webViewUrl = url;
    m_webViewError = error;
    renderWebViewState();
}

void PublishGroup::renderWebViewState()
{
    if (!m_webViewUrl.isEmpty())
        m_lblWebViewState->setText(translate(m_language, QStringLiteral("Web view: %1")).arg(m_webViewUrl));
    else if (!m_webViewError.isEmpty())
        m_lblWebViewState->setText(
            translate(m_language, QStringLiteral("Web view not served: %1")).arg(m_webViewError));
    else
        m_lblWebViewState->clear();
}

QLineEdit *PublishGroup::addEdit(const char *name)
{
    QLineEdit *e = edit(m_details, QLatin1String(name), QString());
    e->setMinimumWidth(40);
    connect(e, &QLineEdit::editingFinished, this, [this, e] {
        if (e->isModified()) {
            e->setModified(false);
            emit edited();
        }
    });
    return e;
}

QWidget *PublishGroup::buildDetails()
{
    m_details = new QWidget(this);
    m_details->setObjectName(QStringLiteral("pnlMqttDetails"));
    auto *grid = new QGridLayout(m_details);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    // Paths and the URL take a row each; the short settings share theirs, so that the group stays
    // as narrow as the tag views.
    const auto place = [this, grid](int row, int column, const char *labelName, const char *caption,
                                    QWidget *field, int span) {
        grid->addWidget(label(m_details, labelName, QLatin1String(caption)), row, column);
        grid->addWidget(field, row, column + 1, 1, span);
    };
    m_edtUrl = addEdit("edtMqttUrl");
    m_edtUrl->setToolTip(QStringLiteral("mqtt://host:1883, mqtts://host:8883"));
    place(0, 0, "lblMqttUrl", "Broker URL:", m_edtUrl, 3);
    m_edtPrefix = addEdit("edtMqttPrefix");
    place(1, 0, "lblMqttPrefix", "Prefix:", m_edtPrefix, 1);
    m_edtSite = addEdit("edtMqttSite");
    place(1, 2, "lblMqttSite", "Site:", m_edtSite, 1);
    m_edtUser = addEdit("edtMqttUser");
    place(2, 0, "lblMqttUser", "User:", m_edtUser, 1);
    m_cmbQos = new QComboBox(m_details);
    m_cmbQos->setObjectName(QStringLiteral("cmbMqttQos"));
    m_cmbQos->addItems({QStringLiteral("0"), QStringLiteral("1")});
    place(2, 2, "lblMqttQos", "QoS:", m_cmbQos, 1);
    m_edtPasswordFile = addEdit("edtMqttPasswordFile");
    place(3, 0, "lblMqttPasswordFile", "Password file:", m_edtPasswordFile, 3);
    m_edtCaFile = addEdit("edtMqttCaFile");
    place(4, 0, "lblMqttCaFile", "CA file:", m_edtCaFile, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return m_details;
}

void PublishGroup::showDetails(bool shown)
{
    m_details->setVisible(shown);
    m_btnDetails->setArrowType(shown ? Qt::UpArrow : Qt::DownArrow);
}

void PublishGroup::applyValues(const SettingsStore::MqttValues &values)
{
    m_chkPublish->setChecked(values.publish);
    m_edtUrl->setText(values.url);
    m_edtPrefix->setText(values.prefix);
    m_edtSite->setText(values.site);
    m_cmbQos->setCurrentIndex(values.qos == 1 ? 1 : 0);
    m_edtUser->setText(values.user);
    m_edtPasswordFile->setText(values.passwordFile);
    m_edtCaFile->setText(values.caFile);
}

void PublishGroup::fillValues(SettingsStore::MqttValues *values) const
{
    values->publish = m_chkPublish->isChecked();
    values->url = m_edtUrl->text().trimmed();
    values->prefix = m_edtPrefix->text().trimmed();
    values->site = m_edtSite->text().trimmed();
    values->qos = m_cmbQos->currentIndex() == 1 ? 1 : 0;
    values->user = m_edtUser->text().trimmed();
    values->passwordFile = m_edtPasswordFile->text().trimmed();
    values->caFile = m_edtCaFile->text().trimmed();
}

bool PublishGroup::publishing() const
{
    return m_chkPublish->isChecked();
}

void PublishGroup::setRunning(bool running)
{
    m_chkPublish->setEnabled(!running);
    m_details->setEnabled(!running);
}

void PublishGroup::showState(State state, quint64 dropped)
{
    if (state == m_state && dropped == m_dropped)
        return;
    m_state = state;
    m_dropped = dropped;
    renderState();
}

void PublishGroup::setLanguage(Language language)
{
    m_language = language;
    // The group is a class of its own, which the window's caption pass leaves alone.
    setTitle(translate(language, QStringLiteral("Publish")));
    m_btnDetails->setToolTip(translate(language, QStringLiteral("Broker settings")));
    m_edtPrefix->setToolTip(translate(language, QStringLiteral("Empty: talvo/SITE")));
    m_chkWebView->setToolTip(translate(language, QStringLiteral("Only this computer can open it")));
    renderWebViewState();
    m_edtSite->setToolTip(translate(language, QStringLiteral("Empty: this computer's name")));
    m_edtPasswordFile->setToolTip(
        translate(language, QStringLiteral("A file whose first line is the password")));
    m_edtCaFile->setToolTip(
        translate(language, QStringLiteral("Empty: the system's certificate authorities")));
    renderState();
}

void PublishGroup::renderState()
{
    const char *text = "";
    switch (m_state) {
    case State::Off:
        text = "Not publishing";
        break;
    case State::Connecting:
        text = "Connecting to the broker";
        break;
    case State::Connected:
        text = "Connected";
        break;
    case State::Reconnecting:
        text = "Reconnecting";
        break;
    case State::Closing:
        text = "Sending queued reports";
        break;
    case State::NotStarted:
        text = "Not publishing: the settings are not usable";
        break;
    }
    QString shown = translate(m_language, QLatin1String(text));
    if (m_dropped > 0)
        shown += QStringLiteral(" | ") + translate(m_language, QStringLiteral("Dropped: %1")).arg(m_dropped);
    m_lblState->setText(shown);
}
