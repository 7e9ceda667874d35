#include "TagPlanCli.h"

#include "tagcfg/ProvisioningTexts.h"

#include <QTimer>
#include <cstdio>

TagPlanCli::TagPlanCli(const TagOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_run(m_tones, m_clock)
{
    m_run.setTiming(options.timing);
    m_run.setRequest(options.link);
    connect(&m_run, &ProvisioningRun::rowFinished, this, &TagPlanCli::handleRowFinished);
    connect(&m_run, &ProvisioningRun::progress, this, &TagPlanCli::handleProgress);
    connect(&m_run, &ProvisioningRun::finished, this, [this](bool allOk) {
        m_result.close();
        std::fprintf(stderr, "%d of %d rows failed; result in %s\n", m_run.failures(),
                     int(m_run.rows().size()), qPrintable(m_options.resultPath));
        emit finished(allOk ? 0 : 1);
    });
}

void TagPlanCli::fail(const QString &text)
{
    std::fprintf(stderr, "talvo-cli: %s\n", qPrintable(text));
    QTimer::singleShot(0, this, [this] { emit finished(2); });
}

void TagPlanCli::start()
{
    std::vector<ProvisioningRow> rows;
    QString error;
    const bool read = m_options.retryPath.isEmpty()
                          ? ProvisioningCsv::readPlan(m_options.planPath, &rows, &error)
                          : ProvisioningCsv::readFailed(m_options.retryPath, &rows, &error);
    if (!read) {
        fail(error);
        return;
    }
    m_result.setFileName(m_options.resultPath);
    if (!m_result.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        fail(QStringLiteral("%1: %2").arg(m_options.resultPath, m_result.errorString()));
        return;
    }
    m_result.write((ProvisioningCsv::resultHeader() + QLatin1Char('\n')).toUtf8());
    m_result.flush();
    m_run.start(rows);
}

void TagPlanCli::requestStop()
{
    m_run.cancel();
}

// Each row is written as it ends, so an interrupted run leaves what it did.
void TagPlanCli::handleRowFinished(int, const ProvisioningRow &row)
{
    m_result.write((ProvisioningCsv::resultLine(row) + QLatin1Char('\n')).toUtf8());
    m_result.flush();
    std::fprintf(stderr, "%s %s %s: %s\n", qPrintable(row.uid), qPrintable(row.command), qPrintable(row.args),
                 qPrintable(row.text));
}

void TagPlanCli::handleProgress(int done, int total, int failures, int secondsLeft)
{
    std::fprintf(
        stderr, "%s\n",
        qPrintable(ProvisioningTexts::progress(Language::English, done, total, failures, secondsLeft)));
    std::fflush(stderr);
}
