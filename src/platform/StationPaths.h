#pragma once

#include <QString>

namespace fw {

// Where the station keeps its own files.
// - The station folder ("the program's folder"): the executable's folder when it is writable
//   and not a system program folder (a portable install), otherwise the per-user application data folder, created on first use.
//   currentcapture.bmp, SkierNames.txt, the manual and the Loupe folder live there.
// - The exchange folder shared with the scoring program: for an installed station on Windows
//   "<drive>:\qxio" on the station folder's drive, elsewhere "<station folder>/qxio".
class StationPaths {
public:
    // The folders of this install.
    static StationPaths forThisInstall();
    // The folders of a station installed in `stationFolder`, with its exchange folder by the rule
    // above.
    static StationPaths installedAt(QString stationFolder);
    // A station folder of its own (a demo station, tests): its exchange folder is always
    // "<station folder>/qxio", so it can never hand files to a real scoring program.
    explicit StationPaths(QString stationFolder);

    const QString& stationFolder() const { return m_station; }
    QString exchangeFolder() const { return m_exchange; }

    // A file in the station folder or the exchange folder, with the platform's separators.
    QString inStation(const QString& fileName) const;
    QString inExchange(const QString& fileName) const;

    // The outside screen magnifier kept in the station folder: Loupe\Loupe.exe on Windows,
    // Loupe/Loupe elsewhere.
    QString magnifierProgram() const;

    // True for a folder the operating system keeps for installed programs (/usr/bin, /bin, ...
    // on Unix systems). A station installed there by a package never takes it for a portable
    // folder, even when the administrator could write to it.
    static bool isSystemProgramFolder(const QString& folder);

    // Creates a folder when it is missing; false when that fails.
    static bool ensureFolder(const QString& folder);

private:
    QString m_station;
    QString m_exchange;
};

} // namespace fw
