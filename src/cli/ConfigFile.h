#pragma once

#include <QList>
#include <QString>

// An INI file of command-line options for `talvo-cli read --config FILE`: one `name = value` per line,
// the names of the long options without their dashes (`tcp = 127.0.0.1:4001`, `reconnect = true`).
// Blank lines and lines starting with '#' or ';' are comments; a value may be put in double quotes to
// keep spaces at its ends; a name given on several lines gives several values (like a repeated
// option). Sections are not used. A name or value holding a control character (a NUL, an escape, a
// tab inside it) is refused.
class ConfigFile
{
public:
    struct Entry
    {
        int line = 0;
        QString key;
        QString value;
    };

    // Reads `path`; false with `error` set (naming the file and, for a bad line, its number).
    bool load(const QString &path, QString *error);
    // Reads the text of a file named `path` (for messages).
    bool parse(const QString &path, const QByteArray &text, QString *error);

    const QString &path() const { return m_path; }
    const QList<Entry> &entries() const { return m_entries; }
    // "FILE:LINE: " for messages about an entry.
    QString where(const Entry &entry) const;

    // A switch's value: true/false, yes/no, on/off or 1/0; `ok` is false for anything else.
    static bool switchValue(const QString &value, bool *ok);

private:
    QString m_path;
    QList<Entry> m_entries;
};
