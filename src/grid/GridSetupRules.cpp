#include "grid/GridSetupRules.h"

#include "grid/GridCompletion.h"
#include "grid/GridFiles.h"
#include "grid/GridState.h"
#include "support/textforms.h"

#include <QDir>

#include <algorithm>

namespace fw {

namespace {

std::optional<BuoyIndex> buoyOf(GridPoint point)
{
    switch (point) {
    case GridPoint::UpperLeft:
        return BuoyIndex::UpperLeft;
    case GridPoint::UpperRight:
        return BuoyIndex::UpperRight;
    case GridPoint::LowerLeft:
        return BuoyIndex::LowerLeft;
    case GridPoint::LowerRight:
        return BuoyIndex::LowerRight;
    case GridPoint::CheckBuoy:
        break;
    }
    return std::nullopt;
}

} // namespace

ScreenPoint pointPosition(const MeasurementGrid& working, GridPoint point)
{
    const std::optional<BuoyIndex> buoy = buoyOf(point);
    return buoy ? working.picture(*buoy) : working.checkBuoyPicture;
}

bool pointPlaced(const GridEntries& entries, GridPoint point)
{
    const std::optional<BuoyIndex> buoy = buoyOf(point);
    const QString& x = buoy ? entries.pictureX(*buoy) : entries.check_picture_x;
    const QString& y = buoy ? entries.pictureY(*buoy) : entries.check_picture_y;
    return parseNumber(x) && parseNumber(y);
}

bool gridLockAllowed(const GridEntries& entries)
{
    if (entries.check_survey_x == kCheckXUnset)
        return false;
    for (BuoyIndex b :
         {BuoyIndex::UpperLeft, BuoyIndex::UpperRight, BuoyIndex::LowerLeft, BuoyIndex::LowerRight})
        if (entries.pictureX(b) == kPictureUnset)
            return false;
    return true;
}

std::vector<PointMove> movedPoints(const MeasurementGrid& working,
                                   std::optional<GridPoint> selected,
                                   std::optional<ScreenPoint> target, ScreenPoint step, bool locked)
{
    std::vector<PointMove> moves;
    // A click places a chosen point; without one it places nothing.
    if (target && !selected)
        return moves;
    ScreenPoint offset = step;
    if (target) {
        const ScreenPoint from = pointPosition(working, *selected);
        offset = {target->x - from.x, target->y - from.y};
    }
    for (int i = 0; i < kGridPointCount; ++i) {
        const auto point = GridPoint(i);
        if (!(selected == point || locked))
            continue;
        const ScreenPoint from = pointPosition(working, point);
        const ScreenPoint to = target && selected == point
                                   ? *target
                                   : ScreenPoint{from.x + offset.x, from.y + offset.y};
        moves.push_back({point, from, to});
    }
    return moves;
}

GridEntries entriesShownFor(const GridState& grids, int grid)
{
    const MeasurementGrid& slot = grids.slot(grid);
    const bool neverSetUp =
        !slot.completed && slot.c == GridCoefficients{} && slot.description1.isEmpty();
    GridEntries shown = neverSetUp ? GridEntries{} : entriesFromGrid(slot, grid);
    shown.grid_caption = gridCaption(grid);
    return shown;
}

bool currentGridReady(const GridState& grids)
{
    return grids.slot(grids.currentGrid).completed && grids.working.completed;
}

PredictedCheckBuoyMark predictedCheckBuoyMark(ScreenPoint predicted, ScreenPoint marked,
                                              double width, double height, double markerSize)
{
    PredictedCheckBuoyMark mark;
    const ScreenPoint p = predicted;
    mark.onPicture = p.x >= 0 && p.y >= 0 && p.x <= width && p.y <= height;
    if (mark.onPicture) {
        mark.label = QStringLiteral("<-Check Buoy Should Be Here");
        mark.dot = p;
        mark.circleSize_twips = 4.0 * markerSize;
        mark.lineFrom = p;
        mark.lineTo = {p.x + 100, p.y};
        mark.labelAt = {p.x + 15, p.y - 105};
        return mark;
    }
    // The arrow runs along the line from the marked buoy to the prediction and stops where that
    // line leaves the picture.
    double t = 1;
    const double dx = p.x - marked.x, dy = p.y - marked.y;
    if (p.x < 0)
        t = std::min(t, -marked.x / dx);
    if (p.x > width)
        t = std::min(t, (width - marked.x) / dx);
    if (p.y < 0)
        t = std::min(t, -marked.y / dy);
    if (p.y > height)
        t = std::min(t, (height - marked.y) / dy);
    t = std::clamp(t, 0.0, 1.0);
    const ScreenPoint edge{marked.x + t * dx, marked.y + t * dy};
    mark.label = QStringLiteral("Check Buoy Should Be Off the Picture This Way->");
    mark.dot = edge;
    mark.lineFrom = marked;
    mark.lineTo = edge;
    mark.labelAt = {std::clamp(edge.x - 2400, 0.0, std::max(0.0, width - 2400)),
                    std::clamp(edge.y - 105, 0.0, std::max(0.0, height - 200))};
    return mark;
}

GridLoadView gridLoadView(const GridFileResult& loaded)
{
    GridLoadView view;
    view.ready = loaded.usable;
    if (loaded.markedUnsaved)
        view.rows.push_back({loaded.markedUnsaved, false, QString()});
    if (loaded.usable)
        view.rows.push_back({loaded.grid, true, loaded.description});
    const QString path = QDir::toNativeSeparators(loaded.path);
    view.status =
        loaded.usable
            ? QStringLiteral("Grid %1 loaded from %2: ready for measuring")
                  .arg(loaded.grid)
                  .arg(path)
            : QStringLiteral("Grid %1 loaded from %2 for editing: not ready for measuring")
                  .arg(loaded.grid)
                  .arg(path);
    return view;
}

QString completionStatus(const CompletionResult& completion, const QString& gridCaption)
{
    if (completion.accepted)
        return QStringLiteral("Grid %1 completed: ready for measuring (not saved yet)")
            .arg(completion.grid);
    return QStringLiteral("%1 not completed").arg(gridCaption);
}

QString savedStatus(const GridFileResult& saved)
{
    return QStringLiteral("Grid %1 saved to %2 and its check buoy file %3")
        .arg(saved.grid)
        .arg(QDir::toNativeSeparators(saved.path),
             QDir::toNativeSeparators(checkBuoyFilePath(saved.path)));
}

} // namespace fw
