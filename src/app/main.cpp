#include "app/Station.h"
#include "grid/GridFiles.h"
#include "measure/SkierNames.h"
#include "media/CaptureEngine.h"
#include "media/JumpCourse.h"
#include "media/MediaLibraries.h"
#include "platform/KeyboardState.h"
#include "platform/QtDialogs.h"
#include "platform/StationPaths.h"
#include "settings/SettingsStore.h"
#include "support/clock.h"
#include "support/textfile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

// The demo station's capture: 1280x720 (the Demo Camera's fourth size) at 30 frames a second,
// where the front buoys span more than the station's picture box, so no zoom advice.
const QSize kDemoPicture(1280, 720);

// Seeds a demo station below `root` through the station's own writers: the video folder, grid 1
// set up on the demo course at the demo capture size with its check buoy file, a few skier names
// and the capture settings. An empty text when all is written, otherwise what failed.
QString seedDemoStation(const QString& root, fw::SettingsStore& store)
{
    const QDir dir(root);
    const QString videos = dir.filePath(QStringLiteral("Videos"));
    const QString setup = dir.filePath(QStringLiteral("Setup"));
    if (!fw::StationPaths::ensureFolder(videos) || !fw::StationPaths::ensureFolder(setup))
        return QStringLiteral("cannot create the folders in ") + root;

    const fw::JumpCourse course;
    fw::MeasurementGrid grid = course.measurementGrid(kDemoPicture);
    grid.description2 = QStringLiteral("Demo course");
    const QString gridFile = QDir(setup).filePath(QStringLiteral("democourse.ipt"));
    const fw::GridEntries entries = course.gridEntries(kDemoPicture);
    const QString station = dir.filePath(QStringLiteral("Station"));
    if (!fw::StationPaths::ensureFolder(station))
        return QStringLiteral("cannot create ") + station;
    const QStringList skiers = {QStringLiteral("Smith,John"), QStringLiteral("Doe,Jane"),
                                QStringLiteral("Garcia,Ana"), QStringLiteral("Berg,Lars")};
    if (!fw::replaceFileLines(gridFile, fw::gridFileLines(grid, gridFile, 1)).ok() ||
        !fw::replaceFileLines(
             fw::checkBuoyFilePath(gridFile),
             fw::checkBuoyFileLines(grid.checkBuoyPicture, entries.txtCheckX, entries.txtCheckY))
             .ok() ||
        !fw::replaceFileLines(QDir(station).filePath(fw::skierNamesFileName()), skiers).ok())
        return QStringLiteral("cannot write the demo station's files in ") + root;

    const std::pair<const char*, QString> settings[] = {
        {"logpath", videos},
        {"grid1File", gridFile},
        {"VideoResolution", QStringLiteral("3")}, // 1280x720 on the Demo Camera
        {"framerate", QStringLiteral("30")},
        {"captureTime", QStringLiteral("5")},
        {"VideoSave", QStringLiteral("Save")},
    };
    for (const auto& [key, value] : settings)
        if (!store.write(QLatin1String(key), value))
            return QStringLiteral("cannot write the demo settings in ") + store.filePath();
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Farwater"));
    QApplication::setApplicationVersion(QStringLiteral(FARWATER_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Farwater, the measuring station for water-ski jump tournaments."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Start a demo station in a temporary folder of its own (its own settings, "
                       "video folder, grid 1 on the demo course, skier names, the Demo Camera); "
                       "the station's own settings and files are not touched."));
    parser.addOption(demo);
    parser.process(app);

    // FFmpeg's own log lines mean nothing to an operator; failures reach the screens as messages.
    fw::quietMediaLibraries();

    std::unique_ptr<QTemporaryDir> demoRoot;
    std::unique_ptr<fw::SettingsStore> store;
    std::unique_ptr<fw::StationPaths> paths;
    if (parser.isSet(demo)) {
        demoRoot = std::make_unique<QTemporaryDir>(
            QDir::temp().filePath(QStringLiteral("farwater-demo-XXXXXX")));
        if (!demoRoot->isValid()) {
            std::fprintf(stderr, "farwater: cannot create the demo folder: %s\n",
                         qPrintable(demoRoot->errorString()));
            return 1;
        }
        store = std::make_unique<fw::SettingsStore>(
            QDir(demoRoot->path()).filePath(QStringLiteral("Farwater.ini")));
        if (const QString failure = seedDemoStation(demoRoot->path(), *store); !failure.isEmpty()) {
            std::fprintf(stderr, "farwater: %s\n", qPrintable(failure));
            return 1;
        }
        paths = std::make_unique<fw::StationPaths>(
            QDir(demoRoot->path()).filePath(QStringLiteral("Station")));
        std::fprintf(stderr, "farwater: demo station in %s (removed at exit)\n",
                     qPrintable(QDir::toNativeSeparators(demoRoot->path())));
    } else {
        store = std::make_unique<fw::SettingsStore>();
        paths = std::make_unique<fw::StationPaths>(fw::StationPaths::forThisInstall());
    }

    fw::QtDialogs dialogs;
    fw::SystemClock clock;
    fw::KeyboardState keyboard;
    app.installEventFilter(&keyboard);

    fw::Station station(*store, dialogs, clock, keyboard, *paths);
    if (demoRoot) {
        // The Demo Camera selected, whatever cameras the system lists before it.
        fw::CaptureEngine& engine = station.captureEngine();
        engine.refreshDevices();
        for (int i = 0; i < engine.deviceCount(); ++i)
            if (engine.devices().at(i).name == fw::CaptureEngine::demoCameraName())
                store->write(QStringLiteral("device"), QString::number(i));
    }
    station.start();
    return app.exec();
}
