#pragma once

#include "grid/Calibration.h"
#include "widgets/PictureView.h"

#include <QMainWindow>

#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fw {

class Station;

// The calibration assistant: two points entered as survey positions or as picture positions are
// converted into the other kind with the current grid, and the line between them is drawn on the
// measurement and grid setup pictures to compare with a known line on the water. One window per
// run; closing only hides it, so its fields and the remembered line stay for the next opening.
class CalibrationWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit CalibrationWindow(Station& station, QWidget* parent = nullptr);

    QLineEdit* CalibrationLineXTwips = nullptr;
    QLineEdit* CalibrationLineYTwips = nullptr;
    QLineEdit* CalibrationLineXTwips2 = nullptr;
    QLineEdit* CalibrationLineYTwips2 = nullptr;
    QLineEdit* CalibrationLineXActual = nullptr;
    QLineEdit* CalibrationLineYActual = nullptr;
    QLineEdit* CalibrationLineXActual2 = nullptr;
    QLineEdit* CalibrationLineYActual2 = nullptr;
    QPushButton* CalibrationLineUnitsSelect = nullptr;
    QPushButton* CalibrateLineDrawCommand = nullptr;
    QPushButton* CalibrationLineErase = nullptr;
    QLabel* CalibrationLineScreenLabel = nullptr;
    QLabel* CalibrationLineActualLabel = nullptr;
    QAction* formexit = nullptr;

    // The lines shown on one picture: the previous one in magenta, the new one in white.
    struct Shown {
        PictureView::ItemId old = 0;
        PictureView::ItemId current = 0;
    };
    Shown onMeasure;
    Shown onGridSetup;
    // The line drawn last, kept for the whole run.
    std::optional<CalibrationLine> previous;

public Q_SLOTS:
    void CalibrationLineUnitsSelect_Click();
    void CalibrateLineDrawCommand_Click();
    void CalibrationLineErase_Click();
    void formexit_Click();

private:
    CalibrationFields fields() const;
    void showFields(const CalibrationFields& f);
    void drawOn(PictureView& view, Shown& shown, const CalibrationLine& line);
    static void erase(PictureView& view, Shown& shown);

    Station& m_station;
};

} // namespace fw
