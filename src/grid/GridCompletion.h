#pragma once

// Deciding whether a grid may be used, and completing it: completeness of the entries, the
// coefficients, the check buoy test, the field of view, and the front and back ratios.

#include "grid/GridEntries.h"
#include "grid/GridState.h"

#include <QDateTime>
#include <QStringList>

#include <optional>

namespace fw {

class ResultsFile;

class Clock;
class Dialogs;
class SettingsStore;
struct StationSettings;

// The picture width when no picture file has set one.
constexpr double kDefaultPictureWidth_twips = 12000;
constexpr double kDefaultPictureHeight_twips = 9000;

// The station's refusal and advice texts.
namespace gridtext {
inline const QString notAllParameters =
    QStringLiteral("Warning - Not all parameters have been set up on grid");
inline const QString checkBuoyMandatory = QStringLiteral("Setup of Check Buoy is Mandatory");
inline const QString noUniqueSolution = QStringLiteral("No Unique Solution - Re-enter data");
inline const QString checkBuoyDoesNotValidate = QStringLiteral("Check Buoy Does not Validate");
inline const QString checkBuoyOffPicture = QStringLiteral(
    "Check Buoy Does not Validate - its survey position does not map onto the picture");
inline const QString fieldOfViewUnknown =
    QStringLiteral("Setup is not valid, Field of View cannot be computed - Re-enter data");
inline const QString errorTitle = QStringLiteral("Error Message");
} // namespace gridtext

// "Setup is not valid, Field of View is  37.2 degrees where the maximum allowed is 35 degrees"
QString fieldOfViewMessage(double reported_deg);
// "Check Buoy Does not Validate.  The marked check buoy lies 6.7 pixels right of and 0 pixels
// below where the grid predicts it; ..." from the marked position minus the predicted one.
QString checkBuoyFailureMessage(double dx_twips, double dy_twips);
// "Front ratio is  72%  Zoom camera in until front is > 85%"
QString frontRatioAdvice(double frontRatio);

// Why a grid is refused, in the order the checks run.
enum class GridVerdict {
    Accepted = 1,
    Incomplete,          // a field still holds its placeholder
    CheckBuoyMissing,    // the check buoy was never marked on the picture
    NoSolution,          // the four buoys give no unique coefficients
    CheckBuoyOffPicture, // the check buoy's survey position maps to infinity
    CheckBuoyFails,      // the check buoy is more than a pixel and a half off
    FieldOfViewUnknown,  // a front buoy's vertical maps to infinity
    FieldOfViewTooWide,
};

struct GridRatios {
    double front = 0; // percent of the picture width
    double back = 0;
};

// Every figure of the completion checks, computed as far as the entries allow.
struct GridEvaluation {
    GridVerdict verdict = GridVerdict::Incomplete;
    QString message; // the station's refusal message; empty when accepted
    GridRatios ratios;
    std::optional<GridCoefficients> c;
    std::optional<ScreenPoint> predictedCheckBuoy;  // where the check buoy should be
    std::optional<double> checkBuoyDx, checkBuoyDy; // marked minus predicted, twips
    std::optional<double> fieldOfView;              // as reported, degrees

    bool accepted() const { return verdict == GridVerdict::Accepted; }
};

// The front and back ratios from the buoy picture x fields. A width that is not positive counts
// as the default width.
GridRatios gridRatios(const GridEntries& entries, double pictureWidth_twips);

// Runs every check of a completion on the entries, without dialogs and without changing anything.
GridEvaluation evaluateGrid(const GridEntries& entries, double pictureWidth_twips);

// Computes the ratios into the grid state and shows the zoom advice when the front ratio is
// below 80. Returns whether the advice was shown.
bool grid_check(const GridEntries& entries, double pictureWidth_twips, GridState& grids,
                Dialogs& dialogs);

// What the grid setup screen shows after "Complete".
struct CompletionResult {
    GridEvaluation evaluation;
    bool accuracyControlsShown = false; // the checks got past completeness: show the accuracy
                                        // button and frame, hide the check buoy marker label
    bool accepted = false;
    int grid = 0;               // the grid completed (the one named by the grid caption)
    bool recordWritten = false; // the set-up record reached the results file
    bool zoomAdvice = false;
};

// The "Complete" button. The working copy takes the entries' numbers (and the new coefficients
// once solved); on acceptance the grid named by the caption becomes current and completed, its
// slot takes the working copy, allGridsReady and xOrientation are recomputed, the grid set-up
// record is appended to the results file (through the station's results writer, which keeps an
// entry it cannot write) and the ratios are checked. Refusals are shown through the dialogs with
// the station's messages; the slot then stays as it was.
CompletionResult GridCompletion(const GridEntries& entries, GridState& grids,
                                const StationSettings& settings, double pictureWidth_twips,
                                Dialogs& dialogs, const Clock& clock, ResultsFile& results);

// The grid set-up record appended to the results file on acceptance.
QStringList gridSetupRecord(const GridEntries& entries, int grid, const QDateTime& when);

// The records' lines of the four buoys and the jump point, from the fields as shown: upper left,
// lower left, upper right, lower right, each "<name> X,Y <unit>: " and "<name> X,Y Survey: "
// followed by a line holding one blank; then the jump line and a line holding one blank.
QStringList buoyRecordLines(const GridEntries& entries, const QString& unit);

// The set-up record's buoy, jump and check buoy picture lines (also the accuracy report's).
QStringList gridPictureLines(const GridEntries& entries);

// The effects on the records of an edit of any buoy picture or survey field, jump field or check
// buoy field: the working copy takes the fields' numbers, allGridsReady is cleared, and unless
// the configuration screen is loading the stored grids, the grid named by the caption is marked
// unsaved (its file setting emptied). Returns that grid's number, or 0 when nothing was marked;
// the screen then shows the not-ready icon, the main screen's caution picture and an empty
// description for that grid, and hides the accuracy controls.
int gridEntriesEdited(const GridEntries& entries, GridState& grids, StationSettings& settings,
                      SettingsStore& store, bool loadingStoredGrids);

// The measurement screen's distance labels of a back buoy, set when the grid setup is left with
// every grid ready. Positions are the labels' top-left corners in twips.
struct BuoyDistanceLabels {
    QString feet; // " 197 feet"
    ScreenPoint feetAt;
    QString meters; // " 60 meters"
    ScreenPoint metersAt;
};
BuoyDistanceLabels buoyDistanceLabels(const MeasurementGrid& grid, BuoyIndex buoy);

} // namespace fw
