#pragma once

#include <cstdint>
#include <string>

// What a path names on disk, as the system sees it: whether a log file may be written there, and
// whether two names (or a name and standard input) are one file.
namespace platform {

// A path in the system's own form: bytes on POSIX (QFile::encodeName), UTF-16 on Windows.
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

enum class FileKind
{
    Absent,  // nothing there, or nothing the system lets us look at (opening it says why)
    Regular, // a plain file
    Other,   // a folder, a device, a pipe, ...
};

// Follows links: a dangling link is Absent (opening it creates a plain file).
FileKind fileKind(const NativePath &path);

struct FileId
{
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileId &other) const { return volume == other.volume && index == other.index; }
};

// The identity of the file at `path`; false when there is none.
bool fileId(const NativePath &path, FileId *out);
// The identity of the file standard input reads; false when it is no file (a pipe on Windows).
bool standardInputFileId(FileId *out);

} // namespace platform
