#pragma once

#include "grid/Geometry.h"
#include "widgets/PictureView.h"

#include <QMainWindow>

#include <array>
#include <vector>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class QToolButton;

namespace fw {

class Station;
struct GridEntries;

// The grid setup screen: on a still camera picture the operator places the four buoys and the
// check buoy, types their surveyed positions and completes the grid; grids are saved and loaded
// here, and the accuracy of a completed grid is shown on the picture.
class GridSetupScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit GridSetupScreen(Station& station, QWidget* parent = nullptr);
    ~GridSetupScreen() override;

    // The five points in the order a click processes them.
    enum Point { UpperLeft = 0, UpperRight, LowerLeft, LowerRight, CheckBuoy, PointCount };

    PictureView* picture = nullptr;

    // Which point the next click places.
    QGroupBox* Frame1 = nullptr;
    QRadioButton* upper_left_button = nullptr;
    QRadioButton* upper_right_button = nullptr;
    QRadioButton* lower_left_button = nullptr;
    QRadioButton* lower_right_button = nullptr;
    QRadioButton* optCheckBuoy = nullptr;

    // Entry fields, named as the grid entry record names them.
    QLineEdit* upper_left_x = nullptr;
    QLineEdit* upper_left_y = nullptr;
    QLineEdit* upper_right_x = nullptr;
    QLineEdit* upper_right_y = nullptr;
    QLineEdit* lower_left_x = nullptr;
    QLineEdit* lower_left_y = nullptr;
    QLineEdit* lower_right_x = nullptr;
    QLineEdit* lower_right_y = nullptr;
    QLineEdit* ul_survey_x = nullptr;
    QLineEdit* ul_survey_y = nullptr;
    QLineEdit* ur_survey_x = nullptr;
    QLineEdit* ur_survey_y = nullptr;
    QLineEdit* ll_survey_x = nullptr;
    QLineEdit* ll_survey_y = nullptr;
    QLineEdit* lr_survey_x = nullptr;
    QLineEdit* lr_survey_y = nullptr;
    QLineEdit* jump_x = nullptr;
    QLineEdit* jump_y = nullptr;
    QLineEdit* txtCheckX = nullptr;
    QLineEdit* txtCheckY = nullptr;
    QLineEdit* txtCheckXpix = nullptr;
    QLineEdit* txtCheckYpix = nullptr;
    QLineEdit* ipt_file_description = nullptr;
    QLineEdit* ipt_file_description_2 = nullptr;
    QLineEdit* txtPicWidth = nullptr;
    QLineEdit* txtPicHeight = nullptr;

    // Commands.
    QPushButton* grid_select = nullptr;
    QPushButton* Load = nullptr; // "Complete"
    QPushButton* show_alignment = nullptr;
    QCheckBox* chkboxGridLock = nullptr;
    QLabel* grid_state_icon = nullptr;
    QLabel* txtCheck = nullptr;

    // Panels over the picture, dragged by their labels.
    QScrollBar* Setup_Cross_size = nullptr;
    QLabel* CrossSizeLabel = nullptr;
    QToolButton* AdjustUp = nullptr;
    QToolButton* AdjustDown = nullptr;
    QToolButton* AdjustLeft = nullptr;
    QToolButton* AdjustRight = nullptr;
    QLabel* AdjustmentLabel = nullptr;
    QLabel* gridLockedLabel = nullptr;
    QLabel* lblGridDragIt = nullptr;

    // The accuracy check.
    QPushButton* btnAccuracyCheck = nullptr;
    QGroupBox* fmAccuracyDisplay = nullptr;
    QRadioButton* optStandardAccuracy = nullptr;
    QRadioButton* optAdvancedAccuracy = nullptr;
    QGroupBox* fmAccuracyConfig = nullptr;
    QRadioButton* optDisplayDistance = nullptr;
    QRadioButton* optDetailMeasurement = nullptr;
    QRadioButton* optHomolgationLevel = nullptr;

    // Items on the picture that behave as labels of the screen: the drawing (markers, skier
    // paths) is cleared and redrawn around them.
    static constexpr int kIndicatorCount = 51;
    static constexpr int kLineLabelCount = 11;
    std::array<PictureView::ItemId, kIndicatorCount> AccuracyIndicator{};
    std::array<PictureView::ItemId, kLineLabelCount> LineLabel{};
    // "<-Check Buoy Should Be Here" and the mark at the predicted check buoy position.
    PictureView::ItemId lblCB = 0;
    PictureView::ItemId predictedDot = 0;
    PictureView::ItemId predictedCircle = 0;
    PictureView::ItemId predictedLine = 0;

    // Menu.
    QAction* gridLoad = nullptr;
    QAction* gridSave = nullptr;
    QAction* mnuLoadPicture = nullptr;
    QAction* mnuClearPicture = nullptr;
    QAction* mnuPaste = nullptr;
    QAction* mnuCalibrate = nullptr;
    QAction* gridExit = nullptr;

    QTimer* keyTimer = nullptr;

    // The previous-position marker size: twice the slider's value when the screen was loaded.
    double previousMarkerSize_twips = 0;

    // The picture position of a point, as held in the working copy.
    ScreenPoint position(Point p) const;
    // Whether the state icon shows the grid as ready ("face02") rather than not ("msgbox03").
    bool stateShownReady() const { return m_stateReady; }
    // The status line: what the last Complete, Save or Load did, and where.
    QString statusText() const;
    // The overlay items that make up the current drawing (markers, old positions, skier paths).
    const std::vector<PictureView::ItemId>& drawing() const { return m_drawing; }
    // Shows the entry record in the fields without running their change handlers.
    void showEntries();

public Q_SLOTS:
    void Form_Load();
    void Form_Activate();
    void Form_MouseDown(QPointF twips);
    void upper_left_button_Click();
    void upper_right_button_Click();
    void lower_left_button_Click();
    void lower_right_button_Click();
    void optCheckBuoy_Click();
    // Every buoy, survey, jump and check buoy field runs this on a change.
    void entry_Change();
    void AdjustUp_Click();
    void AdjustDown_Click();
    void AdjustLeft_Click();
    void AdjustRight_Click();
    void keyTimer_Timer();
    void Show_grid();
    void chkboxGridLock_Click();
    void grid_select_Click();
    void Load_Click();
    void btnAccuracyCheck_Click();
    void optStandardAccuracy_Click();
    void optAdvancedAccuracy_Click();
    void clear_accuracy_indicator();
    void txtPicWidth_Change();
    void gridLoad_Click();
    void gridSave_Click();
    void mnuLoadPicture_Click();
    void mnuClearPicture_Click();
    void mnuPaste_Click();
    void mnuCalibrate_Click();
    void gridExit_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* fieldX(Point p) const;
    QLineEdit* fieldY(Point p) const;
    QRadioButton* option(Point p) const;
    std::optional<Point> selectedPoint() const;
    void readEntries();
    void movePoints(std::optional<Point> selected, std::optional<ScreenPoint> target,
                    ScreenPoint step);
    void setPictureSize(double width_twips, double height_twips);
    void takePicture(const LoadedPicture& loaded);
    void setStateIcon(bool ready);
    void setAccuracyControls(bool visible);
    void clearDrawing();
    PictureView::ItemId draw(PictureView::ItemId id);
    void hidePredictedCheckBuoy();
    // Where the grid puts the check buoy; off the picture, an arrow from the marked one to it.
    void markPredictedCheckBuoy(ScreenPoint p, ScreenPoint marked);
    void showGrid(int grid);

    Station& m_station;
    std::vector<PictureView::ItemId> m_drawing;
    bool m_stateReady = false;
};

} // namespace fw
