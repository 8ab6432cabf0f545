#pragma once

#include "grid/Geometry.h"
#include "screens/MeasurementScreenForm.h"

#include <QMainWindow>

#include <optional>

class QRadioButton;
class QTimer;

namespace fw {

class Station;
struct JumpEntries;
struct RecordedJump;

// The measurement screen: a still picture of the moment of first contact, the impact point the
// operator clicks and nudges, the impact marker and splash indicator drawn through the current
// grid, and the recording of the jump.
class MeasurementScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit MeasurementScreen(Station& station, QWidget* parent = nullptr);
    ~MeasurementScreen() override;

    MeasurementScreenForm& form() { return m_form; }
    // The picture, for the calibration window's lines.
    PictureView& pictureView() { return *m_form.picture; }

    // The impact point as last placed or nudged, in picture twips.
    ScreenPoint impactPoint() const { return m_impact; }
    // Whether the picture came from the clipboard, a snapshot or the picture log menu: it stays
    // until Clear and the jump number waits for it.
    bool isPictureHeld() const { return m_pictureHeld; }
    // Whether the clipboard hand-over is being watched for a picture.
    bool isWatchingHandOver() const;

    // Puts a picture on the screen as the named picture (the picture log's "View Picture").
    bool showPictureFile(const QString& path, const QString& shownName);
    // Refreshes the choices that come from the configuration screen (colours, tournament
    // type, grid button, skier names).
    void applySettings();
    // The skier the capture screen records becomes this screen's, with the pass as the jump
    // number when one is given.
    void takeSkier(const QString& name, const QString& pass = QString());
    // The description of the grid just loaded or saved on the grid setup screen.
    void showGridDescription(const QString& description);
    // Measuring starts on grid 1: its buoy distance labels and description go on the picture.
    void showBuoyDistanceLabels();

public Q_SLOTS:
    // The screen's state when it is first made.
    void prepare();
    // Each showing: the frame marked on the frame selection screen arrives, the marker is
    // drawn and the timers run.
    void arrive();
    void drawImpactMarker();
    void placeImpactPoint(QPointF twips);
    void showReadoutsAt(QPointF twips);
    void nudgeLeft();
    void nudgeRight();
    void nudgeUp();
    void nudgeDown();
    void nudgeByHeldArrowKeys();
    void takeHandedOverPicture();
    void toggleVerifyMode();
    void selectNextGrid();
    void clearJump();
    void recordJump();
    void startNewSkier();
    void takeClipboardPicture();
    void takeSnapshotPicture();
    void loadPicture();
    bool savePicture();
    void captureNextJump();
    void exitToMainScreen();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();
    void connectOutcomeOptions();
    void onAutoLoadClicked();
    void onFallChosen();
    void onPassChosen();
    void onOtherGridChosen();
    void recordMandatoryReride();
    void recordOptionalReride();
    void addComment();
    void openResults();
    void openCalibration();
    void openPictureLog();

    void scheduleRedraw();
    void drawCross(Rgb color);
    void drawSplashIndicator(Rgb color);
    void clearOption(QRadioButton* option);
    void setComment(const QString& text);
    void setAdjustPanelVisible(bool visible);
    void holdPicture(const QString& shownName);
    void pictureArrived();
    void setMarkerVisible(bool visible);
    void warnAboutUnstorableName();
    void applyPictureSavePolicy();
    void writeNote(const QString& comment);
    void emptyBuoyLabels();
    void clearDistance();
    JumpEntries jumpEntries() const;
    void showRecordedFigures(const RecordedJump& recorded);

    Station& m_station;
    MeasurementScreenForm m_form;
    QTimer* m_arrowKeyTimer = nullptr; // moves the marker while an arrow key is held
    QTimer* m_handOverTimer = nullptr; // watches the clipboard hand-over
    bool m_redrawPending = false;
    bool m_verifyMode = false;

    ScreenPoint m_impact;
    // Whether the impact point was clicked on the picture now shown: a picture that arrives
    // clears it, so that no earlier point is recorded for this jump.
    bool m_impactClicked = false;
    // Where the marker was last drawn: nudges step from there.
    ScreenPoint m_lastDrawn;
    bool m_pictureHeld = false;
    // The survey position last computed, and the precise distance of the last measured jump:
    // Fall and Pass repeat them.
    SurveyPoint m_lastSurvey;
    QString m_lastPrecise;
    // The meters text that the uncertainty beside it belongs to.
    QString m_measuredMeters;
    // The skier name the operator was last told about, so that it is said once.
    QString m_nameWarnedAbout;
};

} // namespace fw
