#include "tagcfg/TagReadLoop.h"

#include "base/ShownValue.h"
#include "base/Tones.h"
#include "readercfg/ConfigLink.h"
#include "readercfg/ConfigLinkFactory.h"
#include "readercfg/ConfigLinkTeardown.h"

namespace {
constexpr int kMinimumReplyLength = 22;
} // namespace

TagReadLoop::TagReadLoop(TonePlayer &tones, QObject *parent) : QObject(parent), m_tones(tones)
{
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &TagReadLoop::poll);
}

TagReadLoop::~TagReadLoop()
{
    if (m_exchange)
        disconnect(m_exchange, nullptr, this, nullptr);
    if (m_link)
        m_link->close();
}

void TagReadLoop::toggle()
{
    if (m_running)
        stop();
    else
        start();
}

bool TagReadLoop::start()
{
    if (m_running)
        return true;
    discardLink();
    m_link = ConfigLinkFactory::create(m_request).release();
    m_link->setParent(this);
    emit linkCreated(m_link);
    if (!m_link->open()) {
        Tones::play(m_tones, Tones::kFailure);
        emit problem(m_link->error());
        return false;
    }
    m_exchange = new TransceiveCommand(m_link, m_timing, this);
    connect(m_exchange, &TransceiveCommand::finished, this, &TagReadLoop::handleExchangeFinished);
    m_running = true;
    Tones::play(m_tones, Tones::kDone);
    emit runningChanged(true);
    m_exchange->start(QByteArrayLiteral("A0")); // the reader keeps its reports for the polls
    return true;
}

void TagReadLoop::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_pause.stop();
    if (m_exchange && m_exchange->isRunning())
        m_exchange->cancel();
    if (m_link)
        m_link->close();
    Tones::play(m_tones, Tones::kDone);
    emit runningChanged(false);
}

void TagReadLoop::clear()
{
    m_model.clear();
    emit countChanged(0);
    setCurrentUid(QStringLiteral("0000000000000000"));
}

void TagReadLoop::pollLater()
{
    if (m_running)
        m_pause.start(m_timing.commandGapMs);
}

void TagReadLoop::poll()
{
    if (!m_running || !m_exchange)
        return;
    if (m_sendText.isEmpty())
        setShown(this, m_sendText, QStringLiteral("C"), &TagReadLoop::sendTextChanged);
    m_exchange->start(QByteArrayLiteral("C"));
}

void TagReadLoop::handleExchangeFinished(const TransceiveCommand::Result &result)
{
    if (!m_running || result.outcome == TransceiveCommand::Outcome::Cancelled)
        return;
    if (result.ok() && result.reply.size() >= kMinimumReplyLength) {
        Tones::play(m_tones, Tones::kReport);
        setShown(this, m_replyPayload, result.payload(), &TagReadLoop::replyPayloadChanged);
        enter(result.reply);
    }
    pollLater();
}

void TagReadLoop::enter(const QByteArray &frame)
{
    const auto report = TagPollReport::parse(frame);
    if (!report || report->rssi < m_rssiMinimum)
        return;
    const int before = m_model.rowCount();
    const int row = m_model.apply(*report);
    const QString uid = QString::fromLatin1(report->uid);
    if (m_model.rowCount() != before) {
        emit countChanged(m_model.rowCount());
        if (row == 0)
            emit tagChosen(uid);
    }
    emit rowSelected(row);
    setCurrentUid(uid);
}

void TagReadLoop::setCurrentUid(const QString &uid)
{
    if (uid == m_currentUid)
        return;
    setShown(this, m_currentUid, uid, &TagReadLoop::currentUidChanged);
}

void TagReadLoop::discardLink()
{
    discardConfigLink(this, m_exchange, m_link);
}
