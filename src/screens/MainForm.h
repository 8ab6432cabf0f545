#pragma once

#include <QMainWindow>

#include <array>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fw {

class Station;

// The main screen: the hub from which the operator reaches every other screen, the video
// folder, the grid status rows and the capture panel. Loading it runs the start-up sequence.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainForm(Station& station, QWidget* parent = nullptr);

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

    // Grid status row g (1..3): icon ready ("SmallSmiley.jpg") or not ("SmallCaution.jpg").
    void setGridReady(int grid, bool ready);
    bool gridShownReady(int grid) const;
    void setGridDescription(int grid, const QString& text);
    // Shows rows 1..count, hides the others.
    void showGridRows(int count);

    // Sets the frame-rate box as the program does (its change handler runs).
    void setFrameRateText(const QString& text);

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

    Station& m_station;
    std::array<bool, 3> m_gridReady{};
};

// The frame-rate class captions: at least 5 "Normal/C", at least 15 "L", at least 25 "R";
// below 5 the caption is left as it is (empty result).
QString frameRateClassCaption(double rate);

} // namespace fw
