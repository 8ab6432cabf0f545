#pragma once

#include "grid/GridEntries.h"
#include "grid/GridState.h"
#include "log/SessionLog.h"
#include "platform/StationPaths.h"
#include "settings/StationSettings.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

namespace fw {

class Clock;
class CalibrationWindow;
class ConfigurationScreen;
class Dialogs;
class KeyboardState;
class SessionLogViewer;
class MainScreen;
class MeasurementScreen;
class ResultsFile;
class SettingsStore;
class ManualViewer;
class GridSetupScreen;
class FrameSelectionScreen;
class CaptureScreen;
class CaptureEngine;

// Where the operator came from when a screen shows; a few screens arrive differently by it.
enum class ArrivedFrom {
    Elsewhere,
    // The main screen's Capture or Frame Selection button: a fresh start.
    MainScreen,
    // A recording handed over by the capture screen (see captureHandOver).
    Recording,
    // The capture screen's way to frame selection without a recording.
    CaptureScreen,
    // The frame selection screen's way to the capture screen.
    FrameSelection,
    // A frame marked on the frame selection screen, for grid setup or measurement.
    MarkedFrame,
    // A video chosen in the session log viewer.
    SessionLog,
};

// The screens the operator moves between.
enum class Screen { Main = 1, Configuration, GridSetup, Capture, FrameSelection, Measurement, Manual };

// One per run: owns the station-wide records and the services, creates each screen at its first
// showing and afterwards only hides and shows it. Screens get the Station by reference.
class Station {
public:
    Station(SettingsStore& store, Dialogs& dialogs, Clock& clock, KeyboardState& keyboard,
            StationPaths paths);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    SettingsStore& store() { return m_store; }
    Dialogs& dialogs() { return m_dialogs; }
    Clock& clock() { return m_clock; }
    KeyboardState& keyboard() { return m_keyboard; }
    const StationPaths& paths() const { return m_paths; }

    // Station-wide records.
    StationSettings settings;
    SessionLog sessionLog;
    ArrivedFrom arrivedFrom = ArrivedFrom::Elsewhere;
    // The video chosen in the session log viewer, for the frame selection screen.
    QString videoToView;
    // Set while the configuration screen loads the stored grids: no "unsaved" marking then.
    bool loadingStoredGrids = false;
    // The station's own magnifier in the picture views (when no outside magnifier is installed).
    bool ownMagnifierOn = false;
    // What the capture screen hands to the frame selection screen after a recording: the video,
    // the frame noted when the operator pressed Contact (0 when none), the frames recorded and
    // the frame rate.
    struct CaptureHandOver {
        QString path;
        int notedFrame = 0;
        int frameCount = 0;
        double frameRate = 0;
        // The capture screen renamed the skier so as not to overwrite an earlier pass's video:
        // the frame selection screen asks for the name once and renames the video.
        bool skierRenamed = false;
    };
    CaptureHandOver captureHandOver;
    // The capture screen's skier name and pass number, as the contact picture log notes them.
    QString captureSkier = QStringLiteral("Skier Name");
    QString capturePass = QStringLiteral("1");
    // The skier names given to the measurement screen's list.
    QStringList skierNames;
    // The grids: working copy, slots, current grid; and the grid setup screen's fields.
    GridState grids;
    GridEntries gridEntries;
    // The width of the grid setup screen's picture: the denominator of the front and back ratios.
    double pictureWidth_twips = 12000;
    // Whether every grid in use is set up: the flag, and every configured slot completed (a slot
    // never set up, or loaded without proving itself, never is).
    bool allGridsReady() const
    {
        return grids.allGridsReady && grids.configuredGridsCompleted(settings.GridCount);
    }
    // The measurement screen when every grid in use is ready; otherwise the station's grid
    // message and the grid setup screen. Hides `from`. True when the measurement screen shows.
    bool showMeasureWhenReady(QWidget* from);

    // Loads grid g from its stored file at start-up, without dialogs; true when the grid became
    // usable.
    bool loadGridAtStartup(int grid, const QString& path);

    // Creates the main screen and runs the start-up sequence.
    void start();
    // Ends the program at once: every screen closes.
    void quit();
    bool quitRequested() const { return m_quitRequested; }

    // Whether this build has the screen (the others' buttons stay disabled).
    bool hasScreen(Screen screen) const;
    // Shows a screen (creating it at its first showing) and hides `from` when given. Returns
    // false when the screen does not exist in this build.
    bool show(Screen target, QWidget* from = nullptr);
    QWidget* screenWidget(Screen screen);

    MainScreen& mainScreen();
    ConfigurationScreen& configuration();
    ManualViewer& manual();
    MeasurementScreen& measurement();
    GridSetupScreen& gridSetup();
    FrameSelectionScreen& frameSelection();
    CaptureScreen& capture();
    // The capture engine that the capture panel and the capture screen drive; made at first use.
    CaptureEngine& captureEngine();
    bool created(Screen screen) const;

    // The session log viewer, built afresh at each opening, over its owner.
    SessionLogViewer* openLogView(QWidget* owner);
    SessionLogViewer* logView() const;
    // The contact picture log viewer and the results viewer, built afresh at each opening.
    QWidget* openPictureLog(QWidget* owner);
    QWidget* openResults(QWidget* owner);
    // The calibration assistant over a screen; false when this build has none.
    bool hasCalibration() const { return true; }
    bool openCalibration(QWidget* owner);

    // The results file writer: keeps entries that could not be written and writes them first.
    ResultsFile& results() { return *m_results; }
    // Told to the operator when the station closes with results still unwritten.
    void reportUnwrittenResults();

private:
    SettingsStore& m_store;
    Dialogs& m_dialogs;
    Clock& m_clock;
    KeyboardState& m_keyboard;
    StationPaths m_paths;
    bool m_quitRequested = false;

    std::unique_ptr<MainScreen> m_mainScreen;
    std::unique_ptr<ConfigurationScreen> m_configuration;
    std::unique_ptr<ManualViewer> m_manual;
    std::unique_ptr<MeasurementScreen> m_measurement;
    std::unique_ptr<GridSetupScreen> m_gridSetup;
    std::unique_ptr<FrameSelectionScreen> m_frameSelection;
    std::unique_ptr<CaptureScreen> m_capture;
    std::unique_ptr<CaptureEngine> m_captureEngine;
    std::unique_ptr<CalibrationWindow> m_calibration;
    std::unique_ptr<ResultsFile> m_results;
    QPointer<QWidget> m_logView;
    QPointer<QWidget> m_pictureLog;
    QPointer<QWidget> m_resultsView;
};

} // namespace fw
