#pragma once

#include "grid/Geometry.h"

#include <array>

namespace fw {

// The station-wide grid state: the working copy that every computation uses, the three grid
// slots, which grid is current, whether every configured grid is set up, the x orientation sign
// of the most recently completed or loaded grid, and the last front and back ratios.
struct GridState {
    MeasurementGrid working;
    std::array<MeasurementGrid, 3> gridSlots{};
    int currentGrid = 1;
    bool allGridsReady = false;
    double xOrientation = 1.0;
    double frontRatio = 0; // percent
    double backRatio = 0;  // percent

    // Grid 1..3; a number outside that range names grid 1.
    MeasurementGrid& slot(int grid);
    const MeasurementGrid& slot(int grid) const;

    // Whether every configured grid (1..gridCount) is completed. A slot never set up or loaded,
    // or loaded without proving itself, is not.
    bool configuredGridsCompleted(int gridCount) const;
    // allGridsReady becomes whether every configured grid is completed: raising the number of
    // grids over a slot never set up clears it.
    void recomputeAllGridsReady(int gridCount);
    // After the number of grids changed: ready when every configured grid is completed and the
    // working copy is not being edited.
    void gridCountChanged(int gridCount);

    // Makes `grid` current and copies its slot into the working copy, then recomputes
    // allGridsReady.
    void selectGrid(int grid, int gridCount);
};

// The grid that follows `grid` on the grid selection button with `gridCount` grids configured:
// 1 → 2 (when at least two), 2 → 3 (when three, otherwise 1), 3 → 1.
int nextGridNumber(int grid, int gridCount);

} // namespace fw
