// The demo course: a grid set up on it passes the station's checks, its landings map through that
// grid to where they happened, and its pictures show what its ground truth says.

#include "grid/GridCompletion.h"
#include "media/JumpCourse.h"

#include <QTest>

#include <cmath>

using namespace fw;

namespace {

constexpr double kHalfPixel_twips = 7.5;

// The largest survey error at picture point `p` that clicking each buoy on its nearest pixel can
// cause. Rounding moves each of the eight buoy picture coordinates b_i by at most half a pixel;
// to first order the mapped point moves by the sum of dS/db_i times those moves, which is largest
// when every move is half a pixel with the sign of its derivative: 7.5 twips times the sum of
// |dX/db_i| in X, likewise in Y. The derivatives are central differences of the station's own
// solve-and-map around the buoys' exact picture positions. The terms of second order are smaller
// by about half a pixel over the grid's size in pixels (well under 1 %); 5 % is allowed for them.
double roundingBound_m(const JumpCourse& course, QSize size, ScreenPoint p)
{
    std::array<ScreenPoint, kBuoyCount> exact{};
    std::array<SurveyPoint, kBuoyCount> survey{};
    for (int i = 0; i < kBuoyCount; ++i) {
        survey[i] = course.buoy(BuoyIndex(i + 1));
        exact[i] = JumpCourse::twips(course.picture_px(survey[i], size));
    }
    const auto mapped = [&](int coordinate, double step) {
        auto moved = exact;
        (coordinate % 2 ? moved[coordinate / 2].y : moved[coordinate / 2].x) += step;
        const auto c = SolveCoefficients(moved, survey);
        return c ? PictureToSurvey(*c, p) : std::nullopt;
    };
    constexpr double step = 1.0; // twips
    double sumX = 0, sumY = 0;
    for (int coordinate = 0; coordinate < 2 * kBuoyCount; ++coordinate) {
        const auto plus = mapped(coordinate, step), minus = mapped(coordinate, -step);
        if (!plus || !minus)
            return 0; // fails the caller's checks: a course grid always solves
        sumX += std::fabs(plus->X - minus->X) / (2 * step);
        sumY += std::fabs(plus->Y - minus->Y) / (2 * step);
    }
    return 1.05 * kHalfPixel_twips * std::hypot(sumX, sumY);
}

bool nearWhite(QRgb c)
{
    return qRed(c) >= 215 && qGreen(c) >= 215 && qBlue(c) >= 215;
}

struct WhitePixels {
    int count = 0;
    QPointF centroid;
};

// Near-white pixels within `radius_px` of `centre` (the water, buoys and skier are never that
// light: only foam and spray are).
WhitePixels whiteAround(const QImage& image, QPointF centre, double radius_px)
{
    WhitePixels w;
    double sx = 0, sy = 0;
    for (int y = int(centre.y() - radius_px); y <= int(centre.y() + radius_px); ++y) {
        for (int x = int(centre.x() - radius_px); x <= int(centre.x() + radius_px); ++x) {
            if (!image.rect().contains(x, y) ||
                std::hypot(x - centre.x(), y - centre.y()) > radius_px)
                continue;
            if (nearWhite(image.pixel(x, y))) {
                ++w.count;
                sx += x;
                sy += y;
            }
        }
    }
    if (w.count)
        w.centroid = QPointF(sx / w.count, sy / w.count);
    return w;
}

void addSizes()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("1280x720") << QSize(1280, 720);
    QTest::newRow("1920x1080") << QSize(1920, 1080);
}

} // namespace

class TestJumpCourse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gridOnTheCoursePassesTheStationChecks_data() { addSizes(); }
    void gridOnTheCoursePassesTheStationChecks();
    void landingsMapThroughTheGridWithinTheRoundingBound_data() { addSizes(); }
    void landingsMapThroughTheGridWithinTheRoundingBound();
    void framesAreRepeatable();
    void pictureShowsTheGroundTruth_data();
    void pictureShowsTheGroundTruth();
};

// Guards the course's usefulness as a station set-up: the buoys an operator clicks give a grid the
// completion accepts (check buoy within a pixel and a half, field of view within 35 degrees, no
// zoom advice), and the course lies as the measuring screen assumes: along the survey X axis,
// crossed left to right, so that shifting a landing by the ramp offset the way the splash
// indicator does moves it further down the course.
void TestJumpCourse::gridOnTheCoursePassesTheStationChecks()
{
    QFETCH(QSize, size);
    const JumpCourse course;
    const GridEntries entries = course.gridEntries(size);
    const GridEvaluation ev = evaluateGrid(entries, size.width() * 15.0);
    QVERIFY2(ev.accepted(), qPrintable(ev.message));
    QVERIFY2(ev.ratios.front > 80.0, qPrintable(QString::number(ev.ratios.front)));
    QVERIFY(ev.fieldOfView && *ev.fieldOfView <= kMaxFieldOfView_deg);

    const double xOrientation =
        xOrientationOf(fieldNumber(entries.ur_survey_x), fieldNumber(entries.ul_survey_x));
    const double rampOffset = rampOffset_m(Tournament{});
    for (int jump = 0; jump < 6; ++jump) {
        const CourseLanding l = course.landing(jump, 25.0, size);
        QVERIFY(QRectF(QPointF(0, 0), QSizeF(size)).contains(l.picture_px));
        const SurveyPoint indicator{l.survey.X - rampOffset * xOrientation, l.survey.Y};
        QVERIFY(surveyDistance(course.jumpPoint(), indicator) > l.distance_m);
    }
    const SurveyPoint jumpPoint = course.jumpPoint();
    QVERIFY(course.picture_px({jumpPoint.X + 30, jumpPoint.Y}, size).x() <
            course.picture_px({jumpPoint.X + 55, jumpPoint.Y}, size).x());
}

// Guards the ground truth against the station's own maths: each landing's picture position,
// mapped through the grid an operator sets up, lands on the landing's survey position and gives
// its distance, within what clicking the buoys on whole pixels allows; and that allowance stays
// small enough to measure a jump.
void TestJumpCourse::landingsMapThroughTheGridWithinTheRoundingBound()
{
    QFETCH(QSize, size);
    const JumpCourse course;
    const MeasurementGrid grid = course.measurementGrid(size);
    double shortest = 1e9, longest = 0;
    for (int jump = 0; jump < 8; ++jump) {
        const CourseLanding l = course.landing(jump, 25.0, size);
        const double bound = roundingBound_m(course, size, l.picture_twips);
        QVERIFY2(bound > 0.0 && bound < 0.25, qPrintable(QString::number(bound)));

        const auto mapped = PictureToSurvey(grid.c, l.picture_twips);
        QVERIFY(mapped);
        const double error = std::hypot(mapped->X - l.survey.X, mapped->Y - l.survey.Y);
        QVERIFY2(
            error <= bound,
            qPrintable(
                QStringLiteral("jump %1: %2 m off, bound %3 m").arg(jump).arg(error).arg(bound)));
        const auto d = distance_calculation(grid, l.picture_twips, Tournament{true, false});
        QVERIFY(d && std::fabs(d->distance_m - l.distance_m) <= bound);
        QCOMPARE(surveyDistance(course.jumpPoint(), l.survey), l.distance_m);
        shortest = std::min(shortest, l.distance_m);
        longest = std::max(longest, l.distance_m);
    }
    QVERIFY(shortest >= 30.0 && longest <= 60.0 && longest - shortest > 5.0);
}

// Guards determinism: a frame depends on its index, size and rate only, and the water moves.
void TestJumpCourse::framesAreRepeatable()
{
    const QSize size(800, 600);
    const int landing = JumpCourse().landing(1, 30.0, size).frame;
    for (int index : {3, landing - 10, landing, landing + 12}) {
        const QImage a = JumpCourse().frame(index, size, 30.0);
        QVERIFY(a == JumpCourse().frame(index, size, 30.0));
        QVERIFY(a != JumpCourse().frame(index + 1, size, 30.0));
    }
}

void TestJumpCourse::pictureShowsTheGroundTruth_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("fps");
    QTest::addColumn<int>("jump");
    QTest::newRow("1280x720 25 fps") << QSize(1280, 720) << 25.0 << 0;
    QTest::newRow("1920x1080 29.97 fps") << QSize(1920, 1080) << 29.97 << 3;
}

// Guards the drawing against the ground truth: each buoy is drawn on the pixel an operator would
// click, and the splash first shows in the landing's first-contact frame, centred on its picture
// position, not in the frame before nor a second before.
void TestJumpCourse::pictureShowsTheGroundTruth()
{
    QFETCH(QSize, size);
    QFETCH(double, fps);
    QFETCH(int, jump);
    const JumpCourse course;
    const CourseLanding l = course.landing(jump, fps, size);
    QCOMPARE(course.firstJumpLandingFrom(l.frame, fps), jump);
    QCOMPARE(course.firstJumpLandingFrom(l.frame + 1, fps), jump + 1);

    const QImage before = course.frame(l.frame - int(std::lround(fps)), size, fps);
    const MeasurementGrid grid = course.measurementGrid(size);
    for (int i = 0; i < kBuoyCount; ++i) {
        const QRgb c =
            before.pixel(int(grid.buoyPicture[i].x / 15), int(grid.buoyPicture[i].y / 15));
        QVERIFY2(qRed(c) > 180 && qBlue(c) < 140, qPrintable(QString::number(c, 16)));
    }
    const QRgb check =
        before.pixel(int(grid.checkBuoyPicture.x / 15), int(grid.checkBuoyPicture.y / 15));
    QVERIFY(qRed(check) > 180 && qBlue(check) < 140);

    // A meter and a half around the landing, in pixels at the landing.
    const QPointF meterOn = course.picture_px({l.survey.X + 1.0, l.survey.Y}, size);
    const double meter_px =
        std::hypot(meterOn.x() - l.picture_px.x(), meterOn.y() - l.picture_px.y());
    const double radius = 1.5 * meter_px;
    QCOMPARE(whiteAround(before, l.picture_px, radius).count, 0);
    QCOMPARE(whiteAround(course.frame(l.frame - 1, size, fps), l.picture_px, radius).count, 0);
    const WhitePixels splash = whiteAround(course.frame(l.frame, size, fps), l.picture_px, radius);
    QVERIFY2(splash.count >= 0.2 * meter_px * meter_px, qPrintable(QString::number(splash.count)));
    const QPointF off = splash.centroid - l.picture_px;
    QVERIFY2(std::hypot(off.x(), off.y()) <= std::max(1.5, 0.2 * meter_px),
             qPrintable(QStringLiteral("%1 %2").arg(off.x()).arg(off.y())));
}

QTEST_MAIN(TestJumpCourse)
#include "test_jumpcourse.moc"
