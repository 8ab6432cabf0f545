#include "station/Station.h"

#include "grid/GridFiles.h"

#include "measure/ResultsFile.h"
#include "media/CaptureEngine.h"
#include "screens/CalibrationWindow.h"
#include "screens/ConfigurationScreen.h"
#include "screens/GridSetupScreen.h"
#include "screens/SessionLogViewer.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "screens/PictureLogViewer.h"
#include "screens/CaptureScreen.h"
#include "screens/ResultsViewer.h"
#include "screens/ManualViewer.h"
#include "screens/FrameSelectionScreen.h"

#include "settings/SettingsStore.h"
#include "support/dialogs.h"
#include "support/textfile.h"

#include <QCoreApplication>

namespace fw {

Station::Station(SettingsStore& store, Dialogs& dialogs, Clock& clock, KeyboardState& keyboard,
                 StationPaths paths)
    : m_store(store), m_dialogs(dialogs), m_clock(clock), m_keyboard(keyboard),
      m_paths(std::move(paths)),
      m_results(std::make_unique<ResultsFile>(
          dialogs, m_paths.inStation(QStringLiteral("PendingResults.txt"))))
{
    // A setting that did not reach the disk is lost at the next start: the operator must know.
    m_store.setFailureReporter([this](const QString& failure) {
        m_dialogs.message(failure, QString(), DialogIcon::Critical);
    });
}

Station::~Station()
{
    m_store.setFailureReporter({});
    // Owned windows first: the log viewer belongs to a screen destroyed below.
    delete m_logView;
    delete m_pictureLog;
    delete m_resultsView;
    m_calibration.reset();
    m_capture.reset();
    m_gridSetup.reset();
    m_frameSelection.reset();
    m_measurement.reset();
    m_manual.reset();
    m_configuration.reset();
    m_mainScreen.reset();
    m_captureEngine.reset();
}

MainScreen& Station::mainScreen()
{
    if (!m_mainScreen)
        m_mainScreen = std::make_unique<MainScreen>(*this);
    return *m_mainScreen;
}

ConfigurationScreen& Station::configuration()
{
    if (!m_configuration) {
        m_configuration = std::make_unique<ConfigurationScreen>(*this);
        m_configuration->loadSettings();
    }
    return *m_configuration;
}

ManualViewer& Station::manual()
{
    if (!m_manual) {
        m_manual = std::make_unique<ManualViewer>(*this);
        m_manual->loadManual();
    }
    return *m_manual;
}

MeasurementScreen& Station::measurement()
{
    if (!m_measurement) {
        m_measurement = std::make_unique<MeasurementScreen>(*this);
        m_measurement->prepare();
    }
    return *m_measurement;
}

FrameSelectionScreen& Station::frameSelection()
{
    if (!m_frameSelection) {
        m_frameSelection = std::make_unique<FrameSelectionScreen>(*this);
        m_frameSelection->prepare();
    }
    return *m_frameSelection;
}

CaptureScreen& Station::capture()
{
    if (!m_capture) {
        m_capture = std::make_unique<CaptureScreen>(*this);
        m_capture->loadSettings();
    }
    return *m_capture;
}

CaptureEngine& Station::captureEngine()
{
    if (!m_captureEngine)
        m_captureEngine = std::make_unique<CaptureEngine>();
    return *m_captureEngine;
}

GridSetupScreen& Station::gridSetup()
{
    if (!m_gridSetup) {
        m_gridSetup = std::make_unique<GridSetupScreen>(*this);
        m_gridSetup->prepare();
    }
    return *m_gridSetup;
}

bool Station::created(Screen screen) const
{
    switch (screen) {
    case Screen::Main:
        return m_mainScreen != nullptr;
    case Screen::Configuration:
        return m_configuration != nullptr;
    case Screen::Manual:
        return m_manual != nullptr;
    case Screen::Measurement:
        return m_measurement != nullptr;
    case Screen::GridSetup:
        return m_gridSetup != nullptr;
    case Screen::FrameSelection:
        return m_frameSelection != nullptr;
    case Screen::Capture:
        return m_capture != nullptr;
    default:
        return false;
    }
}

bool Station::hasScreen(Screen screen) const
{
    switch (screen) {
    case Screen::Main:
    case Screen::Configuration:
    case Screen::Manual:
    case Screen::Measurement:
    case Screen::GridSetup:
    case Screen::FrameSelection:
    case Screen::Capture:
        return true;
    default:
        return false;
    }
}

QWidget* Station::screenWidget(Screen screen)
{
    switch (screen) {
    case Screen::Main:
        return &mainScreen();
    case Screen::Configuration:
        return &configuration();
    case Screen::Manual:
        return &manual();
    case Screen::Measurement:
        return &measurement();
    case Screen::GridSetup:
        return &gridSetup();
    case Screen::FrameSelection:
        return &frameSelection();
    case Screen::Capture:
        return &capture();
    default:
        return nullptr;
    }
}

bool Station::show(Screen target, QWidget* from)
{
    QWidget* widget = hasScreen(target) ? screenWidget(target) : nullptr;
    if (!widget)
        return false;
    widget->show();
    widget->raise();
    widget->activateWindow();
    if (from && from != widget)
        from->hide();
    return true;
}

bool Station::showMeasureWhenReady(QWidget* from)
{
    if (allGridsReady())
        return show(Screen::Measurement, from);
    m_dialogs.message(
        QStringLiteral("At least one measurement grid that you have specified has not been set "
                       "up.  All grids specified must be set up correctly before you can use the "
                       "measurement screen"),
        QString(), DialogIcon::Critical);
    show(Screen::GridSetup, from);
    return false;
}

SessionLogViewer* Station::logView() const
{
    return qobject_cast<SessionLogViewer*>(m_logView.data());
}

SessionLogViewer* Station::openLogView(QWidget* owner)
{
    delete m_logView;
    auto* view = new SessionLogViewer(*this, owner);
    m_logView = view;
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->showCurrentLog();
    view->show();
    return view;
}

bool Station::loadGridAtStartup(int grid, const QString& path)
{
    const GridFileResult loaded =
        LoadGridAtStartup(grid, path, gridEntries, grids, settings, m_store, pictureWidth_twips,
                          m_dialogs, m_clock, *m_results);
    if (loaded.usable && m_mainScreen) {
        m_mainScreen->setGridReady(grid, true);
        m_mainScreen->setGridDescription(grid, loaded.description);
    }
    return loaded.usable;
}

QWidget* Station::openPictureLog(QWidget* owner)
{
    delete m_pictureLog;
    auto* view = new PictureLogViewer(m_dialogs, sessionLog.path(settings.VideoFolder),
                                    settings.VideoFolder, owner);
    view->setWindowFlag(Qt::Window);
    view->setAttribute(Qt::WA_DeleteOnClose);
    m_pictureLog = view;
    // A picture is measured only on grids that are ready, whichever road leads to it.
    QObject::connect(view, &PictureLogViewer::viewPicture, view, [this](const QString& path) {
        QWidget* from = m_mainScreen && m_mainScreen->isVisible() ? m_mainScreen.get() : nullptr;
        if (!allGridsReady()) {
            showMeasureWhenReady(from);
            return;
        }
        MeasurementScreen& screen = measurement();
        // A picture that loaded is this arrival's: no marked frame is waiting to be reloaded.
        if (screen.showPictureFile(path, path))
            arrivedFrom = ArrivedFrom::Elsewhere;
        show(Screen::Measurement, from);
    });
    QObject::connect(view, &PictureLogViewer::showMeasure, view, [this] {
        showMeasureWhenReady(m_mainScreen && m_mainScreen->isVisible() ? m_mainScreen.get() : nullptr);
    });
    view->listSessionLog();
    view->show();
    return view;
}

QWidget* Station::openResults(QWidget* owner)
{
    delete m_resultsView;
    auto* view = new ResultsViewer(owner);
    view->setAttribute(Qt::WA_DeleteOnClose);
    m_resultsView = view;
    view->open(settings.ResultsFilePath);
    return view;
}

bool Station::openCalibration(QWidget* owner)
{
    // One assistant per run, beside whichever screen opened it; closing only hides it.
    if (!m_calibration)
        m_calibration = std::make_unique<CalibrationWindow>(*this);
    if (owner && !m_calibration->isVisible())
        m_calibration->move(owner->geometry().topRight() - QPoint(m_calibration->width(), 0));
    m_calibration->show();
    m_calibration->raise();
    m_calibration->activateWindow();
    return true;
}

void Station::reportUnwrittenResults()
{
    if (!m_results->writePending(settings.ResultsFilePath))
        m_dialogs.message(m_results->pendingReport(), QString(), DialogIcon::Critical);
}

void Station::start()
{
    // Temporary files and stale locks left by a station killed in the middle of a write.
    removeLeftoverFiles({m_paths.stationFolder(), m_paths.exchangeFolder(),
                         m_store.read(QStringLiteral("logpath"), QString()),
                         m_store.read(QStringLiteral("SetupFiles"), QString())},
                        {m_store.filePath()});
    mainScreen().startUp();
    // Lines an earlier run could not write go to the results file now, before anything new;
    // when it still refuses them they keep waiting for the next write, which tells the operator.
    if (m_results->hasPending() && !settings.ResultsFilePath.isEmpty())
        m_results->writePending(settings.ResultsFilePath);
}

void Station::quit()
{
    if (!m_quitRequested)
        reportUnwrittenResults();
    m_quitRequested = true;
    delete m_logView;
    delete m_pictureLog;
    delete m_resultsView;
    for (QWidget* w :
         {static_cast<QWidget*>(m_calibration.get()), static_cast<QWidget*>(m_gridSetup.get()),
          static_cast<QWidget*>(m_capture.get()), static_cast<QWidget*>(m_frameSelection.get()),
          static_cast<QWidget*>(m_measurement.get()), static_cast<QWidget*>(m_manual.get()),
          static_cast<QWidget*>(m_configuration.get()), static_cast<QWidget*>(m_mainScreen.get())}) {
        if (w)
            w->hide();
    }
    QCoreApplication::exit(0);
}

} // namespace fw
