#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The selection list kept between runs: one tag UID per line, lines ending CR LF, each UID once
// (letter case does not make a second entry).
namespace SelectionListFile {
// The documents folder + "MERAN/TalvoDemo/QZKDTAG.CSV".
QString defaultPath();
// The UIDs in order, each once regardless of case (the first spelling wins).
QStringList distinct(const QStringList &uids);
// A tag UID as report lines carry it: 16 printable ASCII characters, none a blank, and no "R" (a
// report line holding one is never decoded).
bool isUid(QStringView text);
// Creates the file's folder if missing and reads the UIDs (blank lines and surrounding blanks
// dropped, each UID once). A missing file gives an empty list. Lines that are not UIDs (a damaged
// or wrong file) are skipped and counted in `skipped`.
QStringList load(const QString &path, int *skipped = nullptr);
// The English warning for skipped lines, "%1" standing for their number.
QString skippedLinesText();
// Creates the folder if missing and replaces the file with the distinct UIDs. The old file stays
// untouched when the new one can't be written completely.
bool save(const QString &path, const QStringList &uids, QString *error = nullptr);
} // namespace SelectionListFile
