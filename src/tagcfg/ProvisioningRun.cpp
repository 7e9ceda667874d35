#include "tagcfg/ProvisioningRun.h"

#include "tagcfg/ProvisioningPlan.h"

#include <QTimer>

ProvisioningRun::ProvisioningRun(TonePlayer &tones, const Clock &clock, QObject *parent)
    : QObject(parent), m_runner(tones, clock)
{
    connect(&m_runner, &TagButtonRun::messageChanged, this, &ProvisioningRun::messageChanged);
    connect(&m_runner, &TagButtonRun::finished, this, &ProvisioningRun::handleFinished);
}

void ProvisioningRun::start(const std::vector<ProvisioningRow> &rows)
{
    if (m_running)
        return;
    m_rows = rows;
    m_index = 0;
    m_failures = 0;
    m_running = true;
    m_cancelled = false;
    m_runTimer.start();
    QTimer::singleShot(0, this, &ProvisioningRun::next);
}

void ProvisioningRun::cancel()
{
    if (!m_running)
        return;
    m_cancelled = true;
    m_runner.cancel();
}

void ProvisioningRun::next()
{
    if (m_cancelled || m_index >= m_rows.size()) {
        m_running = false;
        emit finished(!m_cancelled && m_failures == 0);
        return;
    }
    ProvisioningRow &row = m_rows[m_index];
    emit rowStarted(int(m_index), row);
    m_rowTimer.start();
    QString error;
    const auto parsed = ProvisioningPlan::parseRow(row, &error);
    if (!parsed) {
        record(false, error, {});
        return;
    }
    // A plan names its tags: each counts as chosen; the UID itself is checked by the runner.
    m_runner.start(*parsed->button, row.uid, true, parsed->values);
}

void ProvisioningRun::handleFinished(const TagButtonRun::Result &result)
{
    if (!m_running)
        return;
    const QString text = m_wording ? m_wording(result.message) : QString();
    record(result.ok,
           result.detail.isEmpty() ? text : text + QStringLiteral(" (") + result.detail + QLatin1Char(')'),
           result.values);
}

void ProvisioningRun::record(bool ok, const QString &text, const std::map<int, int> &values)
{
    ProvisioningRow &row = m_rows[m_index];
    row.ok = ok;
    row.text = text;
    row.values = values;
    row.seconds = m_rowTimer.elapsed() / 1000.0;
    if (!ok)
        ++m_failures;
    ++m_index;
    const int done = int(m_index);
    const int total = int(m_rows.size());
    const qint64 perRowMs = m_runTimer.elapsed() / done;
    emit rowFinished(done - 1, row);
    emit progress(done, total, m_failures, int((perRowMs * (total - done) + 999) / 1000));
    QTimer::singleShot(0, this, &ProvisioningRun::next);
}
