#pragma once

#include "base/Timing.h"
#include "readercfg/ConfigLinkRequest.h"
#include "readercfg/RunReaderCommand.h"
#include "tagcfg/SendTagCommand.h"

#include <QObject>
#include <optional>

// Runs any button of the tag settings panel for one tag: a register command through the tag
// command sequence, an action (beep, LED) as one reader command with the same guard. The result
// has one shape for both, so a script or a provisioning plan need not know which kind it ran.
class TagButtonRun : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        bool ok = false;
        TagFlowMessage message;    // the message line at the end
        std::map<int, int> values; // read values by register
        QList<QByteArray> sent;    // reader commands of a register command, in order
        QString detail;            // why the link could not be opened
        // A register command: whether the tag acknowledged the end of its session ("X0000").
        // Empty for an action, which opens no tag session.
        std::optional<bool> sessionClosed;
    };

    TagButtonRun(TonePlayer &tones, const Clock &clock, QObject *parent = nullptr);

    void setTiming(const Timing &timing);
    void setRequest(const ConfigLinkRequest &request);

    // finished() follows, never from inside this call. Ignored while running.
    void start(const TagButton &button, const QString &uid, bool tagChosen, const TagValueMap &values);
    void cancel();
    bool isRunning() const { return m_sequence.isRunning() || m_action.isRunning() || m_pending; }

    SendTagCommand &sequence() { return m_sequence; }
    RunReaderCommand &action() { return m_action; }

signals:
    void messageChanged(const TagFlowMessage &message);
    void problem(const Problem &problem);
    // No tag chosen (either kind of button): the panel shows `message` in a message box and goes
    // back to "Read TAG". Comes before finished().
    void guardRefused(const TagFlowMessage &message);
    void valueRead(TagValue target, int reg, int value, int position);
    void finished(const TagButtonRun::Result &result);

private:
    void startAction(const TagButton &button, const QString &uid, bool tagChosen, const TagValueMap &values);
    void endAction(const TagFlowMessage &message, bool ok);
    TagFlowMessage buttonMessage(TagFlowMessage::Kind kind) const;
    void handleSequenceFinished(const SendTagCommand::Result &result);
    void handleActionFinished(const RunReaderCommand::Result &result);

    TonePlayer &m_tones;
    SendTagCommand m_sequence;
    RunReaderCommand m_action;
    const TagButton *m_button = nullptr;
    bool m_pending = false; // an action refused before sending, its end not yet said
};

Q_DECLARE_METATYPE(TagButtonRun::Result)
