#pragma once

// The measurement screen's controls and their layout: the picture with the panels and marks laid
// over it, and the side panel of figures, outcome options and commands. No rules live here.

#include "settings/StationSettings.h"
#include "widgets/PictureView.h"

#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace fw {

class MeasurementScreenForm {
public:
    // Builds every control on window, each named (object name) as its member.
    void build(QMainWindow& window);

    // Text in the given colour, for labels, options and read-outs alike.
    static void setTextColor(QWidget* widget, Rgb rgb);

    PictureView* picture = nullptr;
    QWidget* sidePanel = nullptr;

    // What the jump came to.
    QRadioButton* jumpOkOption = nullptr;
    QRadioButton* passOption = nullptr;
    QRadioButton* fallOption = nullptr;
    QRadioButton* optionalRerideOption = nullptr;
    QRadioButton* mandatoryRerideOption = nullptr;
    QRadioButton* otherGridOption = nullptr;
    QRadioButton* commentOption = nullptr;

    // The jump's figures.
    QComboBox* skierNameBox = nullptr;
    QLineEdit* jumpNumberEdit = nullptr;
    QLineEdit* metersEdit = nullptr;
    QLineEdit* feetEdit = nullptr;
    // Beside the meters: how far the measured distance can be off from picture rounding.
    QLabel* distanceUncertaintyLabel = nullptr;
    QLineEdit* commentEdit = nullptr;
    QLabel* iwsfDistanceLabel = nullptr;
    QLabel* awsaDistanceLabel = nullptr;
    QLabel* tournamentTypeLabel = nullptr; // "Barefoot Jump" or "Sit Ski Jump"

    // Verify mode: the read-outs under the mouse and their captions.
    QLineEdit* pictureXEdit = nullptr;
    QLineEdit* pictureYEdit = nullptr;
    QLineEdit* waterXEdit = nullptr;
    QLineEdit* waterYEdit = nullptr;
    QLineEdit* verifyDistanceEdit = nullptr;
    QLabel* verifyUncertaintyLabel = nullptr;
    std::array<QLabel*, 5> verifyCaptions{};
    QLabel* unofficialLabel = nullptr;

    // Commands.
    QPushButton* recordButton = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* showGridButton = nullptr;
    QPushButton* verifyButton = nullptr;
    QPushButton* nextGridButton = nullptr;
    QPushButton* captureNextJumpButton = nullptr;
    QToolButton* clipboardButton = nullptr;
    QToolButton* snapshotButton = nullptr;
    QCheckBox* autoLoadCheck = nullptr;

    // Panels over the picture, each dragged by its label.
    QLabel* adjustLabel = nullptr;
    QToolButton* adjustLeftButton = nullptr;
    QToolButton* adjustRightButton = nullptr;
    QToolButton* adjustUpButton = nullptr;
    QToolButton* adjustDownButton = nullptr;
    QLabel* crossSizeLabel = nullptr;
    QScrollBar* crossSizeBar = nullptr;
    QLabel* gridDescriptionCaption = nullptr;
    QLabel* gridDescriptionLabel = nullptr;
    QLabel* pictureNameLabel = nullptr;
    QLabel* frozenLabel = nullptr;

    // Marks on the picture: the impact cross with a dark (or, around a dark colour, light)
    // outline on both sides of each arm so that it shows on any water, the splash indicator, and
    // the upper buoys' distances from the jump point.
    PictureView::ItemId crossHorizontalLine = 0;
    PictureView::ItemId crossVerticalLine = 0;
    std::array<PictureView::ItemId, 4> crossOutline{};
    PictureView::ItemId splashLine = 0;
    PictureView::ItemId upperLeftBuoyFeet = 0;
    PictureView::ItemId upperLeftBuoyMeters = 0;
    PictureView::ItemId upperRightBuoyFeet = 0;
    PictureView::ItemId upperRightBuoyMeters = 0;

    // Menu.
    QAction* savePictureAction = nullptr;
    QAction* loadPictureAction = nullptr;
    QAction* pasteAction = nullptr;
    QAction* resultsAction = nullptr;
    QAction* calibrateAction = nullptr;
    QAction* captureNextJumpAction = nullptr;
    QAction* viewLogAction = nullptr;
    QAction* exitAction = nullptr;

    // The micro-adjust panel's label and arrows, shown while an impact point is being placed.
    std::array<QWidget*, 5> adjustPanel() const;

private:
    void buildFigures(QWidget* panel, QVBoxLayout* side);
    void buildOutcome(QWidget* panel, QVBoxLayout* side);
    void buildCommands(QWidget* panel, QVBoxLayout* side);
    void buildReadouts(QWidget* panel, QVBoxLayout* side);
    void buildOverlays();
    void buildMarks();
    void buildMenu(QMainWindow& window);
    void nameControls();
};

} // namespace fw
