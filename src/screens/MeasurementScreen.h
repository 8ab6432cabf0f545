#pragma once

#include "grid/Geometry.h"
#include "widgets/PictureView.h"

#include <QMainWindow>

#include <array>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class QToolButton;

namespace fw {

class Station;
struct JumpResult;

// The measurement screen: a still picture of the moment of first contact, the impact point the
// operator clicks and nudges, the impact marker and splash indicator drawn through the current
// grid, and the recording of the jump.
class MeasurementScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit MeasurementScreen(Station& station, QWidget* parent = nullptr);
    ~MeasurementScreen() override;

    PictureView* picture = nullptr;
    PictureView& pictureView() { return *picture; }

    // Outcome options.
    QRadioButton* optJumpOK = nullptr;
    QRadioButton* Pass = nullptr;
    QRadioButton* Fall = nullptr;
    QRadioButton* O_reride = nullptr;
    QRadioButton* M_Reride = nullptr;
    QRadioButton* Other_Grid = nullptr;
    QRadioButton* Make_comment = nullptr;

    // Values.
    QComboBox* Skier_name = nullptr;
    QLineEdit* Jump_no = nullptr;
    QLineEdit* distance = nullptr;
    QLineEdit* distance_ft = nullptr;
    // Beside the meters: how far the measured distance can be off from picture rounding.
    QLabel* distanceUncertainty = nullptr;
    QLineEdit* Comment = nullptr;
    QLabel* grid_description = nullptr;
    QLabel* barefoot_indicator = nullptr;
    QLabel* gif_file_name = nullptr;
    QLabel* IWSFlabel = nullptr;
    QLabel* AWSAlabel = nullptr;

    // Verify mode.
    QLineEdit* xtwips = nullptr;
    QLineEdit* ytwips = nullptr;
    QLineEdit* xposition = nullptr;
    QLineEdit* yposition = nullptr;
    QLineEdit* VerifyDistance = nullptr;
    QLabel* verifyUncertainty = nullptr; // the bound of the distance under the mouse
    QLabel* UnofficialJump = nullptr;
    // What each of the five read-outs shows.
    std::array<QLabel*, 5> verifyLabels{};

    // Commands.
    QPushButton* Record = nullptr;
    QPushButton* Unfreeze = nullptr;
    QPushButton* Show_grid = nullptr;
    QPushButton* verify = nullptr;
    QPushButton* Set_grid = nullptr;
    QPushButton* btnNextJump = nullptr;
    QCheckBox* cbAutoLoadClipboard = nullptr;
    QToolButton* ClipSnapShot = nullptr;
    QToolButton* ImgSnapShot = nullptr;

    // Panels over the picture.
    QLabel* AdjustmentLabel = nullptr;
    QToolButton* AdjustLeft = nullptr;
    QToolButton* AdjustRight = nullptr;
    QToolButton* AdjustUp = nullptr;
    QToolButton* AdjustDown = nullptr;
    QLabel* CrossLabel = nullptr;
    QScrollBar* CrossSize = nullptr;
    QLabel* gridlabel = nullptr;
    QLabel* FrozenSign = nullptr;

    // Marker lines and buoy distance labels drawn on the picture.
    PictureView::ItemId lineHorizontalImpact = 0;
    PictureView::ItemId lineVerticalImpact = 0;
    PictureView::ItemId lineSplashIndicator = 0;
    // A dark (or, around a dark colour, light) outline on both sides of each arm of the cross,
    // so that it shows on bright and on dark water alike.
    std::array<PictureView::ItemId, 4> crossOutline{};
    PictureView::ItemId maxbuoy = 0;
    PictureView::ItemId maxbuoym = 0;
    PictureView::ItemId minbuoy = 0;
    PictureView::ItemId minbuoym = 0;

    // Menu.
    QAction* SavePict = nullptr;
    QAction* LoadPict = nullptr;
    QAction* mnuPaste = nullptr;
    QAction* mnuResults = nullptr;
    QAction* mnuCalibrate = nullptr;
    QAction* mnuCapture = nullptr;
    QAction* mnuViewLog = nullptr;
    QAction* Exit = nullptr;

    QTimer* keyTimer = nullptr;
    QTimer* loadTimer = nullptr;

    // Screen state.
    ScreenPoint impact;
    // Whether the impact point was clicked on the picture now shown: a picture that arrives
    // clears it, so that no earlier point is recorded for this jump.
    bool impactClicked = false;
    ScreenPoint lastDrawn;
    ScreenPoint splashPoint;
    std::optional<SurveyPoint> impactSurvey;
    bool pictureHeld = false;
    QString pictureWidth; // twips, of the last picture loaded from a file
    QString pictureHeight;

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
    void Form_Load();
    void Form_Activate();
    void DrawImpactMark();
    void Form_MouseDown(QPointF twips);
    void Form_MouseMove(QPointF twips);
    void AdjustLeft_Click();
    void AdjustRight_Click();
    void AdjustUp_Click();
    void AdjustDown_Click();
    void keyTimer_Timer();
    void loadTimer_Timer();
    void cbAutoLoadClipboard_Click();
    void verify_Click();
    void Set_grid_Click();
    void Show_grid_Click();
    void Unfreeze_Click();
    void Record_Click();
    void Fall_Click();
    void Pass_Click();
    void Other_Grid_Click();
    void optJumpOK_Click();
    void M_Reride_Click();
    void O_reride_Click();
    void Make_comment_Click();
    void Skier_name_Change();
    void mnuPaste_Click();
    void ClipSnapShot_Click();
    void ImgSnapShot_Click();
    void LoadPict_Click();
    void SavePict_Click();
    void mnuResults_Click();
    void mnuCalibrate_Click();
    void mnuViewLog_Click();
    void mnuCapture_Click();
    void btnNextJump_Click();
    void Exit_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void scheduleRedraw();
    void clearOption(QRadioButton* option);
    void setComment(const QString& text);
    void takeClipboardPicture();
    void holdPicture(const QString& shownName);
    void pictureArrived();
    void setMarkerVisible(bool visible);
    void warnAboutUnstorableName();
    void applyPictureSavePolicy();
    bool pictureSaved();
    void writeNote(const QString& comment);
    void emptyBuoyLabels();
    bool recordMeasuredDistance(JumpResult& jump);

    Station& m_station;
    bool m_redrawPending = false;
    // The survey and picture positions last computed, and the precise distance of the last
    // measured jump: Fall and Pass repeat them.
    SurveyPoint m_lastSurvey;
    QString m_lastPrecise;
    // The meters text that the uncertainty beside it belongs to.
    QString m_measuredMeters;
    QWidget* m_sidePanel = nullptr;
    // The skier name the operator was last told about, so that it is said once.
    QString m_nameWarnedAbout;
};

} // namespace fw
