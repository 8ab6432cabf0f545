#pragma once

// The capture screen's widgets and their layout; the screen (CaptureScreen) holds the rules.

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;

namespace fw {

struct CaptureScreenForm {
    QLabel* livePicture = nullptr;
    QLineEdit* skierNameEdit = nullptr;
    QLineEdit* passEdit = nullptr;
    QComboBox* captureTimeCombo = nullptr;
    QLabel* timeLeftLabel = nullptr;
    QLabel* framesLabel = nullptr;
    QLabel* framesDroppedLabel = nullptr;
    QLabel* frameRateLabel = nullptr; // the rate the camera records at
    QLabel* contactFrameLabel = nullptr;
    QPushButton* startRecordingButton = nullptr;
    QPushButton* contactButton = nullptr;
    QPushButton* stopRecordingButton = nullptr;
    QLabel* escapeHintLabel = nullptr;
    QLabel* nameChangedLabel = nullptr;
    QLineEdit* lastKeyEdit = nullptr;
    QPushButton* selectNameButton = nullptr;
    QPushButton* wstimsNameButton = nullptr;
    QPushButton* viewRecordedButton = nullptr;
    QPushButton* backToMainButton = nullptr;
    QAction* startRecordingAction = nullptr;

    void build(QMainWindow& window);
};

} // namespace fw
