#pragma once

#include <QString>

// What a log file name stands for on disk. A log is only ever appended to or truncated, so the name
// must be absent or a regular file: a device node, a FIFO or a folder is never written to, emptied or
// removed. A file the session reads (a replay, the selection list) is never a log either.
namespace LogTarget {
// True when nothing is at `fileName`, or a regular file (also through a symbolic link).
bool isRegularOrAbsent(const QString &fileName);
// True when both names lead to one existing file: same volume and file number (device and inode on
// Unix), so hard and symbolic links count too. "-" stands for whatever standard input is.
bool sameFile(const QString &a, const QString &b);
} // namespace LogTarget
