#pragma once

#include "grid/Calibration.h"
#include "screens/CalibrationWindowForm.h"
#include "widgets/PictureView.h"

#include <QMainWindow>

#include <optional>

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

    CalibrationWindowForm& form() { return m_form; }

    // The lines shown on one picture: the previous one in magenta, the new one in white.
    struct Shown {
        PictureView::ItemId old = 0;
        PictureView::ItemId current = 0;
    };
    const Shown& shownOnMeasurement() const { return m_onMeasurement; }
    const Shown& shownOnGridSetup() const { return m_onGridSetup; }

public Q_SLOTS:
    void toggleInputKind();
    void drawLine();
    void eraseLines();

private:
    CalibrationFields fields() const;
    void showFields(const CalibrationFields& f);
    void drawOn(PictureView& view, Shown& shown, const CalibrationLine& line);
    static void erase(PictureView& view, Shown& shown);

    Station& m_station;
    CalibrationWindowForm m_form;
    Shown m_onMeasurement;
    Shown m_onGridSetup;
    // The line drawn last, kept for the whole run.
    std::optional<CalibrationLine> m_previous;
};

} // namespace fw
