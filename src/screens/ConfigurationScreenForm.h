#pragma once

// The configuration screen's widgets and their layout; the screen (ConfigurationScreen) holds
// the rules.

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QRadioButton;

namespace fw {

struct ConfigurationScreenForm {
    QLineEdit* tournamentEdit = nullptr;
    QLineEdit* resultsFileEdit = nullptr;
    QPushButton* findResultsFileButton = nullptr;
    QLineEdit* picturesFolderEdit = nullptr;
    QLineEdit* setupFilesFolderEdit = nullptr;
    QLineEdit* skierNameFileEdit = nullptr;
    QPushButton* findSkierNameFileButton = nullptr;

    QGroupBox* gridCountBox = nullptr;
    QRadioButton* oneGridOption = nullptr;
    QRadioButton* twoGridsOption = nullptr;
    QRadioButton* threeGridsOption = nullptr;

    QCheckBox* barefootCheck = nullptr;
    QCheckBox* sitSkiCheck = nullptr;
    QCheckBox* lineControlCheck = nullptr;
    QCheckBox* wstimsCheck = nullptr;
    QLabel* exchangeFolderCautionLabel = nullptr;
    QCheckBox* magnifierCheck = nullptr;
    QPushButton* restartMagnifierButton = nullptr;

    QGroupBox* jumpDirectionBox = nullptr;
    QRadioButton* rightToLeftOption = nullptr;
    QRadioButton* leftToRightOption = nullptr;

    QGroupBox* markerStyleBox = nullptr;
    QRadioButton* crossMarkerOption = nullptr;
    QRadioButton* circleMarkerOption = nullptr;

    QGroupBox* messageColorBox = nullptr;
    QRadioButton* whiteMessageOption = nullptr;
    QRadioButton* blackMessageOption = nullptr;
    QRadioButton* yellowMessageOption = nullptr;
    QRadioButton* defaultMessageOption = nullptr;

    QGroupBox* impactColorBox = nullptr;
    QRadioButton* whiteImpactOption = nullptr;
    QRadioButton* blackImpactOption = nullptr;
    QRadioButton* yellowImpactOption = nullptr;
    QRadioButton* redImpactOption = nullptr;

    QGroupBox* pictureSaveBox = nullptr;
    QRadioButton* askPictureOption = nullptr;
    QRadioButton* neverSavePictureOption = nullptr;
    QRadioButton* alwaysSavePictureOption = nullptr;

    QGroupBox* videoSaveBox = nullptr;
    QRadioButton* askVideoOption = nullptr;
    QRadioButton* neverSaveVideoOption = nullptr;
    QRadioButton* alwaysSaveVideoOption = nullptr;

    QAction* exitAndSaveAction = nullptr;

    void build(QMainWindow& window);
};

} // namespace fw
