#pragma once

#include "base/Problem.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QFileDevice;
class TagTableModel;

// The CSV files of tag reading: the selected-tags log, the all-tags log (same folder and name with
// "_all" before the extension) and the snapshot of the selected-tags table. Fields are followed by a
// tab and a comma, lines end with CR LF, there is no header line.
//
// A log is opened (append, created if missing) for the first line of a report and closed by
// endReport() at the end of the report. With keep-open batches on, endReport() leaves it open until
// control returns to the event loop, so a burst of reports shares one open; every line still goes to
// the system as soon as it is built (no buffering in the program), in the same order. A line that can't be
// written (the file is held by another program, the disk is full, the folder can't be made) is skipped and
// the next report tries again; the loss is counted and announced with linesNotWritten, and the sequence
// number of a skipped line is not used up, so the numbers in the file are always consecutive.
//
// A log is only ever a regular file (or a name where nothing is yet) and never a file the session reads:
// a device node, a FIFO, a folder or an input is refused, never opened, emptied or removed.
class CsvLog : public QObject
{
    Q_OBJECT
public:
    // Why a log's name can't be used.
    struct Refusal
    {
        enum class Reason
        {
            None,
            NotRegularFile,   // a device node, a FIFO, a folder ...
            SessionInput,     // a file the session reads
            FolderNotCreated, // and falling back is not allowed, or the fallback's folder fails too
        };
        Reason reason = Reason::None;
        QString fileName;
        bool refused() const { return reason != Reason::None; }
    };
    // The English text of a refusal, "%1" standing for the file name (the window's texts are keyed by it).
    static QString refusalText(Refusal::Reason reason);
    // The English text of a fallback: "%1" the name asked for, "%2" the file used instead.
    static QString fallbackText();
    // The English text of an old log that could not be emptied: "%1" the file, "%2" the system's reason.
    static QString notEmptiedText();

    explicit CsvLog(QObject *parent = nullptr);
    ~CsvLog() override;
    Q_DISABLE_COPY_MOVE(CsvLog)

    // "C:\Talvo.csv" on Windows; "Talvo.csv" in the user's documents folder elsewhere.
    static QString defaultFileName();
    // The all-tags log of a selected-tags log: "D:\logs\run.csv" gives "D:\logs\run_all.csv".
    static QString allTagsFileNameFor(const QString &fileName);

    // Folder of the fallback names (defaults to the folder of defaultFileName()).
    void setFallbackFolder(const QString &folder) { m_fallbackFolder = folder; }
    QString fallbackFileName() const;
    QString fallbackAllTagsFileName() const;

    void setFileName(const QString &fileName);
    QString fileName() const { return m_fileName; }
    // The all-tags log's name as last derived (it follows the selected-tags log's name).
    QString allTagsFileName() const { return m_allFileName; }

    // Files the session reads (a replay file, "-" for standard input, the selection list): no log is
    // ever written to one of them.
    void setSessionInputs(const QStringList &paths) { m_inputs = paths; }
    // Whether a log whose folder can't be created falls back to fallbackFileName() (the window's way,
    // the default) or is refused (talvo-cli: a script expects its file where it asked).
    void setFallbackAllowed(bool on) { m_fallbackAllowed = on; }
    // Why `fileName` can't be written as a log now (not a regular file, or an input); none when it can.
    Refusal refusalFor(const QString &fileName) const;

    // Creates the folder of the selected-tags log if missing; when it still doesn't exist the name
    // falls back to fallbackFileName() (fallbackUsed) if that is allowed. Returns true when the folder
    // exists afterwards.
    bool ensureFolder();
    // Start of a reading session: the line counters restart at 0; with auto-save on, the folder is
    // checked as above and the selected-tags log is emptied by truncating it (the all-tags log keeps
    // growing). Refused, with nothing emptied, when a log the session writes (the all-tags log only with
    // `allTags`) can't be used.
    Refusal startSession(bool autoSave, bool allTags = false);

    // One line for a row of the selected-tags table / the all-tags table. `dateTime` is the report's
    // date and time of day, "yyyy/mm/dd hh:mm:ss".
    bool writeSelectedLine(const TagTableModel &selected, int row, const QString &label,
                           const QString &dateTime);
    bool writeAllTagsLine(const TagTableModel &all, int row, const QString &label, const QString &dateTime);
    // End of one report's lines: closes the logs, or queues the close for the end of the batch.
    void endReport();
    void setKeepOpenForBatch(bool on) { m_keepOpenForBatch = on; }
    bool keepOpenForBatch() const { return m_keepOpenForBatch; }
    // Closes whichever log is open (end of a session, before a snapshot).
    void closeLogFiles();
    bool isAnyLogOpen() const { return m_selFile || m_allFile; }

    // Appends one line per row of the selected-tags table to the selected-tags log's file.
    bool writeSnapshot(const TagTableModel &selected);

    quint64 selLogCount() const { return m_selCount; }
    quint64 allLogCount() const { return m_allCount; }
    quint64 unwrittenLines() const { return m_unwritten; }
    QString lastProblem() const { return m_lastProblem; }

    // Writes the whole line (a short write is carried on); false with `reason` naming the file and the
    // system's error when it can't. What a failed write left of the line is cut off again.
    static bool appendLine(QFileDevice &file, const QByteArray &line, QString *reason);
    // The system's words for a failed write: the file's own error when the write failed outright; a
    // short write leaves none on the file, so then the error number of the call that failed.
    static QString writeFailureReason(const QFileDevice &file, int systemError);

    static QByteArray selectedLine(const TagTableModel &selected, int row, quint64 number,
                                   const QString &label, const QString &dateTime);
    static QByteArray allTagsLine(const TagTableModel &all, int row, quint64 number, const QString &label,
                                  const QString &dateTime);

signals:
    void fileNameChanged(const QString &fileName);
    void allTagsFileNameChanged(const QString &fileName);
    // A log's folder could not be created: its lines go to `used` instead of `wanted`.
    void fallbackUsed(const QString &wanted, const QString &used);
    // Lines were lost: the total so far and why the latest could not be written.
    void linesNotWritten(quint64 total, const QString &reason);
    // A problem that loses no line (the old log could not be emptied at the start of a session).
    void problem(const Problem &problem);

private:
    bool folderReady(const QString &fileName) const;
    std::unique_ptr<QFile> openLog(const QString &fileName, QString *reason) const;
    void reportUnwritten(quint64 lines, const QString &reason);
    // Appends a log's next line to `file` and counts it; a file that could not be opened (nullptr,
    // `reason` says why) or a failed write loses the line, counted and reported.
    bool appendCounted(QFile *file, const QByteArray &line, quint64 &count, QString &reason);

    QString m_fileName;
    QString m_allFileName;
    QString m_fallbackFolder;
    QStringList m_inputs;
    bool m_fallbackAllowed = true;
    std::unique_ptr<QFile> m_selFile;
    std::unique_ptr<QFile> m_allFile;
    quint64 m_selCount = 0;
    quint64 m_allCount = 0;
    quint64 m_unwritten = 0;
    bool m_keepOpenForBatch = false;
    bool m_closeQueued = false;
    QString m_lastProblem;
};
