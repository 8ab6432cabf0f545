// The grid setup screen: its connections, the entry record, the grid choice, Complete, Save,
// Load File and leaving. What it draws on the picture is in GridSetupScreenPicture.cpp.

#include "screens/GridSetupScreen.h"

#include "grid/Accuracy.h"
#include "grid/GridCompletion.h"
#include "grid/GridEntries.h"
#include "grid/GridFiles.h"
#include "measure/ResultsFile.h"
#include "platform/KeyboardState.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "screens/setByProgram.h"
#include "station/Station.h"
#include "support/dialogs.h"
#include "support/textforms.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include <utility>

namespace fw {

namespace {

constexpr double kStep_twips = 15;

const QString kLockRefused = QStringLiteral(
    "Cannot Lock Grid Until buoy positions have been entered for all four buoys and check buoy");
const QString kLeaveQuestion =
    QStringLiteral("Do you want to leave the grid setup with all configured grids not setup?");

// Each entry field with the member of the entry record it shows.
using FieldBinding = std::pair<QLineEdit*, QString GridEntries::*>;
std::array<FieldBinding, 24> fieldBindings(const GridSetupScreenForm& f)
{
    return {{{f.upperLeftPictureXEdit, &GridEntries::upper_left_x},
             {f.upperLeftPictureYEdit, &GridEntries::upper_left_y},
             {f.upperRightPictureXEdit, &GridEntries::upper_right_x},
             {f.upperRightPictureYEdit, &GridEntries::upper_right_y},
             {f.lowerLeftPictureXEdit, &GridEntries::lower_left_x},
             {f.lowerLeftPictureYEdit, &GridEntries::lower_left_y},
             {f.lowerRightPictureXEdit, &GridEntries::lower_right_x},
             {f.lowerRightPictureYEdit, &GridEntries::lower_right_y},
             {f.upperLeftSurveyXEdit, &GridEntries::ul_survey_x},
             {f.upperLeftSurveyYEdit, &GridEntries::ul_survey_y},
             {f.upperRightSurveyXEdit, &GridEntries::ur_survey_x},
             {f.upperRightSurveyYEdit, &GridEntries::ur_survey_y},
             {f.lowerLeftSurveyXEdit, &GridEntries::ll_survey_x},
             {f.lowerLeftSurveyYEdit, &GridEntries::ll_survey_y},
             {f.lowerRightSurveyXEdit, &GridEntries::lr_survey_x},
             {f.lowerRightSurveyYEdit, &GridEntries::lr_survey_y},
             {f.jumpXEdit, &GridEntries::jump_x},
             {f.jumpYEdit, &GridEntries::jump_y},
             {f.checkBuoySurveyXEdit, &GridEntries::check_survey_x},
             {f.checkBuoySurveyYEdit, &GridEntries::check_survey_y},
             {f.checkBuoyPictureXEdit, &GridEntries::check_picture_x},
             {f.checkBuoyPictureYEdit, &GridEntries::check_picture_y},
             {f.descriptionEdit, &GridEntries::description},
             {f.description2Edit, &GridEntries::description_2}}};
}

} // namespace

GridSetupScreen::GridSetupScreen(Station& station, QWidget* parent)
    : QMainWindow(parent), m_station(station)
{
    m_form.build(*this);
    m_arrowKeyTimer = new QTimer(this);
    m_arrowKeyTimer->setInterval(100);
    connectControls();
    m_form.calibrateAction->setEnabled(m_station.hasCalibration());
}

GridSetupScreen::~GridSetupScreen() = default;

void GridSetupScreen::connectControls()
{
    const GridSetupScreenForm& f = m_form;
    connect(f.picture, &PictureView::mousePressed, this,
            [this](QPointF twips, Qt::MouseButton button, Qt::KeyboardModifiers) {
                if (button == Qt::LeftButton)
                    placeChosenPoint(twips);
            });
    for (QRadioButton* option : {f.upperLeftOption, f.upperRightOption, f.lowerLeftOption,
                                 f.lowerRightOption, f.checkBuoyOption})
        connect(option, &QRadioButton::clicked, this, &GridSetupScreen::onPointChosen);
    for (const auto& [edit, member] : fieldBindings(f)) {
        // The descriptions are saved with the grid; they take what the operator types.
        const bool description = edit == f.descriptionEdit || edit == f.description2Edit;
        connect(edit, &QLineEdit::textEdited, this,
                description ? &GridSetupScreen::readEntries : &GridSetupScreen::onEntryEdited);
    }
    connect(f.pictureWidthEdit, &QLineEdit::textEdited, this,
            &GridSetupScreen::onPictureWidthEdited);
    const std::pair<QToolButton*, ScreenPoint> arrows[] = {{f.adjustUpButton, {0, -kStep_twips}},
                                                           {f.adjustDownButton, {0, kStep_twips}},
                                                           {f.adjustLeftButton, {-kStep_twips, 0}},
                                                           {f.adjustRightButton, {kStep_twips, 0}}};
    for (const auto& [button, step] : arrows)
        connect(button, &QToolButton::clicked, this, [this, step = step] { nudge(step); });
    connect(m_arrowKeyTimer, &QTimer::timeout, this, &GridSetupScreen::nudgeByHeldArrows);
    connect(f.drawBuoysButton, &QPushButton::clicked, this, &GridSetupScreen::drawMarkers);
    connect(f.markerSizeBar, &QScrollBar::valueChanged, this, &GridSetupScreen::drawMarkers);
    connect(f.gridLockBox, &QCheckBox::clicked, this, &GridSetupScreen::onGridLockClicked);
    connect(f.gridChoiceButton, &QPushButton::clicked, this, &GridSetupScreen::showNextGrid);
    connect(f.completeButton, &QPushButton::clicked, this, &GridSetupScreen::completeGrid);
    connect(f.accuracyButton, &QPushButton::clicked, this, &GridSetupScreen::checkAccuracy);
    connect(f.standardAccuracyOption, &QRadioButton::clicked, this,
            &GridSetupScreen::onStandardAccuracyChosen);
    connect(f.advancedAccuracyOption, &QRadioButton::clicked, this,
            &GridSetupScreen::onAdvancedAccuracyChosen);
    connect(f.loadGridAction, &QAction::triggered, this, &GridSetupScreen::loadGridFile);
    connect(f.saveGridAction, &QAction::triggered, this, &GridSetupScreen::saveGridFile);
    connect(f.loadPictureAction, &QAction::triggered, this, &GridSetupScreen::loadPicture);
    connect(f.clearPictureAction, &QAction::triggered, this, &GridSetupScreen::clearPicture);
    connect(f.pastePictureAction, &QAction::triggered, this, &GridSetupScreen::pastePicture);
    connect(f.calibrateAction, &QAction::triggered, this, &GridSetupScreen::openCalibration);
    connect(f.exitAction, &QAction::triggered, this, &GridSetupScreen::leave);
}

QLineEdit* GridSetupScreen::pictureXEdit(GridPoint point) const
{
    const std::array<QLineEdit*, kGridPointCount> edits = {
        m_form.upperLeftPictureXEdit, m_form.upperRightPictureXEdit, m_form.lowerLeftPictureXEdit,
        m_form.lowerRightPictureXEdit, m_form.checkBuoyPictureXEdit};
    return edits[std::size_t(point)];
}

QLineEdit* GridSetupScreen::pictureYEdit(GridPoint point) const
{
    const std::array<QLineEdit*, kGridPointCount> edits = {
        m_form.upperLeftPictureYEdit, m_form.upperRightPictureYEdit, m_form.lowerLeftPictureYEdit,
        m_form.lowerRightPictureYEdit, m_form.checkBuoyPictureYEdit};
    return edits[std::size_t(point)];
}

std::optional<GridPoint> GridSetupScreen::chosenPoint() const
{
    const std::array<QRadioButton*, kGridPointCount> options = {
        m_form.upperLeftOption, m_form.upperRightOption, m_form.lowerLeftOption,
        m_form.lowerRightOption, m_form.checkBuoyOption};
    for (int p = 0; p < kGridPointCount; ++p)
        if (options[std::size_t(p)]->isChecked())
            return GridPoint(p);
    return std::nullopt;
}

ScreenPoint GridSetupScreen::position(GridPoint point) const
{
    return pointPosition(m_station.grids.working, point);
}

GridEntries GridSetupScreen::shownEntries() const
{
    GridEntries e;
    for (const auto& [edit, member] : fieldBindings(m_form))
        e.*member = edit->text();
    e.grid_caption = m_form.gridChoiceButton->text();
    return e;
}

void GridSetupScreen::readEntries()
{
    m_station.gridEntries = shownEntries();
}

void GridSetupScreen::showEntries()
{
    // setText does not count as the operator's editing: no change handler runs.
    const GridEntries& e = m_station.gridEntries;
    for (const auto& [edit, member] : fieldBindings(m_form))
        edit->setText(e.*member);
    m_form.gridChoiceButton->setText(e.grid_caption);
}

void GridSetupScreen::prepare()
{
    setByProgram(*m_form.standardAccuracyOption, true, [this] { onStandardAccuracyChosen(); });
    m_form.showHomologationLevelOption->setChecked(true);
    m_previousMarkerSize_twips = 2.0 * m_form.markerSizeBar->value();
    // The grids loaded at start-up are already in the records: the screen shows them as they
    // are, and a grid that is set up stays set up.
    GridState& grids = m_station.grids;
    m_station.gridEntries.grid_caption = gridCaption(grids.currentGrid);
    showEntries();
    const bool ready = currentGridReady(grids);
    setStateIcon(ready);
    setAccuracyControls(ready);
    hideAccuracyLabels();
    {
        const QSignalBlocker block(m_form.gridLockBox);
        m_form.gridLockBox->setChecked(false);
    }
    m_form.gridLockedLabel->hide();
    m_form.gridLockedDragLabel->hide();
    setPictureSize(kDefaultPictureWidth_twips, kDefaultPictureHeight_twips);
    drawMarkers();
    // Arrow keys nudge the chosen point (the arrow key timer reads them) and nothing else: the
    // point options and the picture's scroll bars would otherwise take them too.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

bool GridSetupScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        const bool arrow =
            key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
        // Text boxes keep Left and Right for their cursor.
        const bool cursorKey = key == Qt::Key_Left || key == Qt::Key_Right;
        if (arrow && !(qobject_cast<QLineEdit*>(watched) && cursorKey))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QString GridSetupScreen::statusText() const
{
    return statusBar()->currentMessage();
}

void GridSetupScreen::arrive()
{
    // The measurement screen may have made another grid current meanwhile: the fields follow
    // the working copy, so that what is shown is what the checks and the accuracy use.
    const GridState& grids = m_station.grids;
    if (gridNumberFromCaption(m_form.gridChoiceButton->text()) != grids.currentGrid)
        showGrid(grids.currentGrid);
    if (m_station.arrivedFrom == ArrivedFrom::MarkedFrame) {
        m_station.arrivedFrom = ArrivedFrom::Elsewhere;
        const Result<LoadedPicture> loaded =
            readPicture(m_station.paths().inStation(QStringLiteral("currentcapture.bmp")));
        if (loaded)
            takePicture(loaded.value());
        else
            m_station.dialogs().message(loaded.message(), QString(), DialogIcon::Exclamation);
    }
    m_arrowKeyTimer->start();
}

void GridSetupScreen::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    arrive();
}

void GridSetupScreen::hideEvent(QHideEvent* event)
{
    m_arrowKeyTimer->stop();
    QMainWindow::hideEvent(event);
}

void GridSetupScreen::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            m_arrowKeyTimer->start();
        else
            m_arrowKeyTimer->stop();
    }
    QMainWindow::changeEvent(event);
}

void GridSetupScreen::closeEvent(QCloseEvent* event)
{
    // The close box leaves the screen the way Exit does.
    event->ignore();
    if (isVisible() && !m_station.quitRequested())
        leave();
}

// Choosing a point takes the focus away from the options, so that the arrow keys move the point
// instead of changing the option.
void GridSetupScreen::onPointChosen()
{
    m_form.descriptionEdit->setFocus();
}

void GridSetupScreen::nudgeByHeldArrows()
{
    const KeyboardState& keys = m_station.keyboard();
    if (keys.isDown(Qt::Key_Left))
        nudge({-kStep_twips, 0});
    if (keys.isDown(Qt::Key_Up))
        nudge({0, -kStep_twips});
    if (keys.isDown(Qt::Key_Right))
        nudge({kStep_twips, 0});
    if (keys.isDown(Qt::Key_Down))
        nudge({0, kStep_twips});
}

void GridSetupScreen::setStateIcon(bool ready)
{
    m_stateReady = ready;
    m_form.gridStateIcon->setPixmap(QPixmap(ready ? QStringLiteral(":/icons/face02.png")
                                                  : QStringLiteral(":/icons/msgbox03.png")));
}

void GridSetupScreen::setAccuracyControls(bool visible)
{
    m_form.accuracyButton->setVisible(visible);
    m_form.accuracyKindBox->setVisible(visible);
    m_form.accuracyShowBox->setVisible(visible && m_form.advancedAccuracyOption->isChecked());
}

void GridSetupScreen::setMainGridRow(const GridRowChange& row)
{
    m_station.mainScreen().setGridReady(row.grid, row.ready);
    m_station.mainScreen().setGridDescription(row.grid, row.description);
}

void GridSetupScreen::onEntryEdited()
{
    readEntries();
    setStateIcon(false);
    const int unsaved =
        gridEntriesEdited(m_station.gridEntries, m_station.grids, m_station.settings,
                          m_station.store(), m_station.loadingStoredGrids);
    if (unsaved)
        setMainGridRow({unsaved, false, QString()});
    setAccuracyControls(false);
    hideAccuracyLabels();
}

void GridSetupScreen::onGridLockClicked()
{
    QCheckBox& lock = *m_form.gridLockBox;
    if (lock.isChecked() && !gridLockAllowed(shownEntries())) {
        m_station.dialogs().message(kLockRefused);
        const QSignalBlocker block(&lock);
        lock.setChecked(false);
    }
    m_form.gridLockedLabel->setVisible(lock.isChecked());
    m_form.gridLockedDragLabel->setVisible(lock.isChecked());
}

void GridSetupScreen::showGrid(int grid)
{
    m_station.gridEntries = entriesShownFor(m_station.grids, grid);
    showEntries();
    const bool completed = m_station.grids.slot(grid).completed;
    setStateIcon(completed);
    setAccuracyControls(completed);
    hideAccuracyLabels();
    hidePredictedCheckBuoy();
    drawMarkers();
}

void GridSetupScreen::showNextGrid()
{
    GridState& grids = m_station.grids;
    const int shown =
        gridNumberFromCaption(m_form.gridChoiceButton->text()).value_or(grids.currentGrid);
    const int next = nextGridNumber(shown, m_station.settings.GridCount);
    grids.selectGrid(next, m_station.settings.GridCount);
    showGrid(next);
}

void GridSetupScreen::completeGrid()
{
    readEntries();
    const CompletionResult r = GridCompletion(
        m_station.gridEntries, m_station.grids, m_station.settings, m_station.pictureWidth_twips,
        m_station.dialogs(), m_station.clock(), m_station.results());
    if (r.accuracyControlsShown) {
        // The accuracy check is offered for a grid that passed, never for a refused one.
        setAccuracyControls(r.accepted);
        hidePredictedCheckBuoy();
    }
    if (r.evaluation.verdict == GridVerdict::CheckBuoyFails && r.evaluation.predictedCheckBuoy) {
        markPredictedCheckBuoy(*r.evaluation.predictedCheckBuoy, position(GridPoint::CheckBuoy));
        drawMarkers();
    }
    if (r.accepted) {
        setStateIcon(true);
        setMainGridRow({r.grid, true, QStringLiteral("not saved")});
    }
    statusBar()->showMessage(completionStatus(r, m_form.gridChoiceButton->text()));
}

void GridSetupScreen::openCalibration()
{
    m_station.openCalibration(this);
}

void GridSetupScreen::saveGridFile()
{
    readEntries();
    const GridFileResult r = SaveGrid(m_station.gridEntries, m_station.grids, m_station.settings,
                                      m_station.store(), m_station.dialogs());
    if (!r.done)
        return;
    showEntries();
    statusBar()->showMessage(savedStatus(r));
    m_station.mainScreen().setGridDescription(r.grid, r.description);
    if (m_station.created(Screen::Measurement))
        m_station.measurement().showGridDescription(r.description);
}

void GridSetupScreen::loadGridFile()
{
    readEntries();
    const GridFileResult r = LoadGrid(m_station.gridEntries, m_station.grids, m_station.settings,
                                      m_station.store(), m_station.pictureWidth_twips,
                                      m_station.dialogs(), m_station.clock(), m_station.results());
    if (!r.done)
        return;
    // The load has applied what the changed fields do to the records; the screen shows it.
    showEntries();
    const GridLoadView view = gridLoadView(r);
    setStateIcon(view.ready);
    setAccuracyControls(view.ready);
    hideAccuracyLabels();
    hidePredictedCheckBuoy();
    for (const GridRowChange& row : view.rows)
        setMainGridRow(row);
    if (m_station.created(Screen::Measurement))
        m_station.measurement().showGridDescription(r.description);
    statusBar()->showMessage(view.status);
    drawMarkers();
}

void GridSetupScreen::leave()
{
    GridState& grids = m_station.grids;
    if (!grids.allGridsReady) {
        if (m_station.dialogs().message(kLeaveQuestion, QStringLiteral("Grid Setup Error"),
                                        DialogIcon::None,
                                        DialogButtons::YesNo) != DialogAnswer::Yes)
            return;
        m_arrowKeyTimer->stop();
        m_station.show(Screen::Main, this);
        return;
    }
    m_arrowKeyTimer->stop();
    m_station.show(Screen::Main, this);
    // Measuring starts on grid 1; the fields follow the working copy so that a later edit
    // belongs to the grid the caption names.
    grids.selectGrid(1, m_station.settings.GridCount);
    showGrid(1);
    m_station.measurement().showBuoyDistanceLabels();
}

} // namespace fw
