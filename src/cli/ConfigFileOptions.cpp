#include "ConfigFileOptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {
const QString kConfigOption = QStringLiteral("config");
} // namespace

void ConfigFileOptions::addTo(QCommandLineParser &parser)
{
    parser.addOption({kConfigOption,
                      QStringLiteral("Read options from FILE, an INI file of name = value lines with the "
                                     "long option names (e.g. tcp = 127.0.0.1:4001, reconnect = true); "
                                     "options on the command line win over the file."),
                      QStringLiteral("FILE")});
}

// The parser itself says what a name is: it takes "--name" alone only for a switch, and
// "--name=value" only for an option with a value.
ConfigFileOptions::OptionKind ConfigFileOptions::kindOf(QCommandLineParser &parser, const QString &program,
                                                        const QString &key)
{
    static const QRegularExpression kName(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9-]+$"));
    if (!kName.match(key).hasMatch() || key == kConfigOption || key == QLatin1String("help") ||
        key == QLatin1String("help-all") || key == QLatin1String("version"))
        return OptionKind::Unknown;
    if (parser.parse({program, QStringLiteral("--") + key}))
        return OptionKind::Switch;
    if (parser.parse({program, QStringLiteral("--%1=x").arg(key)}))
        return OptionKind::Value;
    return OptionKind::Unknown;
}

bool ConfigFileOptions::entryArguments(const ConfigFile::Entry &entry, OptionKind kind, QStringList *out,
                                       QString *error) const
{
    if (kind == OptionKind::Unknown) {
        *error = m_file.where(entry) + QStringLiteral("unknown option '%1'").arg(entry.key);
        return false;
    }
    if (kind == OptionKind::Value) {
        out->append(QStringLiteral("--%1=%2").arg(entry.key, entry.value));
        return true;
    }
    bool ok = false;
    const bool on = ConfigFile::switchValue(entry.value, &ok);
    if (!ok) {
        *error = m_file.where(entry) +
                 QStringLiteral("%1 needs true or false, got '%2'").arg(entry.key, entry.value);
        return false;
    }
    if (on)
        out->append(QStringLiteral("--") + entry.key);
    return true;
}

bool ConfigFileOptions::apply(QCommandLineParser &parser, const QStringList &arguments, QString *error)
{
    if (!parser.isSet(kConfigOption))
        return true;
    if (!m_file.load(parser.value(kConfigOption), error))
        return false;
    const QString program = arguments.value(0);
    QList<OptionKind> kinds;
    for (const ConfigFile::Entry &entry : m_file.entries())
        kinds.append(kindOf(parser, program, entry.key));
    // Probing replaced the command line's results: read it again to see which options it gives.
    parser.parse(arguments);
    QStringList fromFile;
    for (qsizetype i = 0; i < m_file.entries().size(); ++i) {
        const ConfigFile::Entry &entry = m_file.entries()[i];
        if (kinds[i] != OptionKind::Unknown && parser.isSet(entry.key))
            continue; // the command line wins
        if (!entryArguments(entry, kinds[i], &fromFile, error))
            return false;
        m_used.append(entry);
    }
    if (!parser.parse(QStringList{program} + fromFile + arguments.mid(1))) {
        *error = m_file.path() + QStringLiteral(": ") + parser.errorText();
        return false;
    }
    return true;
}

QString ConfigFileOptions::explain(const QString &error) const
{
    for (const ConfigFile::Entry &entry : m_used) {
        const QRegularExpression named(
            QStringLiteral("--%1(?![A-Za-z0-9-])").arg(QRegularExpression::escape(entry.key)));
        if (named.match(error).hasMatch())
            return m_file.where(entry) + entry.key + QStringLiteral(": ") + error;
    }
    if (!m_used.isEmpty())
        return error + QStringLiteral(" (with the options of %1)").arg(m_file.path());
    return error;
}
