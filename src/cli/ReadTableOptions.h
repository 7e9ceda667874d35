#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QCommandLineParser;
class TagTables;

// The tag-table options of `talvo-cli read`: the three filters, the selection and its "Number:", the
// CSV logs, the beep, the snapshot at the end and the bound of the all-tags table.
class ReadTableOptions
{
public:
    static void addTo(QCommandLineParser &parser);
    // The options as given; nullopt with `error` set when one is malformed.
    static std::optional<ReadTableOptions> from(const QCommandLineParser &parser, QString *error);

    // Sets up the tables before the session starts. False with `error` when the selection file
    // can't be read; lines of it that are not UIDs are counted in `warnings`.
    bool applyTo(TagTables &tables, QString *error, QStringList *warnings) const;
    // Starts the tables' session: the CSV logs are checked (never a session input, a device, a FIFO or a
    // folder; a folder that can't be created only with --csv-fallback) and the selected-tags log is
    // emptied. False with `error` when a file can't be used; `files` names every file the session writes.
    bool startSession(TagTables &tables, const QStringList &inputs, QString *error, QStringList *files) const;
    // At the end: closes the logs and writes the snapshot when asked for. False when a CSV line (of
    // the logs or the snapshot) could not be written.
    bool finish(TagTables &tables) const;
    // One line for stderr: reports counted, tags, selected tags found and the selection time.
    static QString summary(TagTables &tables);

    bool beep() const { return m_beep; }
    QString selectionFile() const { return m_selectionFile; }

private:
    QString m_filter;
    int m_rssi = 0;
    QStringList m_select;
    QString m_selectionFile;
    QString m_number = QStringLiteral("1");
    QString m_csv;
    bool m_allTags = false;
    bool m_csvFallback = false;
    bool m_beep = false;
    bool m_snapshot = false;
    int m_maxTags = 0;
};
