#pragma once

// The hand-worked grid: an axis-parallel rectangle of buoys, 1 m to 100 twips on the water with
// y flipped. The check buoy at picture (6000, 4500) is surveyed at (60, 45), exactly where the
// mapping puts it; the jump point is at (30, 45).

#include "grid/GridEntries.h"

#include <array>

namespace fw::test {

// In BuoyIndex order: upper right, lower right, upper left, lower left.
inline const std::array<ScreenPoint, kBuoyCount> kRectanglePicture{
    {{9000, 2000}, {9000, 7000}, {3000, 2000}, {3000, 7000}}};
inline const std::array<SurveyPoint, kBuoyCount> kRectangleSurvey{
    {{90, 70}, {90, 20}, {30, 70}, {30, 20}}};

// The picture width at which the rectangle's front ratio is 83.3%: no zoom advice.
constexpr double kRectangleWidth_twips = 7200;

// A perspective grid whose horizon is the picture line y = 1000 (d = 1 - 0.001 y); the survey
// line that maps to infinity is Y = -10 (w = 1e-5 Y + 1e-4).
inline const GridCoefficients kHorizonAt1000{0, 0.01, 0, 0, -0.001, 0, 0, 0.01};

inline GridEntries rectangleEntries()
{
    GridEntries e;
    for (int i = 0; i < kBuoyCount; ++i) {
        const auto b = BuoyIndex(i + 1);
        e.pictureX(b) = fieldText(kRectanglePicture[i].x);
        e.pictureY(b) = fieldText(kRectanglePicture[i].y);
        e.surveyX(b) = QString::number(kRectangleSurvey[i].X);
        e.surveyY(b) = QString::number(kRectangleSurvey[i].Y);
    }
    e.jump_x = QStringLiteral("30");
    e.jump_y = e.check_survey_y = QStringLiteral("45");
    e.check_survey_x = QStringLiteral("60");
    e.check_picture_x = QStringLiteral(" 6000");
    e.check_picture_y = QStringLiteral(" 4500");
    return e;
}

} // namespace fw::test
