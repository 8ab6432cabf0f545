// The road of a jump on the demo course, end to end: the Demo Camera's recording through the
// capture screen, the frame selection screen at the landing's first-contact frame, the
// measurement screen clicked where the skis touch the water, and the jump recorded. The course's
// ground truth says what the distance must be.

#include "StationFixture.h"
#include "app/Station.h"
#include "grid/Accuracy.h"
#include "grid/GridFiles.h"
#include "media/CaptureEngine.h"
#include "media/JumpCourse.h"
#include "platform/KeyboardState.h"
#include "screens/Config.h"
#include "screens/MainForm.h"
#include "screens/Measure.h"
#include "screens/PreviewForm.h"
#include "screens/frmSetStart.h"
#include "support/textfile.h"
#include "widgets/FramePlayer.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

using namespace fw;
using namespace fw::test;

namespace {

// The capture the other capture tests use: 160x120 ("VideoResolution" 0) at 30 frames a second.
const QSize kPicture(160, 120);
constexpr double kFps = 30.0;
constexpr double kHalfPixel_twips = 7.5;
constexpr double kRampOffset_m = 2.1; // a normal tournament

// The largest error in the recorded distance that whole-pixel clicks allow, to first order.
// Setting up grid 1, the operator clicked each of the four buoys on its nearest pixel: each of
// the eight buoy picture coordinates b_i moved by at most half a pixel (7.5 twips) from its exact
// position. The landing click was rounded the same way: its two coordinates moved by at most
// half a pixel. The distance D changes to first order by the sum of dD/dq times each move q, which
// is at most 7.5 twips times the sum of |dD/dq| over the ten coordinates. The derivatives are
// central differences of the station's own solve-and-measure around the exact positions. Terms of
// second order are smaller by about half a pixel over the grid's size in pixels; 10 % is allowed
// for them at this small picture. The precise distance is printed to hundredths: 0.005 m more.
double roundingBound_m(const JumpCourse& course, const CourseLanding& landing)
{
    std::array<ScreenPoint, kBuoyCount> exact{};
    std::array<SurveyPoint, kBuoyCount> survey{};
    for (int i = 0; i < kBuoyCount; ++i) {
        survey[i] = course.buoy(BuoyIndex(i + 1));
        exact[i] = JumpCourse::twips(course.picture_px(survey[i], kPicture));
    }
    const SurveyPoint jump = course.jumpPoint();
    // Coordinates 0..7 are the buoys' x and y, 8 and 9 the click's.
    const auto measured = [&](int coordinate, double step) -> std::optional<double> {
        auto buoys = exact;
        ScreenPoint click = landing.picture_twips;
        if (coordinate < 2 * kBuoyCount)
            (coordinate % 2 ? buoys[coordinate / 2].y : buoys[coordinate / 2].x) += step;
        else
            (coordinate % 2 ? click.y : click.x) += step;
        const auto c = SolveCoefficients(buoys, survey);
        const auto s = c ? PictureToSurvey(*c, click) : std::nullopt;
        if (!s)
            return std::nullopt;
        return surveyDistance(jump, *s);
    };
    constexpr double step = 1.0; // twips
    double sum = 0;
    for (int coordinate = 0; coordinate < 2 * kBuoyCount + 2; ++coordinate) {
        const auto plus = measured(coordinate, step), minus = measured(coordinate, -step);
        if (!plus || !minus)
            return 0; // fails the caller's checks: a course grid always solves
        sum += std::fabs(*plus - *minus) / (2 * step);
    }
    return 1.10 * kHalfPixel_twips * sum + 0.005;
}

// Writes grid 1 of the course at the capture's picture size as the station writes a grid: the
// grid file and its check buoy file.
QString writeCourseGrid(StationFixture& f, const JumpCourse& course)
{
    const QString path = f.makeFolder(QStringLiteral("Setup")) + QStringLiteral("/course.ipt");
    MeasurementGrid grid = course.measurementGrid(kPicture);
    grid.description2 = QStringLiteral("Demo course");
    if (!replaceFileLines(path, gridFileLines(grid, path, 1)).ok())
        return {};
    const GridEntries entries = course.gridEntries(kPicture);
    if (!replaceFileLines(
             checkBuoyFilePath(path),
             checkBuoyFileLines(grid.checkBuoyPicture, entries.txtCheckX, entries.txtCheckY))
             .ok())
        return {};
    return path;
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
    const QString grid1 = writeCourseGrid(f, course);
    QVERIFY(!grid1.isEmpty());
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
    // The start-up's questions, then its zoom advice: the station judges the front buoys' span
    // against its picture box of 800 pixels, which this small capture fills a fifth of.
    f.dialogs.expectMessage(DialogAnswer::No).expectMessage().expectMessage();
    station.start();
    station.config().mnuExit_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.calls().last().text.startsWith(QStringLiteral("Front ratio is")));
    QVERIFY(station.allGridsReady());
    StationPaths::ensureFolder(station.paths().exchangeFolder());

    // Three seconds from the Demo Camera: the first skier lands at frame 60.
    MainForm& main = station.mainForm();
    QCOMPARE(main.Combo1->currentText(), CaptureEngine::demoCameraName());
    QCOMPARE(main.ResolutionCombo->currentText(), QStringLiteral("160x120"));
    main.cmdGoCapture_Click();
    PreviewForm& capture = station.capture();
    capture.setSkierName(QStringLiteral("Smith"));
    capture.cmdStartCapture_Click();
    QVERIFY(capture.recording());
    frmSetStart& select = station.frameSelection();
    QTRY_VERIFY_WITH_TIMEOUT(station.created(Screen::FrameSelection) && select.isVisible(), 10000);
    const CourseLanding landing = course.landing(0, kFps, kPicture);
    QVERIFY(landing.frame < station.captureHandOver.frameCount);

    // The first-contact frame marked: on to the measurement screen with its picture.
    select.MediaPlayer1->setCurrentPosition(landing.frame);
    select.cmdMarkStart_Click();
    QCOMPARE(select.selectedFrame, landing.frame);
    Measure& m = station.measure();
    QVERIFY(m.isVisible());

    // The operator clicks the pixel where the skis touch the water.
    const ScreenPoint click{15.0 * std::round(landing.picture_px.x()),
                            15.0 * std::round(landing.picture_px.y())};
    m.Form_MouseDown({click.x, click.y});
    m.DrawImpactMark();
    m.Record_Click();
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
    QCOMPARE(m.distance->text().trimmed(), meters + QLatin1Char('m'));
    QCOMPARE(meters, QString::number(meterFigure(precise), 'f', 1));
    QCOMPARE(readBytes(station.paths().inExchange(QStringLiteral("qxresult.dst"))),
             QStringLiteral("OK, %1, %2, 1\r\n").arg(meters, 5).arg(feet, 4).toLatin1());
    QCOMPARE(
        readBytes(station.paths().inExchange(QStringLiteral("qxraw.dst"))),
        QStringLiteral("14:03:09 ,Smith,OK, %1, %2, 1\r\n").arg(meters, 5).arg(feet, 4).toLatin1());

    // The precise distance against the ground truth.
    const double expected = landing.distance_m + kRampOffset_m;
    const double error = std::fabs(precise - expected);
    const double bound = roundingBound_m(course, landing);
    qInfo("landing %.3f m, recorded %.2f m, error %.3f m, bound %.3f m", expected, precise, error,
          bound);
    QVERIFY2(bound > 0 && error <= bound,
             qPrintable(QStringLiteral("%1 m off, bound %2 m").arg(error).arg(bound)));

    // This camera at this picture size grades the landing area as homologation allows.
    const QString grade = gradeAt(course.measurementGrid(kPicture), click);
    qInfo("accuracy grade at the landing: %s", qPrintable(grade));
    QVERIFY2(grade == QLatin1String("R") || grade == QLatin1String("L") ||
                 grade == QLatin1String("C"),
             qPrintable(grade));
}

QTEST_MAIN(TestDemoRoad)
#include "test_demo_road.moc"
