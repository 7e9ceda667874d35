#include "tagcfg/TagButtonRun.h"

#include "base/TonePlayer.h"
#include "tagcfg/TagUid.h"

#include <QTimer>

namespace {
constexpr int kFailToneHz = 300;
constexpr int kFailToneMs = 300;
} // namespace

TagButtonRun::TagButtonRun(TonePlayer &tones, const Clock &clock, QObject *parent)
    : QObject(parent), m_tones(tones), m_sequence(tones, clock), m_action(tones)
{
    m_action.setTagPanelShown(true);
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

void TagButtonRun::setLanguage(Language language)
{
    m_language = language;
    m_sequence.setLanguage(language);
    m_action.setLanguage(language);
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
    QString refusal;
    const auto action = button.actionText(values);
    const bool guard = uid.isEmpty() || !tagChosen;
    if (guard)
        refusal = TagFlowTexts::guard(m_language, button.guardTranslated);
    else if (!TagUid::isValid(uid))
        refusal = TagUid::problem(m_language, uid);
    else if (!action)
        refusal = button.failure();
    if (!refusal.isEmpty()) {
        m_pending = true;
        QTimer::singleShot(0, this, [this, refusal, guard] {
            m_pending = false;
            m_tones.play(kFailToneHz, kFailToneMs);
            if (guard)
                emit guardRefused(refusal);
            endAction(refusal, false);
        });
        return;
    }
    emit messageChanged(QString::fromLatin1(button.actionMessage));
    m_action.start('E' + uid.toLatin1() + *action);
}

void TagButtonRun::cancel()
{
    m_sequence.cancel();
    m_action.cancel();
}

void TagButtonRun::endAction(const QString &text, bool ok)
{
    emit messageChanged(text);
    Result r;
    r.ok = ok;
    r.text = text;
    emit finished(r);
}

void TagButtonRun::handleSequenceFinished(const SendTagCommand::Result &result)
{
    Result r;
    r.ok = result.ok();
    r.text = result.text;
    r.values = result.values;
    r.sent = result.sent;
    r.detail = result.detail;
    r.sessionClosed = result.sessionClosed;
    emit finished(r);
}

void TagButtonRun::handleActionFinished(const RunReaderCommand::Result &result)
{
    // The button's own text replaces what the reader command exchange left on the message line.
    const QString text = result.ok() ? m_button->success(m_language) : m_button->failure();
    Result r;
    r.ok = result.ok();
    r.text =
        result.status == RunReaderCommand::Status::Cancelled ? TagFlowTexts::cancelled(m_language) : text;
    if (result.transmissions > 0) // only a command that reached the link is listed
        r.sent = {result.command};
    r.detail = result.detail;
    emit messageChanged(r.text);
    emit finished(r);
}
