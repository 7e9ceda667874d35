#include "reading/LogTarget.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace LogTarget {

#ifdef Q_OS_UNIX
namespace {

bool statOf(const QString &name, struct stat *st)
{
    if (name == QLatin1String("-"))
        return ::fstat(STDIN_FILENO, st) == 0;
    return ::stat(QFile::encodeName(name).constData(), st) == 0;
}

} // namespace

bool isRegularOrAbsent(const QString &fileName)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0)
        return true; // nothing there (or a dangling link, which opening creates as a regular file)
    return S_ISREG(st.st_mode);
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    return statOf(a, &sa) && statOf(b, &sb) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
#else
bool isRegularOrAbsent(const QString &fileName)
{
    const QFileInfo info(fileName);
    return !info.exists() || info.isFile();
}

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
}
#endif

} // namespace LogTarget
