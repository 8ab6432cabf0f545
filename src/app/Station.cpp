#include "app/Station.h"

#include "grid/GridFiles.h"

#include "measure/ResultsFile.h"
#include "media/CaptureEngine.h"
#include "screens/Calibrate.h"
#include "screens/Config.h"
#include "screens/Grid_Setup.h"
#include "screens/LogView.h"
#include "screens/MainForm.h"
#include "screens/Measure.h"
#include "screens/PictureLogView.h"
#include "screens/PreviewForm.h"
#include "screens/Results.h"
#include "screens/frmManual.h"
#include "screens/frmSetStart.h"

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
    m_calibrate.reset();
    m_capture.reset();
    m_gridSetup.reset();
    m_frameSelection.reset();
    m_measure.reset();
    m_manual.reset();
    m_config.reset();
    m_mainForm.reset();
    m_captureEngine.reset();
}

MainForm& Station::mainForm()
{
    if (!m_mainForm)
        m_mainForm = std::make_unique<MainForm>(*this);
    return *m_mainForm;
}

Config& Station::config()
{
    if (!m_config) {
        m_config = std::make_unique<Config>(*this);
        m_config->Form_Load();
    }
    return *m_config;
}

frmManual& Station::manual()
{
    if (!m_manual) {
        m_manual = std::make_unique<frmManual>(*this);
        m_manual->Form_Load();
    }
    return *m_manual;
}

Measure& Station::measure()
{
    if (!m_measure) {
        m_measure = std::make_unique<Measure>(*this);
        m_measure->Form_Load();
    }
    return *m_measure;
}

frmSetStart& Station::frameSelection()
{
    if (!m_frameSelection) {
        m_frameSelection = std::make_unique<frmSetStart>(*this);
        m_frameSelection->Form_Load();
    }
    return *m_frameSelection;
}

PreviewForm& Station::capture()
{
    if (!m_capture) {
        m_capture = std::make_unique<PreviewForm>(*this);
        m_capture->Form_Load();
    }
    return *m_capture;
}

CaptureEngine& Station::captureEngine()
{
    if (!m_captureEngine)
        m_captureEngine = std::make_unique<CaptureEngine>();
    return *m_captureEngine;
}

Grid_Setup& Station::gridSetup()
{
    if (!m_gridSetup) {
        m_gridSetup = std::make_unique<Grid_Setup>(*this);
        m_gridSetup->Form_Load();
    }
    return *m_gridSetup;
}

bool Station::created(Screen screen) const
{
    switch (screen) {
    case Screen::Main:
        return m_mainForm != nullptr;
    case Screen::Config:
        return m_config != nullptr;
    case Screen::Manual:
        return m_manual != nullptr;
    case Screen::Measure:
        return m_measure != nullptr;
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
    case Screen::Config:
    case Screen::Manual:
    case Screen::Measure:
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
        return &mainForm();
    case Screen::Config:
        return &config();
    case Screen::Manual:
        return &manual();
    case Screen::Measure:
        return &measure();
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
        return show(Screen::Measure, from);
    m_dialogs.message(
        QStringLiteral("At least one measurement grid that you have specified has not been set "
                       "up.  All grids specified must be set up correctly before you can use the "
                       "measurement screen"),
        QString(), DialogIcon::Critical);
    show(Screen::GridSetup, from);
    return false;
}

LogView* Station::logView() const
{
    return qobject_cast<LogView*>(m_logView.data());
}

LogView* Station::openLogView(QWidget* owner)
{
    delete m_logView;
    auto* view = new LogView(*this, owner);
    m_logView = view;
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->Form_Load();
    view->show();
    return view;
}

bool Station::loadGridAtStartup(int grid, const QString& path)
{
    const GridFileResult loaded =
        LoadGridAtStartup(grid, path, gridEntries, grids, settings, m_store, pictureWidth_twips,
                          m_dialogs, m_clock, *m_results);
    if (loaded.usable && m_mainForm) {
        m_mainForm->setGridReady(grid, true);
        m_mainForm->setGridDescription(grid, loaded.description);
    }
    return loaded.usable;
}

QWidget* Station::openPictureLog(QWidget* owner)
{
    delete m_pictureLog;
    auto* view = new PictureLogView(m_dialogs, sessionLog.path(settings.VideoFolder),
                                    settings.VideoFolder, owner);
    view->setWindowFlag(Qt::Window);
    view->setAttribute(Qt::WA_DeleteOnClose);
    m_pictureLog = view;
    // A picture is measured only on grids that are ready, whichever road leads to it.
    QObject::connect(view, &PictureLogView::viewPicture, view, [this](const QString& path) {
        QWidget* from = m_mainForm && m_mainForm->isVisible() ? m_mainForm.get() : nullptr;
        if (!allGridsReady()) {
            showMeasureWhenReady(from);
            return;
        }
        Measure& screen = measure();
        if (screen.showPictureFile(path, path))
            ArrivedFrom = QStringLiteral("PictureLog");
        show(Screen::Measure, from);
    });
    QObject::connect(view, &PictureLogView::showMeasure, view, [this] {
        showMeasureWhenReady(m_mainForm && m_mainForm->isVisible() ? m_mainForm.get() : nullptr);
    });
    view->Form_Load();
    view->show();
    return view;
}

QWidget* Station::openResults(QWidget* owner)
{
    delete m_resultsView;
    auto* view = new Results(owner);
    view->setAttribute(Qt::WA_DeleteOnClose);
    m_resultsView = view;
    view->open(settings.ResultsFilePath);
    return view;
}

bool Station::openCalibration(QWidget* owner)
{
    // One assistant per run, beside whichever screen opened it; closing only hides it.
    if (!m_calibrate)
        m_calibrate = std::make_unique<Calibrate>(*this);
    if (owner && !m_calibrate->isVisible())
        m_calibrate->move(owner->geometry().topRight() - QPoint(m_calibrate->width(), 0));
    m_calibrate->show();
    m_calibrate->raise();
    m_calibrate->activateWindow();
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
    mainForm().Form_Load();
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
         {static_cast<QWidget*>(m_calibrate.get()), static_cast<QWidget*>(m_gridSetup.get()),
          static_cast<QWidget*>(m_capture.get()), static_cast<QWidget*>(m_frameSelection.get()),
          static_cast<QWidget*>(m_measure.get()), static_cast<QWidget*>(m_manual.get()),
          static_cast<QWidget*>(m_config.get()), static_cast<QWidget*>(m_mainForm.get())}) {
        if (w)
            w->hide();
    }
    QCoreApplication::exit(0);
}

} // namespace fw
