#pragma once

#include "base/SettingsStore.h"
#include "i18n/LanguageTable.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QToolButton;
class QWidget;

// `grpPublish`, the "Publish" group of the "Read TAG" page: whether the reports of a reading session go
// to an MQTT broker, and the broker's settings (URL, topic prefix, site name, QoS, user, password file,
// CA file). The settings sit on a fold-out part so that the group takes one line of the page; the
// line also shows the publisher's state (`lblPublishState`). A second line offers a web view of the
// reading on this computer (`chkWebView`, its port `spnWebViewPort` and its state `lblWebViewState`).
//
// The group keeps its controls to itself: it hands out the values the user set, says when one was
// edited, and shows the state it is given in the current language.
class PublishGroup : public QGroupBox
{
    Q_OBJECT
public:
    enum class State
    {
        Off,          // no session publishes
        Connecting,   // the first connection is being made
        Connected,    // reports go out
        Reconnecting, // the broker went away; reports wait in the queue
        Closing,      // the session ended; queued reports are being sent
        NotStarted,   // the settings were not usable: this session does not publish
    };

    explicit PublishGroup(QWidget *parent = nullptr);

    // The broker values of the group (the "MQTT" link page's own values are left as given).
    void applyValues(const SettingsStore::MqttValues &values);
    void fillValues(SettingsStore::MqttValues *values) const;
    bool publishing() const;

    // "Serve a web view on port …": off by default; the port stays editable while it is off.
    void applyWebView(bool on, quint16 port);
    bool webViewOn() const;
    quint16 webViewPort() const;
    // The web view's address when it is served, else why not (the system's words; empty when off).
    void showWebViewState(const QString &url, const QString &error);

    // While a session runs the settings cannot change (the publisher was made from them).
    void setRunning(bool running);
    void showState(State state, quint64 dropped);
    State state() const { return m_state; }
    void setLanguage(Language language);

signals:
    // A value was changed by the user (to be stored).
    void edited();
    // The web view's switch or port changed, by the user (webViewEdited) or by applyWebView (both
    // say webViewChanged).
    void webViewEdited();
    void webViewChanged();

private:
    QWidget *buildDetails();
    QLineEdit *addEdit(const char *name);
    void showDetails(bool shown);
    void renderState();

    QLayout *buildWebViewLine();
    QCheckBox *m_chkWebView = nullptr;
    QSpinBox *m_spnWebViewPort = nullptr;
    QLabel *m_lblWebViewState = nullptr;
    QString m_webViewUrl;
    QString m_webViewError;
    void renderWebViewState();
    QCheckBox *m_chkPublish = nullptr;
    QLabel *m_lblState = nullptr;
    QToolButton *m_btnDetails = nullptr;
    QWidget *m_details = nullptr;
    QLineEdit *m_edtUrl = nullptr;
    QLineEdit *m_edtPrefix = nullptr;
    QLineEdit *m_edtSite = nullptr;
    QComboBox *m_cmbQos = nullptr;
    QLineEdit *m_edtUser = nullptr;
    QLineEdit *m_edtPasswordFile = nullptr;
    QLineEdit *m_edtCaFile = nullptr;
    State m_state = State::Off;
    quint64 m_dropped = 0;
    Language m_language = Language::English;
};
