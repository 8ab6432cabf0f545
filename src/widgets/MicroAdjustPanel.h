#pragma once

class QLabel;
class QToolButton;

namespace fw {

class PictureView;

// The "Micro-Adjust (drag-it)" panel laid over a picture: a handle label and the four arrow
// buttons that move one pixel at a time; dragging the label moves the arrows with it.
struct MicroAdjustPanel {
    QLabel* label = nullptr;
    QToolButton* up = nullptr;
    QToolButton* left = nullptr;
    QToolButton* right = nullptr;
    QToolButton* down = nullptr;
};

MicroAdjustPanel addMicroAdjustPanel(PictureView& view);

} // namespace fw
