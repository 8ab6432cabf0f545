// Pictures of the station's main screens for the README and the manual: a demo station started
// (offscreen when the platform says so), a grid checked on it and one jump walked through, each
// screen saved as a PNG when it shows something worth seeing, with the numbered marks the
// manual's legends explain (app/Callouts.cpp). Run by scripts/screenshots.

#include "app/Callouts.h"
#include "app/DemoStation.h"
#include "station/Station.h"
#include "media/CaptureEngine.h"
#include "media/JumpCourse.h"
#include "media/MediaLibraries.h"
#include "platform/KeyboardState.h"
#include "platform/StationPaths.h"
#include "screens/ConfigurationScreen.h"
#include "screens/GridSetupScreen.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "screens/CaptureScreen.h"
#include "screens/ManualViewer.h"
#include "screens/FrameSelectionScreen.h"
#include "settings/SettingsStore.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "widgets/FramePlayer.h"
#include "widgets/PictureView.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>

namespace {

// Answers the questions a demo station asks on this walk as an operator pressing Enter would (the
// default button, the offered text; an input box offering nothing is cancelled unless an answer
// is queued), says on the standard error what was asked, and opens the files it is given in
// order. Any other message means something went wrong on the way: it is noted as a failure.
class AnsweringDialogs : public fw::Dialogs {
public:
    QStringList filesToOpen;
    QStringList inputs;
    QStringList unexpected;
    // Beginnings of messages the walk provokes on purpose at the moment.
    QStringList provoked;
    QStringList provokedSeen;

    fw::DialogAnswer message(const QString& text, const QString& title, fw::DialogIcon,
                             fw::DialogButtons buttons,
                             std::optional<fw::DialogAnswer> defaultButton) override
    {
        static const QStringList expected = {
            QStringLiteral("Do you want to reset all parameters to install values?"),
            QStringLiteral("Please Verify all Setup Parameters")};
        std::fprintf(stderr, "screenshots: asked \"%s\" (%s)\n", qPrintable(text),
                     qPrintable(title));
        const auto isProvoked = [&](const QString& start) { return text.startsWith(start); };
        if (std::any_of(provoked.cbegin(), provoked.cend(), isProvoked))
            provokedSeen.append(text);
        else if (!expected.contains(text))
            unexpected.append(text);
        if (defaultButton)
            return *defaultButton;
        switch (buttons) {
        case fw::DialogButtons::YesNo:
        case fw::DialogButtons::YesNoCancel:
            return fw::DialogAnswer::Yes;
        case fw::DialogButtons::RetryCancel:
            return fw::DialogAnswer::Retry;
        default:
            return fw::DialogAnswer::Ok;
        }
    }
    std::optional<QString> input(const QString& prompt, const QString&,
                                 const QString& defaultText) override
    {
        const QString answer = inputs.isEmpty() ? defaultText : inputs.takeFirst();
        std::fprintf(stderr, "screenshots: asked \"%s\", answered \"%s\"\n", qPrintable(prompt),
                     qPrintable(answer));
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }
    std::optional<QString> openFile(const fw::FileDialogRequest&) override
    {
        if (filesToOpen.isEmpty())
            return std::nullopt;
        return filesToOpen.takeFirst();
    }
    std::optional<QString> saveFile(const fw::FileDialogRequest&) override { return std::nullopt; }
};

// Runs the event loop until `done` holds or `ms` have passed, looking every 10 ms.
bool waitFor(const std::function<bool()>& done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop pause;
        QTimer::singleShot(10, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return true;
}

// Saves screens as PNG files into a folder, with the numbered marks of each picture drawn on.
class Shooter {
public:
    Shooter(QString folder, fw::Station& station) : m_folder(std::move(folder)), m_station(station)
    {
    }

    // Screens with a picture are shown larger than they open, a picture view fit to its box so
    // that the whole 1280x720 picture shows. An empty text when the picture is saved, otherwise
    // what went wrong.
    QString shoot(QWidget& screen, const QString& name, QSize size = {},
                  fw::PictureView* picture = nullptr)
    {
        if (size.isValid())
            screen.resize(size);
        if (picture)
            picture->setZoom(fw::PictureView::Zoom::Fit);
        waitFor([] { return false; }, 300); // let the screen lay out and paint
        QImage image = screen.grab().toImage();
        const QStringList missing = fw::drawCallouts(image, screen, fw::calloutsOf(name));
        if (!missing.isEmpty())
            return QStringLiteral("the marks of %1.png point at controls the screen does not "
                                  "show: %2")
                .arg(name, missing.join(QStringLiteral(", ")));
        return save(image, name);
    }

    // A part of the last picture of a screen, enlarged: the place the operator looks at.
    QString shootDetail(QWidget& screen, QRect part, int factor, const QString& name)
    {
        waitFor([] { return false; }, 300);
        const QImage whole = screen.grab().toImage();
        part = part.intersected(whole.rect());
        if (part.isEmpty())
            return QStringLiteral("the part of %1.png lies outside the screen").arg(name);
        const QImage detail = whole.copy(part).scaled(part.size() * factor, Qt::KeepAspectRatio,
                                                      Qt::SmoothTransformation);
        return save(detail, name);
    }

    const QStringList& names() const { return m_names; }

private:
    QString save(const QImage& image, const QString& name)
    {
        const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        if (!image.save(path))
            return QStringLiteral("cannot save ") + path;
        m_names.append(name + QStringLiteral(".png"));
        return {};
    }

    QString m_folder;
    fw::Station& m_station;
    QStringList m_names;
};

// Walks a started demo station through a grid check and one jump, saving each screen on the
// way. An empty text when all went as it should, otherwise what did not; the walk stops there.
QString walk(fw::Station& station, AnsweringDialogs& dialogs, const fw::DemoFolder& demo,
             Shooter& shooter)
{
    station.start();
    if (QString failed = shooter.shoot(station.configuration(), QStringLiteral("config"));
        !failed.isEmpty())
        return failed;
    station.configuration().exitAndSave();
    fw::MainScreen& main = station.mainScreen();
    if (QString failed = shooter.shoot(main, QStringLiteral("main")); !failed.isEmpty())
        return failed;

    // The manual, searched for the check buoy.
    main.openManual();
    fw::ManualViewer& manual = station.manual();
    manual.resize(1100, 640);
    waitFor([] { return false; }, 300);
    manual.searchEdit->setText(QStringLiteral("check buoy"));
    manual.findNext();
    if (QString failed = shooter.shoot(manual, QStringLiteral("manual")); !failed.isEmpty())
        return failed;
    manual.returnToMainScreen();

    // Grid 1 on a still picture of the course: its five points drawn, the check buoy refused
    // after a mistyped survey figure, then completed again and its accuracy checked.
    const fw::JumpCourse course;
    const QSize size = fw::DemoFolder::pictureSize();
    const QString still = QDir(demo.path()).filePath(QStringLiteral("course.bmp"));
    if (!course.frame(0, size, 30.0).save(still))
        return QStringLiteral("cannot write the course picture ") + still;
    main.goToGridSetup();
    fw::GridSetupScreen& setup = station.gridSetup();
    fw::GridSetupScreenForm& form = setup.form();
    dialogs.filesToOpen = {still};
    setup.loadPicture();
    form.drawBuoysButton->click();
    if (QString failed =
            shooter.shoot(setup, QStringLiteral("gridsetup-points"), {1360, 660}, form.picture);
        !failed.isEmpty())
        return failed;
    const QString surveyedY = form.checkBuoySurveyYEdit->text();
    const QString mistyped = QString::number(surveyedY.toDouble() + 2.0);
    form.checkBuoySurveyYEdit->setText(mistyped);
    Q_EMIT form.checkBuoySurveyYEdit->textEdited(mistyped);
    dialogs.provoked = {QStringLiteral("Check Buoy Does not Validate")};
    form.completeButton->click();
    if (dialogs.provokedSeen.isEmpty())
        return QStringLiteral("the mistyped check buoy was not refused");
    if (QString failed = shooter.shoot(setup, QStringLiteral("gridsetup-checkfailed"), {1360, 660},
                                       form.picture);
        !failed.isEmpty())
        return failed;
    dialogs.provoked.clear();
    form.checkBuoySurveyYEdit->setText(surveyedY);
    Q_EMIT form.checkBuoySurveyYEdit->textEdited(surveyedY);
    form.completeButton->click();
    if (form.accuracyButton->isHidden())
        return QStringLiteral("the grid was not accepted again");
    form.standardAccuracyOption->click();
    dialogs.inputs = {QStringLiteral("4")}; // the skier path line through the landing area
    form.accuracyButton->click();
    if (QString failed =
            shooter.shoot(setup, QStringLiteral("gridsetup"), {1360, 660}, form.picture);
        !failed.isEmpty())
        return failed;
    form.advancedAccuracyOption->click();
    form.showHomologationLevelOption->click();
    form.accuracyButton->click();
    if (QString failed =
            shooter.shoot(setup, QStringLiteral("accuracy-mesh"), {1360, 660}, form.picture);
        !failed.isEmpty())
        return failed;
    setup.leave();
    if (!station.allGridsReady())
        return QStringLiteral("grid 1 is not ready after its check");

    // The capture screen live, then five seconds recorded.
    main.goToCapture();
    fw::CaptureScreen& capture = station.capture();
    capture.setSkierName(QStringLiteral("John Smith"));
    waitFor([] { return false; }, 1500);
    if (QString failed = shooter.shoot(capture, QStringLiteral("capture"), {1000, 600});
        !failed.isEmpty())
        return failed;
    capture.startRecording();
    if (!capture.recording())
        return QStringLiteral("the recording did not start");
    if (!waitFor(
            [&] {
                return station.created(fw::Screen::FrameSelection) &&
                       station.frameSelection().isVisible();
            },
            60000))
        return QStringLiteral("the frame selection screen did not show");

    // The first skier's first contact, marked and measured.
    fw::FrameSelectionScreen& select = station.frameSelection();
    const double fps =
        station.captureHandOver.frameRate > 0 ? station.captureHandOver.frameRate : 30.0;
    const fw::CourseLanding landing = course.landing(0, fps, size);
    select.form().player->setCurrentPosition(landing.frame);
    if (!waitFor([&] { return select.form().player->shownFrame() == landing.frame; }, 30000))
        return QStringLiteral("the landing frame did not show");
    if (QString failed = shooter.shoot(select, QStringLiteral("frameselection"), {1200, 600});
        !failed.isEmpty())
        return failed;
    select.onMeasureFrameClicked();
    if (select.selectedFrame() != landing.frame)
        return QStringLiteral("the landing frame was not marked");
    fw::MeasurementScreen& measure = station.measurement();
    const fw::ScreenPoint click{15.0 * std::round(landing.picture_px.x()),
                                15.0 * std::round(landing.picture_px.y())};
    measure.placeImpactPoint({click.x, click.y});
    measure.drawImpactMarker();
    measure.recordJump();
    if (measure.form().metersEdit->text().trimmed().isEmpty())
        return QStringLiteral("the jump was not measured");
    QFile results(station.settings.ResultsFilePath);
    if (!results.open(QIODevice::ReadOnly) || !results.readAll().contains(" jump 1 - "))
        return QStringLiteral("the jump was not recorded in the results file");
    if (QString failed =
            shooter.shoot(measure, QStringLiteral("measure"), {1360, 660}, measure.form().picture);
        !failed.isEmpty())
        return failed;
    // The landing with its impact cross, enlarged three times.
    const QPoint impact = measure.form().picture->viewport()->mapTo(
        &measure, measure.form().picture->twipsToWidget({click.x, click.y}).toPoint());
    if (QString failed = shooter.shootDetail(
            measure, QRect(impact - QPoint(90, 60), QSize(180, 120)), 3, QStringLiteral("contact"));
        !failed.isEmpty())
        return failed;
    if (!dialogs.unexpected.isEmpty())
        return QStringLiteral("unexpected message: ") +
               dialogs.unexpected.join(QStringLiteral(" / "));
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Farwater"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Saves a picture of each of the station's main screens, taken on a demo "
                       "station walked through one jump."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Where the pictures go (docs/screens)."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QString out = parser.positionalArguments().constFirst();
    fw::quietMediaLibraries();

    fw::DemoFolder::sweepAbandoned(QDir::tempPath());
    fw::DemoFolder demo(QDir::tempPath());
    fw::SettingsStore store(demo.settingsFile());
    QString failure = demo.error();
    if (failure.isEmpty())
        failure = demo.seed(store);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "screenshots: %s\n", qPrintable(failure));
        return 1;
    }
    // The pictures wait in the demo folder until the whole walk has gone well: a failed walk
    // leaves the pictures there were.
    const QString taken = QDir(demo.path()).filePath(QStringLiteral("screens"));
    if (!QDir().mkpath(taken)) {
        std::fprintf(stderr, "screenshots: cannot create %s\n", qPrintable(taken));
        return 1;
    }
    AnsweringDialogs dialogs;
    fw::SystemClock clock;
    fw::KeyboardState keyboard;
    QStringList names;
    {
        fw::Station station(store, dialogs, clock, keyboard,
                            fw::StationPaths(demo.stationFolder()));
        Shooter shooter(taken, station);
        fw::selectDemoCamera(station, store);
        fw::StationPaths::ensureFolder(station.paths().exchangeFolder());
        failure = walk(station, dialogs, demo, shooter);
        names = shooter.names();
    }
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "screenshots: %s; %s left as they were\n", qPrintable(failure),
                     qPrintable(out));
        return 1;
    }
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "screenshots: cannot create %s\n", qPrintable(out));
        return 1;
    }
    for (const QString& name : std::as_const(names)) {
        const QString target = QDir(out).filePath(name);
        QFile::remove(target);
        if (!QFile::copy(QDir(taken).filePath(name), target)) {
            std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(target));
            return 1;
        }
        std::fprintf(stderr, "screenshots: %s\n", qPrintable(target));
    }
    return 0;
}
