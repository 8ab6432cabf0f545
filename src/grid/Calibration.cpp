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
        const SurveyPoint s1{fieldNumber(f.CalibrationLineXActual),
                             fieldNumber(f.CalibrationLineYActual)};
        const SurveyPoint s2{fieldNumber(f.CalibrationLineXActual2),
                             fieldNumber(f.CalibrationLineYActual2)};
        const auto p1 = SurveyToPicture(c, s1);
        const auto p2 = SurveyToPicture(c, s2);
        if (!p1 || !p2)
            return R::failure(QStringLiteral("The point %1, %2 does not appear on the picture")
                                  .arg(numberText(p1 ? s2.X : s1.X), numberText(p1 ? s2.Y : s1.Y)));
        f.CalibrationLineXTwips = leadingSpace(roundHalfUp(p1->x, 0));
        f.CalibrationLineYTwips = leadingSpace(roundHalfUp(p1->y, 0));
        f.CalibrationLineXTwips2 = leadingSpace(roundHalfUp(p2->x, 0));
        f.CalibrationLineYTwips2 = leadingSpace(roundHalfUp(p2->y, 0));
    } else {
        const ScreenPoint p1{fieldNumber(f.CalibrationLineXTwips),
                             fieldNumber(f.CalibrationLineYTwips)};
        const ScreenPoint p2{fieldNumber(f.CalibrationLineXTwips2),
                             fieldNumber(f.CalibrationLineYTwips2)};
        const auto s1 = PictureToSurvey(c, p1);
        const auto s2 = PictureToSurvey(c, p2);
        if (!s1 || !s2)
            return R::failure(
                QStringLiteral(
                    "The point %1, %2 of the picture lies beyond the horizon of the grid")
                    .arg(numberText(s1 ? p2.x : p1.x), numberText(s1 ? p2.y : p1.y)));
        f.CalibrationLineXActual = leadingSpace(roundHalfUp(s1->X, 2));
        f.CalibrationLineYActual = leadingSpace(roundHalfUp(s1->Y, 2));
        f.CalibrationLineXActual2 = leadingSpace(roundHalfUp(s2->X, 2));
        f.CalibrationLineYActual2 = leadingSpace(roundHalfUp(s2->Y, 2));
    }
    return CalibrationLine{
        {fieldNumber(f.CalibrationLineXTwips), fieldNumber(f.CalibrationLineYTwips)},
        {fieldNumber(f.CalibrationLineXTwips2), fieldNumber(f.CalibrationLineYTwips2)}};
}

} // namespace fw
