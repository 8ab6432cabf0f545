#pragma once

// The calibration assistant's conversions: two points entered as survey positions are turned
// into picture positions, or the other way round, with the current grid's mappings; the line
// between the two picture positions is then drawn on the picture.

#include "grid/Geometry.h"
#include "support/result.h"

#include <QString>

namespace fw {

// The assistant's eight fields.
struct CalibrationFields {
    QString point1PictureX, point1PictureY;
    QString point2PictureX, point2PictureY;
    QString point1ActualX, point1ActualY;
    QString point2ActualX, point2ActualY;
};

// The units button's caption after a press: "Actual" ↔ "Screen".
QString toggledCalibrationUnits(const QString& caption);

struct CalibrationLine {
    ScreenPoint from;
    ScreenPoint to;
};

// "Draw": with the caption "Actual" the survey fields are mapped to the picture and the twips
// fields get whole twips (half up); with "Screen" the twips fields are mapped to the water and
// the survey fields get meters to hundredths (half up). Numbers are read as every entry is read.
// The line runs between the positions the twips fields then hold, through the grid's mapping. A
// point that maps to infinity or lies beyond the horizon changes no field and gives the message
// instead.
Result<CalibrationLine> calibrationDraw(CalibrationFields& fields, const QString& unitsCaption,
                                        const MeasurementGrid& grid);

} // namespace fw
