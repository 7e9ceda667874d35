#include "ReadTableOptions.h"

#include "reading/SelectionListFile.h"
#include "reading/TagTables.h"

#include <QCommandLineParser>
#include <QFileInfo>

void ReadTableOptions::addTo(QCommandLineParser &parser)
{
    parser.addOptions({
        {QStringLiteral("filter"), QStringLiteral("Only UIDs that begin with PREFIX."),
         QStringLiteral("PREFIX")},
        {QStringLiteral("rssi"), QStringLiteral("Drop reports with RSSI below MIN (0-255)."),
         QStringLiteral("MIN")},
        {QStringLiteral("select"), QStringLiteral("Select a tag UID (repeatable)."), QStringLiteral("UID")},
        {QStringLiteral("selection-file"), QStringLiteral("Select the UIDs of a saved selection list."),
         QStringLiteral("FILE")},
        {QStringLiteral("number"),
         QStringLiteral("Stop the selection time when N distinct selected tags were seen (default 1)."),
         QStringLiteral("N")},
        {QStringLiteral("csv"),
         QStringLiteral("Log the reports of selected tags to FILE (emptied at start). FILE must be a "
                        "regular file or not exist, and not be a file the session reads."),
         QStringLiteral("FILE")},
        {QStringLiteral("csv-fallback"),
         QStringLiteral("When FILE's folder cannot be created, log to Talvo.csv in the documents folder "
                        "instead (as the window does; the file used is named on standard error). Without "
                        "it such a FILE is an error.")},
        {QStringLiteral("all-tags"),
         QStringLiteral("Also log every entered report to FILE's _all log (needs --csv).")},
        {QStringLiteral("beep"), QStringLiteral("Ring the terminal bell for counted reports.")},
        {QStringLiteral("snapshot"),
         QStringLiteral("At the end, append the selected-tags table to the CSV file (--csv FILE, or "
                        "Talvo.csv in the documents folder).")},
        {QStringLiteral("max-tags"),
         QStringLiteral("Keep at most N tags in the all-tags table: a new tag then takes the place of "
                        "the least recently seen one (selected tags always stay). The tags that left "
                        "are counted in the summary. Default: no bound."),
         QStringLiteral("N")},
    });
}

std::optional<ReadTableOptions> ReadTableOptions::from(const QCommandLineParser &parser, QString *error)
{
    ReadTableOptions o;
    o.m_filter = parser.value(QStringLiteral("filter")).trimmed();
    if (parser.isSet(QStringLiteral("rssi"))) {
        bool ok = false;
        o.m_rssi = parser.value(QStringLiteral("rssi")).toInt(&ok);
        if (!ok || o.m_rssi < 0 || o.m_rssi > 255) {
            *error = QStringLiteral("--rssi takes a number from 0 to 255");
            return std::nullopt;
        }
    }
    o.m_select = parser.values(QStringLiteral("select"));
    o.m_selectionFile = parser.value(QStringLiteral("selection-file"));
    if (parser.isSet(QStringLiteral("number"))) {
        bool ok = false;
        o.m_number = parser.value(QStringLiteral("number")).trimmed();
        const int number = o.m_number.toInt(&ok);
        if (!ok || number < 1) {
            *error = QStringLiteral("--number takes a whole number from 1");
            return std::nullopt;
        }
    }
    o.m_csv = parser.value(QStringLiteral("csv"));
    o.m_allTags = parser.isSet(QStringLiteral("all-tags"));
    o.m_csvFallback = parser.isSet(QStringLiteral("csv-fallback"));
    if ((o.m_allTags || o.m_csvFallback) && o.m_csv.isEmpty()) {
        *error = QStringLiteral("--all-tags and --csv-fallback need --csv FILE");
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("max-tags"))) {
        bool ok = false;
        o.m_maxTags = parser.value(QStringLiteral("max-tags")).trimmed().toInt(&ok);
        if (!ok || o.m_maxTags < 1) {
            *error = QStringLiteral("--max-tags takes a whole number from 1");
            return std::nullopt;
        }
    }
    o.m_beep = parser.isSet(QStringLiteral("beep"));
    o.m_snapshot = parser.isSet(QStringLiteral("snapshot"));
    return o;
}

bool ReadTableOptions::applyTo(TagTables &tables, QString *error, QStringList *warnings) const
{
    tables.setTagFilter(m_filter);
    tables.setRssiThreshold(m_rssi);
    tables.setBeep(m_beep);
    tables.setMaxTags(m_maxTags);
    QStringList selection;
    if (!m_selectionFile.isEmpty()) {
        if (!QFileInfo(m_selectionFile).isFile()) {
            *error = QStringLiteral("no selection list %1").arg(m_selectionFile);
            return false;
        }
        int skipped = 0;
        selection = SelectionListFile::load(m_selectionFile, &skipped);
        if (skipped > 0)
            warnings->append(m_selectionFile + QStringLiteral(": ") +
                             SelectionListFile::skippedLinesText().arg(skipped));
    }
    tables.loadSelection(selection + m_select);
    tables.numberKeyReleased(m_number);
    if (!m_csv.isEmpty())
        tables.csvLog()->setFileName(m_csv);
    tables.setAutoSave(!m_csv.isEmpty());
    tables.setAllTagsLog(m_allTags);
    return true;
}

bool ReadTableOptions::startSession(TagTables &tables, const QStringList &inputs, QString *error,
                                    QStringList *files) const
{
    CsvLog &csv = *tables.csvLog();
    csv.setSessionInputs(inputs);
    csv.setFallbackAllowed(m_csvFallback);
    CsvLog::Refusal refusal;
    if (m_snapshot)
        refusal = csv.refusalFor(csv.fileName()); // checked before anything is emptied
    if (!refusal.refused())
        refusal = tables.startSession();
    if (refusal.refused()) {
        *error = CsvLog::refusalText(refusal.reason).arg(refusal.fileName);
        return false;
    }
    if (tables.autoSave())
        files->append(QStringLiteral("selected-tags log: %1 (emptied at start)").arg(csv.fileName()));
    if (tables.autoSave() && tables.allTagsLog())
        files->append(
            QStringLiteral("all-tags log: %1 (appended to)").arg(CsvLog::allTagsFileNameFor(csv.fileName())));
    if (m_snapshot)
        files->append(QStringLiteral("snapshot at the end: %1 (appended to)").arg(csv.fileName()));
    return true;
}

bool ReadTableOptions::finish(TagTables &tables) const
{
    tables.csvLog()->closeLogFiles();
    tables.flushChanges();
    const bool snapshotWritten = !m_snapshot || tables.saveSnapshot();
    return snapshotWritten && tables.csvLog()->unwrittenLines() == 0;
}

QString ReadTableOptions::summary(TagTables &tables)
{
    QString line = QStringLiteral("reports counted %1, entered %2, tags %3, selected found %4 of %5, "
                                  "selection time %6 s")
                       .arg(tables.totalReportCount())
                       .arg(tables.enteredReports())
                       .arg(tables.allTags()->size())
                       .arg(tables.selectedTags()->size())
                       .arg(tables.selectionList()->size())
                       .arg(tables.selectionTimeText());
    if (tables.maxTags() > 0)
        line += QStringLiteral(", tags that left the table (--max-tags %1) %2")
                    .arg(tables.maxTags())
                    .arg(tables.tagsDropped());
    const CsvLog &csv = *tables.csvLog();
    if (tables.autoSave())
        line += QStringLiteral(", CSV lines written %1").arg(csv.selLogCount() + csv.allLogCount());
    if (csv.unwrittenLines() > 0)
        line += QStringLiteral(", CSV lines NOT written %1 (%2)")
                    .arg(csv.unwrittenLines())
                    .arg(csv.lastProblem());
    return line;
}
