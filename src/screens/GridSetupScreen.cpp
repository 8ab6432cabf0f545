#include "screens/GridSetupScreen.h"

#include "station/Station.h"
#include "grid/Accuracy.h"
#include "grid/GridCompletion.h"
#include "grid/GridEntries.h"
#include "grid/GridFiles.h"
#include "measure/ResultsFile.h"
#include "platform/KeyboardState.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "screens/setByProgram.h"
#include "support/dialogs.h"
#include "support/textforms.h"
#include "widgets/MicroAdjustPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace fw {

namespace {

constexpr double kStep_twips = 15;

const QString kLockRefused = QStringLiteral(
    "Cannot Lock Grid Until buoy positions have been entered for all four buoys and check buoy");
const QString kLeaveQuestion =
    QStringLiteral("Do you want to leave the grid setup with all configured grids not setup?");
const QString kSkierPathPrompt =
    QStringLiteral("Pick the line number that best represents where the skier will land");
const QString kSkierPathTitle = QStringLiteral("Input the skier path line");
const QString kPictureFilter = QStringLiteral(
    "All Files (*.*)|*.*|Text Files (*.txt)|*.txt|Jump Picture Files (*.gif)|*.gif|Jump "
    "Picture Files (*.bmp)|*.bmp|Jump Picture Files (*.jpg)|*.jpg|");

QPointF at(ScreenPoint p)
{
    return {p.x, p.y};
}

} // namespace

GridSetupScreen::GridSetupScreen(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("Grid Setup"));
    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(4, 4, 4, 4);
    picture = new PictureView(central);
    picture->setGrowsWindow(true);
    picture->setFitsLargePictures(true);
    picture->setMinimumSize(640, 480);
    columns->addWidget(picture, 1);

    auto* scroller = new QScrollArea(central);
    scroller->setWidgetResizable(true);
    scroller->setFixedWidth(380);
    auto* side = new QWidget(scroller);
    auto* panel = new QVBoxLayout(side);
    scroller->setWidget(side);
    columns->addWidget(scroller);

    auto* top = new QHBoxLayout;
    grid_select = new QPushButton(QStringLiteral("Grid 1"), side);
    grid_state_icon = new QLabel(side);
    grid_state_icon->setFixedSize(32, 32);
    top->addWidget(grid_select);
    top->addWidget(grid_state_icon);
    top->addStretch();
    panel->addLayout(top);

    Frame1 = new QGroupBox(QStringLiteral("Grid Point Selection"), side);
    auto* options = new QGridLayout(Frame1);
    const auto makeOption = [&](QRadioButton*& b, const char* caption, int row, int column) {
        b = new QRadioButton(QLatin1String(caption), Frame1);
        options->addWidget(b, row, column);
    };
    makeOption(upper_left_button, "upper left", 0, 0);
    makeOption(upper_right_button, "upper right", 0, 1);
    makeOption(lower_left_button, "lower left", 1, 0);
    makeOption(lower_right_button, "lower right", 1, 1);
    makeOption(optCheckBuoy, "Check Buoy", 2, 0);
    panel->addWidget(Frame1);

    auto* fields = new QGridLayout;
    const auto edit = [&](QLineEdit*& e, QLatin1String text) {
        e = new QLineEdit(text, side);
        e->setMinimumWidth(60);
    };
    fields->addWidget(new QLabel(QStringLiteral("screen x,y"), side), 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("survey x,y"), side), 0, 3, 1, 2);
    const auto row = [&](int r, const char* caption, QLineEdit*& px, QLineEdit*& py, QLineEdit*& sx,
                         QLineEdit*& sy) {
        edit(px, kPictureUnset);
        edit(py, kPictureUnset);
        edit(sx, kSurveyUnset);
        edit(sy, kSurveyUnset);
        fields->addWidget(new QLabel(QLatin1String(caption), side), r, 0);
        fields->addWidget(px, r, 1);
        fields->addWidget(py, r, 2);
        fields->addWidget(sx, r, 3);
        fields->addWidget(sy, r, 4);
    };
    row(1, "upper left", upper_left_x, upper_left_y, ul_survey_x, ul_survey_y);
    row(2, "upper right", upper_right_x, upper_right_y, ur_survey_x, ur_survey_y);
    row(3, "lower left", lower_left_x, lower_left_y, ll_survey_x, ll_survey_y);
    row(4, "lower right", lower_right_x, lower_right_y, lr_survey_x, lr_survey_y);
    txtCheck = new QLabel(QStringLiteral("Check Buoy x,y"), side);
    edit(txtCheckXpix, QLatin1String(""));
    edit(txtCheckYpix, QLatin1String(""));
    edit(txtCheckX, kCheckXUnset);
    edit(txtCheckY, kCheckYUnset);
    fields->addWidget(txtCheck, 5, 0);
    fields->addWidget(txtCheckXpix, 5, 1);
    fields->addWidget(txtCheckYpix, 5, 2);
    fields->addWidget(txtCheckX, 5, 3);
    fields->addWidget(txtCheckY, 5, 4);
    edit(jump_x, kJumpXUnset);
    edit(jump_y, kJumpYUnset);
    fields->addWidget(new QLabel(QStringLiteral("jump x,y"), side), 6, 0);
    fields->addWidget(jump_x, 6, 3);
    fields->addWidget(jump_y, 6, 4);
    panel->addLayout(fields);

    edit(ipt_file_description, kNoFile);
    edit(ipt_file_description_2, QLatin1String(""));
    panel->addWidget(ipt_file_description);
    panel->addWidget(ipt_file_description_2);

    auto* commands = new QGridLayout;
    Load = new QPushButton(QStringLiteral("Complete"), side);
    show_alignment = new QPushButton(QStringLiteral("Draw Buoys"), side);
    chkboxGridLock = new QCheckBox(QStringLiteral("Lock Grid Buoys"), side);
    btnAccuracyCheck = new QPushButton(QStringLiteral("Accuracy"), side);
    commands->addWidget(Load, 0, 0);
    commands->addWidget(show_alignment, 0, 1);
    commands->addWidget(chkboxGridLock, 1, 0);
    commands->addWidget(btnAccuracyCheck, 1, 1);
    panel->addLayout(commands);

    fmAccuracyDisplay = new QGroupBox(QStringLiteral("Accuracy "), side);
    auto* display = new QHBoxLayout(fmAccuracyDisplay);
    optStandardAccuracy = new QRadioButton(QStringLiteral("Standard"), fmAccuracyDisplay);
    optAdvancedAccuracy = new QRadioButton(QStringLiteral("Advanced"), fmAccuracyDisplay);
    display->addWidget(optStandardAccuracy);
    display->addWidget(optAdvancedAccuracy);
    panel->addWidget(fmAccuracyDisplay);
    fmAccuracyConfig = new QGroupBox(QStringLiteral("Display"), side);
    auto* config = new QHBoxLayout(fmAccuracyConfig);
    optDisplayDistance = new QRadioButton(QStringLiteral("Distance"), fmAccuracyConfig);
    optDetailMeasurement = new QRadioButton(QStringLiteral("Detail "), fmAccuracyConfig);
    optHomolgationLevel = new QRadioButton(QStringLiteral("Hom.Lvl"), fmAccuracyConfig);
    config->addWidget(optDisplayDistance);
    config->addWidget(optDetailMeasurement);
    config->addWidget(optHomolgationLevel);
    panel->addWidget(fmAccuracyConfig);

    auto* size = new QGridLayout;
    edit(txtPicWidth, QLatin1String(""));
    edit(txtPicHeight, QLatin1String(""));
    size->addWidget(new QLabel(QStringLiteral("picture width, height (twips)"), side), 0, 0, 1, 2);
    size->addWidget(txtPicWidth, 1, 0);
    size->addWidget(txtPicHeight, 1, 1);
    panel->addLayout(size);
    panel->addStretch();
    setCentralWidget(central);

    // Panels over the picture.
    QWidget* over = picture->panelParent();
    const MicroAdjustPanel adjust = addMicroAdjustPanel(*picture);
    AdjustmentLabel = adjust.label;
    AdjustUp = adjust.up;
    AdjustLeft = adjust.left;
    AdjustRight = adjust.right;
    AdjustDown = adjust.down;
    CrossSizeLabel = new QLabel(QStringLiteral("Marker Icon Size (drag-it)"), over);
    Setup_Cross_size = new QScrollBar(Qt::Horizontal, over);
    Setup_Cross_size->setRange(15, 600);
    Setup_Cross_size->setSingleStep(15);
    Setup_Cross_size->setPageStep(75);
    Setup_Cross_size->setValue(150);
    Setup_Cross_size->setFixedWidth(160);
    CrossSizeLabel->move(10, 110);
    Setup_Cross_size->move(10, 128);
    gridLockedLabel = new QLabel(QStringLiteral("GRID LOCKED!"), over);
    lblGridDragIt = new QLabel(QStringLiteral("(drag-it)"), over);
    QFont locked = gridLockedLabel->font();
    locked.setBold(true);
    locked.setPointSizeF(locked.pointSizeF() * 1.5);
    gridLockedLabel->setFont(locked);
    gridLockedLabel->setStyleSheet(QStringLiteral("color: red;"));
    gridLockedLabel->move(220, 10);
    for (QLabel* l : {AdjustmentLabel, CrossSizeLabel, gridLockedLabel, lblGridDragIt})
        l->adjustSize();
    lblGridDragIt->move(220, 10 + gridLockedLabel->height());
    picture->makeMovable(CrossSizeLabel, {Setup_Cross_size});
    picture->makeMovable(gridLockedLabel, {lblGridDragIt});
    picture->makeMovable(lblGridDragIt, {gridLockedLabel});

    // Labels on the picture: they stay while the drawing is cleared and redrawn.
    for (PictureView::ItemId& id : AccuracyIndicator) {
        id = picture->addLabel({0, 0}, QString(), kWhite);
        picture->setItemVisible(id, false);
    }
    for (int i = 0; i < kLineLabelCount; ++i) {
        LineLabel[std::size_t(i)] = picture->addLabel({0, 0}, QString::number(i + 1), kWhite);
        picture->setItemVisible(LineLabel[std::size_t(i)], false);
    }
    predictedDot = picture->addDot({0, 0}, kWhite, 5);
    predictedCircle = picture->addCircle({0, 0}, 0, kWhite);
    predictedLine = picture->addLine({0, 0}, {0, 0}, kWhite);
    lblCB = picture->addLabel({0, 0}, QStringLiteral("<-Check Buoy Should Be Here"), kWhite);
    hidePredictedCheckBuoy();

    // Menu.
    gridLoad = menuBar()->addAction(QStringLiteral("&Load File"));
    gridSave = menuBar()->addAction(QStringLiteral("&Save"));
    QMenu* mnuSetupPicture = menuBar()->addMenu(QStringLiteral("Setup &Picture"));
    mnuLoadPicture = mnuSetupPicture->addAction(QStringLiteral("Load &Picture"));
    mnuClearPicture = mnuSetupPicture->addAction(QStringLiteral("&Clear Picture"));
    mnuPaste = mnuSetupPicture->addAction(QStringLiteral("P&aste"));
    mnuCalibrate = menuBar()->addAction(QStringLiteral("&Calibrate"));
    gridExit = menuBar()->addAction(QStringLiteral("E&xit"));

    keyTimer = new QTimer(this);
    keyTimer->setInterval(100);

    connect(picture, &PictureView::mousePressed, this,
            [this](QPointF twips, Qt::MouseButton button, Qt::KeyboardModifiers) {
                if (button == Qt::LeftButton)
                    Form_MouseDown(twips);
            });
    connect(upper_left_button, &QRadioButton::clicked, this, &GridSetupScreen::upper_left_button_Click);
    connect(upper_right_button, &QRadioButton::clicked, this,
            &GridSetupScreen::upper_right_button_Click);
    connect(lower_left_button, &QRadioButton::clicked, this, &GridSetupScreen::lower_left_button_Click);
    connect(lower_right_button, &QRadioButton::clicked, this,
            &GridSetupScreen::lower_right_button_Click);
    connect(optCheckBuoy, &QRadioButton::clicked, this, &GridSetupScreen::optCheckBuoy_Click);
    for (QLineEdit* e :
         {upper_left_x,  upper_left_y,  upper_right_x, upper_right_y, lower_left_x, lower_left_y,
          lower_right_x, lower_right_y, ul_survey_x,   ul_survey_y,   ur_survey_x,  ur_survey_y,
          ll_survey_x,   ll_survey_y,   lr_survey_x,   lr_survey_y,   jump_x,       jump_y,
          txtCheckX,     txtCheckY,     txtCheckXpix,  txtCheckYpix})
        connect(e, &QLineEdit::textEdited, this, &GridSetupScreen::entry_Change);
    // The descriptions are saved with the grid; they take what the operator types.
    for (QLineEdit* e : {ipt_file_description, ipt_file_description_2})
        connect(e, &QLineEdit::textEdited, this, &GridSetupScreen::readEntries);
    connect(txtPicWidth, &QLineEdit::textEdited, this, &GridSetupScreen::txtPicWidth_Change);
    connect(AdjustUp, &QToolButton::clicked, this, &GridSetupScreen::AdjustUp_Click);
    connect(AdjustDown, &QToolButton::clicked, this, &GridSetupScreen::AdjustDown_Click);
    connect(AdjustLeft, &QToolButton::clicked, this, &GridSetupScreen::AdjustLeft_Click);
    connect(AdjustRight, &QToolButton::clicked, this, &GridSetupScreen::AdjustRight_Click);
    connect(keyTimer, &QTimer::timeout, this, &GridSetupScreen::keyTimer_Timer);
    connect(show_alignment, &QPushButton::clicked, this, &GridSetupScreen::Show_grid);
    connect(Setup_Cross_size, &QScrollBar::valueChanged, this, &GridSetupScreen::Show_grid);
    connect(chkboxGridLock, &QCheckBox::clicked, this, &GridSetupScreen::chkboxGridLock_Click);
    connect(grid_select, &QPushButton::clicked, this, &GridSetupScreen::grid_select_Click);
    connect(Load, &QPushButton::clicked, this, &GridSetupScreen::Load_Click);
    connect(btnAccuracyCheck, &QPushButton::clicked, this, &GridSetupScreen::btnAccuracyCheck_Click);
    connect(optStandardAccuracy, &QRadioButton::clicked, this,
            &GridSetupScreen::optStandardAccuracy_Click);
    connect(optAdvancedAccuracy, &QRadioButton::clicked, this,
            &GridSetupScreen::optAdvancedAccuracy_Click);
    connect(gridLoad, &QAction::triggered, this, &GridSetupScreen::gridLoad_Click);
    connect(gridSave, &QAction::triggered, this, &GridSetupScreen::gridSave_Click);
    connect(mnuLoadPicture, &QAction::triggered, this, &GridSetupScreen::mnuLoadPicture_Click);
    connect(mnuClearPicture, &QAction::triggered, this, &GridSetupScreen::mnuClearPicture_Click);
    connect(mnuPaste, &QAction::triggered, this, &GridSetupScreen::mnuPaste_Click);
    connect(mnuCalibrate, &QAction::triggered, this, &GridSetupScreen::mnuCalibrate_Click);
    connect(gridExit, &QAction::triggered, this, &GridSetupScreen::gridExit_Click);

    mnuCalibrate->setEnabled(m_station.hasCalibration());
}

GridSetupScreen::~GridSetupScreen() = default;

QLineEdit* GridSetupScreen::fieldX(Point p) const
{
    const std::array<QLineEdit*, PointCount> f = {upper_left_x, upper_right_x, lower_left_x,
                                                  lower_right_x, txtCheckXpix};
    return f[std::size_t(p)];
}

QLineEdit* GridSetupScreen::fieldY(Point p) const
{
    const std::array<QLineEdit*, PointCount> f = {upper_left_y, upper_right_y, lower_left_y,
                                                  lower_right_y, txtCheckYpix};
    return f[std::size_t(p)];
}

QRadioButton* GridSetupScreen::option(Point p) const
{
    const std::array<QRadioButton*, PointCount> o = {
        upper_left_button, upper_right_button, lower_left_button, lower_right_button, optCheckBuoy};
    return o[std::size_t(p)];
}

std::optional<GridSetupScreen::Point> GridSetupScreen::selectedPoint() const
{
    for (int p = 0; p < PointCount; ++p)
        if (option(Point(p))->isChecked())
            return Point(p);
    return std::nullopt;
}

ScreenPoint GridSetupScreen::position(Point p) const
{
    const MeasurementGrid& w = m_station.grids.working;
    switch (p) {
    case UpperLeft:
        return w.picture(BuoyIndex::UpperLeft);
    case UpperRight:
        return w.picture(BuoyIndex::UpperRight);
    case LowerLeft:
        return w.picture(BuoyIndex::LowerLeft);
    case LowerRight:
        return w.picture(BuoyIndex::LowerRight);
    default:
        return w.checkBuoyPicture;
    }
}

void GridSetupScreen::readEntries()
{
    GridEntries& e = m_station.gridEntries;
    e.upper_left_x = upper_left_x->text();
    e.upper_left_y = upper_left_y->text();
    e.upper_right_x = upper_right_x->text();
    e.upper_right_y = upper_right_y->text();
    e.lower_left_x = lower_left_x->text();
    e.lower_left_y = lower_left_y->text();
    e.lower_right_x = lower_right_x->text();
    e.lower_right_y = lower_right_y->text();
    e.ul_survey_x = ul_survey_x->text();
    e.ul_survey_y = ul_survey_y->text();
    e.ur_survey_x = ur_survey_x->text();
    e.ur_survey_y = ur_survey_y->text();
    e.ll_survey_x = ll_survey_x->text();
    e.ll_survey_y = ll_survey_y->text();
    e.lr_survey_x = lr_survey_x->text();
    e.lr_survey_y = lr_survey_y->text();
    e.jump_x = jump_x->text();
    e.jump_y = jump_y->text();
    e.txtCheckX = txtCheckX->text();
    e.txtCheckY = txtCheckY->text();
    e.txtCheckXpix = txtCheckXpix->text();
    e.txtCheckYpix = txtCheckYpix->text();
    e.ipt_file_description = ipt_file_description->text();
    e.ipt_file_description_2 = ipt_file_description_2->text();
    e.grid_select = grid_select->text();
}

void GridSetupScreen::showEntries()
{
    // setText does not count as the operator's editing: no change handler runs.
    const GridEntries& e = m_station.gridEntries;
    upper_left_x->setText(e.upper_left_x);
    upper_left_y->setText(e.upper_left_y);
    upper_right_x->setText(e.upper_right_x);
    upper_right_y->setText(e.upper_right_y);
    lower_left_x->setText(e.lower_left_x);
    lower_left_y->setText(e.lower_left_y);
    lower_right_x->setText(e.lower_right_x);
    lower_right_y->setText(e.lower_right_y);
    ul_survey_x->setText(e.ul_survey_x);
    ul_survey_y->setText(e.ul_survey_y);
    ur_survey_x->setText(e.ur_survey_x);
    ur_survey_y->setText(e.ur_survey_y);
    ll_survey_x->setText(e.ll_survey_x);
    ll_survey_y->setText(e.ll_survey_y);
    lr_survey_x->setText(e.lr_survey_x);
    lr_survey_y->setText(e.lr_survey_y);
    jump_x->setText(e.jump_x);
    jump_y->setText(e.jump_y);
    txtCheckX->setText(e.txtCheckX);
    txtCheckY->setText(e.txtCheckY);
    txtCheckXpix->setText(e.txtCheckXpix);
    txtCheckYpix->setText(e.txtCheckYpix);
    ipt_file_description->setText(e.ipt_file_description);
    ipt_file_description_2->setText(e.ipt_file_description_2);
    grid_select->setText(e.grid_select);
}

void GridSetupScreen::Form_Load()
{
    setByProgram(*optStandardAccuracy, true, [this] { optStandardAccuracy_Click(); });
    optHomolgationLevel->setChecked(true);
    previousMarkerSize_twips = 2.0 * Setup_Cross_size->value();
    // The grids loaded at start-up are already in the records: the screen shows them as they
    // are, and a grid that is set up stays set up.
    GridState& grids = m_station.grids;
    m_station.gridEntries.grid_select = gridCaption(grids.currentGrid);
    showEntries();
    const bool ready = grids.slot(grids.currentGrid).completed && grids.working.completed;
    setStateIcon(ready);
    setAccuracyControls(ready);
    clear_accuracy_indicator();
    {
        const QSignalBlocker block(chkboxGridLock);
        chkboxGridLock->setChecked(false);
    }
    gridLockedLabel->hide();
    lblGridDragIt->hide();
    setPictureSize(kDefaultPictureWidth_twips, kDefaultPictureHeight_twips);
    Show_grid();
    // Arrow keys nudge the chosen point (the key timer reads them) and nothing else: the point
    // options and the picture's scroll bars would otherwise take them too.
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

void GridSetupScreen::Form_Activate()
{
    // The measurement screen may have made another grid current meanwhile: the fields follow
    // the working copy, so that what is shown is what the checks and the accuracy use.
    const GridState& grids = m_station.grids;
    if (gridNumberFromCaption(grid_select->text()) != grids.currentGrid)
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
    keyTimer->start();
}

void GridSetupScreen::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    Form_Activate();
}

void GridSetupScreen::hideEvent(QHideEvent* event)
{
    keyTimer->stop();
    QMainWindow::hideEvent(event);
}

void GridSetupScreen::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            keyTimer->start();
        else
            keyTimer->stop();
    }
    QMainWindow::changeEvent(event);
}

void GridSetupScreen::closeEvent(QCloseEvent* event)
{
    // The close box leaves the screen the way Exit does.
    event->ignore();
    if (isVisible() && !m_station.quitRequested())
        gridExit_Click();
}

// Choosing a point takes the focus away from the options, so that the arrow keys move the point
// instead of changing the option.
void GridSetupScreen::upper_left_button_Click()
{
    ipt_file_description->setFocus();
}

void GridSetupScreen::upper_right_button_Click()
{
    ipt_file_description->setFocus();
}

void GridSetupScreen::lower_left_button_Click()
{
    ipt_file_description->setFocus();
}

void GridSetupScreen::lower_right_button_Click()
{
    ipt_file_description->setFocus();
}

void GridSetupScreen::optCheckBuoy_Click()
{
    ipt_file_description->setFocus();
}

PictureView::ItemId GridSetupScreen::draw(PictureView::ItemId id)
{
    m_drawing.push_back(id);
    return id;
}

void GridSetupScreen::clearDrawing()
{
    for (PictureView::ItemId id : m_drawing)
        picture->removeItem(id);
    m_drawing.clear();
}

void GridSetupScreen::movePoints(std::optional<Point> selected, std::optional<ScreenPoint> target,
                            ScreenPoint step)
{
    // A click places the selected point at the target and moves the others by the same offset;
    // an arrow moves every processed point by the step.
    const bool click = selected && target;
    ScreenPoint offset = step;
    if (click) {
        const ScreenPoint from = position(*selected);
        offset = {target->x - from.x, target->y - from.y};
    }
    const bool locked = chkboxGridLock->isChecked();
    for (int i = 0; i < PointCount; ++i) {
        const auto p = Point(i);
        if (!(selected == p || locked))
            continue;
        const ScreenPoint old = position(p);
        draw(picture->addCircle(at(old), previousMarkerSize_twips, kMagenta));
        draw(picture->addCross(at(old), Setup_Cross_size->maximum(), kMagenta));
        const ScreenPoint now =
            click && selected == p ? *target : ScreenPoint{old.x + offset.x, old.y + offset.y};
        setByProgram(*fieldX(p), fieldText(now.x), [this] { entry_Change(); });
        setByProgram(*fieldY(p), fieldText(now.y), [this] { entry_Change(); });
        draw(picture->addCross(at(now), Setup_Cross_size->value(), kWhite));
    }
}

void GridSetupScreen::Form_MouseDown(QPointF twips)
{
    const std::optional<Point> selected = selectedPoint();
    if (!selected)
        return;
    movePoints(selected, ScreenPoint{twips.x(), twips.y()}, {});
}

void GridSetupScreen::AdjustUp_Click()
{
    movePoints(selectedPoint(), std::nullopt, {0, -kStep_twips});
    Show_grid();
}

void GridSetupScreen::AdjustDown_Click()
{
    movePoints(selectedPoint(), std::nullopt, {0, kStep_twips});
    Show_grid();
}

void GridSetupScreen::AdjustLeft_Click()
{
    movePoints(selectedPoint(), std::nullopt, {-kStep_twips, 0});
    Show_grid();
}

void GridSetupScreen::AdjustRight_Click()
{
    movePoints(selectedPoint(), std::nullopt, {kStep_twips, 0});
    Show_grid();
}

void GridSetupScreen::keyTimer_Timer()
{
    const KeyboardState& keys = m_station.keyboard();
    if (keys.isDown(Qt::Key_Left))
        AdjustLeft_Click();
    if (keys.isDown(Qt::Key_Up))
        AdjustUp_Click();
    if (keys.isDown(Qt::Key_Right))
        AdjustRight_Click();
    if (keys.isDown(Qt::Key_Down))
        AdjustDown_Click();
}

void GridSetupScreen::Show_grid()
{
    clearDrawing();
    const StationSettings& s = m_station.settings;
    const bool cross = s.BuoyMarker == QLatin1String("cross");
    const Rgb color = s.LabelColor == QLatin1String("default") ? kWhite : s.LabelColorRgb;
    const double size = Setup_Cross_size->value();
    for (int i = 0; i < PointCount; ++i) {
        const auto p = Point(i);
        // A point never placed has no marker.
        if (!parseNumber(fieldX(p)->text()) || !parseNumber(fieldY(p)->text()))
            continue;
        const QPointF where = at(position(p));
        draw(cross ? picture->addCross(where, size, kWhite)
                   : picture->addCircle(where, size, color));
    }
}

void GridSetupScreen::setStateIcon(bool ready)
{
    m_stateReady = ready;
    grid_state_icon->setPixmap(QPixmap(ready ? QStringLiteral(":/icons/face02.png")
                                             : QStringLiteral(":/icons/msgbox03.png")));
}

void GridSetupScreen::setAccuracyControls(bool visible)
{
    btnAccuracyCheck->setVisible(visible);
    fmAccuracyDisplay->setVisible(visible);
    fmAccuracyConfig->setVisible(visible && optAdvancedAccuracy->isChecked());
}

void GridSetupScreen::clear_accuracy_indicator()
{
    for (PictureView::ItemId id : AccuracyIndicator)
        picture->setItemVisible(id, false);
}

void GridSetupScreen::entry_Change()
{
    readEntries();
    setStateIcon(false);
    const int unsaved =
        gridEntriesEdited(m_station.gridEntries, m_station.grids, m_station.settings,
                          m_station.store(), m_station.configLoading);
    if (unsaved) {
        m_station.mainScreen().setGridReady(unsaved, false);
        m_station.mainScreen().setGridDescription(unsaved, QString());
    }
    setAccuracyControls(false);
    clear_accuracy_indicator();
}

void GridSetupScreen::chkboxGridLock_Click()
{
    if (chkboxGridLock->isChecked()) {
        bool missing = txtCheckX->text() == kCheckXUnset;
        for (QLineEdit* x : {upper_left_x, upper_right_x, lower_left_x, lower_right_x})
            missing = missing || x->text() == kPictureUnset;
        if (missing) {
            m_station.dialogs().message(kLockRefused);
            const QSignalBlocker block(chkboxGridLock);
            chkboxGridLock->setChecked(false);
        }
    }
    gridLockedLabel->setVisible(chkboxGridLock->isChecked());
    lblGridDragIt->setVisible(chkboxGridLock->isChecked());
}

void GridSetupScreen::showGrid(int grid)
{
    // A slot that was never set up shows its fields unset, so that completing it asks for
    // every entry instead of solving a grid of zeros.
    const MeasurementGrid& slot = m_station.grids.slot(grid);
    const bool empty =
        !slot.completed && slot.c == GridCoefficients{} && slot.description1.isEmpty();
    GridEntries shown = empty ? GridEntries{} : entriesFromGrid(slot, grid);
    shown.grid_select = gridCaption(grid);
    m_station.gridEntries = shown;
    showEntries();
    setStateIcon(slot.completed);
    setAccuracyControls(slot.completed);
    clear_accuracy_indicator();
    hidePredictedCheckBuoy();
    Show_grid();
}

void GridSetupScreen::grid_select_Click()
{
    GridState& grids = m_station.grids;
    const int shown = gridNumberFromCaption(grid_select->text()).value_or(grids.currentGrid);
    const int next = nextGridNumber(shown, m_station.settings.GridCount);
    grids.selectGrid(next, m_station.settings.GridCount);
    showGrid(next);
}

void GridSetupScreen::hidePredictedCheckBuoy()
{
    for (PictureView::ItemId id : {lblCB, predictedDot, predictedCircle, predictedLine})
        picture->setItemVisible(id, false);
}

void GridSetupScreen::markPredictedCheckBuoy(ScreenPoint p, ScreenPoint marked)
{
    const double w = fieldNumber(txtPicWidth->text()), h = fieldNumber(txtPicHeight->text());
    const bool inside = p.x >= 0 && p.y >= 0 && p.x <= w && p.y <= h;
    if (inside) {
        picture->setLabelText(lblCB, QStringLiteral("<-Check Buoy Should Be Here"));
        picture->moveItem(predictedDot, at(p));
        picture->moveItem(predictedCircle, at(p));
        picture->setItemSize(predictedCircle, 4.0 * Setup_Cross_size->value());
        picture->setLine(predictedLine, at(p), {p.x + 100, p.y});
        picture->moveItem(lblCB, {p.x + 15, p.y - 105});
        for (PictureView::ItemId id : {lblCB, predictedDot, predictedCircle, predictedLine})
            picture->setItemVisible(id, true);
        return;
    }
    // Off the picture: an arrow from the marked check buoy to the picture's edge, pointing to
    // where the grid puts it.
    double t = 1;
    const double dx = p.x - marked.x, dy = p.y - marked.y;
    if (p.x < 0)
        t = std::min(t, -marked.x / dx);
    if (p.x > w)
        t = std::min(t, (w - marked.x) / dx);
    if (p.y < 0)
        t = std::min(t, -marked.y / dy);
    if (p.y > h)
        t = std::min(t, (h - marked.y) / dy);
    t = std::clamp(t, 0.0, 1.0);
    const ScreenPoint edge{marked.x + t * dx, marked.y + t * dy};
    picture->setLine(predictedLine, at(marked), at(edge));
    picture->moveItem(predictedDot, at(edge));
    picture->setLabelText(lblCB, QStringLiteral("Check Buoy Should Be Off the Picture This Way->"));
    // The label stays on the picture, beside the arrow's head.
    picture->moveItem(lblCB, {std::clamp(edge.x - 2400, 0.0, std::max(0.0, w - 2400)),
                              std::clamp(edge.y - 105, 0.0, std::max(0.0, h - 200))});
    picture->setItemVisible(predictedCircle, false);
    for (PictureView::ItemId id : {lblCB, predictedDot, predictedLine})
        picture->setItemVisible(id, true);
}

void GridSetupScreen::Load_Click()
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
        markPredictedCheckBuoy(*r.evaluation.predictedCheckBuoy, position(CheckBuoy));
        Show_grid();
    }
    if (r.accepted) {
        setStateIcon(true);
        m_station.mainScreen().setGridReady(r.grid, true);
        m_station.mainScreen().setGridDescription(r.grid, QStringLiteral("not saved"));
        statusBar()->showMessage(
            QStringLiteral("Grid %1 completed: ready for measuring (not saved yet)").arg(r.grid));
    } else {
        statusBar()->showMessage(QStringLiteral("%1 not completed").arg(grid_select->text()));
    }
}

void GridSetupScreen::optStandardAccuracy_Click()
{
    fmAccuracyConfig->setVisible(false);
}

void GridSetupScreen::optAdvancedAccuracy_Click()
{
    fmAccuracyConfig->setVisible(!btnAccuracyCheck->isHidden());
}

void GridSetupScreen::btnAccuracyCheck_Click()
{
    readEntries();
    const bool standard = optStandardAccuracy->isChecked();
    if (standard)
        optHomolgationLevel->setChecked(true);
    const AccuracyContent content = optDisplayDistance->isChecked()     ? AccuracyContent::Distance
                                    : optDetailMeasurement->isChecked() ? AccuracyContent::Detail
                                                                        : AccuracyContent::Grade;
    Dialogs& dialogs = m_station.dialogs();
    const std::optional<AccuracyCheck> check =
        RunAccuracyCheck(m_station.gridEntries, m_station.grids, m_station.settings,
                         m_station.pictureWidth_twips, content, dialogs, m_station.clock());
    if (!check)
        return;
    clear_accuracy_indicator();
    const Rgb color = m_station.settings.LabelColorRgb;
    for (const auto& column : check->samples) {
        for (const AccuracySample& s : column) {
            const PictureView::ItemId id = AccuracyIndicator[std::size_t(s.indicator)];
            picture->setLabelText(id, s.label);
            picture->moveItem(id, at(s.labelAt));
            picture->setItemColor(id, color);
            picture->setItemVisible(id, !standard);
        }
    }
    if (standard) {
        clearDrawing();
        for (int j = 0; j < kMeshSize; ++j) {
            const AccuracyRow& row = check->rows[std::size_t(j)];
            draw(picture->addLine(at(row.right), at(row.left), color));
            const PictureView::ItemId label = LineLabel[std::size_t(j)];
            picture->setLabelText(label, row.caption);
            picture->moveItem(label, at(row.labelAt));
            picture->setItemColor(label, color);
            picture->setItemVisible(label, true);
        }
        // Only the numbers on the labels are answers; Cancel ends the question (the report is
        // written already) with no row shown.
        std::optional<int> chosen;
        while (!chosen) {
            const std::optional<QString> answer = dialogs.input(kSkierPathPrompt, kSkierPathTitle);
            if (!answer)
                break;
            chosen = skierPathRow(*answer);
        }
        for (PictureView::ItemId label : LineLabel)
            picture->setItemVisible(label, false);
        if (chosen) {
            for (const auto& column : check->samples)
                picture->setItemVisible(
                    AccuracyIndicator[std::size_t(column[std::size_t(*chosen)].indicator)], true);
        }
    }
    Show_grid();
}

void GridSetupScreen::setPictureSize(double width_twips, double height_twips)
{
    txtPicWidth->setText(numberText(intPart(width_twips)));
    txtPicHeight->setText(numberText(intPart(height_twips)));
    txtPicWidth_Change();
}

void GridSetupScreen::txtPicWidth_Change()
{
    // The front and back ratios take the width as the field shows it.
    m_station.pictureWidth_twips = fieldNumber(txtPicWidth->text());
}

void GridSetupScreen::takePicture(const LoadedPicture& loaded)
{
    picture->setPicture(loaded);
    setPictureSize(loaded.width_twips, loaded.height_twips);
}

void GridSetupScreen::mnuLoadPicture_Click()
{
    FileDialogRequest request;
    request.folder = m_station.settings.PicturesFolder;
    request.filter = kPictureFilter;
    request.filterIndex = 4;
    const std::optional<QString> chosen = m_station.dialogs().openFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    const Result<LoadedPicture> loaded = readPicture(*chosen);
    if (!loaded) {
        m_station.dialogs().message(loaded.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    takePicture(loaded.value());
}

void GridSetupScreen::mnuClearPicture_Click()
{
    picture->clearPicture();
}

void GridSetupScreen::mnuPaste_Click()
{
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) {
        m_station.dialogs().message(QStringLiteral("There is no picture on the clipboard."),
                                    QString(), DialogIcon::Exclamation);
        return;
    }
    takePicture(pictureFromImage(image));
}

void GridSetupScreen::mnuCalibrate_Click()
{
    m_station.openCalibration(this);
}

void GridSetupScreen::gridSave_Click()
{
    readEntries();
    const GridFileResult r = SaveGrid(m_station.gridEntries, m_station.grids, m_station.settings,
                                      m_station.store(), m_station.dialogs());
    if (!r.done)
        return;
    showEntries();
    statusBar()->showMessage(QStringLiteral("Grid %1 saved to %2 and its check buoy file %3")
                                 .arg(r.grid)
                                 .arg(QDir::toNativeSeparators(r.path),
                                      QDir::toNativeSeparators(checkBuoyFilePath(r.path))));
    m_station.mainScreen().setGridDescription(r.grid, r.description);
    if (m_station.created(Screen::Measurement))
        m_station.measurement().showGridDescription(r.description);
}

void GridSetupScreen::gridLoad_Click()
{
    readEntries();
    const GridFileResult r = LoadGrid(m_station.gridEntries, m_station.grids, m_station.settings,
                                      m_station.store(), m_station.pictureWidth_twips,
                                      m_station.dialogs(), m_station.clock(), m_station.results());
    if (!r.done)
        return;
    // The load has applied what the changed fields do to the records; the screen shows it.
    showEntries();
    setStateIcon(false);
    setAccuracyControls(false);
    clear_accuracy_indicator();
    hidePredictedCheckBuoy();
    MainScreen& main = m_station.mainScreen();
    if (r.markedUnsaved) {
        main.setGridReady(r.markedUnsaved, false);
        main.setGridDescription(r.markedUnsaved, QString());
    }
    if (r.usable) {
        setStateIcon(true);
        setAccuracyControls(true);
        main.setGridReady(r.grid, true);
        main.setGridDescription(r.grid, r.description);
    }
    if (m_station.created(Screen::Measurement))
        m_station.measurement().showGridDescription(r.description);
    statusBar()->showMessage(
        r.usable ? QStringLiteral("Grid %1 loaded from %2: ready for measuring")
                       .arg(r.grid)
                       .arg(QDir::toNativeSeparators(r.path))
                 : QStringLiteral("Grid %1 loaded from %2 for editing: not ready for measuring")
                       .arg(r.grid)
                       .arg(QDir::toNativeSeparators(r.path)));
    Show_grid();
}

void GridSetupScreen::gridExit_Click()
{
    GridState& grids = m_station.grids;
    if (!grids.allGridsReady) {
        if (m_station.dialogs().message(kLeaveQuestion, QStringLiteral("Grid Setup Error"),
                                        DialogIcon::None,
                                        DialogButtons::YesNo) != DialogAnswer::Yes)
            return;
        keyTimer->stop();
        m_station.show(Screen::Main, this);
        return;
    }
    keyTimer->stop();
    m_station.show(Screen::Main, this);
    // Measuring starts on grid 1; the fields follow the working copy so that a later edit
    // belongs to the grid the caption names.
    grids.selectGrid(1, m_station.settings.GridCount);
    showGrid(1);
    m_station.measurement().showBuoyDistanceLabels();
}

} // namespace fw
