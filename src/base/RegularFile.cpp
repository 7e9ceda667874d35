#include "base/RegularFile.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace RegularFile {
namespace {

bool refuse(const QString &path, const QString &why, QString *error)
{
    *error = QStringLiteral("%1: %2").arg(path, why);
    return false;
}

QString notRegular()
{
    return QStringLiteral("not a regular file");
}

QString tooLarge(qint64 maxBytes)
{
    return QStringLiteral("larger than %1 bytes").arg(maxBytes);
}

} // namespace

#ifdef Q_OS_UNIX
namespace {

// Opens without waiting, then judges what was opened (not what the name pointed at a moment before).
int openChecked(const QString &path, int flags, struct stat *st, QString *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        refuse(path, qt_error_string(errno), error);
        return -1;
    }
    if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        ::close(fd);
        refuse(path, notRegular(), error);
        return -1;
    }
    return fd;
}

bool adopt(QFile &file, int fd, const QString &path, QIODevice::OpenMode mode, QString *error)
{
    if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return refuse(path, file.errorString(), error);
}

} // namespace

bool openForReading(QFile &file, const QString &path, qint64 maxBytes, QString *error)
{
    struct stat st
    {
    };
    const int fd = openChecked(path, O_RDONLY, &st, error);
    if (fd < 0)
        return false;
    if (st.st_size > maxBytes) {
        ::close(fd);
        return refuse(path, tooLarge(maxBytes), error);
    }
    return adopt(file, fd, path, QIODevice::ReadOnly | QIODevice::Text, error);
}

bool openForWriting(QFile &file, const QString &path, QString *error)
{
    struct stat st
    {
    };
    // A device is never opened at all: opening some of them already does something.
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return refuse(path, notRegular(), error);
    const int fd = openChecked(path, O_WRONLY | O_CREAT, &st, error);
    if (fd < 0)
        return false;
    if (::ftruncate(fd, 0) != 0) {
        const int why = errno;
        ::close(fd);
        return refuse(path, qt_error_string(why), error);
    }
    return adopt(file, fd, path, QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered, error);
}
#else
bool openForReading(QFile &file, const QString &path, qint64 maxBytes, QString *error)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refuse(path, notRegular(), error);
    if (info.size() > maxBytes)
        return refuse(path, tooLarge(maxBytes), error);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return refuse(path, file.errorString(), error);
    return true;
}

bool openForWriting(QFile &file, const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refuse(path, notRegular(), error);
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text | QIODevice::Unbuffered))
        return refuse(path, file.errorString(), error);
    return true;
}
#endif

} // namespace RegularFile
