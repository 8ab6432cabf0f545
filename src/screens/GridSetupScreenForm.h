#pragma once

#include "widgets/PictureView.h"

#include <array>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace fw {

// The grid setup screen's controls and their layout: the picture with its panels and labels,
// the point choice, the entry fields, the commands and the menu. It holds no rules; the screen
// connects the controls and decides what they show.
class GridSetupScreenForm {
public:
    void build(QMainWindow& window);

    PictureView* picture = nullptr;

    // Which point the next click places.
    QGroupBox* pointChoiceBox = nullptr;
    QRadioButton* upperLeftOption = nullptr;
    QRadioButton* upperRightOption = nullptr;
    QRadioButton* lowerLeftOption = nullptr;
    QRadioButton* lowerRightOption = nullptr;
    QRadioButton* checkBuoyOption = nullptr;

    // Picture positions (twips) and surveyed positions (meters) of the four buoys.
    QLineEdit* upperLeftPictureXEdit = nullptr;
    QLineEdit* upperLeftPictureYEdit = nullptr;
    QLineEdit* upperRightPictureXEdit = nullptr;
    QLineEdit* upperRightPictureYEdit = nullptr;
    QLineEdit* lowerLeftPictureXEdit = nullptr;
    QLineEdit* lowerLeftPictureYEdit = nullptr;
    QLineEdit* lowerRightPictureXEdit = nullptr;
    QLineEdit* lowerRightPictureYEdit = nullptr;
    QLineEdit* upperLeftSurveyXEdit = nullptr;
    QLineEdit* upperLeftSurveyYEdit = nullptr;
    QLineEdit* upperRightSurveyXEdit = nullptr;
    QLineEdit* upperRightSurveyYEdit = nullptr;
    QLineEdit* lowerLeftSurveyXEdit = nullptr;
    QLineEdit* lowerLeftSurveyYEdit = nullptr;
    QLineEdit* lowerRightSurveyXEdit = nullptr;
    QLineEdit* lowerRightSurveyYEdit = nullptr;
    // The surveyed position of the jump, the origin of every distance.
    QLineEdit* jumpXEdit = nullptr;
    QLineEdit* jumpYEdit = nullptr;
    // The check buoy: surveyed position and picture position.
    QLabel* checkBuoyLabel = nullptr;
    QLineEdit* checkBuoySurveyXEdit = nullptr;
    QLineEdit* checkBuoySurveyYEdit = nullptr;
    QLineEdit* checkBuoyPictureXEdit = nullptr;
    QLineEdit* checkBuoyPictureYEdit = nullptr;
    // The two descriptive lines saved with the grid.
    QLineEdit* descriptionEdit = nullptr;
    QLineEdit* description2Edit = nullptr;
    QLineEdit* pictureWidthEdit = nullptr;
    QLineEdit* pictureHeightEdit = nullptr;

    // Commands.
    QPushButton* gridChoiceButton = nullptr; // shows the grid being set up; a click takes the next
    QLabel* gridStateIcon = nullptr;
    QPushButton* completeButton = nullptr;
    QPushButton* drawBuoysButton = nullptr;
    QCheckBox* gridLockBox = nullptr;

    // Panels over the picture, dragged by their labels.
    QLabel* markerSizeLabel = nullptr;
    QScrollBar* markerSizeBar = nullptr;
    QLabel* microAdjustLabel = nullptr;
    QToolButton* adjustUpButton = nullptr;
    QToolButton* adjustDownButton = nullptr;
    QToolButton* adjustLeftButton = nullptr;
    QToolButton* adjustRightButton = nullptr;
    QLabel* gridLockedLabel = nullptr;
    QLabel* gridLockedDragLabel = nullptr;

    // The accuracy check: the kind of check and, for the advanced one, what each point shows.
    QPushButton* accuracyButton = nullptr;
    QGroupBox* accuracyKindBox = nullptr;
    QRadioButton* standardAccuracyOption = nullptr;
    QRadioButton* advancedAccuracyOption = nullptr;
    QGroupBox* accuracyShowBox = nullptr;
    QRadioButton* showDistanceOption = nullptr;
    QRadioButton* showDetailOption = nullptr;
    QRadioButton* showHomologationLevelOption = nullptr;

    // Items on the picture that behave as labels of the screen: the drawing (markers, skier
    // paths) is cleared and redrawn around them. All start hidden.
    static constexpr int kAccuracyLabelCount = 51;
    static constexpr int kSkierPathLabelCount = 11;
    std::array<PictureView::ItemId, kAccuracyLabelCount> accuracyLabels{};
    std::array<PictureView::ItemId, kSkierPathLabelCount> skierPathLabels{};
    // Where the grid puts the check buoy when the marked one does not validate.
    PictureView::ItemId predictedCheckBuoyLabel = 0;
    PictureView::ItemId predictedCheckBuoyDot = 0;
    PictureView::ItemId predictedCheckBuoyCircle = 0;
    PictureView::ItemId predictedCheckBuoyLine = 0;

    // Menu.
    QAction* loadGridAction = nullptr;
    QAction* saveGridAction = nullptr;
    QMenu* pictureMenu = nullptr;
    QAction* loadPictureAction = nullptr;
    QAction* clearPictureAction = nullptr;
    QAction* pastePictureAction = nullptr;
    QAction* calibrateAction = nullptr;
    QAction* exitAction = nullptr;

private:
    void buildFields(QWidget* side, QVBoxLayout* panel);
    void buildCommands(QWidget* side, QVBoxLayout* panel);
    void buildPanelsOverPicture();
    void buildPictureLabels();
    void buildMenu(QMainWindow& window);
};

} // namespace fw
