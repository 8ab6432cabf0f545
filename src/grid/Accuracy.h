#pragma once

// The accuracy check of a completed grid: a 7 by 7 mesh of sample points over the quadrilateral
// of the four buoys; at each point, how much the jump distance changes when the click moves by
// one pixel, graded as a homologation level. Every check of a day is appended to the day's
// report file acc<MMDD>.txt in the video folder.

#include "grid/GridCompletion.h"
#include "grid/GridEntries.h"
#include "grid/GridState.h"
#include "support/result.h"

#include <QDate>
#include <QStringList>

#include <array>

namespace fw {

class Clock;
class Dialogs;
struct StationSettings;

constexpr int kMeshSize = 7;

// What the indicator labels show: the grade ("Hom.Lvl"), the distance ("Distance") or the change
// per pixel ("Detail ").
enum class AccuracyContent { Grade = 1, Distance, Detail };

// "R" (delta ≤ 0.1 m), "L" (≤ 0.15), "C" (≤ 0.2), "NH" beyond.
QString accuracyGrade(double delta_m);

// The mesh over the four buoys' picture positions, [column i, left to right][row j, back buoys
// to front buoys]: the two side edges divided into six equal parts, then each row between its
// edge points.
using AccuracyMesh = std::array<std::array<ScreenPoint, kMeshSize>, kMeshSize>;
AccuracyMesh accuracyMesh(ScreenPoint upperLeft, ScreenPoint upperRight, ScreenPoint lowerLeft,
                          ScreenPoint lowerRight);

struct AccuracySample {
    ScreenPoint picture;
    SurveyPoint below; // the water position one pixel lower, as the report gives it
    double d = 0;      // jump distance (ramp offset included)
    double dv = 0;     // one pixel lower
    double dh = 0;     // one pixel to the right
    double delta = 0;  // the larger change
    QString grade;
    QString label;       // the indicator's text for the chosen content
    ScreenPoint labelAt; // the indicator's top-left corner, twips
    int indicator = 0;   // the AccuracyIndicator index
};

// One candidate skier path: a mesh row drawn from its right edge point to its left one, with its
// number label ("1".."7") whose top-left corner is at labelAt.
struct AccuracyRow {
    ScreenPoint right;
    ScreenPoint left;
    ScreenPoint labelAt;
    QString caption;
};

struct AccuracyCheck {
    std::array<std::array<AccuracySample, kMeshSize>, kMeshSize> samples{}; // [i][j]
    std::array<AccuracyRow, kMeshSize> rows{};
    QStringList meshLines; // the report's 49 sample lines, columns outer, rows inner
    QString reportPath;    // set by RunAccuracyCheck
};

// Samples every mesh point of the grid whose buoys the entries show, with the working copy's
// coefficients. Fails, with the station's message, when a mesh point maps to infinity.
Result<AccuracyCheck> computeAccuracy(const GridEntries& entries, const MeasurementGrid& working,
                                      Tournament tournament, AccuracyContent content);

// The report file of a day: <video folder>/acc<MMDD>.txt.
QString accuracyReportPath(const QString& videoFolder, const QDate& day);

// The report's header lines.
QStringList accuracyReportHeader(const GridEntries& entries, int grid, GridRatios ratios,
                                 const QDateTime& when);

// The "Accuracy" button without its screen: checks that the grid the entries show passes its
// completion checks, samples the mesh with that grid's coefficients, appends header (with its
// file, verdict and ratios), sample lines, "Accuracy Check Complete" and an empty line to the
// day's report file, and gives the labels to show. A grid that does not pass, cannot be sampled
// or a report file that cannot be written is told to the operator, and nothing is written or
// shown then.
std::optional<AccuracyCheck> RunAccuracyCheck(const GridEntries& entries, const GridState& grids,
                                              const StationSettings& settings,
                                              double pictureWidth_twips, AccuracyContent content,
                                              Dialogs& dialogs, const Clock& clock);

// The skier path question's answer as a row index (0..6): only the numbers shown on the row
// labels, "1" to "7", are accepted.
std::optional<int> skierPathRow(const QString& answer);

} // namespace fw
