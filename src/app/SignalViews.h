#pragma once

#include "i18n/LanguageTable.h"
#include "reading/CoverageMatrix.h"
#include "reading/FindTagSignal.h"
#include "reading/FindTagTone.h"
#include "reading/TagHistory.h"

#include <QObject>

class ChartView;
class Clock;
class CoverageView;
class FindTagMeter;
class ReadTagPage;
class SettingsStore;
class TagTables;
class TonePlayer;

// The signal views of "Read TAG" and the data behind them: the history of the selected tags
// ("Chart"), the tag-by-reader matrix ("Coverage") and the signal of the tag being looked for
// ("Find TAG", with its search tone). Every report the all-tags table enters feeds the data (a few
// hash look-ups); the views draw only while shown.
class SignalViews : public QObject
{
    Q_OBJECT
public:
    SignalViews(ReadTagPage *page, TagTables *tables, Clock &clock, TonePlayer &tones,
                QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(SignalViews)

    void setLanguage(Language language);
    // The history bound from the settings "ChartPoints" (16-100000) and "ChartMinutes" (1-1440); a
    // value that is missing or out of range keeps the default.
    void loadBound(const SettingsStore &settings);
    // A session runs or not: the search tone stops with the session.
    void setSessionRunning(bool running);
    // The tag to look for.
    void findTag(const QString &uid);

    TagHistory &history() { return m_history; }
    CoverageMatrix &coverage() { return m_coverage; }
    FindTagSignal &findSignal() { return m_find; }
    FindTagTone &findTone() { return m_tone; }
    ChartView *chartView() const { return m_chart; }
    CoverageView *coverageView() const { return m_coverageView; }
    FindTagMeter *findMeter() const { return m_meter; }

private:
    void followSelection();
    void handleReport(const TTagReport &report, const QString &label);

    ReadTagPage *m_page;
    TagTables *m_tables;
    TagHistory m_history;
    CoverageMatrix m_coverage;
    FindTagSignal m_find;
    FindTagTone m_tone;
    ChartView *m_chart = nullptr;
    CoverageView *m_coverageView = nullptr;
    FindTagMeter *m_meter = nullptr;
};
