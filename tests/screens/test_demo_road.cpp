// A jump on the demo course end to end: recorded by the Demo Camera, its first-contact frame
// selected, the landing clicked and recorded; the course's ground truth says what the distance
// must be.

#include "StationFixture.h"
#include "app/DemoStation.h"
#include "grid/Accuracy.h"
#include "grid/GridFiles.h"
#include "media/CaptureEngine.h"
#include "media/JumpCourse.h"
#include "platform/KeyboardState.h"
#include "screens/CaptureScreen.h"
#include "screens/ConfigurationScreen.h"
#include "screens/FrameSelectionScreen.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "station/Station.h"
#include "support/textfile.h"
#include "widgets/FramePlayer.h"
#include "widgets/PictureView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <array>
#include <cmath>
#include <optional>

using namespace fw;
using namespace fw::test;

namespace {

// The capture the other capture tests use: 160x120 ("VideoResolution" 0) at 30 frames a second.
const QSize kPicture(160, 120);
constexpr double kFps = 30.0;
constexpr double kRampOffset_m = 2.1; // a normal tournament

// What the recorded distance must be. The four buoys and the landing were clicked on whole
// pixels, so each of the ten picture coordinates q moved by a known dq from its exact position.
// To first order the distance moves by the sum of dD/dq dq; the rest is at most half the sum of
// |d2D/dq_i dq_j| |dq_i| |dq_j| (third order is smaller by a pixel over the grid's size). The
// derivatives are central differences of the station's own solve-and-measure: one twip for the
// slopes, a pixel for the curvatures.
struct Expectation {
    double distance_m = 0;    // exact course distance plus the first-order effect of rounding
    double secondOrder_m = 0; // the most the second order can add
};

std::optional<Expectation> expectedDistance(const JumpCourse& course, const CourseLanding& landing,
                                            ScreenPoint click)
{
    constexpr int kCoordinates = 2 * kBuoyCount + 2; // buoys' x and y, then the click's
    std::array<double, kCoordinates> exact{}, dq{};
    std::array<SurveyPoint, kBuoyCount> survey{};
    for (int i = 0; i < kBuoyCount; ++i) {
        survey[i] = course.buoy(BuoyIndex(i + 1));
        const QPointF px = course.picture_px(survey[i], kPicture);
        exact[2 * i] = 15.0 * px.x();
        exact[2 * i + 1] = 15.0 * px.y();
        dq[2 * i] = 15.0 * std::round(px.x()) - exact[2 * i];
        dq[2 * i + 1] = 15.0 * std::round(px.y()) - exact[2 * i + 1];
    }
    exact[8] = landing.picture_twips.x;
    exact[9] = landing.picture_twips.y;
    dq[8] = click.x - exact[8];
    dq[9] = click.y - exact[9];
    const SurveyPoint jump = course.jumpPoint();
    // The distance with coordinate i moved by a and coordinate j by b.
    const auto measured = [&](int i, double a, int j, double b) -> std::optional<double> {
        auto q = exact;
        q[std::size_t(i)] += a;
        q[std::size_t(j)] += b;
        std::array<ScreenPoint, kBuoyCount> buoys{};
        for (int k = 0; k < kBuoyCount; ++k)
            buoys[std::size_t(k)] = {q[std::size_t(2 * k)], q[std::size_t(2 * k + 1)]};
        const auto c = SolveCoefficients(buoys, survey);
        const auto s = c ? PictureToSurvey(*c, {q[8], q[9]}) : std::nullopt;
        return s ? std::optional(surveyDistance(jump, *s)) : std::nullopt;
    };
    const auto centre = measured(0, 0, 0, 0);
    if (!centre)
        return std::nullopt;
    Expectation e{*centre + kRampOffset_m, 0};
    constexpr double h = 15.0; // a pixel
    for (int i = 0; i < kCoordinates; ++i) {
        const auto plus = measured(i, 1, i, 0), minus = measured(i, -1, i, 0);
        if (!plus || !minus)
            return std::nullopt;
        e.distance_m += (*plus - *minus) / 2.0 * dq[std::size_t(i)];
        for (int j = 0; j < kCoordinates; ++j) {
            const auto pp = measured(i, h, j, h), pm = measured(i, h, j, -h);
            const auto mp = measured(i, -h, j, h), mm = measured(i, -h, j, -h);
            if (!pp || !pm || !mp || !mm)
                return std::nullopt;
            const double second = (*pp - *pm - *mp + *mm) / (4 * h * h);
            e.secondOrder_m +=
                std::fabs(second) * std::fabs(dq[std::size_t(i)] * dq[std::size_t(j)]) / 2.0;
        }
    }
    return e;
}

// The grade the accuracy check gives a point: the larger change of the distance when the click
// moves one pixel right or down.
QString gradeAt(const MeasurementGrid& grid, ScreenPoint p)
{
    const Tournament t{};
    const auto d = distance_calculation(grid, p, t);
    const auto dh = distance_calculation(grid, {p.x + 15.0, p.y}, t);
    const auto dv = distance_calculation(grid, {p.x, p.y + 15.0}, t);
    if (!d || !dh || !dv)
        return {};
    return accuracyGrade(std::max(std::fabs(dh->distance_m - d->distance_m),
                                  std::fabs(dv->distance_m - d->distance_m)));
}

} // namespace

class TestDemoRoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Capture, select the landing frame, mark, click the landing, record: the distance written
    // everywhere is the course's own within what whole-pixel clicks allow.
    void recordedJumpMatchesTheCourse();
};

void TestDemoRoad::recordedJumpMatchesTheCourse()
{
    StationFixture f;
    const JumpCourse course;
    const QString grid1 = f.makeFolder(QStringLiteral("Setup")) + QStringLiteral("/course.ipt");
    QCOMPARE(writeDemoCourseGrid(grid1, kPicture), QString());
    const QString videos = f.makeFolder(QStringLiteral("Videos"));
    SettingsStore& store = f.store();
    store.write(QStringLiteral("logpath"), videos);
    store.write(QStringLiteral("grid1File"), grid1);
    store.write(QStringLiteral("VideoResolution"), QStringLiteral("0"));
    store.write(QStringLiteral("framerate"), QStringLiteral("30"));
    store.write(QStringLiteral("captureTime"), QStringLiteral("3"));
    store.write(QStringLiteral("VideoSave"), QStringLiteral("Save"));
    store.write(QStringLiteral("WSTIMS"), QStringLiteral("1"));
    KeyboardState keys;
    Station station(store, f.dialogs, f.clock, keys, StationPaths(f.stationFolder()));
    // The start-up's questions, then its zoom advice: this capture fills a fifth of the 800-pixel
    // picture box.
    f.dialogs.expectMessage(DialogAnswer::No).expectMessage().expectMessage();
    station.start();
    station.configuration().exitAndSave();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.calls().last().text.startsWith(QStringLiteral("Front ratio is")));
    QVERIFY(station.allGridsReady());
    StationPaths::ensureFolder(station.paths().exchangeFolder());

    // Three seconds from the Demo Camera: the first skier lands at frame 60.
    MainScreen& main = station.mainScreen();
    QCOMPARE(main.form().deviceCombo->currentText(), CaptureEngine::demoCameraName());
    QCOMPARE(main.form().resolutionCombo->currentText(), QStringLiteral("160x120"));
    main.goToCapture();
    CaptureScreen& capture = station.capture();
    capture.setSkierName(QStringLiteral("Smith"));
    capture.startRecording();
    QVERIFY(capture.recording());
    FrameSelectionScreen& select = station.frameSelection();
    QTRY_VERIFY_WITH_TIMEOUT(station.created(Screen::FrameSelection) && select.isVisible(), 60000);
    const CourseLanding landing = course.landing(0, kFps, kPicture);
    QVERIFY(landing.frame < station.captureHandOver.frameCount);

    // The first-contact frame marked once the player shows it: on to the measurement screen.
    select.form().player->setCurrentPosition(landing.frame);
    QTRY_COMPARE_WITH_TIMEOUT(select.form().player->shownFrame(), landing.frame, 10000);
    select.onMeasureFrameClicked();
    QCOMPARE(select.selectedFrame(), landing.frame);
    MeasurementScreen& m = station.measurement();
    QVERIFY(m.isVisible());

    // The click on the pixel where the skis touch the water, at a whole-number mouse position
    // inside it (its centre, x.5, would round to the next).
    const ScreenPoint click{15.0 * std::round(landing.picture_px.x()),
                            15.0 * std::round(landing.picture_px.y())};
    const QPointF centre = m.form().picture->twipsToWidget({click.x, click.y});
    QTest::mouseClick(m.form().picture->viewport(), Qt::LeftButton, {},
                      QPoint(int(std::floor(centre.x())), int(std::floor(centre.y()))));
    QCOMPARE(m.impactPoint().x, click.x);
    QCOMPARE(m.impactPoint().y, click.y);
    m.drawImpactMarker();
    m.recordJump();
    FW_VERIFY_DIALOGS(f.dialogs);

    // The results line: "... jump 1 -  45.6m  (IWSF) 150ft  (AWSA) ( X/ Y) ( x/ y) ( precise)".
    const QByteArray results =
        readBytes(videos + QStringLiteral("/JumpMeasurementResults120526.txt"));
    static const QRegularExpression line(QStringLiteral(
        "Smith +jump 1 - +([0-9.]+)m +\\(IWSF\\) +([0-9]+)ft +\\(AWSA\\) "
        "\\( *[-0-9.]+/ *[-0-9.]+\\) \\( *[0-9]+/ *[0-9]+\\) \\( *([0-9.]+)\\)\r\n$"));
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(results));
    QVERIFY2(match.hasMatch(), results.constData());
    const QString meters = match.captured(1);
    const QString feet = match.captured(2);
    const double precise = match.captured(3).toDouble();
    QCOMPARE(m.form().metersEdit->text().trimmed(), meters + QLatin1Char('m'));
    QCOMPARE(meters, QString::number(meterFigure(precise), 'f', 1));
    QCOMPARE(readBytes(station.paths().inExchange(QStringLiteral("qxresult.dst"))),
             QStringLiteral("OK, %1, %2, 1\r\n").arg(meters, 5).arg(feet, 4).toLatin1());
    QCOMPARE(
        readBytes(station.paths().inExchange(QStringLiteral("qxraw.dst"))),
        QStringLiteral("14:03:09 ,Smith,OK, %1, %2, 1\r\n").arg(meters, 5).arg(feet, 4).toLatin1());

    // The precise distance against the ground truth moved by the known rounding; the precise
    // figure is printed to hundredths (0.005 m).
    const auto expected = expectedDistance(course, landing, click);
    QVERIFY(expected);
    const double error = std::fabs(precise - expected->distance_m);
    const double bound = expected->secondOrder_m + 0.005 + 1e-9;
    qInfo("course %.3f m, expected with rounding %.3f m, recorded %.2f m, off %.4f m, bound %.4f m",
          landing.distance_m + kRampOffset_m, expected->distance_m, precise, error, bound);
    QVERIFY2(error <= bound,
             qPrintable(QStringLiteral("%1 m off, bound %2 m").arg(error).arg(bound)));

    // This camera at this picture size grades the landing area as homologation allows.
    const QString grade = gradeAt(course.measurementGrid(kPicture), click);
    QVERIFY2(grade == QLatin1String("R") || grade == QLatin1String("L") ||
                 grade == QLatin1String("C"),
             qPrintable(grade));

    // The uncertainty from picture rounding covers what the rounding did to this jump (beyond
    // it only the second order and the printed hundredths).
    const auto uncertainty = distanceUncertainty_m(station.grids.working, click, Tournament{});
    QVERIFY(uncertainty);
    const double truth = landing.distance_m + kRampOffset_m;
    QVERIFY(std::fabs(precise - truth) <= *uncertainty + expected->secondOrder_m + 0.005 + 1e-9);
    // The demo station's own capture size gives the figure the operator sees there.
    const QSize demoSize = DemoFolder::pictureSize();
    const CourseLanding demoLanding = course.landing(0, kFps, demoSize);
    const auto demoBound = distanceUncertainty_m(course.measurementGrid(demoSize),
                                                 {15.0 * std::round(demoLanding.picture_px.x()),
                                                  15.0 * std::round(demoLanding.picture_px.y())},
                                                 Tournament{});
    QVERIFY(demoBound && *demoBound < *uncertainty);
}

QTEST_MAIN(TestDemoRoad)
#include "test_demo_road.moc"
