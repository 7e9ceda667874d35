#include "tagcfg/ProvisioningCsv.h"

#include "base/RegularFile.h"

#include <QFile>
#include <QTextStream>

namespace ProvisioningCsv {
namespace {

QString field(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// Reads `path` line by line: the header must be `header`'s fields (the result's extra fields may
// follow in a plan-compatible file); each further non-empty line goes to `take` with its number.
template <typename Take> bool readRows(const QString &path, const QString &header, QString *error, Take take)
{
    QFile file;
    if (!RegularFile::openForReading(file, path, kMaxFileBytes, error))
        return false;
    // Never more than the cap, even from a file that grows while it is read.
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes || file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("%1: %2").arg(
            path, file.error() != QFileDevice::NoError
                      ? file.errorString()
                      : QStringLiteral("larger than %1 bytes").arg(kMaxFileBytes));
        return false;
    }
    QTextStream in(bytes);
    const QString first = in.readLine().trimmed().remove(QChar(0xFEFF));
    if (splitLine(first) != splitLine(header)) {
        *error = QStringLiteral("%1: the first line must be \"%2\"").arg(path, header);
        return false;
    }
    for (int number = 2; !in.atEnd(); ++number) {
        const QString line = in.readLine();
        if (line.trimmed().isEmpty())
            continue;
        QString why;
        if (!take(splitLine(line), number, &why)) {
            *error = QStringLiteral("%1:%2: %3").arg(path).arg(number).arg(why);
            return false;
        }
    }
    return true;
}

} // namespace

QString planHeader()
{
    return QStringLiteral("uid,command,args");
}

QString resultHeader()
{
    return QStringLiteral("uid,command,args,ok,text,values,seconds");
}

QStringList splitLine(const QString &line)
{
    QStringList fields;
    QString current;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                current += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields.append(current.trimmed());
            current.clear();
        } else {
            current += c;
        }
    }
    fields.append(current.trimmed());
    return fields;
}

bool readPlan(const QString &path, std::vector<ProvisioningRow> *rows, QString *error)
{
    return readRows(path, planHeader(), error, [rows](const QStringList &f, int line, QString *why) {
        if (f.size() < 2 || f.size() > 3) {
            *why = QStringLiteral("a row has uid,command,args");
            return false;
        }
        ProvisioningRow row{f.at(0), f.at(1), f.value(2)};
        row.line = line;
        rows->push_back(row);
        return true;
    });
}

bool readFailed(const QString &path, std::vector<ProvisioningRow> *rows, QString *error)
{
    return readRows(path, resultHeader(), error, [rows](const QStringList &f, int line, QString *why) {
        if (f.size() != 7 || (f.at(3) != QLatin1String("0") && f.at(3) != QLatin1String("1"))) {
            *why = QStringLiteral("a row has uid,command,args,ok,text,values,seconds with ok 1 or 0");
            return false;
        }
        if (f.at(3) == QLatin1String("0")) {
            ProvisioningRow row{f.at(0), f.at(1), f.at(2)};
            row.line = line;
            rows->push_back(row);
        }
        return true;
    });
}

QString valuesText(const std::map<int, int> &values)
{
    QStringList parts;
    for (const auto &[reg, value] : values)
        parts.append(QStringLiteral("%1=%2").arg(reg, 2, 16, QLatin1Char('0')).toUpper().arg(value));
    return parts.join(QLatin1Char(';'));
}

QString resultLine(const ProvisioningRow &row)
{
    return QStringList{field(row.uid),
                       field(row.command),
                       field(row.args),
                       row.ok ? QStringLiteral("1") : QStringLiteral("0"),
                       field(row.text),
                       valuesText(row.values),
                       QString::number(row.seconds, 'f', 2)}
        .join(QLatin1Char(','));
}

bool writeResult(const QString &path, const std::vector<ProvisioningRow> &rows, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray text = (resultHeader() + QLatin1Char('\n')).toUtf8();
    for (const ProvisioningRow &row : rows)
        text += (resultLine(row) + QLatin1Char('\n')).toUtf8();
    if (file.write(text) != text.size() || !file.flush()) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace ProvisioningCsv
