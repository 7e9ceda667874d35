#pragma once

#include <QFile>
#include <QString>

// Opening named files that must be ordinary files on disk (a provisioning plan, its result). A
// device, a FIFO or a folder given in their place is refused before a byte is read or written, and
// opening never waits: a FIFO nobody writes to would otherwise hold open() forever.
namespace RegularFile {
// Opens `path` for reading when it is a regular file (also through a symbolic link) of at most
// `maxBytes`; false with *error ("PATH: why") otherwise.
bool openForReading(QFile &file, const QString &path, qint64 maxBytes, QString *error);
// Opens `path` for writing, unbuffered: created when absent, emptied when a regular file; anything
// else is refused and left as it is. False with *error ("PATH: why").
bool openForWriting(QFile &file, const QString &path, QString *error);
} // namespace RegularFile
