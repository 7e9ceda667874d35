#pragma once

#include "base/Problem.h"
#include "reading/CsvLog.h"
#include "reading/TagListModel.h"
#include "reading/TagRecency.h"
#include "reading/TagTableModel.h"

#include <QDateTime>
#include <QObject>
#include <QStringView>
#include <QTimer>

class Clock;
class TonePlayer;
struct TTagReport;

// The report processor of a reading session, named for the tables it keeps. Every decoded report
// passes through applyReport(), which does all it leads to: the tag ID filter, the UID check, the
// beep, the report counter, the RSSI threshold, the all-tags table, the selected tags and the time
// they take to appear, and the CSV lines; reportEntered() then hands it to whatever else follows the
// reports (history, coverage, the publisher, the web view). Also the handlers that edit the selection
// and clear the tables.
//
// The data is updated with every report. What a window shows (model changes, the status texts) goes
// out in batches from flushChanges(), which a 15 Hz timer calls while reports arrive and every handler
// calls once at its end; the getters always give the current texts.
class TagTables : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRefreshIntervalMs = 66;

    TagTables(Clock &clock, TonePlayer &tones, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TagTables)

    TagTableModel *allTags() { return &m_all; }
    TagTableModel *selectedTags() { return &m_selected; }
    TagListModel *tagList() { return &m_tagList; }
    TagListModel *selectionList() { return &m_selection; }
    CsvLog *csvLog() { return &m_csv; }

    // True when the UID reads as a decimal floating-point number greater than 0.
    static bool uidPassesCheck(QStringView uid);

    // Filters and options.
    void setTagFilter(const QString &text); // kept trimmed; empty means no filtering
    QString tagFilter() const { return m_tagFilter; }
    void setRssiThreshold(int position); // 0..255
    int rssiThreshold() const { return m_rssiThreshold; }
    void setBeep(bool on) { m_beep = on; }
    void setAutoSave(bool on) { m_autoSave = on; }
    void setAllTagsLog(bool on) { m_allTagsLog = on; }
    // At most this many rows in the all-tags table (0: no bound): a new tag then takes the row (and
    // tag list entry) of the least recently seen tag that is not selected. Selected tags never leave;
    // when every row is selected the table grows. Set before the first report.
    void setMaxTags(int count);
    int maxTags() const { return m_maxTags; }
    // Tags that left the all-tags table for a new one since the last Clear.
    quint64 tagsDropped() const { return m_tagsDropped; }
    bool autoSave() const { return m_autoSave; }
    bool allTagsLog() const { return m_allTagsLog; }

    // "Number:": a character typed restarts the selection timing and shows "TAG Count:" as 0 until the
    // next report; a key released also rewrites the text as its integer value (1 when it doesn't read
    // as one).
    void numberKeyPressed();
    void numberKeyReleased(const QString &text);
    int number() const { return m_number; }

    // One decoded report and the label of its source.
    void applyReport(const TTagReport &report, const QString &label);

    // "Clear": empties the grids and the tag list (the selection list stays) and restarts the counters.
    void clear();
    // Double click on the tag list: selects that UID (or shows it in the selection if already there).
    void selectTag(int tagListRow);
    // Double click on the selection list: removes that entry.
    void unselect(int selectionRow);
    // Start-up: the saved selection list becomes rows of the all-tags table and entries of both lists.
    void loadSelection(const QStringList &uids);
    // The selection list as it is saved: each UID once, regardless of case.
    QStringList selectionToSave() const;

    // Start of a reading session: counters, selection timing and CSV counters restart; with auto-save
    // the selected-tags log is emptied. Refused, with nothing changed, when a CSV log can't be used.
    CsvLog::Refusal startSession();
    // End of a reading session: saves the selection list and closes the logs.
    bool endSession(const QString &selectionListFile);
    // "Save": appends the selected-tags table to the log file.
    bool saveSnapshot() { return m_csv.writeSnapshot(m_selected); }

    // Counters.
    quint64 totalReportCount() const { return m_totalReports; }
    quint64 droppedByFilter() const { return m_droppedByFilter; }
    quint64 droppedByUidCheck() const { return m_droppedByUidCheck; }
    quint64 droppedByRssi() const { return m_droppedByRssi; }
    quint64 enteredReports() const { return m_enteredReports; }
    qint64 selectStartTick() const { return m_selectStartTick; }
    int selectTarget() const { return m_selectTarget; }
    qint64 selectionElapsedMs() const { return m_selectElapsedMs; }
    QDateTime sessionStartTime() const { return m_sessionStartTime; }
    QDateTime lastReportTime() const
    {
        return m_sessionStartTime.addMSecs(m_lastReportTick - m_sessionStartTick);
    }
    // Date and time of the latest entered report as the CSV lines show it ("yyyy/mm/dd hh:mm:ss").
    QString reportDateTimeText();
    bool tagChosen() const { return m_tagChosen; }

    // Texts of the display fields.
    QString statusText() const;                   // first status-bar panel
    QString selectionTimeText() const;            // "Time:" (pnlTime)
    QString selectedCountText() const;            // pnCount
    QString tagCountText() const;                 // "TAG Count:"
    QString tagIdText() const { return m_tagId; } // "TAG ID:"
    QString numberText() const { return m_numberText; }
    QString rssiText() const { return QString::number(m_rssiThreshold); }

    // Sends the batched model changes and the changed texts.
    void flushChanges();

signals:
    void statusTextChanged(const QString &text);
    void selectionTimeTextChanged(const QString &text);
    void selectedCountTextChanged(const QString &text);
    void tagCountTextChanged(const QString &text);
    void tagIdTextChanged(const QString &text);
    void numberTextChanged(const QString &text);
    void rssiTextChanged(const QString &text);
    void tagChosenChanged(bool chosen);
    // Emitted at once: the trimmed filter text (the window shows it and saves it as a setting).
    void tagFilterChanged(const QString &text);
    // A double click picked a UID that is already selected: the selection list should take the focus.
    void selectionEntryFocused(int row);
    // A report passed the three filters and was entered into the all-tags table.
    void reportEntered(const TTagReport &report, const QString &label);
    // The bounded all-tags table is full: from now on the least recently seen tags leave it. Said
    // once until Clear.
    void tagLimitReached(int maxTags);
    void problem(const Problem &problem);

private:
    struct Shown
    {
        QString status, time, count, tagCount, tagId, number, rssi;
        bool tagChosen = false;
    };

    void applySelection(const TTagReport &report, const QString &label, qint64 tick);
    // The all-tags row for a UID seen for the first time: a new row, or in a full bounded table the
    // row of the least recently seen tag that is not selected.
    int rowForNewTag(const QString &uid);
    void restartSelectionTiming(qint64 tick);
    // Report count, session times and the selection timing start again (Clear and session start).
    void resetCounters();
    void scheduleFlush();
    void emitChangedTexts();

    Clock &m_clock;
    TonePlayer &m_tones;
    TagTableModel m_all{TagTableModel::Kind::AllTags};
    TagTableModel m_selected{TagTableModel::Kind::SelectedTags};
    TagListModel m_tagList;
    TagListModel m_selection;
    CsvLog m_csv;
    TagRecency m_recency; // rows that may leave a bounded table, most recently seen first
    int m_maxTags = 0;
    quint64 m_tagsDropped = 0;
    QTimer m_refresh;
    bool m_flushScheduled = false;

    QString m_tagFilter;
    int m_rssiThreshold = 0;
    bool m_beep = false;
    bool m_autoSave = false;
    bool m_allTagsLog = false;
    int m_number = 1;
    bool m_tagCountZeroed = false; // "Number:" showed the tag count as 0; the next report counts again
    QString m_numberText = QStringLiteral("1");

    quint64 m_totalReports = 0;
    quint64 m_droppedByFilter = 0;
    quint64 m_droppedByUidCheck = 0;
    quint64 m_droppedByRssi = 0;
    quint64 m_enteredReports = 0;
    quint64 m_statusCount = 0; // what the status bar shows: Clear doesn't blank it
    qint64 m_statusMs = 0;
    QDateTime m_sessionStartTime;
    qint64 m_sessionStartTick = 0;
    qint64 m_lastReportTick = 0;
    qint64 m_selectStartTick = 0;
    qint64 m_selectElapsedMs = 0;
    int m_selectTarget = 0;
    int m_selectedCount = 0;
    QString m_tagId = QStringLiteral("0000000000000000");
    bool m_tagChosen = false;

    bool m_reportStampPending = false; // the latest report's date-time is taken when a line needs it
    QString m_reportDateTime;
    qint64 m_stampSecond = -1;
    Shown m_shown;
};
