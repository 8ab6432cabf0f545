#pragma once

#include "screens/MainScreenForm.h"

#include <QMainWindow>

#include <array>

namespace fw {

class Station;

// The main screen: the hub from which the operator reaches every other screen, the video
// folder, the grid status rows and the capture panel. Its start-up runs the station's start-up
// sequence.
class MainScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit MainScreen(Station& station, QWidget* parent = nullptr);

    // The widgets, for tests, the manual's callouts and the screenshots.
    MainScreenForm& form() { return m_form; }

    // The station's start-up: emergency reset, capture panel and device, the video folder
    // (asked until an existing one is given), the session log, then the configuration screen.
    void startUp();

    // The video folder as the operator sees it in its box.
    QString videoFolderText() const;

    // Copies the capture panel's settings into the capture engine before a recording or a still.
    void applyCaptureSettings();
    // The engine's final or running counts in the capture panel's counters.
    void showCounters();

    // Grid status row g (1..3): icon ready ("SmallSmiley.jpg") or not ("SmallCaution.jpg").
    void setGridReady(int grid, bool ready);
    bool gridShownReady(int grid) const;
    void setGridDescription(int grid, const QString& text);
    // Shows rows 1..count, hides the others.
    void showGridRows(int count);

    // Sets the frame-rate box as the program does (its change handler runs).
    void setFrameRateText(const QString& text);
    // Moves the capture screen to the right of this screen at the top of the display, as far
    // as the display's width allows (the capture screen asks at its first showing, when its
    // size is known).
    void placeCaptureScreen(QWidget& capture) const;

public Q_SLOTS:
    // Navigation.
    void goToCapture();
    void reviewVideos();
    void reviewPictures();
    void goToGridSetup();
    void goToConfiguration();
    void toggleCapturePanel();
    void importSkierNames();
    void openVideoLog();
    void openPictureLog();
    void openManual();
    void exitStation();

    // The video folder and barefoot timing.
    void changeVideoFolder();
    void onVideoFolderEdited();
    void onBarefootTimingClicked();

    // The capture panel.
    void onFrameRateEdited();
    void onTimeLimitEdited();
    void toggleConnection();
    void togglePreview();
    void onResolutionChosen();
    void onColorFormatChosen();
    void onVideoInputChosen();
    void onCompressionChosen();
    void onCaptureModeChosen();
    void chooseCaptureFile();
    void onCaptureClicked();

    // The capture engine's notifications.
    void onDeviceChange(int kind, const QString& name, const QString& category);
    void onCaptureStatus(int code, const QString& text);
    void onCaptureStatusText(const QString& text);
    void onCaptureWarning(const QString& text);
    void onCaptureEnded(const QString& reason);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void connectNavigation();
    void connectCapturePanel();
    void enableNavigation();
    void askForVideoFolder();
    void startSessionLog();
    bool videoFolderExists() const;
    void showFrameRateClass(double rate);

    // The capture panel's steps.
    void startUpCapturePanel();
    void fillCompressionLists();
    void showStillSettings();
    void fillDeviceList(int select);
    void fillAudioList();
    bool connectDevice();
    void showDisconnected();
    // Selects the engine's current sound format in its list (added when it is not listed).
    void selectSoundFormat();
    void applyStillSettings(const QString& file);
    void applyStreamSettings(const QString& file);
    void showPreviewCaption();

    Station& m_station;
    MainScreenForm m_form;
    std::array<bool, 3> m_gridReady{};
};

} // namespace fw
