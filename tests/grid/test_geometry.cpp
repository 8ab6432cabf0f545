// The picture-to-water mapping, its solver, jump distances and the field of view, checked against
// an independent camera model and hand-worked cases.

#include "CameraModel.h"
#include "GridFixtures.h"
#include "grid/Geometry.h"
#include "grid/GridCompletion.h"

#include <functional>

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

MeasurementGrid gridOf(const CameraView& view)
{
    MeasurementGrid g;
    g.buoyPicture = view.picture;
    g.buoySurvey = view.survey;
    g.c = *SolveCoefficients(view.picture, view.survey);
    return g;
}

// The picture y of the camera's horizon at picture x (where the ray runs level with the water).
double horizonY(const Camera& cam, double x)
{
    const double level = cam.forward.z * cam.focal_px + cam.right.z * (x / 15 - cam.width_px / 2.0);
    return (-level / cam.down.z + cam.height_px / 2.0) * 15;
}

// An independent plane projective fit for the uncertainty check: the same eight equations, solved
// with the largest pivot of each column, in absolute coordinates.
std::optional<SurveyPoint> independentMap(const std::array<ScreenPoint, 4>& pic,
                                          const std::array<SurveyPoint, 4>& sur, ScreenPoint p)
{
    double a[8][9] = {};
    for (int i = 0; i < 4; ++i) {
        const double x = pic[i].x, y = pic[i].y, X = sur[i].X, Y = sur[i].Y;
        const double r1[9] = {1, x, y, -x * X, -y * X, 0, 0, 0, X};
        const double r2[9] = {0, 0, 0, -x * Y, -y * Y, 1, x, y, Y};
        std::copy(r1, r1 + 9, a[2 * i]);
        std::copy(r2, r2 + 9, a[2 * i + 1]);
    }
    for (int k = 0; k < 8; ++k) {
        int best = k;
        for (int r = k + 1; r < 8; ++r)
            if (std::fabs(a[r][k]) > std::fabs(a[best][k]))
                best = r;
        std::swap(a[k], a[best]);
        if (a[k][k] == 0)
            return std::nullopt;
        for (int r = 0; r < 8; ++r) {
            if (r == k)
                continue;
            const double f = a[r][k] / a[k][k];
            for (int j = k; j < 9; ++j)
                a[r][j] -= f * a[k][j];
        }
    }
    double c[8];
    for (int k = 0; k < 8; ++k)
        c[k] = a[k][8] / a[k][k];
    const double d = 1 + c[3] * p.x + c[4] * p.y;
    return SurveyPoint{(c[0] + c[1] * p.x + c[2] * p.y) / d, (c[5] + c[6] * p.x + c[7] * p.y) / d};
}

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void solverOnHandWorkedGrids();
    void solverMatchesACameraOnThousandsOfViews();
    void distancesAndRecordedFigures();
    void fieldOfViewMatchesTheCameraWhateverTheSurveyAxes();
    void clicksBeyondTheHorizonHaveNoDistance();
    void surveyOriginDoesNotChangeTheGrid();
    void uncertaintyMatchesIndependentDifferences();
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

// Guards the ramp offset of each tournament type (barefoot wins over sit ski), the recorded
// figures rounded half up, the x orientation's sign at its bound, and the reported field of view
// (truncated to tenths, plus 1.5).
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
    QCOMPARE(reportedFieldOfView(33.59), 35.0);
    QCOMPARE(reportedFieldOfView(33.6), 35.1);
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

// Guards zero denominators and clicks above the water's horizon: the horizon has no water
// position and the survey line that maps to infinity no picture position; in random camera views
// whose horizon crosses the picture, a point just below it measures and a point just above it
// (and the sky far above) has no water position, no distance and no uncertainty, the far side
// never yields inf or NaN, and survey positions behind the camera have no picture position.
void TestGeometry::clicksBeyondTheHorizonHaveNoDistance()
{
    QVERIFY(!PictureToSurvey(kHorizonAt1000, {4000, 1000}));
    QVERIFY(PictureToSurvey(kHorizonAt1000, {4000, 2000}));
    QVERIFY(!SurveyToPicture(kHorizonAt1000, {3, -10}));
    QVERIFY(SurveyToPicture(kHorizonAt1000, {3, -9}));
    MeasurementGrid far;
    far.c = kHorizonAt1000;
    QVERIFY(!distance_calculation(far, {0, 1000}, Tournament{}));
    QRandomGenerator rng(1313);
    int viewsWithHorizon = 0;
    for (int v = 0; v < 200; ++v) {
        const CameraView view = randomCameraView(rng);
        const MeasurementGrid g = gridOf(view);
        const double w = view.camera.width_px * 15.0, h = view.camera.height_px * 15.0;
        bool horizonInPicture = false;
        for (double x = 0; x <= w; x += w / 8) {
            const double y = horizonY(view.camera, x);
            if (y < 20 || y > h)
                continue;
            horizonInPicture = true;
            const ScreenPoint below{x, y + 15}, above{x, y - 15}, sky{x, y / 2};
            QVERIFY(view.camera.toWater(below) && !view.camera.toWater(above));
            QVERIFY2(distance_calculation(g, below, Tournament{}), qPrintable(QString::number(v)));
            QVERIFY2(!distance_calculation(g, above, Tournament{}), qPrintable(QString::number(v)));
            QVERIFY(!distance_calculation(g, sky, Tournament{}));
            QVERIFY(!PictureToSurvey(g, above) && !distanceUncertainty_m(g, above, Tournament{}));
        }
        viewsWithHorizon += horizonInPicture;
        // Behind the camera: the closed form gives a picture point, but beyond the horizon.
        const Vec3 back = view.camera.centre - view.camera.forward * 30.0;
        QVERIFY(!SurveyToPicture(g, SurveyPoint{back.x, back.y}));
        QVERIFY(SurveyToPicture(g, view.survey[0]));
        for (double y = -200000; y < 200000; y += 7.5) {
            if (const auto s = PictureToSurvey(g.c, {7000, y}))
                QVERIFY(std::isfinite(s->X) && std::isfinite(s->Y));
        }
    }
    qInfo("horizon inside the picture in %d of 200 views", viewsWithHorizon);
    QVERIFY(viewsWithHorizon > 20);
    // Coefficients of a grid never solved describe no mapping: nothing measures on them.
    MeasurementGrid never;
    never.buoyPicture = kRectanglePicture;
    never.buoySurvey = kRectangleSurvey;
    QVERIFY(!distance_calculation(never, {6000, 4500}, Tournament{}));
}

// Guards the check buoy verdict, the field of view and the distances against where the survey's
// origin lies and how its axes turn: national-grid meters 500 km out give the same grid as
// meters near the origin, with a check buoy exactly a pixel and a half off in both directions.
void TestGeometry::surveyOriginDoesNotChangeTheGrid()
{
    QRandomGenerator rng(500);
    double worstCheck_twips = 0, worstDistance_m = 0, worstView_deg = 0;
    int verdictChanges = 0, accepted = 0;
    for (int v = 0; v < 200; ++v) {
        const CameraView view = randomCameraView(rng);
        const double turn = radians(rng.bounded(360));
        const auto moved = [turn](SurveyPoint s) {
            return SurveyPoint{512345.678 + s.X * std::cos(turn) - s.Y * std::sin(turn),
                               4876543.21 + s.X * std::sin(turn) + s.Y * std::cos(turn)};
        };
        // The check buoy marked exactly a pixel and a half off where the camera sees it.
        const SurveyPoint checkSurvey = *view.camera.toWater(insideBuoys(view, 0.5, 0.5));
        const ScreenPoint seen = *view.camera.project(checkSurvey);
        const auto entriesFor = [&](const std::function<SurveyPoint(SurveyPoint)>& frame) {
            GridEntries e;
            for (int i = 0; i < kBuoyCount; ++i) {
                const auto b = BuoyIndex(i + 1);
                const SurveyPoint s = frame(view.survey[i]);
                e.pictureX(b) = fieldText(view.picture[i].x);
                e.pictureY(b) = fieldText(view.picture[i].y);
                e.surveyX(b) = QString::number(s.X, 'g', 17);
                e.surveyY(b) = QString::number(s.Y, 'g', 17);
            }
            const SurveyPoint jump = frame({0, 0}), check = frame(checkSurvey);
            e.jump_x = QString::number(jump.X, 'g', 17);
            e.jump_y = QString::number(jump.Y, 'g', 17);
            e.check_survey_x = QString::number(check.X, 'g', 17);
            e.check_survey_y = QString::number(check.Y, 'g', 17);
            e.check_picture_x = fieldText(seen.x + kCheckBuoyTolerance_twips);
            e.check_picture_y = fieldText(seen.y - kCheckBuoyTolerance_twips);
            return e;
        };
        const GridEntries nearEntries = entriesFor([](SurveyPoint s) { return s; });
        const GridEntries farEntries = entriesFor(moved);
        const GridEvaluation near = evaluateGrid(nearEntries, 12000);
        const GridEvaluation far = evaluateGrid(farEntries, 12000);
        QVERIFY(near.checkBuoyDx && far.checkBuoyDx && near.fieldOfView && far.fieldOfView);
        verdictChanges += near.verdict != far.verdict;
        accepted += near.accepted();
        QVERIFY2(near.verdict == GridVerdict::Accepted ||
                     near.verdict == GridVerdict::FieldOfViewTooWide,
                 qPrintable(near.message));
        worstCheck_twips =
            std::max({worstCheck_twips, std::fabs(*near.checkBuoyDx - *far.checkBuoyDx),
                      std::fabs(*near.checkBuoyDy - *far.checkBuoyDy)});
        worstView_deg = std::max(worstView_deg, std::fabs(*near.fieldOfView - *far.fieldOfView));

        MeasurementGrid nearGrid = gridFromEntries(nearEntries, {});
        MeasurementGrid farGrid = gridFromEntries(farEntries, {});
        nearGrid.c = *near.c;
        farGrid.c = *far.c;
        const ScreenPoint click = insideBuoys(view, 0.3, 0.8);
        const auto dn = distance_calculation(nearGrid, click, Tournament{});
        const auto df = distance_calculation(farGrid, click, Tournament{});
        QVERIFY(dn && df);
        worstDistance_m = std::max(worstDistance_m, std::fabs(dn->distance_m - df->distance_m));
    }
    qInfo("500 km shift: %d verdict changes (%d of 200 accepted), check buoy offset moved %.3g "
          "twip, distance %.3g m, field of view %.3g degrees",
          verdictChanges, accepted, worstCheck_twips, worstDistance_m, worstView_deg);
    QCOMPARE(verdictChanges, 0);
    QVERIFY(accepted > 100);
    // What is left is the rounding of the shifted survey positions themselves (a nanometer).
    QVERIFY(worstCheck_twips < 1e-5);
    QVERIFY(worstDistance_m < 1e-6);
    QVERIFY(worstView_deg < 1e-6);
}

// Guards the distance's uncertainty: the sum of the ten picture coordinates' effects matches an
// independent computation, it grows with the landing's distance on one grid, and it is the same
// in every tournament type (the ramp offset is exact).
void TestGeometry::uncertaintyMatchesIndependentDifferences()
{
    QRandomGenerator rng(2026);
    for (int v = 0; v < 40; ++v) {
        const CameraView view = randomCameraView(rng);
        MeasurementGrid g = gridOf(view);
        // The jump point a little nearer the camera than the front buoys: a landing farther from
        // the camera is then also a longer jump.
        g.jump = *view.camera.toWater(insideBuoys(view, 0.5, 1.2));
        const ScreenPoint near = insideBuoys(view, 0.5, 0.95), far = insideBuoys(view, 0.5, 0.05);
        for (const ScreenPoint click : {near, far}) {
            const auto distance = [&](std::array<ScreenPoint, 4> pic, ScreenPoint p) {
                const SurveyPoint s = *independentMap(pic, view.survey, p);
                return std::hypot(s.X - g.jump.X, s.Y - g.jump.Y);
            };
            double expected = 0;
            const double h = 0.5;
            for (int q = 0; q < 10; ++q) {
                auto up = view.picture, down = view.picture;
                ScreenPoint pu = click, pd = click;
                double* u = q < 8 ? (q % 2 ? &up[q / 2].y : &up[q / 2].x) : (q % 2 ? &pu.y : &pu.x);
                double* d =
                    q < 8 ? (q % 2 ? &down[q / 2].y : &down[q / 2].x) : (q % 2 ? &pd.y : &pd.x);
                *u += h;
                *d -= h;
                expected += std::fabs(distance(up, pu) - distance(down, pd)) / (2 * h) * 7.5;
            }
            const auto bound = distanceUncertainty_m(g, click, Tournament{});
            QVERIFY(bound);
            QVERIFY2(std::fabs(*bound - expected) <= 1e-4 * expected,
                     qPrintable(QStringLiteral("%1 against %2").arg(*bound).arg(expected)));
            QVERIFY(std::fabs(*distanceUncertainty_m(g, click, Tournament{true, false}) - *bound) <
                    1e-9);
        }
        QVERIFY2(*distanceUncertainty_m(g, far, Tournament{}) >
                     *distanceUncertainty_m(g, near, Tournament{}),
                 qPrintable(QString::number(v)));
    }
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "test_geometry.moc"
