#pragma once

// Reading and writing the station's text files: single-byte (Latin-1) text with CR LF line ends
// on every system, because the scoring program on the other side of the exchange folder is a
// Windows program.

#include "support/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace fw {

class Dialogs;

// A file in a folder, joined with the platform's separator; one trailing separator of the
// folder text is dropped first.
QString joinPath(const QString& folder, const QString& fileName);

// Lines joined with CR LF after each one, in Latin-1 (characters outside it become '?').
QByteArray encodeLines(const QStringList& lines);

// The whole file as text. Failure: "could not read <file>: <reason>".
Result<QString> readTextFile(const QString& path);

// Opens for appending (creating the file), writes the lines and closes. All or nothing: when
// not every byte reaches the file (a full disk), the file is cut back to its length before the
// append. Failure: "Could not write to <file>: <reason>", with the system's reason.
Outcome appendLines(const QString& path, const QStringList& lines);

// Replaces the file whole through a temporary file beside it, so that a reader never sees half a
// file and a failed write (a full disk, a crash) leaves the old file as it was. Failure:
// "Could not write to <file>: <reason>".
Outcome replaceFile(const QString& path, const QByteArray& contents);
Outcome replaceFileLines(const QString& path, const QStringList& lines);

// The two halves of a replacement, for files that must change together: first each file's
// contents are written whole, synced to the disk, to a temporary file beside it (its path is the
// answer), then each is renamed over its file in one step. A temporary file that is not moved
// over is removed by moveOver's failure, or at the next start.
Result<QString> writeBeside(const QString& path, const QByteArray& contents);
Outcome moveOver(const QString& temporary, const QString& path);

// Whether a file of `bytes` bytes fits beside `path` now: one is written (as a temporary file)
// and removed again. Failure: "Could not write to <file>: <reason>".
Outcome checkRoomFor(const QString& path, qint64 bytes);

// Removes what a station killed in the middle of a write leaves behind: in `folders`, the
// temporary files of replacements; beside each of `savedFiles` (files that Qt itself replaces,
// such as the settings file), Qt's temporary files of it and its lock file when no running
// program holds the lock. Returns how many files were removed.
int removeLeftoverFiles(const QStringList& folders, const QStringList& savedFiles);

// Appends one entry to the results file or a log and tells the operator when that fails
// (which file and why). Returns whether the entry was written.
bool appendReported(Dialogs& dialogs, const QString& path, const QStringList& lines);

} // namespace fw
