#include "tagcfg/TagButtonRun.h"

#include "base/Tones.h"
#include "tagcfg/TagUid.h"

#include <QTimer>

TagButtonRun::TagButtonRun(TonePlayer &tones, const Clock &clock, QObject *parent)
    : QObject(parent), m_tones(tones), m_sequence(tones, clock), m_action(tones)
{
    connect(&m_sequence, &SendTagCommand::messageChanged, this, &TagButtonRun::messageChanged);
    connect(&m_sequence, &SendTagCommand::problem, this, &TagButtonRun::problem);
    connect(&m_sequence, &SendTagCommand::guardRefused, this, &TagButtonRun::guardRefused);
    connect(&m_sequence, &SendTagCommand::valueRead, this, &TagButtonRun::valueRead);
    connect(&m_sequence, &SendTagCommand::finished, this, &TagButtonRun::handleSequenceFinished);
    connect(&m_action, &RunReaderCommand::problem, this, &TagButtonRun::problem);
    connect(&m_action, &RunReaderCommand::finished, this, &TagButtonRun::handleActionFinished);
}

void TagButtonRun::setTiming(const Timing &timing)
{
    m_sequence.setTiming(timing);
    m_action.setTiming(timing);
}

void TagButtonRun::setRequest(const ConfigLinkRequest &request)
{
    m_sequence.setRequest(request);
    m_action.setRequest(request);
}

void TagButtonRun::start(const TagButton &button, const QString &uid, bool tagChosen,
                         const TagValueMap &values)
{
    if (isRunning())
        return;
    m_button = &button;
    if (button.isAction())
        startAction(button, uid, tagChosen, values);
    else
        m_sequence.start(button, uid, tagChosen, values);
}

// An action: the same guard as a register command, then "E" + UID + action through the reader
// command exchange, whose success decides.
void TagButtonRun::startAction(const TagButton &button, const QString &uid, bool tagChosen,
                               const TagValueMap &values)
{
    using Kind = TagFlowMessage::Kind;
    const auto action = button.actionText(values);
    const auto refused = TagUid::refusal(uid, tagChosen);
    const bool guard = refused == Kind::NotChosen;
    TagFlowMessage refusal = buttonMessage(refused.value_or(action ? Kind::None : Kind::Failure));
    refusal.uid = uid;
    if (refusal.kind != Kind::None) {
        m_pending = true;
        QTimer::singleShot(0, this, [this, refusal, guard] {
            m_pending = false;
            Tones::play(m_tones, Tones::kFailure);
            if (guard)
                emit guardRefused(refusal);
            endAction(refusal, false);
        });
        return;
    }
    emit messageChanged(buttonMessage(Kind::Action));
    m_action.start('E' + uid.toLatin1() + *action);
}

void TagButtonRun::cancel()
{
    m_sequence.cancel();
    m_action.cancel();
}

TagFlowMessage TagButtonRun::buttonMessage(TagFlowMessage::Kind kind) const
{
    TagFlowMessage m;
    m.kind = kind;
    m.button = m_button;
    return m;
}

void TagButtonRun::endAction(const TagFlowMessage &message, bool ok)
{
    emit messageChanged(message);
    Result r;
    r.ok = ok;
    r.message = message;
    emit finished(r);
}

void TagButtonRun::handleSequenceFinished(const SendTagCommand::Result &result)
{
    Result r;
    r.ok = result.ok();
    r.message = result.message;
    r.values = result.values;
    r.sent = result.sent;
    r.detail = result.detail;
    r.sessionClosed = result.sessionClosed;
    emit finished(r);
}

void TagButtonRun::handleActionFinished(const RunReaderCommand::Result &result)
{
    // The button's own text replaces what the reader command exchange left on the message line.
    using Kind = TagFlowMessage::Kind;
    Result r;
    r.ok = result.ok();
    r.message = buttonMessage(result.status == RunReaderCommand::Status::Cancelled ? Kind::Cancelled
                              : result.ok()                                        ? Kind::Success
                                                                                   : Kind::Failure);
    if (result.transmissions > 0) // only a command that reached the link is listed
        r.sent = {result.command};
    r.detail = result.detail;
    emit messageChanged(r.message);
    emit finished(r);
}
