#pragma once

#include <QString>

namespace fw {

class Dialogs;

enum class PathKind : int { File = 0, Folder = 1, Drive = 2 };

// Whether the path exists as the given kind (0 file, 1 folder, 2 drive); any other kind is false.
// A drive is a drive letter ("C:", "C:\") on Windows and the root of a mounted volume elsewhere.
bool PathExists(const QString& path, int kind);

// Whether the file's length can be asked for: a file (not a folder) exists at the path.
bool FilePresent(const QString& path);

// Whether the file starts like an AVI video ("RIFF" at byte 1, "AVI " at byte 9). A missing file,
// a file that cannot be opened and a failed read are told to the operator in the station's words.
bool IsAviFile(const QString& path, Dialogs& dialogs);

// The save-file dialog of the capture panel. Filter kind 0 offers the picture types with "jpg"
// as the default extension. Returns the chosen path, or the initial path when cancelled.
QString SaveFileDialog(Dialogs& dialogs, const QString& initialPath, int filterKind);

} // namespace fw
