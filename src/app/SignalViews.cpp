#include "app/SignalViews.h"

#include "app/ChartView.h"
#include "app/CoverageView.h"
#include "app/FindTagMeter.h"
#include "app/ReadTagPage.h"
#include "base/SettingsStore.h"
#include "reading/TagTables.h"

SignalViews::SignalViews(ReadTagPage *page, TagTables *tables, Clock &clock, TonePlayer &tones,
                         QObject *parent)
    : QObject(parent), m_page(page), m_tables(tables), m_history(clock), m_coverage(clock), m_find(clock),
      m_tone(m_find, tones)
{
    m_chart = new ChartView(m_history);
    m_coverageView = new CoverageView(m_coverage);
    m_meter = new FindTagMeter(m_find);
    page->addTagView(m_chart, QStringLiteral("tsViewChart"), QStringLiteral("Chart"));
    page->addTagView(m_coverageView, QStringLiteral("tsViewCoverage"), QStringLiteral("Coverage"));
    page->addTagView(m_meter, QStringLiteral("tsViewFind"), QStringLiteral("Find TAG"));

    connect(tables, &TagTables::reportEntered, this, &SignalViews::handleReport);
    TagListModel *selection = tables->selectionList();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(selection, signal, this, &SignalViews::followSelection);
    connect(selection, &QAbstractItemModel::modelReset, this, &SignalViews::followSelection);
    connect(tables, &TagTables::tagFilterChanged, m_coverageView, &CoverageView::setUidFilter);
    m_coverageView->setUidFilter(tables->tagFilter());
    connect(page, &ReadTagPage::clearRequested, this, [this] {
        m_history.clear();
        m_coverage.clear();
    });
    // The tag to find is the one the user picks: a click in the all-tags grid or a typed UID.
    connect(page, &ReadTagPage::tagClicked, this, &SignalViews::findTag);
    connect(page, &ReadTagPage::tagIdEdited, this, &SignalViews::findTag);
    connect(m_meter, &FindTagMeter::toneToggled, &m_tone, &FindTagTone::setEnabled);
    followSelection();
}

void SignalViews::handleReport(const TTagReport &report, const QString &label)
{
    m_coverage.add(report, label);
    m_history.add(report, label);
    m_find.add(report);
}

void SignalViews::followSelection()
{
    const QStringList &uids = m_tables->selectionList()->uids();
    m_history.setTracked(uids);
    m_chart->setTags(uids);
}

void SignalViews::findTag(const QString &uid)
{
    m_find.setUid(uid.trimmed());
    m_meter->refresh();
}

void SignalViews::loadBound(const SettingsStore &settings)
{
    const auto stored = [&settings](const char *name, int lo, int hi, qint64 fallback) {
        bool ok = false;
        const int v = settings.read(QLatin1String(name)).value_or(QVariant()).toInt(&ok);
        return ok && v >= lo && v <= hi ? qint64(v) : fallback;
    };
    HistoryBound bound;
    bound.maxPoints = int(stored(SettingsStore::kChartPoints, 16, 100000, bound.maxPoints));
    bound.maxAgeMs = stored(SettingsStore::kChartMinutes, 1, 1440, bound.maxAgeMs / 60000) * 60000;
    m_history.setBound(bound);
}

void SignalViews::setLanguage(Language language)
{
    m_chart->setLanguage(language);
    m_coverageView->setLanguage(language);
    m_meter->setLanguage(language);
}

void SignalViews::setSessionRunning(bool running)
{
    m_tone.setSessionRunning(running);
}
