#pragma once

#include "grid/Geometry.h"

#include <QString>

namespace fw::test {

// A grid seen by a camera looking straight down: 250 twips a meter across the picture (survey X)
// and 150 along it (survey Y), so that survey (X, Y) is picture (1000 + 250 (X - 20), 7500 -
// 150 Y). Buoys at X 20 and 60, Y 0 and 40; the jump point at (0, 20); the check buoy at (40, 20),
// the picture's centre. Its front ratio is 83 %.
MeasurementGrid sampleGrid();
ScreenPoint samplePicturePoint(double X, double Y);

// Writes the sample grid as grid `number` to `path`, with its check buoy file unless told not to.
bool writeSampleGrid(const QString& path, int number, bool withCheckBuoy = true,
                     const QString& description = QStringLiteral("North camera"));

} // namespace fw::test
