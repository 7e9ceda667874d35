#include "platform/FileIdentity.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef _WIN32

namespace {

bool idOfHandle(HANDLE handle, FileId *out)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(handle, &info))
        return false;
    out->volume = info.dwVolumeSerialNumber;
    out->index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

// Opens `path` for nothing but its attributes (folders too), following links.
HANDLE openForQuery(const NativePath &path)
{
    return ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

FileKind fileKind(const NativePath &path)
{
    const HANDLE handle = openForQuery(path);
    if (handle == INVALID_HANDLE_VALUE)
        return FileKind::Absent;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool disk = ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info);
    ::CloseHandle(handle);
    return disk && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Regular : FileKind::Other;
}

bool fileId(const NativePath &path, FileId *out)
{
    const HANDLE handle = openForQuery(path);
    const bool ok = idOfHandle(handle, out);
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    return ok;
}

bool standardInputFileId(FileId *out)
{
    return idOfHandle(::GetStdHandle(STD_INPUT_HANDLE), out);
}

#else

namespace {

FileId idOf(const struct stat &st)
{
    FileId id;
    id.volume = std::uint64_t(st.st_dev);
    id.index = std::uint64_t(st.st_ino);
    return id;
}

} // namespace

FileKind fileKind(const NativePath &path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return FileKind::Absent;
    return S_ISREG(st.st_mode) ? FileKind::Regular : FileKind::Other;
}

bool fileId(const NativePath &path, FileId *out)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return false;
    *out = idOf(st);
    return true;
}

bool standardInputFileId(FileId *out)
{
    struct stat st
    {
    };
    if (::fstat(STDIN_FILENO, &st) != 0)
        return false;
    *out = idOf(st);
    return true;
}

#endif

} // namespace platform
