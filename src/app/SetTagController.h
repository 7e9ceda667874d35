#pragma once

#include "base/Clock.h"
#include "i18n/LanguageTable.h"
#include "readercfg/ConfigLinkRequest.h"
#include "tagcfg/TagButtonRun.h"
#include "tagcfg/TagReadLoop.h"

#include <QObject>
#include <QPointer>
#include <functional>

class ProvisionController;
class QMessageBox;
class SetTagPage;
class TonePlayer;

// Runs the tag settings panel: which tag is chosen (`TagChosen`), each button over the configuration
// link set up in the panel (a register command through the tag command sequence, "TAG Beep" and
// "TAG LED" as one reader command), the panel's own tag reading, and "Cancel". The runners and the
// read loop are the core's; this class only hands them the panel's values and shows their progress.
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

    SendTagCommand &sequence() { return m_run.sequence(); }
    TagButtonRun &buttonRun() { return m_run; }
    TagReadLoop &readLoop() { return m_readLoop; }
    ProvisionController *provisioning() const { return m_provision; }
    bool isBusy() const;
    void stopReading();
    // The window closes: a plan, a tag command or the read loop under way is ended, the tag under
    // way hearing that its session is over ("X0000"), and a plan's rows done so far are kept in its
    // result file. busyChanged(false) follows once everything has ended.
    void endForClose();

    // The "Message" box with `text`; open, never modal in the sense of a nested loop.
    void showMessageBox(QWidget *parent, const QString &text);

signals:
    // A tag command, the read loop or a plan started, or the last of them ended.
    void busyChanged(bool busy);
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
    void updateBusy();
    void connectRun();

    SetTagPage *m_page;
    SystemClock m_clock;
    TagButtonRun m_run;
    const TagButton *m_button = nullptr; // the button that runs or ran last
    TagReadLoop m_readLoop;
    RequestSource m_request;
    RssiSource m_rssi;
    Language m_language = Language::English;
    bool m_tagChosen = false;
    bool m_busy = false;
    QPointer<QMessageBox> m_box;
    ProvisionController *m_provision = nullptr;
};
