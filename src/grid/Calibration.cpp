#include "grid/Calibration.h"

#include "grid/GridEntries.h"
#include "support/textforms.h"

namespace fw {

QString toggledCalibrationUnits(const QString& caption)
{
    return caption == QLatin1String("Actual") ? QStringLiteral("Screen") : QStringLiteral("Actual");
}

Result<CalibrationLine> calibrationDraw(CalibrationFields& f, const QString& unitsCaption,
                                        const MeasurementGrid& c)
{
    using R = Result<CalibrationLine>;
    if (unitsCaption == QLatin1String("Actual")) {
        const SurveyPoint s1{fieldNumber(f.point1ActualX), fieldNumber(f.point1ActualY)};
        const SurveyPoint s2{fieldNumber(f.point2ActualX), fieldNumber(f.point2ActualY)};
        const auto p1 = SurveyToPicture(c, s1);
        const auto p2 = SurveyToPicture(c, s2);
        if (!p1 || !p2)
            return R::failure(QStringLiteral("The point %1, %2 does not appear on the picture")
                                  .arg(numberText(p1 ? s2.X : s1.X), numberText(p1 ? s2.Y : s1.Y)));
        f.point1PictureX = leadingSpace(roundHalfUp(p1->x, 0));
        f.point1PictureY = leadingSpace(roundHalfUp(p1->y, 0));
        f.point2PictureX = leadingSpace(roundHalfUp(p2->x, 0));
        f.point2PictureY = leadingSpace(roundHalfUp(p2->y, 0));
    } else {
        const ScreenPoint p1{fieldNumber(f.point1PictureX), fieldNumber(f.point1PictureY)};
        const ScreenPoint p2{fieldNumber(f.point2PictureX), fieldNumber(f.point2PictureY)};
        const auto s1 = PictureToSurvey(c, p1);
        const auto s2 = PictureToSurvey(c, p2);
        if (!s1 || !s2)
            return R::failure(
                QStringLiteral(
                    "The point %1, %2 of the picture lies beyond the horizon of the grid")
                    .arg(numberText(s1 ? p2.x : p1.x), numberText(s1 ? p2.y : p1.y)));
        f.point1ActualX = leadingSpace(roundHalfUp(s1->X, 2));
        f.point1ActualY = leadingSpace(roundHalfUp(s1->Y, 2));
        f.point2ActualX = leadingSpace(roundHalfUp(s2->X, 2));
        f.point2ActualY = leadingSpace(roundHalfUp(s2->Y, 2));
    }
    return CalibrationLine{{fieldNumber(f.point1PictureX), fieldNumber(f.point1PictureY)},
                           {fieldNumber(f.point2PictureX), fieldNumber(f.point2PictureY)}};
}

} // namespace fw
