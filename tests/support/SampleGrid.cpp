#include "SampleGrid.h"

#include "grid/GridFiles.h"
#include "support/textfile.h"

namespace fw::test {

ScreenPoint samplePicturePoint(double X, double Y)
{
    return {1000 + 250 * (X - 20), 7500 - 150 * Y};
}

MeasurementGrid sampleGrid()
{
    MeasurementGrid g;
    const std::pair<BuoyIndex, SurveyPoint> buoys[] = {{BuoyIndex::UpperRight, {60, 40}},
                                                       {BuoyIndex::LowerRight, {60, 0}},
                                                       {BuoyIndex::UpperLeft, {20, 40}},
                                                       {BuoyIndex::LowerLeft, {20, 0}}};
    for (const auto& [buoy, survey] : buoys) {
        g.survey(buoy) = survey;
        g.picture(buoy) = samplePicturePoint(survey.X, survey.Y);
    }
    g.jump = {0, 20};
    g.checkBuoySurvey = {40, 20};
    g.checkBuoyPicture = samplePicturePoint(40, 20);
    g.c = SolveCoefficients(g.buoyPicture, g.buoySurvey).value_or(GridCoefficients{});
    return g;
}

bool writeSampleGrid(const QString& path, int number, bool withCheckBuoy,
                     const QString& description)
{
    MeasurementGrid g = sampleGrid();
    g.description2 = description;
    if (!replaceFileLines(path, gridFileLines(g, path, number)).ok())
        return false;
    if (!withCheckBuoy)
        return true;
    return replaceFileLines(checkBuoyFilePath(path),
                            checkBuoyFileLines(g.checkBuoyPicture, QStringLiteral("40"),
                                               QStringLiteral("20")))
        .ok();
}

} // namespace fw::test
