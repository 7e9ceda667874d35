#include "TagPlanCli.h"

#include "base/RegularFile.h"
#include "i18n/ProvisioningText.h"
#include "i18n/TagFlowText.h"
#include "reading/LogTarget.h"
#include "tagcfg/ProvisioningPlan.h"

#include <cstdio>

TagPlanCli::TagPlanCli(const TagOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_run(m_tones, m_clock)
{
    m_run.setTiming(options.timing);
    m_run.setRequest(options.link);
    m_run.setWording(
        [](const TagFlowMessage &message) { return TagFlowText::message(message, Language::English); });
    connect(&m_run, &ProvisioningRun::rowFinished, this, &TagPlanCli::handleRowFinished);
    connect(&m_run, &ProvisioningRun::progress, this, &TagPlanCli::handleProgress);
    connect(&m_run, &ProvisioningRun::finished, this, &TagPlanCli::handleRunFinished);
}

QString TagPlanCli::inputPath() const
{
    return m_options.retryPath.isEmpty() ? m_options.planPath : m_options.retryPath;
}

bool TagPlanCli::readRows(std::vector<ProvisioningRow> *rows, QString *error) const
{
    const bool read = m_options.retryPath.isEmpty()
                          ? ProvisioningCsv::readPlan(m_options.planPath, rows, error)
                          : ProvisioningCsv::readFailed(m_options.retryPath, rows, error);
    if (!read)
        return false;
    if (m_options.skipBadRows)
        return true;
    const auto problem = ProvisioningPlan::checkRows(inputPath(), *rows);
    if (!problem)
        return true;
    *error = ProvisioningText::planRefused(Language::English,
                                           ProvisioningText::planProblem(*problem, Language::English));
    return false;
}

// The result is never the plan under another name (a link, a relative path): writing it would
// destroy the plan, or the successes of the result being retried.
bool TagPlanCli::openResult(QString *error)
{
    if (LogTarget::sameFile(m_options.resultPath, inputPath())) {
        *error = QStringLiteral("--result must name another file than the plan: %1 and %2 are one file")
                     .arg(m_options.resultPath, inputPath());
        return false;
    }
    return RegularFile::openForWriting(m_result, m_options.resultPath, error);
}

int TagPlanCli::prepare()
{
    QString error;
    if (!LogTarget::isRegularOrAbsent(m_options.resultPath))
        error = QStringLiteral("%1: not a regular file").arg(m_options.resultPath);
    else if (readRows(&m_rows, &error))
        openResult(&error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "talvo-cli: %s\n", qPrintable(error));
        return 2;
    }
    return writeLine(ProvisioningCsv::resultHeader()) ? 0 : 1;
}

void TagPlanCli::start()
{
    m_run.start(m_rows);
}

void TagPlanCli::requestStop()
{
    m_run.cancel();
}

// Every line is written through to the file at once and checked. A line that does not fit (a full
// disk, a size limit) is taken back, so the file ends with the last whole row.
bool TagPlanCli::writeLine(const QString &line)
{
    if (!m_writeError.isEmpty())
        return false;
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    qint64 written = 0;
    while (written < bytes.size()) { // a short write is followed by one that says why
        const qint64 n = m_result.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += n;
    }
    if (written == bytes.size() && m_result.flush()) {
        m_resultSize += bytes.size();
        return true;
    }
    m_writeError = QStringLiteral("%1: %2").arg(m_options.resultPath, m_result.errorString());
    m_result.resize(m_resultSize);
    std::fprintf(stderr, "talvo-cli: the result cannot be written: %s\n", qPrintable(m_writeError));
    return false;
}

void TagPlanCli::handleRowFinished(int, const ProvisioningRow &row)
{
    ++m_rowsDone;
    std::fprintf(stderr, "%s %s %s: %s\n", qPrintable(row.uid), qPrintable(row.command), qPrintable(row.args),
                 qPrintable(row.text));
    if (!writeLine(ProvisioningCsv::resultLine(row)))
        m_run.cancel(); // no row runs that could not be recorded
}

void TagPlanCli::handleProgress(int done, int total, int failures, int secondsLeft)
{
    std::fprintf(
        stderr, "%s\n",
        qPrintable(ProvisioningText::progress(Language::English, done, total, failures, secondsLeft)));
    std::fflush(stderr);
}

// The rows a stopped run never reached, each as not run: a retry of this result runs them.
int TagPlanCli::writeRowsNotRun()
{
    const std::vector<ProvisioningRow> &rows = m_run.rows();
    for (size_t i = size_t(m_rowsDone); i < rows.size(); ++i) {
        ProvisioningRow row = rows[i];
        row.ok = false;
        row.text = ProvisioningText::notRun(Language::English);
        row.values.clear();
        row.seconds = 0;
        writeLine(ProvisioningCsv::resultLine(row));
    }
    return int(rows.size()) - m_rowsDone;
}

void TagPlanCli::handleRunFinished(bool allOk)
{
    const int notRun = writeRowsNotRun();
    m_result.close();
    const int total = int(m_run.rows().size());
    const QString notRunText = notRun > 0 ? QStringLiteral(", %1 not run").arg(notRun) : QString();
    if (m_writeError.isEmpty())
        std::fprintf(stderr, "%d of %d rows failed%s; result in %s\n", m_run.failures(), total,
                     qPrintable(notRunText), qPrintable(m_options.resultPath));
    else
        std::fprintf(stderr, "%d of %d rows failed%s; the result is incomplete: %s\n", m_run.failures(),
                     total, qPrintable(notRunText), qPrintable(m_writeError));
    emit finished(allOk && m_writeError.isEmpty() ? 0 : 1);
}
