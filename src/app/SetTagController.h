#pragma once

#include "base/Clock.h"
#include "i18n/LanguageTable.h"
#include "readercfg/ConfigLinkRequest.h"
#include "tagcfg/SendTagCommand.h"
#include "tagcfg/TagReadLoop.h"

#include <QObject>
#include <QPointer>
#include <functional>

class ProvisionController;
class QMessageBox;
class SetTagPage;
class TonePlayer;

// Runs the tag settings panel: which tag is chosen (`TagChosen`), the tag command sequence of each
// button over the configuration link set up in the panel, the panel's own tag reading, and "Cancel".
// The sequence and the read loop are the core's; this class only hands them the panel's values and
// shows their progress.
class SetTagController : public QObject
{
    Q_OBJECT
public:
    using RequestSource = std::function<ConfigLinkRequest()>;
    using RssiSource = std::function<int()>;

    SetTagController(SetTagPage *page, TonePlayer *tone, RequestSource request, RssiSource rssi,
                     QObject *parent = nullptr);
    ~SetTagController() override;
    Q_DISABLE_COPY_MOVE(SetTagController)

    void setTiming(const Timing &timing);
    void setLanguage(Language language);

    // A tag has been picked or typed since the tag list was last cleared.
    bool isTagChosen() const { return m_tagChosen; }
    void setTagChosen(bool chosen) { m_tagChosen = chosen; }

    SendTagCommand &sequence() { return m_sequence; }
    TagReadLoop &readLoop() { return m_readLoop; }
    ProvisionController *provisioning() const { return m_provision; }
    bool isBusy() const;
    void stopReading();

    // The "Message" box with `text`; open, never modal in the sense of a nested loop.
    void showMessageBox(QWidget *parent, const QString &text);

signals:
    // The guard refused a button: the window goes back to "Read TAG".
    void guardRefused();
    void statusText(const QString &text);
    // Why the configuration link could not be opened; cleared when the next command or read starts.
    void problemReported(const Problem &problem);
    void problemsCleared();

private:
    void runButton(const TagButton *button);
    void handleReadRunning(bool running);
    void handleReadRowClicked(int row);
    void connectProvisioning(TonePlayer &tone);
    void updateProvisioning();

    SetTagPage *m_page;
    SystemClock m_clock;
    SendTagCommand m_sequence;
    TagReadLoop m_readLoop;
    RequestSource m_request;
    RssiSource m_rssi;
    Language m_language = Language::English;
    bool m_tagChosen = false;
    QPointer<QMessageBox> m_box;
    ProvisionController *m_provision = nullptr;
};
