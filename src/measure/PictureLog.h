#pragma once

// The contact picture log: the file name of a saved jump picture, its information file, the
// results line and session log entry that note it, and the reading of those entries back for
// the picture log viewer.

#include "support/result.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace fw {

// The skier, "jump", the jump number without surrounding blanks, and ".bmp".
QString pictureFileName(const QString& skier, const QString& jumpNumber);

// The picture's full path: the pictures folder followed by the file name (a separator is put
// between them when the folder has none at its end).
QString picturePath(const QString& picturesFolder, const QString& fileName);

// The path a contact picture is saved under, so that no earlier picture or information file is
// replaced: the path itself when neither it nor its information file exists, otherwise the first
// free one of "<name>_2.bmp", "<name>_3.bmp", ... Empty when there is none.
QString unusedPicturePath(const QString& path);

// The information file beside a picture: the picture's path and ".info".
QString pictureInfoPath(const QString& picturePath);

// The information file's one line: path, capture skier and pass number.
QString pictureInfoLine(const QString& picturePath, const QString& captureSkier,
                        const QString& passNumber);

// Writes the information file beside the picture, replaced whole.
Outcome writePictureInfo(const QString& picturePath, const QString& captureSkier,
                         const QString& passNumber);

// The results file lines for a picture saved or loaded on the measurement screen.
QString savedPictureLine(const QString& date, const QString& time, const QString& path);
QString loadedPictureLine(const QString& date, const QString& time, const QString& path);

// The session log items of a saved picture, for the print zones of the session log: date, time,
// "Skier: " and the capture skier, "Jump: " and the capture pass number less one, "Distance: "
// and the distance text, "File: " and the picture's path.
QStringList pictureLogItems(const QString& date, const QString& time, const QString& captureSkier,
                            const QString& passNumber, const QString& distanceText,
                            const QString& picturePath);

// The picture lines of a session log (those ending in "bmp"), in file order.
Result<QStringList> readPictureLogLines(const QString& logPath);

// The path after "File: " in a log line; none when the line has no "File:".
std::optional<QString> pathInLogLine(const QString& line);

} // namespace fw
