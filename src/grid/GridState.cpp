#include "grid/GridState.h"

namespace fw {

MeasurementGrid& GridState::slot(int grid)
{
    return gridSlots[(grid >= 1 && grid <= 3) ? grid - 1 : 0];
}

const MeasurementGrid& GridState::slot(int grid) const
{
    return gridSlots[(grid >= 1 && grid <= 3) ? grid - 1 : 0];
}

bool GridState::configuredGridsCompleted(int gridCount) const
{
    const int count = (gridCount >= 1 && gridCount <= 3) ? gridCount : 1;
    for (int g = 1; g <= count; ++g) {
        if (!slot(g).completed)
            return false;
    }
    return true;
}

void GridState::recomputeAllGridsReady(int gridCount)
{
    allGridsReady = configuredGridsCompleted(gridCount);
}

void GridState::gridCountChanged(int gridCount)
{
    allGridsReady = working.completed && configuredGridsCompleted(gridCount);
}

void GridState::selectGrid(int grid, int gridCount)
{
    currentGrid = (grid >= 1 && grid <= 3) ? grid : 1;
    working = slot(currentGrid);
    recomputeAllGridsReady(gridCount);
}

int nextGridNumber(int grid, int gridCount)
{
    if (grid == 1)
        return gridCount >= 2 ? 2 : 1;
    if (grid == 2)
        return gridCount >= 3 ? 3 : 1;
    return 1;
}

} // namespace fw
