#include "ConfigFile.h"

#include <QFile>

bool ConfigFile::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("config file %1 cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    // A configuration file is a few lines; anything far larger is not one.
    constexpr qint64 kMaxBytes = 1 << 20;
    const QByteArray text = file.read(kMaxBytes + 1);
    if (text.size() > kMaxBytes) {
        *error = QStringLiteral("config file %1 is larger than 1 MiB").arg(path);
        return false;
    }
    return parse(path, text, error);
}

bool ConfigFile::parse(const QString &path, const QByteArray &text, QString *error)
{
    m_path = path;
    m_entries.clear();
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        const int number = int(i) + 1;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            *error = QStringLiteral("%1:%2: expected name = value, got '%3'").arg(path).arg(number).arg(line);
            return false;
        }
        const QString key = line.left(eq).trimmed();
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        // A NUL would silently cut a file name short; other control characters would reach file
        // names, log lines and the terminal. Blanks around the value are no part of it.
        for (const QChar c : key + value) {
            if (c.category() == QChar::Other_Control) {
                *error = QStringLiteral("%1:%2: %3: control character 0x%4 in the value")
                             .arg(path)
                             .arg(number)
                             .arg(key)
                             .arg(c.unicode(), 2, 16, QLatin1Char('0'));
                return false;
            }
        }
        m_entries.append({number, key, value});
    }
    return true;
}

QString ConfigFile::where(const Entry &entry) const
{
    return QStringLiteral("%1:%2: ").arg(m_path).arg(entry.line);
}

bool ConfigFile::switchValue(const QString &value, bool *ok)
{
    const QString v = value.toLower();
    *ok = true;
    if (v == QLatin1String("true") || v == QLatin1String("yes") || v == QLatin1String("on") ||
        v == QLatin1String("1"))
        return true;
    if (v == QLatin1String("false") || v == QLatin1String("no") || v == QLatin1String("off") ||
        v == QLatin1String("0"))
        return false;
    *ok = false;
    return false;
}
