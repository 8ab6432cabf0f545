// The picture-to-water mapping, its solver, jump distances and the field of view, checked against
// an independent camera model and hand-worked cases.

#include "CameraModel.h"
#include "grid/Geometry.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace fw;
using namespace fw::test;

namespace {

// Upper right, lower right, upper left, lower left.
std::array<ScreenPoint, 4> rectanglePicture()
{
    return {{{9000, 2000}, {9000, 7000}, {3000, 2000}, {3000, 7000}}};
}
// The same rectangle on the water at 1 m per 100 twips, y flipped.
std::array<SurveyPoint, 4> rectangleSurvey()
{
    return {{{90, 70}, {90, 20}, {30, 70}, {30, 20}}};
}

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rectangleGivesAnAffineMappingBothWays();
    void singularSystemsHaveNoSolution();
    void zeroPivotIsSwappedNotReported();
    void solverMatchesACameraOnThousandsOfViews();
    void horizonPointsHaveNoResult();
    void distanceCarriesTheRampOffsetOfTheTournament();
    void recordedFiguresRoundHalfUp();
    void xOrientationSign();
    void fieldOfViewIsTheAngleBetweenTheLinesOnTheWater();
    void fieldOfViewDoesNotDependOnTheSurveyAxes();
    void reportedFieldOfViewBounds();
};

// Guards the solver and both mappings on the simplest grid: an affine picture of the water.
void TestGeometry::rectangleGivesAnAffineMappingBothWays()
{
    const auto c = SolveCoefficients(rectanglePicture(), rectangleSurvey());
    QVERIFY(c);
    QVERIFY(std::fabs((*c)[3]) < 1e-15);
    QVERIFY(std::fabs((*c)[4]) < 1e-15);
    QVERIFY(std::fabs((*c)[1] - 0.01) < 1e-12); // X = 0 + x/100
    QVERIFY(std::fabs((*c)[7] + 0.01) < 1e-12); // Y = 90 - y/100
    for (int i = 0; i < 4; ++i) {
        const auto s = PictureToSurvey(*c, rectanglePicture()[i]);
        QVERIFY(s);
        QVERIFY(std::fabs(s->X - rectangleSurvey()[i].X) < 1e-9);
        QVERIFY(std::fabs(s->Y - rectangleSurvey()[i].Y) < 1e-9);
        const auto p = SurveyToPicture(*c, rectangleSurvey()[i]);
        QVERIFY(p);
        QVERIFY(std::fabs(p->x - rectanglePicture()[i].x) < 1e-7);
        QVERIFY(std::fabs(p->y - rectanglePicture()[i].y) < 1e-7);
    }
}

// Guards "no unique solution" for buoys that cannot define a mapping.
void TestGeometry::singularSystemsHaveNoSolution()
{
    // Four buoys on one picture vertical: every candidate pivot of column 2 is exactly 0.
    std::array<ScreenPoint, 4> sameX{{{5000, 1000}, {5000, 8000}, {5000, 2000}, {5000, 7000}}};
    QVERIFY(!SolveCoefficients(sameX, rectangleSurvey()));
    // Every buoy in the same place.
    std::array<ScreenPoint, 4> onePoint{{{5000, 5000}, {5000, 5000}, {5000, 5000}, {5000, 5000}}};
    QVERIFY(!SolveCoefficients(onePoint, rectangleSurvey()));
}

// Guards the pivot search: a zero in the natural order with a non-zero entry below is swapped.
void TestGeometry::zeroPivotIsSwappedNotReported()
{
    // With the first two buoys at the same picture x, column 2's entry in row 2 becomes exactly
    // zero after the first step; rows 3 and 4 still hold non-zero entries.
    std::array<ScreenPoint, 4> picture{{{9000, 2000}, {9000, 7000}, {3000, 2000}, {3000, 7000}}};
    const auto c = SolveCoefficients(picture, rectangleSurvey());
    QVERIFY(c);
    const auto s = PictureToSurvey(*c, {6000, 4500});
    QVERIFY(s);
    QVERIFY(std::fabs(s->X - 60) < 1e-9 && std::fabs(s->Y - 45) < 1e-9);

    // A projective case with the same zero pivot.
    std::array<ScreenPoint, 4> trapezoid{{{8000, 2000}, {8000, 7000}, {4000, 2000}, {2000, 7000}}};
    const auto t = SolveCoefficients(trapezoid, rectangleSurvey());
    QVERIFY(t);
    for (int i = 0; i < 4; ++i) {
        const auto m = PictureToSurvey(*t, trapezoid[i]);
        QVERIFY(m);
        QVERIFY(std::hypot(m->X - rectangleSurvey()[i].X, m->Y - rectangleSurvey()[i].Y) < 1e-9);
    }
}

// Guards the station's elimination against real camera geometry: each buoy and random points
// inside the buoys map to the exact water position within 1 mm and back within 0.01 twip.
void TestGeometry::solverMatchesACameraOnThousandsOfViews()
{
    QRandomGenerator rng(20261205);
    const int views = 2000;
    const int interior = 25;
    double worstBuoy_m = 0, worstInside_m = 0, worstBack_twips = 0;
    for (int v = 0; v < views; ++v) {
        const CameraView view = randomCameraView(rng);
        const auto c = SolveCoefficients(view.picture, view.survey);
        QVERIFY2(c, qPrintable(QStringLiteral("view %1 has no solution").arg(v)));
        for (int i = 0; i < kBuoyCount; ++i) {
            const auto s = PictureToSurvey(*c, view.picture[i]);
            QVERIFY(s);
            worstBuoy_m =
                std::max(worstBuoy_m, std::hypot(s->X - view.survey[i].X, s->Y - view.survey[i].Y));
            const auto p = SurveyToPicture(*c, view.survey[i]);
            QVERIFY(p);
            worstBack_twips = std::max(
                worstBack_twips, std::hypot(p->x - view.picture[i].x, p->y - view.picture[i].y));
        }
        for (int k = 0; k < interior; ++k) {
            const ScreenPoint pic = insideBuoys(view, rng.generateDouble(), rng.generateDouble());
            const auto truth = view.camera.toWater(pic);
            QVERIFY(truth);
            const auto s = PictureToSurvey(*c, pic);
            QVERIFY(s);
            worstInside_m = std::max(worstInside_m, std::hypot(s->X - truth->X, s->Y - truth->Y));
            const auto p = SurveyToPicture(*c, *truth);
            QVERIFY(p);
            worstBack_twips = std::max(worstBack_twips, std::hypot(p->x - pic.x, p->y - pic.y));
        }
    }
    qInfo("%d camera views, %d points each: worst buoy error %.3g m, worst inside error %.3g m, "
          "worst error back to the picture %.3g twip",
          views, kBuoyCount + interior, worstBuoy_m, worstInside_m, worstBack_twips);
    QVERIFY(worstBuoy_m <= 0.001);
    QVERIFY(worstInside_m <= 0.001);
    QVERIFY(worstBack_twips <= 0.01);
}

// Guards zero denominators: the horizon line has no water position, and a survey position on
// the line that maps to infinity has no picture position; nothing comes back as inf or NaN.
void TestGeometry::horizonPointsHaveNoResult()
{
    // d = 1 + c4·x + c5·y is zero on the line y = 1000 for c5 = -0.001.
    GridCoefficients c{0, 0.01, 0, 0, -0.001, 0, 0, 0.01};
    QVERIFY(!PictureToSurvey(c, {4000, 1000}));
    QVERIFY(PictureToSurvey(c, {4000, 2000}));
    // w is zero on the survey line that the horizon comes from: (c7·c5 − c8·c4)·X + … = 0.
    // Here w = (0 − 0)·X + (0 − 0.01·(−0.001))·Y + (0.01·0.01 − 0) = 1e-5·Y + 1e-4, zero at Y =
    // −10.
    QVERIFY(!SurveyToPicture(c, {3, -10}));
    QVERIFY(SurveyToPicture(c, {3, -9}));
    // A real camera: a picture point above its horizon maps to no finite water position that
    // lies in front of it, and its far side never yields inf or NaN.
    QRandomGenerator rng(7);
    const CameraView view = randomCameraView(rng);
    const auto cam = SolveCoefficients(view.picture, view.survey);
    QVERIFY(cam);
    for (double y = -200000; y < 200000; y += 7.5) {
        const auto s = PictureToSurvey(*cam, {7000, y});
        if (s)
            QVERIFY(std::isfinite(s->X) && std::isfinite(s->Y));
    }
}

// Guards the ramp offset of each tournament type.
void TestGeometry::distanceCarriesTheRampOffsetOfTheTournament()
{
    MeasurementGrid g;
    g.buoyPicture = rectanglePicture();
    g.buoySurvey = rectangleSurvey();
    g.c = *SolveCoefficients(g.buoyPicture, g.buoySurvey);
    g.jump = {30, 45};
    const ScreenPoint at60{6000, 4500}; // maps to (60, 45): 30 m from the jump point
    const auto normal = distance_calculation(g, at60, Tournament{});
    const auto sitSki = distance_calculation(g, at60, Tournament{false, true});
    const auto barefoot = distance_calculation(g, at60, Tournament{true, false});
    const auto both = distance_calculation(g, at60, Tournament{true, true});
    QVERIFY(normal && sitSki && barefoot && both);
    QVERIFY(std::fabs(normal->distance_m - 32.1) < 1e-9);
    QVERIFY(std::fabs(sitSki->distance_m - 31.9) < 1e-9);
    QVERIFY(std::fabs(barefoot->distance_m - 30.0) < 1e-9);
    QVERIFY(std::fabs(both->distance_m - 30.0) < 1e-9);
    QVERIFY(std::fabs(normal->point.X - 60) < 1e-9 && std::fabs(normal->point.Y - 45) < 1e-9);
    MeasurementGrid horizon;
    horizon.c = {0, 0.01, 0, 0, -0.001, 0, 0, 0.01};
    QVERIFY(!distance_calculation(horizon, {0, 1000}, Tournament{}));
}

// Guards the figures recording shows: meters to tenths and feet, half up.
void TestGeometry::recordedFiguresRoundHalfUp()
{
    QCOMPARE(meterFigure(45.63), 45.6);
    QCOMPARE(meterFigure(45.65), 45.7);
    QCOMPARE(feetFigure(45.63, Tournament{}), 150.0); // 149.7 ft
    QCOMPARE(feetFigure(45.63, Tournament{true, false}), 149.7);
    QCOMPARE(feetFigure(45.63, Tournament{false, true}), 149.7);
}

void TestGeometry::xOrientationSign()
{
    QCOMPARE(xOrientationOf(10, 20), 1.0);
    QCOMPARE(xOrientationOf(20, 10), -1.0);
    QCOMPARE(xOrientationOf(15, 15), -1.0);
}

// Guards the field of view against the camera: the angle between the water lines under the two
// front buoys' picture verticals.
void TestGeometry::fieldOfViewIsTheAngleBetweenTheLinesOnTheWater()
{
    QRandomGenerator rng(1205);
    double worst = 0;
    for (int v = 0; v < 300; ++v) {
        const CameraView view = randomCameraView(rng);
        const auto c = SolveCoefficients(view.picture, view.survey);
        QVERIFY(c);
        const ScreenPoint ll = view.picture[buoySlot(BuoyIndex::LowerLeft)];
        const ScreenPoint lr = view.picture[buoySlot(BuoyIndex::LowerRight)];
        const auto angle = fieldOfViewAngle(*c, ll, lr);
        QVERIFY(angle);
        const SurveyPoint a = view.camera.verticalDirection(ll);
        const SurveyPoint b = view.camera.verticalDirection(lr);
        const double expected = degrees(std::acos(std::fabs(a.X * b.X + a.Y * b.Y) /
                                                  (std::hypot(a.X, a.Y) * std::hypot(b.X, b.Y))));
        worst = std::max(worst, std::fabs(*angle - expected));
        QVERIFY2(*angle >= 0 && *angle <= 90, qPrintable(QString::number(*angle)));
    }
    qInfo("field of view: worst difference from the camera %.3g degrees", worst);
    QVERIFY(worst < 1e-4);
}

// Guards against a figure that depends on how the survey axes lie: turning the survey frame
// (the course along X, then along Y, then at 135 degrees) leaves the field of view unchanged.
void TestGeometry::fieldOfViewDoesNotDependOnTheSurveyAxes()
{
    QRandomGenerator rng(99);
    for (int v = 0; v < 50; ++v) {
        const CameraView view = randomCameraView(rng);
        const ScreenPoint ll = view.picture[buoySlot(BuoyIndex::LowerLeft)];
        const ScreenPoint lr = view.picture[buoySlot(BuoyIndex::LowerRight)];
        std::optional<double> first;
        for (double turn : {0.0, 90.0, 135.0, 180.0, 270.0}) {
            std::array<SurveyPoint, 4> turned = view.survey;
            const double r = radians(turn);
            for (SurveyPoint& s : turned)
                s = {s.X * std::cos(r) - s.Y * std::sin(r), s.X * std::sin(r) + s.Y * std::cos(r)};
            const auto c = SolveCoefficients(view.picture, turned);
            QVERIFY(c);
            const auto angle = fieldOfViewAngle(*c, ll, lr);
            QVERIFY(angle);
            if (!first)
                first = angle;
            QVERIFY2(std::fabs(*angle - *first) < 1e-6,
                     qPrintable(QStringLiteral("%1 against %2 at %3 degrees")
                                    .arg(*angle)
                                    .arg(*first)
                                    .arg(turn)));
        }
    }
}

void TestGeometry::reportedFieldOfViewBounds()
{
    QCOMPARE(reportedFieldOfView(33.5), 35.0);
    QCOMPARE(reportedFieldOfView(33.59), 35.0);
    QCOMPARE(reportedFieldOfView(33.6), 35.1);
    QCOMPARE(reportedFieldOfView(0.0), 1.5);
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "test_geometry.moc"
