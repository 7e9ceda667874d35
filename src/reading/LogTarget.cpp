#include "reading/LogTarget.h"

#include "platform/FileIdentity.h"

#include <QFile>

namespace LogTarget {

namespace {

platform::NativePath nativePath(const QString &name)
{
#ifdef Q_OS_WIN
    return name.toStdWString();
#else
    return QFile::encodeName(name).toStdString();
#endif
}

bool idOf(const QString &name, platform::FileId *id)
{
    if (name == QLatin1String("-"))
        return platform::standardInputFileId(id);
    return platform::fileId(nativePath(name), id);
}

} // namespace

bool isRegularOrAbsent(const QString &fileName)
{
    // A dangling link counts as absent: opening it creates a regular file.
    return platform::fileKind(nativePath(fileName)) != platform::FileKind::Other;
}

bool sameFile(const QString &a, const QString &b)
{
    platform::FileId ia;
    platform::FileId ib;
    return idOf(a, &ia) && idOf(b, &ib) && ia == ib;
}

} // namespace LogTarget
