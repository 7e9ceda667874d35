#pragma once

#include "ConfigFile.h"

#include <QStringList>

class QCommandLineParser;

// `--config FILE` for `talvo-cli read`: the file's entries are read as if given on the command line in
// front of it, for every option the parser knows (the names come from the parser itself, so options
// added later work in the file too). An option given on the command line wins: the file's lines for it
// are not used. A name the parser does not know, a switch whose value is not true/false, or a line that
// is not `name = value` is refused with the file, the line and the name.
class ConfigFileOptions
{
public:
    static void addTo(QCommandLineParser &parser);

    // When --config is set, parses `arguments` (program name first) again with the file's entries in
    // front of them. False with `error` set when the file cannot be used.
    bool apply(QCommandLineParser &parser, const QStringList &arguments, QString *error);

    // An error about an option's value, with the file and line in front when that value came from the
    // file; an error about options together names the file when it gave any of them.
    QString explain(const QString &error) const;

private:
    enum class OptionKind
    {
        Unknown,
        Switch,
        Value
    };

    static OptionKind kindOf(QCommandLineParser &parser, const QString &program, const QString &key);
    bool entryArguments(const ConfigFile::Entry &entry, OptionKind kind, QStringList *out,
                        QString *error) const;

    ConfigFile m_file;
    QList<ConfigFile::Entry> m_used; // the entries that were not overridden by the command line
};
