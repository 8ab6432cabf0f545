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

// Opens for appending (creating the file), writes the lines, flushes and closes.
// Failure: "Could not write to <file>: <reason>"; nothing is written then.
Outcome appendLines(const QString& path, const QStringList& lines);

// Replaces the file whole through a temporary file beside it, so that a reader never sees half a
// file and a failed write leaves the old file as it was.
Outcome replaceFile(const QString& path, const QByteArray& contents);
Outcome replaceFileLines(const QString& path, const QStringList& lines);

// Appends one entry to the results file or a log and tells the operator when that fails
// (which file and why). Returns whether the entry was written.
bool appendReported(Dialogs& dialogs, const QString& path, const QStringList& lines);

} // namespace fw
