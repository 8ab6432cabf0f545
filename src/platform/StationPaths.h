#pragma once

#include <QString>

namespace fw {

// Where the station keeps its own files.
// - The station folder ("the program's folder"): the executable's folder when it is writable
//   (a portable install), otherwise the per-user application data folder, created on first use.
//   currentcapture.bmp, SkierNames.txt, the manual and the Loupe folder live there.
// - The exchange folder shared with the scoring program: on Windows "<drive>:\qxio" on the
//   station folder's drive, elsewhere "<station folder>/qxio".
class StationPaths {
public:
    // The folders of this install.
    static StationPaths forThisInstall();
    // A given station folder (tests, or an operator's choice).
    explicit StationPaths(QString stationFolder);

    const QString& stationFolder() const { return m_station; }
    QString exchangeFolder() const;

    // A file in the station folder or the exchange folder, with the platform's separators.
    QString inStation(const QString& fileName) const;
    QString inExchange(const QString& fileName) const;

    // The outside screen magnifier kept in the station folder: Loupe\Loupe.exe on Windows,
    // Loupe/Loupe elsewhere.
    QString magnifierProgram() const;

    // Creates a folder when it is missing; false when that fails.
    static bool ensureFolder(const QString& folder);

private:
    QString m_station;
};

} // namespace fw
