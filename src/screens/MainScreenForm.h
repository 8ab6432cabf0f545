#pragma once

#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace fw {

// The main screen's widgets: the navigation buttons, the video folder, the grid status rows and
// the capture panel (hidden until the operator asks for it). Builds and lays them out; the
// screen connects them and carries the rules.
class MainScreenForm {
public:
    void build(QMainWindow& window);

    // Navigation and set-up.
    QGroupBox* controlsBox = nullptr;
    QPushButton* goToCaptureButton = nullptr;
    QPushButton* reviewVideosButton = nullptr;
    QPushButton* reviewPicturesButton = nullptr;
    QPushButton* gridSetupButton = nullptr;
    QPushButton* configureButton = nullptr;
    QPushButton* capturePanelButton = nullptr; // shows and hides the capture panel
    QPushButton* importSkierNamesButton = nullptr;

    // The video folder: the box the program and the start-up fill, and the folder shown.
    QLabel* videoFolderCaption = nullptr;
    QLineEdit* videoFolderEdit = nullptr;
    QLabel* videoFolderLabel = nullptr;
    QPushButton* changeVideoFolderButton = nullptr;

    QCheckBox* barefootTimingCheck = nullptr;

    // One row per grid: its name, its ready or caution icon, its description.
    std::array<QLabel*, 3> gridNameLabels{};
    std::array<QLabel*, 3> gridReadyIcons{};
    std::array<QLineEdit*, 3> gridDescriptionEdits{};

    QLabel* frameRateClassLabel = nullptr; // "Currently Configured for ..."

    // The menu bar.
    QAction* videoLogAction = nullptr;
    QAction* pictureLogAction = nullptr;
    QAction* manualAction = nullptr;
    QAction* exitAction = nullptr;

    // The capture panel: device, formats, sound, and a capture of stills or a stream.
    QGroupBox* capturePanel = nullptr;
    QComboBox* deviceCombo = nullptr;
    QPushButton* connectButton = nullptr;
    QPushButton* previewButton = nullptr;
    QPushButton* videoSettingsButton = nullptr;
    QComboBox* resolutionCombo = nullptr;
    QComboBox* colorFormatCombo = nullptr;
    QComboBox* videoInputCombo = nullptr;
    QComboBox* channelCombo = nullptr;
    QComboBox* effectCombo = nullptr;
    QComboBox* compressionCombo = nullptr; // "None" first, then the engine's compressors
    QPushButton* compressionSettingsButton = nullptr;
    QComboBox* audioDeviceCombo = nullptr; // "None" first, then the engine's sound devices
    QPushButton* audioSettingsButton = nullptr;
    QComboBox* audioCompressionCombo = nullptr;
    QComboBox* soundFormatCombo = nullptr;
    QCheckBox* listenCheck = nullptr;
    QLineEdit* frameRateEdit = nullptr;
    QLineEdit* timeLimitEdit = nullptr;
    QComboBox* captureModeCombo = nullptr; // 0 stills ("Frames"), 1 a stream ("Streams")
    QLineEdit* captureFileEdit = nullptr;
    QPushButton* chooseCaptureFileButton = nullptr;
    QPushButton* captureButton = nullptr;

    // Options of a still capture.
    QGroupBox* stillOptionsBox = nullptr;
    QCheckBox* progressiveJpegCheck = nullptr;
    QCheckBox* autoSaveCheck = nullptr;
    QCheckBox* autoIncrementCheck = nullptr;
    QLineEdit* chromaFactorEdit = nullptr;
    QLineEdit* lumaFactorEdit = nullptr;
    QLineEdit* stillIntervalEdit = nullptr;
    QLineEdit* stillPasswordEdit = nullptr;
    QLineEdit* stillCaptionEdit = nullptr;
    QLineEdit* stillCaptionLeftEdit = nullptr;
    QLineEdit* stillCaptionTopEdit = nullptr;

    // The counters of a stream capture.
    QGroupBox* streamOptionsBox = nullptr;
    QLabel* framesCapturedLabel = nullptr;
    QLabel* framesDroppedLabel = nullptr;
    QLabel* audioSamplesLabel = nullptr;
    QLabel* elapsedLabel = nullptr;

    QLabel* captureStatusLabel = nullptr;

private:
    void buildNavigation(QWidget& central, QVBoxLayout& left);
    void buildCapturePanel(QWidget& central);
    void buildStillOptions();
    void buildStreamCounters();
};

} // namespace fw
