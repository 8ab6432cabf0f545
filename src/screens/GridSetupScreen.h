#pragma once

#include "grid/GridSetupRules.h"
#include "screens/GridSetupScreenForm.h"

#include <QMainWindow>

#include <optional>
#include <vector>

class QTimer;

namespace fw {

class Station;
struct AccuracyCheck;
struct LoadedPicture;

// The grid setup screen: on a still camera picture the operator places the four buoys and the
// check buoy, types their surveyed positions and completes the grid; grids are saved and loaded
// here, and the accuracy of a completed grid is shown on the picture.
class GridSetupScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit GridSetupScreen(Station& station, QWidget* parent = nullptr);
    ~GridSetupScreen() override;

    GridSetupScreenForm& form() { return m_form; }
    // The picture the calibration lines are drawn on.
    PictureView& pictureView() { return *m_form.picture; }

    // The picture position of a point, as held in the working copy.
    ScreenPoint position(GridPoint point) const;
    // Whether the state icon shows the grid as ready ("face02") rather than not ("msgbox03").
    bool stateShownReady() const { return m_stateReady; }
    // The status line: what the last Complete, Save or Load did, and where.
    QString statusText() const;
    // The overlay items that make up the current drawing (markers, old positions, skier paths).
    const std::vector<PictureView::ItemId>& drawing() const { return m_drawing; }

public Q_SLOTS:
    // Once, when the station creates the screen: the current grid shown, the grid unlocked.
    void prepare();
    // Each time the screen is shown: follows the current grid and takes a marked frame.
    void arrive();
    // A click on the picture places the chosen point there.
    void placeChosenPoint(QPointF twips);
    // Every held arrow key nudges the chosen point (or the locked grid); run by a timer.
    void nudgeByHeldArrows();
    void drawMarkers();
    void showNextGrid();
    void completeGrid();
    void checkAccuracy();
    void loadGridFile();
    void saveGridFile();
    void loadPicture();
    void clearPicture();
    void pastePicture();
    void openCalibration();
    void leave();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();
    void onPointChosen();
    void onEntryEdited();
    void onGridLockClicked();
    void onPictureWidthEdited();
    void onStandardAccuracyChosen();
    void onAdvancedAccuracyChosen();
    void nudge(ScreenPoint step);
    QLineEdit* pictureXEdit(GridPoint point) const;
    QLineEdit* pictureYEdit(GridPoint point) const;
    std::optional<GridPoint> chosenPoint() const;
    // The entry record as the fields show it; readEntries stores it in the station.
    GridEntries shownEntries() const;
    void readEntries();
    void showEntries();
    void movePoints(std::optional<ScreenPoint> target, ScreenPoint step);
    void setPictureSize(double width_twips, double height_twips);
    void takePicture(const LoadedPicture& loaded);
    void setStateIcon(bool ready);
    void setAccuracyControls(bool visible);
    void hideAccuracyLabels();
    void showAccuracyLabels(const AccuracyCheck& check, bool standard);
    // The candidate skier paths drawn and numbered; the one the operator picks shows its labels.
    void offerSkierPaths(const AccuracyCheck& check);
    void setMainGridRow(const GridRowChange& row);
    void clearDrawing();
    PictureView::ItemId draw(PictureView::ItemId id);
    void hidePredictedCheckBuoy();
    // Where the grid puts the check buoy; off the picture, an arrow from the marked one to it.
    void markPredictedCheckBuoy(ScreenPoint predicted, ScreenPoint marked);
    void showGrid(int grid);

    Station& m_station;
    GridSetupScreenForm m_form;
    // Arrow keys held down move points at this timer's pace.
    QTimer* m_arrowKeyTimer = nullptr;
    // The previous-position marker size: twice the slider's value when the screen was prepared.
    double m_previousMarkerSize_twips = 0;
    std::vector<PictureView::ItemId> m_drawing;
    bool m_stateReady = false;
};

} // namespace fw
