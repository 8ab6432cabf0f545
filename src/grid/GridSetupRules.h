#pragma once

// What the grid setup screen decides from the grid records alone: which points a click or an
// arrow moves and where, whether the grid may be locked, what a grid slot shows when chosen,
// where the predicted check buoy is marked, and what the status line and the main screen's grid
// rows say after Complete, Save and Load File.

#include "grid/Geometry.h"
#include "grid/GridEntries.h"

#include <QString>

#include <optional>
#include <vector>

namespace fw {

struct CompletionResult;
struct GridFileResult;
struct GridState;

// The five points in the order a click processes them.
enum class GridPoint : int { UpperLeft = 0, UpperRight, LowerLeft, LowerRight, CheckBuoy };
constexpr int kGridPointCount = 5;

// The picture position of a point as the working copy holds it.
ScreenPoint pointPosition(const MeasurementGrid& working, GridPoint point);

// Whether both picture fields of a point hold a number: a point never placed has no marker.
bool pointPlaced(const GridEntries& entries, GridPoint point);

// The grid may be locked once every buoy has its picture position and the check buoy its
// surveyed x.
bool gridLockAllowed(const GridEntries& entries);

// One point moved by a click or an arrow.
struct PointMove {
    GridPoint point = GridPoint::UpperLeft;
    ScreenPoint from;
    ScreenPoint to;
};

// A click (`target` given) places the selected point at the target and, with the grid locked,
// moves every other point by the same offset; an arrow (no target) moves the selected point, or
// every point when locked, by `step`. Nothing moves when no point is selected and the grid is not
// locked. Moves come in the order a click processes the points.
std::vector<PointMove> movedPoints(const MeasurementGrid& working,
                                   std::optional<GridPoint> selected,
                                   std::optional<ScreenPoint> target, ScreenPoint step,
                                   bool locked);

// The fields shown for a grid chosen with the grid button: a slot never set up shows every field
// unset, so that completing it asks for every entry instead of solving a grid of zeros.
GridEntries entriesShownFor(const GridState& grids, int grid);

// Whether the screen opens on a ready grid: the current slot and the working copy are completed.
bool currentGridReady(const GridState& grids);

// The mark of the predicted check buoy. On the picture: a dot and a circle at the prediction and
// the label pointing at it. Off the picture: an arrow from the marked check buoy to the picture's
// edge towards the prediction, with its label kept on the picture beside the arrow's head.
struct PredictedCheckBuoyMark {
    bool onPicture = false;
    QString label;
    ScreenPoint labelAt;
    ScreenPoint dot;
    ScreenPoint lineFrom;
    ScreenPoint lineTo;
    double circleSize_twips = 0; // on the picture only
};
PredictedCheckBuoyMark predictedCheckBuoyMark(ScreenPoint predicted, ScreenPoint marked,
                                              double pictureWidth_twips, double pictureHeight_twips,
                                              double markerSize_twips);

// A row of the main screen's grid list as the grid setup screen leaves it.
struct GridRowChange {
    int grid = 0;
    bool ready = false;
    QString description;
};

// What a finished Load File shows: whether the grid proved itself (ready icon and the accuracy
// check offered), the main screen's rows in the order they change (a grid whose file the refilled
// fields made unsaved, then the loaded grid when usable), and the status line.
struct GridLoadView {
    bool ready = false;
    std::vector<GridRowChange> rows;
    QString status;
};
GridLoadView gridLoadView(const GridFileResult& loaded);

// The status line after Complete on the grid named `gridCaption`, and after a Save.
QString completionStatus(const CompletionResult& completion, const QString& gridCaption);
QString savedStatus(const GridFileResult& saved);

} // namespace fw
