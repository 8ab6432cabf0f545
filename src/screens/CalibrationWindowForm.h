#pragma once

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;

namespace fw {

// The calibration assistant's controls and their layout; the window connects them.
class CalibrationWindowForm {
public:
    void build(QMainWindow& window);

    // Picture positions (twips) and water positions (meters) of the line's two ends.
    QLineEdit* point1PictureXEdit = nullptr;
    QLineEdit* point1PictureYEdit = nullptr;
    QLineEdit* point2PictureXEdit = nullptr;
    QLineEdit* point2PictureYEdit = nullptr;
    QLineEdit* point1ActualXEdit = nullptr;
    QLineEdit* point1ActualYEdit = nullptr;
    QLineEdit* point2ActualXEdit = nullptr;
    QLineEdit* point2ActualYEdit = nullptr;
    // Which kind of position is typed in ("Actual" or "Screen"); the other kind is computed.
    QPushButton* inputKindButton = nullptr;
    QPushButton* drawButton = nullptr;
    QPushButton* eraseButton = nullptr;
    QLabel* pictureColumnLabel = nullptr;
    QLabel* actualColumnLabel = nullptr;
    QAction* exitAction = nullptr;
};

} // namespace fw
