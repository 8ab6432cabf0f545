#pragma once

#include <QMainWindow>

#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fw {

class Station;

// The main screen: the hub from which the operator reaches every other screen, the video
// folder, the grid status rows and the capture panel. Loading it runs the start-up sequence.
class MainScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit MainScreen(Station& station, QWidget* parent = nullptr);

    // Controls, named as the operator's manual names them.
    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdGoCapture = nullptr;
    QPushButton* cmdGoTimer = nullptr;
    QPushButton* ccmdGoToMeasure = nullptr;
    QPushButton* cmdSetup = nullptr;
    QPushButton* cmdConfigure = nullptr;
    QPushButton* cmdShowConfig = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* btnChangeDirectory = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtVideoDir = nullptr;
    QLabel* lblVideodir = nullptr;
    QCheckBox* cb15 = nullptr;
    std::array<QLabel*, 3> lblGrid{};
    std::array<QLabel*, 3> ImageGrid{};
    std::array<QLineEdit*, 3> txtGridDescription{};
    QLabel* lblConfig = nullptr;
    QAction* mnuViewLog = nullptr;
    QAction* mnuPictureLog = nullptr;
    QAction* munManual = nullptr;
    QAction* mnuExit = nullptr;

    // The capture panel; the capture engine fills in its device lists.
    QGroupBox* capturePanel = nullptr;
    QLineEdit* EdtRate = nullptr;
    QLineEdit* EdtFile = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* CmdConnect = nullptr;
    QPushButton* CmdPreview = nullptr;
    QPushButton* VideoConfig = nullptr;
    QComboBox* ResolutionCombo = nullptr;
    QComboBox* ColorFormatCombo = nullptr;
    QComboBox* VideoInput = nullptr;
    QComboBox* Channel = nullptr;
    QComboBox* Effect = nullptr;
    QComboBox* CompressionCombo = nullptr;
    QPushButton* ComprConfig = nullptr;
    QComboBox* AudioDevice = nullptr;
    QPushButton* AudioConfig = nullptr;
    QComboBox* AudioCompr = nullptr;
    QComboBox* ComboAttrib = nullptr;
    QCheckBox* Check1 = nullptr;
    QLineEdit* EdtLimit = nullptr;
    QComboBox* CaptureType = nullptr;
    QPushButton* CmdCapFN = nullptr;
    QPushButton* CmdCap = nullptr;
    QGroupBox* FrmOptions = nullptr;
    QCheckBox* ChkProg = nullptr;
    QCheckBox* ChkAutoSave = nullptr;
    QCheckBox* ChkAutoInc = nullptr;
    QLineEdit* EdtChrom = nullptr;
    QLineEdit* EdtLum = nullptr;
    QLineEdit* EdtInterval = nullptr;
    QLineEdit* EdtPass = nullptr;
    QLineEdit* EdtCaption = nullptr;
    QLineEdit* EdtCapLeft = nullptr;
    QLineEdit* EdtCapTop = nullptr;
    QGroupBox* StrmOptions = nullptr;
    QLabel* LblFrames = nullptr;
    QLabel* LblFrmDrop = nullptr;
    QLabel* LblSamples = nullptr;
    QLabel* LblTime = nullptr;
    QLabel* LblStatus = nullptr;

    // Copies the panel's settings into the capture engine before a recording or a still.
    void SetCaptureValues();
    // Selects the engine's current sound format in ComboAttrib (added when it is not listed).
    void InitAudioSettings();
    // Returns the panel to its unconnected state.
    void OnDisconnect();
    // The engine's final or running counts in the counter labels.
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
    // as the display's width allows (start-up step 8; the capture screen asks at its first
    // showing, when its size is known).
    void placeCaptureScreen(QWidget& capture) const;

public Q_SLOTS:
    void Form_Load();
    void cmdGoCapture_Click();
    void cmdGoTimer_Click();
    void ccmdGoToMeasure_Click();
    void cmdSetup_Click();
    void cmdConfigure_Click();
    void cmdShowConfig_Click();
    void btnChangeDirectory_Click();
    void txtVideoDir_Change();
    void cb15_Click();
    void EdtRate_Change();
    void EdtLimit_Change();
    void CmdConnect_Click();
    void CmdPreview_Click();
    void ResolutionCombo_Click();
    void ColorFormatCombo_Click();
    void VideoInput_Click();
    void CompressionCombo_Click();
    void CaptureType_Click();
    void CmdCapFN_Click();
    void CmdCap_Click();
    // The engine's notifications.
    void CapturePRO1_DeviceChange(int kind, const QString& name, const QString& category);
    void CapturePRO1_Status(int code, const QString& text);
    void CapturePRO1_StatusText(const QString& text);
    void CapturePRO1_Warning(const QString& text);
    void CapturePRO1_CaptureEnded(const QString& reason);
    void mnuViewLog_Click();
    void mnuPictureLog_Click();
    void cmdImport_Click();
    void munManual_Click();
    void mnuExit_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool videoFolderExists() const;
    void setConfigLine(double rate);
    void enableNavigation();
    void buildCapturePanel();
    void fillDeviceList(int select);
    void fillAudioList();
    void startupCapturePanel();

    Station& m_station;
    std::array<bool, 3> m_gridReady{};
};

// The frame-rate class captions: at least 5 "Normal/C", at least 15 "L", at least 25 "R";
// below 5 the caption is left as it is (empty result).
QString frameRateClassCaption(double rate);

} // namespace fw
