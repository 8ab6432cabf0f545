#pragma once

// A grid's two files: the grid file, whose name the operator chooses, and the check buoy file
// beside it (the grid file's name with ".cb" appended). Both are single-byte text with CR LF line
// ends, numbers in print form, fields separated by commas and read strictly by position.

#include "grid/GridEntries.h"
#include "grid/GridState.h"
#include "support/result.h"

#include <QDateTime>
#include <QStringList>

namespace fw {

class ResultsFile;

class Clock;
class Dialogs;
class SettingsStore;
struct StationSettings;

namespace gridtext {
inline const QString invalidPath = QStringLiteral("Invalid path, change in configuration screen");
inline const QString currentGridTitle = QStringLiteral("Current Grid");
inline const QString gridNumberTitle = QStringLiteral("Grid Number");
inline const QString saveFilter =
    QStringLiteral("All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Parameter Files (*.IPT)|*.IPT|");
inline const QString loadFilter =
    QStringLiteral("All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Parameter Files (*.ipt)|*.ipt|");
inline const QString descriptionPrompt = QStringLiteral("Enter descriptive line about grid");
inline const QString descriptionTitle = QStringLiteral("Grid Description");
inline const QString descriptionRefused = QStringLiteral(
    "A descriptive line cannot contain double quotes or line breaks - please enter it again");
inline const QString noCheckBuoyFile =
    QStringLiteral("I cannot find a  check  buoy file for this setup.  That means "
                   "you are inputting an old set-up file that does not"
                   " have a check buoy.  To complete the set up correctly,"
                   " you must have a check buoy input to the set up.");
inline const QString noCheckBuoyAtStartup =
    QStringLiteral("Error in load - no check buoy found - setup grid again");
} // namespace gridtext

// "left.ipt" → "left.ipt.cb".
QString checkBuoyFilePath(const QString& gridFile);

// The grid file's lines for a grid (buoys, coefficients, jump point), as saved under `path` for
// grid number `gridNumber`. The descriptive line, and line 1 when the path holds a comma, are
// written between double quotes when they hold a comma so that they read back whole.
QStringList gridFileLines(const MeasurementGrid& grid, const QString& path, int gridNumber);

// The check buoy file's lines: the picture position in print form, then the two survey fields
// as typed (a typed text that would not read back as one field is written as its number).
QStringList checkBuoyFileLines(ScreenPoint picture, const QString& typedX, const QString& typedY);

// What a grid file and its check buoy file hold.
struct GridFileContents {
    MeasurementGrid grid; // description1 = the file's path; check buoy (0, 0) without its file
    bool hasCheckBuoyFile = false;
};

// Reads a grid file and, when it exists, its check buoy file. The message names the file and
// the reason: "Could not read grid file <path>: <reason>".
Result<GridFileContents> readGridFiles(const QString& path);

// How far the stored coefficients may carry a stored buoy from its surveyed position: the file's
// 15 digits hold a grid far better than this, a grid never solved or solved from other buoys
// misses by meters.
constexpr double kStoredGridTolerance_m = 1e-6;

// Why a grid read from its files may not measure, in the station's words; none when it proves
// itself: its check buoy came with it, its stored coefficients carry the stored buoys' picture
// positions onto their survey positions, and the completion checks pass on what was read.
std::optional<QString> unprovedGridReason(const GridFileContents& loaded);

// The one message that tells the operator a loaded grid may not measure, naming its file.
QString unprovedGridMessage(const QString& path, const QString& reason);

// The entry fields as a load shows a grid read from its files (check buoy picture fields "auto"
// and empty survey fields without a check buoy file), under the given caption.
GridEntries loadedEntries(const GridFileContents& loaded, const QString& caption);

// What the screens show after a save or a load.
struct GridFileResult {
    bool done = false;     // saved, or loaded
    int grid = 0;          // the grid saved or loaded
    QString path;          // the grid file
    QString description;   // its descriptive line, for the main and measurement screens
    bool usable = false;   // load: the grid proved itself (check buoy, coefficients, checks);
                           // it is completed, registered in its file setting, and the main
                           // screen shows it ready
    QString refusal;       // load: why a grid with its check buoy did not prove itself
    int markedUnsaved = 0; // load: the grid whose file setting the refilled fields emptied
                           // (the main screen shows the caution picture and no description)
    bool recordWritten = false;
    bool zoomAdvice = false;
};

// The grid setup screen's "Save": asks for the file, the descriptive line and the grid number,
// writes both files whole (or not at all), and on success stores the path in the grid's file
// setting, the path and the line in the grid's descriptions and in the entries' description
// fields, and the working copy's values in the grid's slot. Nothing changes when the folder is
// not usable, a dialog is cancelled or a file cannot be written (the last is reported).
GridFileResult SaveGrid(GridEntries& entries, GridState& grids, StationSettings& settings,
                        SettingsStore& store, Dialogs& dialogs);

// The grid setup screen's "Load File": asks for the grid number and the file, reads both files
// and only then puts the grid into the working copy, the slot and the entries (a file that
// cannot be read changes nothing and is reported), appends the grid load record and checks the
// ratios. A grid that proves itself becomes completed and is registered; one that does not is
// loaded for editing and the operator is told why.
GridFileResult LoadGrid(GridEntries& entries, GridState& grids, StationSettings& settings,
                        SettingsStore& store, double pictureWidth_twips, Dialogs& dialogs,
                        const Clock& clock, ResultsFile& results);

// The start-up twin of LoadGrid for the configuration screen: grid `grid` from `path`, without
// confirmation or file dialog; the grid becomes current and the entries show it. A grid file
// without its check buoy file is told to the operator and goes no further.
GridFileResult LoadGridAtStartup(int grid, const QString& path, GridEntries& entries,
                                 GridState& grids, StationSettings& settings, SettingsStore& store,
                                 double pictureWidth_twips, Dialogs& dialogs, const Clock& clock,
                                 ResultsFile& results);

// The grid load record appended to the results file by every load.
QStringList gridLoadRecord(const GridEntries& entries, int grid, const MeasurementGrid& loaded,
                           bool atStartup, const QDateTime& when);

} // namespace fw
