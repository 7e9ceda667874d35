#include "reading/TagTables.h"

#include "base/Clock.h"
#include "base/TonePlayer.h"
#include "base/Tones.h"
#include "reading/SelectionListFile.h"
#include "reading/TagReport.h"

#include <algorithm>
#include <cstdio>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// "Number:" and other integer fields: the decimal value, or `fallback` when the text isn't one.
int integerOr(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

TagTables::TagTables(Clock &clock, TonePlayer &tones, QObject *parent)
    : QObject(parent), m_clock(clock), m_tones(tones)
{
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshIntervalMs);
    connect(&m_refresh, &QTimer::timeout, this, &TagTables::flushChanges);
    connect(&m_csv, &CsvLog::problem, this, &TagTables::problem);
    m_sessionStartTick = m_lastReportTick = m_selectStartTick = m_clock.tickMs();
    m_sessionStartTime = m_clock.now();
    m_shown.tagCount = tagCountText();
    m_shown.tagId = m_tagId;
    m_shown.number = m_numberText;
    m_shown.rssi = rssiText();
    m_shown.time = selectionTimeText();
    m_shown.count = selectedCountText();
}

bool TagTables::uidPassesCheck(QStringView uid)
{
    // A decimal floating-point number: blanks, sign, digits with an optional point, an optional
    // exponent, blanks. It is greater than 0 when it has no minus sign and a digit other than 0.
    qsizetype i = 0;
    qsizetype end = uid.size();
    while (i < end && isBlank(uid[i]))
        ++i;
    while (end > i && isBlank(uid[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (uid[i] == QLatin1Char('+') || uid[i] == QLatin1Char('-')))
        negative = uid[i++] == QLatin1Char('-');
    int digits = 0;
    bool nonZero = false;
    bool point = false;
    for (; i < end; ++i) {
        const QChar c = uid[i];
        if (isDigit(c)) {
            ++digits;
            nonZero = nonZero || c != QLatin1Char('0');
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (i < end && (uid[i] == QLatin1Char('e') || uid[i] == QLatin1Char('E'))) {
        ++i;
        if (i < end && (uid[i] == QLatin1Char('+') || uid[i] == QLatin1Char('-')))
            ++i;
        const qsizetype exponentStart = i;
        while (i < end && isDigit(uid[i]))
            ++i;
        if (i == exponentStart)
            return false;
    }
    return i == end && nonZero && !negative;
}

void TagTables::setTagFilter(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == m_tagFilter && trimmed == text)
        return;
    m_tagFilter = trimmed;
    emit tagFilterChanged(m_tagFilter);
}

void TagTables::setRssiThreshold(int position)
{
    m_rssiThreshold = qBound(0, position, 255);
    flushChanges();
}

void TagTables::numberKeyPressed()
{
    m_tagCountZeroed = true;
    m_selected.clear();
    m_selectedCount = 0;
    restartSelectionTiming(m_clock.tickMs());
    flushChanges();
}

void TagTables::numberKeyReleased(const QString &text)
{
    m_number = integerOr(text, 1);
    m_numberText = QString::number(m_number);
    if (m_numberText != text)
        m_shown.number.clear(); // the field must be rewritten even if the text shown last was the same
    numberKeyPressed();
}

void TagTables::restartSelectionTiming(qint64 tick)
{
    m_selectStartTick = tick;
    m_selectTarget = 0;
    m_selectElapsedMs = 0;
}

void TagTables::applyReport(const TTagReport &report, const QString &label)
{
    m_tagCountZeroed = false;
    if (!m_tagFilter.isEmpty() && !report.uid.startsWith(m_tagFilter)) {
        ++m_droppedByFilter;
        return;
    }
    if (!uidPassesCheck(report.uid)) {
        ++m_droppedByUidCheck;
        return;
    }
    if (m_beep)
        Tones::play(m_tones, Tones::kReport);

    const qint64 tick = m_clock.tickMs();
    m_lastReportTick = tick;
    m_statusCount = ++m_totalReports;
    m_statusMs = tick - m_sessionStartTick;
    scheduleFlush();

    if (m_rssiThreshold > report.rssi) {
        ++m_droppedByRssi;
        return;
    }

    int row = m_all.findRow(report.uid);
    if (row < 0) {
        row = rowForNewTag(report.uid);
        m_tagList.setCurrentRow(row);
        if (row == 0)
            m_tagChosen = true;
    } else if (m_maxTags > 0) {
        m_recency.touch(row);
    }
    m_all.setCurrentRow(row);
    m_all.enterReport(row, report);
    m_tagId = report.uid;
    m_reportStampPending = true;

    applySelection(report, label, tick);
    if (m_autoSave && m_allTagsLog)
        m_csv.writeAllTagsLine(m_all, row, label, reportDateTimeText());
    m_csv.endReport();
    ++m_enteredReports;
    emit reportEntered(report, label);
}

void TagTables::setMaxTags(int count)
{
    m_maxTags = std::max(0, count);
}

int TagTables::rowForNewTag(const QString &uid)
{
    const bool full = m_maxTags > 0 && m_all.size() >= m_maxTags;
    const int leaving = full ? m_recency.leastRecent() : -1;
    int row;
    if (leaving >= 0) {
        if (m_tagsDropped++ == 0)
            emit tagLimitReached(m_maxTags);
        row = leaving;
        m_all.replaceRow(row, uid);
        m_tagList.replaceAt(row, uid);
    } else {
        row = m_all.appendRow(uid);
        m_tagList.append(uid);
    }
    // The row is the most recently seen now (a reused row moves to the front).
    m_recency.remove(row);
    if (m_maxTags > 0 && !m_selection.contains(uid))
        m_recency.add(row);
    return row;
}

void TagTables::applySelection(const TTagReport &report, const QString &label, qint64 tick)
{
    if (m_selection.isEmpty()) {
        m_selectedCount = 0;
        restartSelectionTiming(tick);
        return;
    }
    if (m_selection.contains(report.uid)) {
        int row = m_selected.findRow(report.uid);
        if (row < 0)
            row = m_selected.appendRow(report.uid);
        m_selected.setCurrentRow(row);
        m_selected.enterReport(row, report);
        if (m_autoSave)
            m_csv.writeSelectedLine(m_selected, row, label, reportDateTimeText());
    }
    m_selectedCount = m_selected.size();
    const int n = m_number; // "Number:" is kept as its integer value
    if (n >= m_selectTarget) {
        m_selectTarget = m_selectedCount == n ? n + 1 : m_selectedCount;
        m_selectElapsedMs = qAbs(tick - m_selectStartTick);
    }
}

QString TagTables::reportDateTimeText()
{
    if (!m_reportStampPending)
        return m_reportDateTime;
    m_reportStampPending = false;
    const QDateTime now = m_clock.now();
    const QDate d = now.date();
    const QTime t = now.time();
    const qint64 second = d.toJulianDay() * 86400 + t.msecsSinceStartOfDay() / 1000;
    if (second != m_stampSecond) {
        m_stampSecond = second;
        char text[32];
        std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", d.year(), d.month(), d.day(),
                      t.hour(), t.minute(), t.second());
        m_reportDateTime = QString::fromLatin1(text);
    }
    return m_reportDateTime;
}

void TagTables::resetCounters()
{
    m_selectedCount = 0;
    const qint64 tick = m_clock.tickMs();
    restartSelectionTiming(tick);
    m_totalReports = 0;
    m_sessionStartTime = m_clock.now();
    m_sessionStartTick = m_lastReportTick = tick;
}

void TagTables::clear()
{
    m_all.clear();
    m_selected.clear();
    m_tagList.clear();
    m_recency.clear();
    m_tagsDropped = 0;
    m_tagChosen = false;
    m_tagId = QStringLiteral("0000000000000000");
    resetCounters();
    flushChanges();
}

void TagTables::selectTag(int tagListRow)
{
    if (tagListRow < 0 || tagListRow >= m_tagList.size())
        return;
    const QString uid = m_tagList.uidAt(tagListRow);
    const int existing = m_selection.indexOf(uid);
    if (existing >= 0) {
        m_selection.setCurrentRow(existing);
        flushChanges();
        emit selectionEntryFocused(existing);
        return;
    }
    m_selection.setCurrentRow(m_selection.append(uid));
    m_recency.remove(m_all.findRow(uid));
    m_selected.clear();
    restartSelectionTiming(m_clock.tickMs());
    flushChanges();
}

void TagTables::unselect(int selectionRow)
{
    const bool valid = selectionRow >= 0 && selectionRow < m_selection.size();
    const QString uid = valid ? m_selection.uidAt(selectionRow) : QString();
    m_selection.removeAt(selectionRow);
    // A tag no longer selected may leave a bounded table again.
    if (const int row = m_all.findRow(uid); m_maxTags > 0 && row >= 0 && !m_selection.contains(uid))
        m_recency.add(row);
    flushChanges();
}

void TagTables::loadSelection(const QStringList &uids)
{
    for (const QString &uid : SelectionListFile::distinct(uids)) {
        if (m_all.findRow(uid) < 0) {
            m_all.appendRow(uid);
            m_tagList.append(uid);
        }
        if (!m_selection.contains(uid))
            m_selection.append(uid);
    }
    flushChanges();
}

QStringList TagTables::selectionToSave() const
{
    return SelectionListFile::distinct(m_selection.uids());
}

CsvLog::Refusal TagTables::startSession()
{
    const CsvLog::Refusal refusal = m_csv.startSession(m_autoSave, m_allTagsLog);
    if (refusal.refused())
        return refusal;
    resetCounters();
    flushChanges();
    return {};
}

bool TagTables::endSession(const QString &selectionListFile)
{
    QString error;
    const bool saved = SelectionListFile::save(selectionListFile, selectionToSave(), &error);
    if (!saved)
        emit problem({Problem::Severity::Error,
                      Problem::Kind::SelectionListNotSaved,
                      QStringLiteral("The selection list %1 could not be saved: %2"),
                      {selectionListFile, error}});
    m_csv.closeLogFiles();
    flushChanges();
    return saved;
}

QString TagTables::statusText() const
{
    if (m_statusCount == 0)
        return {};
    return QStringLiteral("   %1 / %2 sec")
        .arg(m_statusCount, 10, 10, QLatin1Char('0'))
        .arg(m_statusMs / 1000, 8, 10, QLatin1Char('0'));
}

QString TagTables::selectionTimeText() const
{
    return QStringLiteral("%1.%2").arg(m_selectElapsedMs / 1000).arg((m_selectElapsedMs / 100) % 10);
}

QString TagTables::selectedCountText() const
{
    return QString::number(m_selectedCount);
}

QString TagTables::tagCountText() const
{
    return m_tagCountZeroed ? QStringLiteral("0") : QString::number(m_all.size());
}

void TagTables::scheduleFlush()
{
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    m_refresh.start();
}

void TagTables::flushChanges()
{
    m_flushScheduled = false;
    m_refresh.stop();
    m_all.flushChanges();
    m_selected.flushChanges();
    m_tagList.flushChanges();
    m_selection.flushChanges();
    emitChangedTexts();
}

void TagTables::emitChangedTexts()
{
    auto update = [](QString &shown, const QString &now, auto emitter) {
        if (shown == now)
            return;
        shown = now;
        emitter(now);
    };
    update(m_shown.status, statusText(), [this](const QString &t) { emit statusTextChanged(t); });
    update(m_shown.time, selectionTimeText(), [this](const QString &t) { emit selectionTimeTextChanged(t); });
    update(m_shown.count, selectedCountText(),
           [this](const QString &t) { emit selectedCountTextChanged(t); });
    update(m_shown.tagCount, tagCountText(), [this](const QString &t) { emit tagCountTextChanged(t); });
    update(m_shown.tagId, m_tagId, [this](const QString &t) { emit tagIdTextChanged(t); });
    update(m_shown.number, m_numberText, [this](const QString &t) { emit numberTextChanged(t); });
    update(m_shown.rssi, rssiText(), [this](const QString &t) { emit rssiTextChanged(t); });
    if (m_shown.tagChosen != m_tagChosen) {
        m_shown.tagChosen = m_tagChosen;
        emit tagChosenChanged(m_tagChosen);
    }
}
