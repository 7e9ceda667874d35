#include "publish/PublishingBinding.h"

#include "publish/ReportPublisher.h"
#include "reading/ReadingPipeline.h"

namespace {
// How long past the flush time closing waits for the network side to say goodbye.
constexpr int kCloseGraceMs = 2000;
} // namespace

PublishingBinding::PublishingBinding(ReadingPipeline &pipeline, const PublishSettings &settings,
                                     QObject *parent)
    : QObject(parent), m_publisher(std::make_unique<ReportPublisher>(settings)),
      m_flushTimeoutMs(settings.flushTimeoutMs)
{
    ReportPublisher *publisher = m_publisher.get();
    connect(&pipeline.tables(), &TagTables::reportEntered, publisher, &ReportPublisher::publishReport);
    connect(&pipeline, &ReadingPipeline::readerConnected, publisher,
            [publisher](const QString &label) { publisher->publishReaderState(label, true); });
    connect(&pipeline, &ReadingPipeline::readerDisconnected, publisher,
            [publisher](const QString &label) { publisher->publishReaderState(label, false); });
    connect(&pipeline, &ReadingPipeline::problem, this, &PublishingBinding::handleProblem);
    connect(publisher, &ReportPublisher::problem, this, &PublishingBinding::problem);
    connect(publisher, &ReportPublisher::connected, this, &PublishingBinding::connected);
    connect(publisher, &ReportPublisher::closed, this, &PublishingBinding::finish);
    m_closeGuard.setSingleShot(true);
    connect(&m_closeGuard, &QTimer::timeout, this, &PublishingBinding::finish);
}

PublishingBinding::~PublishingBinding() = default;

bool PublishingBinding::start()
{
    return m_publisher->start();
}

// Lost CSV lines are reported once per line with a growing count: the broker hears of each reason
// once, not of every line.
void PublishingBinding::handleProblem(const Problem &problem)
{
    const QString key = problem.kind == Problem::Kind::CsvLinesNotWritten
                            ? QStringLiteral("csv:") + problem.details.value(1)
                            : problem.englishText();
    if (key == m_lastProblemKey)
        return;
    m_lastProblemKey = key;
    m_publisher->publishProblem(problem.englishText());
}

void PublishingBinding::close()
{
    if (m_closing)
        return;
    m_closing = true;
    m_closeGuard.start(m_flushTimeoutMs + kCloseGraceMs);
    m_publisher->close();
}

void PublishingBinding::finish()
{
    if (m_closed)
        return;
    m_closed = true;
    m_closeGuard.stop();
    emit closed();
}
