#include "reading/SelectionListFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

namespace SelectionListFile {

namespace {
constexpr qsizetype kUidLength = 16;
} // namespace

QString defaultPath()
{
    const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    return QDir::toNativeSeparators(documents.filePath(QStringLiteral("MERAN/TalvoDemo/QZKDTAG.CSV")));
}

QStringList distinct(const QStringList &uids)
{
    QStringList result;
    QSet<QString> seen;
    for (const QString &uid : uids) {
        const QString key = uid.toUpper();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        result.append(uid);
    }
    return result;
}

bool isUid(QStringView text)
{
    if (text.size() != kUidLength)
        return false;
    for (QChar c : text)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F || c == QLatin1Char('R'))
            return false;
    return true;
}

QStringList load(const QString &path, int *skipped)
{
    if (skipped)
        *skipped = 0;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList uids;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QString uid = QString::fromUtf8(line).trimmed();
        if (uid.isEmpty())
            continue;
        if (isUid(uid))
            uids.append(uid);
        else if (skipped)
            ++*skipped;
    }
    return distinct(uids);
}

QString skippedLinesText()
{
    return QStringLiteral("%1 lines of the selection list are not tag UIDs and were skipped");
}

bool save(const QString &path, const QStringList &uids, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QByteArray text;
    for (const QString &uid : distinct(uids))
        text += uid.toUtf8() + "\r\n";
    file.write(text);
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace SelectionListFile
