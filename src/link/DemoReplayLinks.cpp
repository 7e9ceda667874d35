#include "link/DemoReplayLinks.h"

#include "link/ReadingSource.h"

DemoReplayLinks::DemoReplayLinks(const QByteArray &recording, int linesPerTick, int tickMs, bool repeat,
                                 QObject *parent)
    : ReadingLinks(parent), m_linesPerTick(qMax(1, linesPerTick)), m_repeat(repeat)
{
    // Lines end with CR (LF tolerated); each is replayed with its CR.
    QByteArray normalized = recording;
    normalized.replace("\r\n", "\r").replace('\n', '\r');
    const auto parts = normalized.split('\r');
    for (const QByteArray &line : parts) {
        if (!line.isEmpty())
            m_lines << line + '\r';
    }
    m_timer.setInterval(tickMs);
    connect(&m_timer, &QTimer::timeout, this, &DemoReplayLinks::handleTick);
}

DemoReplayLinks::~DemoReplayLinks() = default;

void DemoReplayLinks::open()
{
    m_source = new ReadingSource(QStringLiteral("COM01"), this);
    emit sourceAdded(1, m_source);
    emit opened();
    if (!m_lines.isEmpty())
        m_timer.start();
}

void DemoReplayLinks::close()
{
    m_timer.stop();
    if (m_source) {
        emit sourceRemoved(1);
        m_source->deleteLater();
        m_source = nullptr;
    }
    emit closed();
}

void DemoReplayLinks::broadcastCommand(const QByteArray &) {}

void DemoReplayLinks::handleTick()
{
    QByteArray chunk;
    for (int i = 0; i < m_linesPerTick; ++i) {
        if (m_next >= m_lines.size()) {
            if (!m_repeat) {
                m_timer.stop();
                break;
            }
            m_next = 0;
        }
        chunk += m_lines.at(m_next++);
    }
    if (m_source)
        m_source->appendBytes(chunk);
}
