#pragma once

// Grid entries the tests start from.

#include "grid/GridEntries.h"

namespace fw::test {

// An axis-parallel rectangle of buoys, 1 m to 100 twips on the water (y flipped): a grid whose
// every figure is known by hand. The check buoy at picture (6000, 4500) is surveyed at (60, 45),
// exactly where the mapping puts it; the jump point is at (30, 45).
inline GridEntries rectangleEntries()
{
    GridEntries e;
    e.upper_right_x = QStringLiteral(" 9000");
    e.upper_right_y = QStringLiteral(" 2000");
    e.lower_right_x = QStringLiteral(" 9000");
    e.lower_right_y = QStringLiteral(" 7000");
    e.upper_left_x = QStringLiteral(" 3000");
    e.upper_left_y = QStringLiteral(" 2000");
    e.lower_left_x = QStringLiteral(" 3000");
    e.lower_left_y = QStringLiteral(" 7000");
    e.ur_survey_x = QStringLiteral("90");
    e.ur_survey_y = QStringLiteral("70");
    e.lr_survey_x = QStringLiteral("90");
    e.lr_survey_y = QStringLiteral("20");
    e.ul_survey_x = QStringLiteral("30");
    e.ul_survey_y = QStringLiteral("70");
    e.ll_survey_x = QStringLiteral("30");
    e.ll_survey_y = QStringLiteral("20");
    e.jump_x = QStringLiteral("30");
    e.jump_y = QStringLiteral("45");
    e.txtCheckX = QStringLiteral("60");
    e.txtCheckY = QStringLiteral("45");
    e.txtCheckXpix = QStringLiteral(" 6000");
    e.txtCheckYpix = QStringLiteral(" 4500");
    return e;
}

// The picture width at which the rectangle's front ratio is 83.3%: no zoom advice.
constexpr double kRectangleWidth_twips = 7200;

} // namespace fw::test
