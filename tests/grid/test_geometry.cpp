// The picture-to-water mapping, its solver, jump distances and the field of view, checked against
// an independent camera model and hand-worked cases.

#include "CameraModel.h"
#include "GridFixtures.h"
#include "grid/Geometry.h"

#include <QTest>

using namespace fw;
using namespace fw::test;

namespace {

double apart(SurveyPoint a, SurveyPoint b)
{
    return std::hypot(a.X - b.X, a.Y - b.Y);
}
double apart(ScreenPoint a, ScreenPoint b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// A perspective grid whose horizon is the picture line y = 1000 (d = 1 - 0.001 y); the survey
// line that maps to infinity is Y = -10 (w = 1e-5 Y + 1e-4).
const GridCoefficients kHorizonAt1000{0, 0.01, 0, 0, -0.001, 0, 0, 0.01};

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void solverOnHandWorkedGrids();
    void solverMatchesACameraOnThousandsOfViews();
    void horizonPointsHaveNoResult();
    void distancesAndRecordedFigures();
    void fieldOfViewMatchesTheCameraWhateverTheSurveyAxes();
    void reportedFieldOfViewBounds();
};

// Guards the solver, both mappings and the pivot swap on an affine and a projective grid, and
// "no unique solution" for buoys that cannot define a mapping.
void TestGeometry::solverOnHandWorkedGrids()
{
    // The rectangle's second row has a zero pivot after the first step: it must be swapped.
    const auto c = SolveCoefficients(kRectanglePicture, kRectangleSurvey);
    QVERIFY(c);
    QVERIFY(std::fabs((*c)[1] - 0.01) < 1e-12); // X = x / 100
    QVERIFY(std::fabs((*c)[7] + 0.01) < 1e-12); // Y = 90 - y / 100
    QVERIFY(apart(*PictureToSurvey(*c, {6000, 4500}), {60, 45}) < 1e-9);
    const std::array<ScreenPoint, 4> trapezoid{
        {{8000, 2000}, {8000, 7000}, {4000, 2000}, {2000, 7000}}};
    const auto t = SolveCoefficients(trapezoid, kRectangleSurvey);
    QVERIFY(t);
    for (int i = 0; i < 4; ++i) {
        QVERIFY(apart(*PictureToSurvey(*c, kRectanglePicture[i]), kRectangleSurvey[i]) < 1e-9);
        QVERIFY(apart(*SurveyToPicture(*c, kRectangleSurvey[i]), kRectanglePicture[i]) < 1e-7);
        QVERIFY(apart(*PictureToSurvey(*t, trapezoid[i]), kRectangleSurvey[i]) < 1e-9);
    }
    // Four buoys on one picture vertical; four buoys in one place.
    QVERIFY(!SolveCoefficients({{{5000, 1000}, {5000, 8000}, {5000, 2000}, {5000, 7000}}},
                               kRectangleSurvey));
    QVERIFY(!SolveCoefficients({{{5000, 5000}, {5000, 5000}, {5000, 5000}, {5000, 5000}}},
                               kRectangleSurvey));
}

// Guards the station's elimination against real camera geometry: each buoy and random points
// inside the buoys map to the true water position within 1 mm and back within 0.01 twip.
void TestGeometry::solverMatchesACameraOnThousandsOfViews()
{
    QRandomGenerator rng(20261205);
    double worstWater_m = 0, worstBack_twips = 0;
    for (int v = 0; v < 2000; ++v) {
        const CameraView view = randomCameraView(rng);
        const auto c = SolveCoefficients(view.picture, view.survey);
        QVERIFY2(c, qPrintable(QStringLiteral("view %1 has no solution").arg(v)));
        for (int k = 0; k < kBuoyCount + 25; ++k) {
            const ScreenPoint pic =
                k < kBuoyCount ? view.picture[k]
                               : insideBuoys(view, rng.generateDouble(), rng.generateDouble());
            const auto truth = view.camera.toWater(pic);
            const auto s = PictureToSurvey(*c, pic);
            QVERIFY(truth && s);
            const auto p = SurveyToPicture(*c, *truth);
            QVERIFY(p);
            worstWater_m = std::max(worstWater_m, apart(*s, *truth));
            worstBack_twips = std::max(worstBack_twips, apart(*p, pic));
        }
    }
    qInfo("2000 camera views: worst water error %.3g m, back to the picture %.3g twip",
          worstWater_m, worstBack_twips);
    QVERIFY(worstWater_m <= 0.001);
    QVERIFY(worstBack_twips <= 0.01);
}

// Guards zero denominators: the horizon has no water position, the survey line that maps to
// infinity has no picture position, and a real camera's far side never yields inf or NaN.
void TestGeometry::horizonPointsHaveNoResult()
{
    QVERIFY(!PictureToSurvey(kHorizonAt1000, {4000, 1000}));
    QVERIFY(PictureToSurvey(kHorizonAt1000, {4000, 2000}));
    QVERIFY(!SurveyToPicture(kHorizonAt1000, {3, -10}));
    QVERIFY(SurveyToPicture(kHorizonAt1000, {3, -9}));
    MeasurementGrid far;
    far.c = kHorizonAt1000;
    QVERIFY(!distance_calculation(far, {0, 1000}, Tournament{}));
    QRandomGenerator rng(7);
    const CameraView view = randomCameraView(rng);
    const auto cam = SolveCoefficients(view.picture, view.survey);
    QVERIFY(cam);
    for (double y = -200000; y < 200000; y += 7.5) {
        if (const auto s = PictureToSurvey(*cam, {7000, y}))
            QVERIFY(std::isfinite(s->X) && std::isfinite(s->Y));
    }
}

// Guards the ramp offset of each tournament type (barefoot wins over sit ski), the recorded
// figures rounded half up, and the x orientation's sign at its bound.
void TestGeometry::distancesAndRecordedFigures()
{
    MeasurementGrid g;
    g.c = *SolveCoefficients(kRectanglePicture, kRectangleSurvey);
    g.jump = {30, 45};
    const QList<std::pair<Tournament, double>> cases = {{Tournament{}, 32.1},
                                                        {Tournament{false, true}, 31.9},
                                                        {Tournament{true, false}, 30.0},
                                                        {Tournament{true, true}, 30.0}};
    for (const auto& [tournament, expected] : cases) {
        const auto d = distance_calculation(g, {6000, 4500}, tournament); // 30 m from the jump
        QVERIFY(d && apart(d->point, {60, 45}) < 1e-9);
        QVERIFY2(std::fabs(d->distance_m - expected) < 1e-9, qPrintable(QString::number(expected)));
    }
    QCOMPARE(feetFigure(45.63, Tournament{}), 150.0); // 149.7 ft
    QCOMPARE(feetFigure(45.63, Tournament{false, true}), 149.7);
    QCOMPARE(xOrientationOf(10, 20), 1.0);
    QCOMPARE(xOrientationOf(15, 15), -1.0);
}

// Guards the field of view: the angle between the water lines under the two front buoys'
// picture verticals as the camera sees it, folded into 0..90, and the same however the survey
// axes lie (the course along X, along Y, at 135 degrees...).
void TestGeometry::fieldOfViewMatchesTheCameraWhateverTheSurveyAxes()
{
    QRandomGenerator rng(1205);
    double worst = 0;
    for (int v = 0; v < 300; ++v) {
        const CameraView view = randomCameraView(rng);
        const ScreenPoint ll = view.picture[3], lr = view.picture[1];
        const SurveyPoint a = view.camera.verticalDirection(ll);
        const SurveyPoint b = view.camera.verticalDirection(lr);
        const double expected = std::acos(std::fabs(a.X * b.X + a.Y * b.Y) /
                                          (std::hypot(a.X, a.Y) * std::hypot(b.X, b.Y))) *
                                180 / std::numbers::pi;
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
            QVERIFY2(*angle >= 0 && *angle <= 90, qPrintable(QString::number(*angle)));
            if (!first)
                first = angle;
            QVERIFY(std::fabs(*angle - *first) < 1e-6);
            worst = std::max(worst, std::fabs(*angle - expected));
        }
    }
    qInfo("field of view: worst difference from the camera %.3g degrees", worst);
    QVERIFY(worst < 1e-4);
}

// Guards the reported figure: truncated to tenths, plus 1.5.
void TestGeometry::reportedFieldOfViewBounds()
{
    QCOMPARE(reportedFieldOfView(33.59), 35.0);
    QCOMPARE(reportedFieldOfView(33.6), 35.1);
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "test_geometry.moc"
