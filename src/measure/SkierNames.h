#pragma once

// Skier names: the station's own list (SkierNames.txt in the station folder, one skier per line,
// parts separated by commas) and the name file that the scoring program leaves in the exchange
// folder (qxskier.nam).

#include "support/result.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace fw {

class Dialogs;

// The name of the station's list in the station folder.
inline QString skierNamesFileName()
{
    return QStringLiteral("SkierNames.txt");
}

// The name of the scoring program's name file in the exchange folder.
inline QString wstimsSkierFileName()
{
    return QStringLiteral("qxskier.nam");
}

// The capture screen's name before any is chosen.
inline QString noSkierName()
{
    return QStringLiteral("Skier Name");
}

// Shown instead of the selection dialog when the list does not exist.
inline QString noSkierNamesFileMessage()
{
    return QStringLiteral(
        "No file of skier names called SkierNames.txt exists in the application directory");
}

// The characters of a name that the station's files (Latin-1) cannot hold, each once, in the
// order they first appear; empty when every character can be stored.
QString charactersOutsideLatin1(const QString& name);

// What the operator is told about such a name; empty when there is nothing to tell.
QString unstorableNameMessage(const QString& name);

// The lines of a text, split at CR LF, CR or LF; a last line without a line end counts.
QStringList textLines(const QString& text);

// The selection list: every line that is not empty, commas replaced by blanks, in file order.
Result<QStringList> readSkierList(const QString& path);

// The capture screen's default name: the first line of the list with commas replaced by blanks;
// noSkierName() when the list does not exist or cannot be read; none (leave the box as it is)
// when the first line is empty.
std::optional<QString> defaultSkierName(const QString& path);

// The current skier's name from the scoring program's name file: its first field (a field in
// double quotes may hold commas). Failure: "Error while reading WSTIMS name file: " and why.
Result<QString> readWstimsSkierName(const QString& path);

// Makes the chosen file the station's new list, replaced whole. A file that cannot be read, is
// empty, is a rich-text document or is not text leaves the list as it was and gives the reason.
// Returns the first line with commas replaced by blanks: the capture screen's new name (none
// when that line is empty).
Result<std::optional<QString>> importSkierNames(const QString& chosenFile,
                                                const QString& skierNamesPath);

// The import command: asks for the file in the station folder and imports it. A cancelled
// dialog changes nothing and says nothing; a refused file is explained to the operator.
// Returns the capture screen's new name when there is one.
std::optional<QString> importSkierNamesFile(Dialogs& dialogs, const QString& stationFolder);

} // namespace fw
