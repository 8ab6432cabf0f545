#pragma once

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace fw {

class FramePlayer;

// The frame selection screen's controls and their layout. Each control's object name is its
// member's name.
class FrameSelectionScreenForm {
public:
    void build(QWidget& screen);

    // The player with the step buttons and the position under it.
    FramePlayer* player = nullptr;
    QPushButton* stepBackButton = nullptr;
    QLineEdit* positionEdit = nullptr;
    QPushButton* stepForwardButton = nullptr;

    // The last key, for diagnosis.
    QLabel* keyTestLabel = nullptr;
    QLineEdit* lastKeyEdit = nullptr;
    QLabel* keyDownLabel = nullptr;
    QLineEdit* keyDownEdit = nullptr;
    QLabel* mediaKeyLabel = nullptr;

    QLabel* browseLabel = nullptr;
    QPushButton* browseButton = nullptr;
    QLineEdit* videoPathEdit = nullptr;
    QLabel* instructionLabel = nullptr;

    // The play-backs: seconds and number of plays before the start and before the run's end.
    QPushButton* playBeforeStartButton = nullptr;
    QLineEdit* secondsBeforeStartEdit = nullptr;
    QLineEdit* startPlaysEdit = nullptr;
    QLineEdit* startPlayTimeEdit = nullptr; // the milliseconds a play before the start is given
    QPushButton* playBeforeEndButton = nullptr;
    QLineEdit* secondsBeforeEndEdit = nullptr;
    QLineEdit* endPlaysEdit = nullptr;
    QLabel* secondsLabel = nullptr;
    QPushButton* playToEndButton = nullptr;
    QCheckBox* continueAfterEndCheck = nullptr;
    QLabel* continueAfterEndLabel = nullptr;
    QCheckBox* fullScreenCheck = nullptr;

    QPushButton* measureFrameButton = nullptr;
    QPushButton* gridSetupFrameButton = nullptr;

    QListWidget* fileInfoList = nullptr;
    QLabel* diskSpaceCaption = nullptr;
    QLabel* diskSpaceValue = nullptr;
    QLabel* lowDiskSpaceWarning = nullptr;
    QLabel* barefootLabel = nullptr;

    QPushButton* recordNextPassButton = nullptr;
    QPushButton* mainScreenButton = nullptr;
    QPushButton* viewLogButton = nullptr;

private:
    // The parts of the layout, built in the screen's tab order.
    QVBoxLayout* buildPlayerColumn(QWidget& screen);
    QGridLayout* buildPlayBackRows(QWidget& screen);
    QHBoxLayout* buildDiskSpaceRow(QWidget& screen);
};

} // namespace fw
