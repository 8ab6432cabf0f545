#include "screens/Measure.h"

#include "app/Station.h"
#include "measure/JumpResult.h"
#include "measure/PictureLog.h"
#include "measure/ResultsFile.h"
#include "measure/SkierNames.h"
#include "measure/WstimsExchange.h"
#include "platform/KeyboardState.h"
#include "screens/setByProgram.h"
#include "support/FieldReader.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"
#include "widgets/MicroAdjustPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace fw {

namespace {

constexpr double kStep_twips = 15;
constexpr double kSplashLine_twips = 1000;

QString pictureSizeText(double twips)
{
    return numberText(intPart(twips));
}

void setTextColor(QWidget* w, Rgb rgb)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colorFromRgb(rgb));
    p.setColor(QPalette::ButtonText, colorFromRgb(rgb));
    p.setColor(QPalette::Text, colorFromRgb(rgb));
    w->setPalette(p);
}

// The outline around the cross: dark around a light colour, light around a dark one.
Rgb outlineColor(Rgb rgb)
{
    const int red = int(rgb & 0xFF);
    const int green = int((rgb >> 8) & 0xFF);
    const int blue = int((rgb >> 16) & 0xFF);
    return red * 299 + green * 587 + blue * 114 < 64000 ? kWhite : kBlack;
}

bool isArrowKey(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

Measure::Measure(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("Measure Jump"));
    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(4, 4, 4, 4);

    picture = new PictureView(central);
    picture->setGrowsWindow(true);
    picture->setMinimumSize(640, 480);
    columns->addWidget(picture, 1);

    // The side panel: outcome, values, commands.
    m_sidePanel = new QWidget(central);
    m_sidePanel->setAutoFillBackground(true);
    m_sidePanel->setFixedWidth(300);
    auto* side = new QVBoxLayout(m_sidePanel);
    columns->addWidget(m_sidePanel);

    auto* values = new QFormLayout;
    Skier_name = new QComboBox(m_sidePanel);
    Skier_name->setEditable(true);
    Skier_name->setInsertPolicy(QComboBox::NoInsert);
    Skier_name->setEditText(QStringLiteral("Skier Name"));
    Jump_no = new QLineEdit(QStringLiteral("1"), m_sidePanel);
    distance = new QLineEdit(QStringLiteral("m"), m_sidePanel);
    distance->setReadOnly(true);
    distance_ft = new QLineEdit(QStringLiteral("ft"), m_sidePanel);
    distance_ft->setReadOnly(true);
    QFont big = distance->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    distance->setFont(big);
    distance_ft->setFont(big);
    IWSFlabel = new QLabel(QStringLiteral("IWSF Official Distance"), m_sidePanel);
    AWSAlabel = new QLabel(QStringLiteral("AWSA Official Distance"), m_sidePanel);
    values->addRow(QStringLiteral("Skier"), Skier_name);
    values->addRow(QStringLiteral("Jump"), Jump_no);
    values->addRow(IWSFlabel);
    distanceUncertainty = new QLabel(m_sidePanel);
    distanceUncertainty->setObjectName(QStringLiteral("distanceUncertainty"));
    distanceUncertainty->setFont(big);
    distanceUncertainty->setToolTip(
        QStringLiteral("How far the distance can be off from the picture's pixels alone"));
    auto* metersRow = new QHBoxLayout;
    metersRow->addWidget(distance, 1);
    metersRow->addWidget(distanceUncertainty);
    values->addRow(metersRow);
    values->addRow(AWSAlabel);
    values->addRow(distance_ft);
    side->addLayout(values);

    barefoot_indicator = new QLabel(m_sidePanel);
    barefoot_indicator->hide();
    side->addWidget(barefoot_indicator);

    auto* outcome = new QGroupBox(m_sidePanel);
    auto* outcomeLayout = new QGridLayout(outcome);
    auto option = [&](QRadioButton*& b, const char* caption, int row, int column) {
        b = new QRadioButton(QLatin1String(caption), outcome);
        outcomeLayout->addWidget(b, row, column);
    };
    option(optJumpOK, "Jump OK", 0, 0);
    option(Pass, "Pass", 0, 1);
    option(Fall, "Fall", 1, 0);
    option(Other_Grid, "Other Grid", 1, 1);
    option(O_reride, "Opt. reride", 2, 0);
    option(M_Reride, "Man. Reride", 2, 1);
    option(Make_comment, "Comment", 3, 0);
    optJumpOK->setChecked(true);
    side->addWidget(outcome);
    Comment = new QLineEdit(m_sidePanel);
    Comment->setPlaceholderText(QStringLiteral("comment"));
    // The comment comes and goes; Record Jump below it must not move under a habitual click.
    QSizePolicy keepRoom = Comment->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    Comment->setSizePolicy(keepRoom);
    side->addWidget(Comment);

    Record = new QPushButton(QStringLiteral("Record &Jump"), m_sidePanel);
    Record->setFont(big);
    Unfreeze = new QPushButton(QStringLiteral("Clear"), m_sidePanel);
    Show_grid = new QPushButton(QStringLiteral("Show Grid"), m_sidePanel);
    verify = new QPushButton(QStringLiteral("Verify"), m_sidePanel);
    Set_grid = new QPushButton(QStringLiteral("&Grid 1"), m_sidePanel);
    btnNextJump = new QPushButton(QStringLiteral("Capture Next Jump"), m_sidePanel);
    cbAutoLoadClipboard = new QCheckBox(QStringLiteral("Auto Load"), m_sidePanel);
    side->addWidget(Record);
    auto* commands = new QGridLayout;
    commands->addWidget(Unfreeze, 0, 0);
    commands->addWidget(Show_grid, 0, 1);
    commands->addWidget(verify, 1, 0);
    commands->addWidget(Set_grid, 1, 1);
    commands->addWidget(btnNextJump, 2, 0, 1, 2);
    side->addLayout(commands);

    auto* sources = new QHBoxLayout;
    ClipSnapShot = new QToolButton(m_sidePanel);
    ClipSnapShot->setText(QStringLiteral("Clipboard"));
    ClipSnapShot->setToolTip(QStringLiteral("Take the picture on the clipboard"));
    ImgSnapShot = new QToolButton(m_sidePanel);
    ImgSnapShot->setText(QStringLiteral("snapshot.bmp"));
    ImgSnapShot->setToolTip(QStringLiteral("Take snapshot.bmp from the exchange folder"));
    sources->addWidget(ClipSnapShot);
    sources->addWidget(ImgSnapShot);
    sources->addWidget(cbAutoLoadClipboard);
    side->addLayout(sources);

    auto* readouts = new QFormLayout;
    xtwips = new QLineEdit(m_sidePanel);
    ytwips = new QLineEdit(m_sidePanel);
    xposition = new QLineEdit(m_sidePanel);
    yposition = new QLineEdit(m_sidePanel);
    VerifyDistance = new QLineEdit(m_sidePanel);
    verifyUncertainty = new QLabel(m_sidePanel);
    verifyUncertainty->setObjectName(QStringLiteral("verifyUncertainty"));
    verifyUncertainty->hide();
    const std::pair<QLineEdit*, const char*> readoutRows[] = {{xtwips, "Picture x (twips)"},
                                                              {ytwips, "Picture y (twips)"},
                                                              {xposition, "Water X (m)"},
                                                              {yposition, "Water Y (m)"},
                                                              {VerifyDistance, "Distance"}};
    for (std::size_t i = 0; i < verifyLabels.size(); ++i) {
        QLineEdit* e = readoutRows[i].first;
        e->setReadOnly(true);
        e->hide();
        verifyLabels[i] = new QLabel(QLatin1String(readoutRows[i].second), m_sidePanel);
        verifyLabels[i]->setBuddy(e);
        verifyLabels[i]->hide();
        if (e == VerifyDistance) {
            auto* distanceRow = new QHBoxLayout;
            distanceRow->addWidget(e, 1);
            distanceRow->addWidget(verifyUncertainty);
            readouts->addRow(verifyLabels[i], distanceRow);
        } else {
            readouts->addRow(verifyLabels[i], e);
        }
    }
    side->addLayout(readouts);
    UnofficialJump = new QLabel(QStringLiteral("UNOFFICIAL JUMP"), m_sidePanel);
    UnofficialJump->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    UnofficialJump->hide();
    side->addWidget(UnofficialJump);
    side->addStretch();
    setCentralWidget(central);

    // Panels over the picture, each dragged by its label.
    QWidget* over = picture->panelParent();
    const MicroAdjustPanel adjust = addMicroAdjustPanel(*picture);
    AdjustmentLabel = adjust.label;
    AdjustUp = adjust.up;
    AdjustLeft = adjust.left;
    AdjustRight = adjust.right;
    AdjustDown = adjust.down;
    CrossLabel = new QLabel(QStringLiteral("Adjust Cross Size (drag-it)"), over);
    CrossSize = new QScrollBar(Qt::Horizontal, over);
    CrossSize->setRange(15, 1500);
    CrossSize->setSingleStep(15);
    CrossSize->setPageStep(150);
    CrossSize->setValue(300);
    CrossSize->setFixedWidth(160);
    CrossLabel->move(10, 110);
    CrossSize->move(10, 128);
    gridlabel = new QLabel(QStringLiteral("Grid Description (drag-it)"), over);
    setTextColor(gridlabel, kWhite);
    grid_description = new QLabel(over);
    gif_file_name = new QLabel(over);
    gridlabel->move(200, 10);
    grid_description->move(200, 28);
    gif_file_name->move(200, 46);
    setTextColor(grid_description, kWhite);
    setTextColor(gif_file_name, kWhite);
    grid_description->hide();
    gif_file_name->hide();
    FrozenSign = new QLabel(QStringLiteral("FROZEN"), over);
    QFont frozen = FrozenSign->font();
    frozen.setPointSizeF(frozen.pointSizeF() * 2);
    frozen.setBold(true);
    FrozenSign->setFont(frozen);
    FrozenSign->move(480, 10);
    FrozenSign->hide();
    for (QWidget* w :
         {static_cast<QWidget*>(AdjustmentLabel), static_cast<QWidget*>(CrossLabel),
          static_cast<QWidget*>(gridlabel), static_cast<QWidget*>(FrozenSign),
          static_cast<QWidget*>(grid_description), static_cast<QWidget*>(gif_file_name)})
        w->adjustSize();
    picture->makeMovable(CrossLabel, {CrossSize});
    picture->makeMovable(gridlabel, {grid_description, gif_file_name});
    picture->makeMovable(FrozenSign);
    for (QWidget* w : {static_cast<QWidget*>(AdjustmentLabel), static_cast<QWidget*>(AdjustLeft),
                       static_cast<QWidget*>(AdjustRight), static_cast<QWidget*>(AdjustUp),
                       static_cast<QWidget*>(AdjustDown)})
        w->hide();

    for (PictureView::ItemId& id : crossOutline) {
        id = picture->addLine({0, 0}, {0, 0}, kBlack);
        picture->setItemVisible(id, false);
    }
    lineHorizontalImpact = picture->addLine({0, 0}, {0, 0}, kWhite);
    lineVerticalImpact = picture->addLine({0, 0}, {0, 0}, kWhite);
    lineSplashIndicator = picture->addLine({0, 0}, {0, 0}, kWhite);
    for (PictureView::ItemId id : {lineHorizontalImpact, lineVerticalImpact, lineSplashIndicator})
        picture->setItemVisible(id, false);
    maxbuoy = picture->addLabel({0, 0}, QString(), kWhite);
    maxbuoym = picture->addLabel({0, 0}, QString(), kWhite);
    minbuoy = picture->addLabel({0, 0}, QString(), kWhite);
    minbuoym = picture->addLabel({0, 0}, QString(), kWhite);

    // Menu.
    SavePict = menuBar()->addAction(QStringLiteral("&Save Picture"));
    LoadPict = menuBar()->addAction(QStringLiteral("&Load Picture"));
    mnuPaste = menuBar()->addAction(QStringLiteral("&Paste"));
    mnuResults = menuBar()->addAction(QStringLiteral("&Results"));
    mnuCalibrate = menuBar()->addAction(QStringLiteral("&Calibrate"));
    mnuCapture = menuBar()->addAction(QStringLiteral("C&apture Next Jump"));
    mnuViewLog = menuBar()->addAction(QStringLiteral("&View Log"));
    Exit = menuBar()->addAction(QStringLiteral("E&xit"));

    keyTimer = new QTimer(this);
    keyTimer->setInterval(100);
    loadTimer = new QTimer(this);
    loadTimer->setInterval(1000);

    connect(picture, &PictureView::mousePressed, this,
            [this](QPointF twips, Qt::MouseButton button, Qt::KeyboardModifiers) {
                if (button == Qt::LeftButton)
                    Form_MouseDown(twips);
            });
    connect(
        picture, &PictureView::mouseMoved, this,
        [this](QPointF twips, Qt::MouseButtons, Qt::KeyboardModifiers) { Form_MouseMove(twips); });
    connect(AdjustLeft, &QToolButton::clicked, this, &Measure::AdjustLeft_Click);
    connect(AdjustRight, &QToolButton::clicked, this, &Measure::AdjustRight_Click);
    connect(AdjustUp, &QToolButton::clicked, this, &Measure::AdjustUp_Click);
    connect(AdjustDown, &QToolButton::clicked, this, &Measure::AdjustDown_Click);
    connect(keyTimer, &QTimer::timeout, this, &Measure::keyTimer_Timer);
    connect(loadTimer, &QTimer::timeout, this, &Measure::loadTimer_Timer);
    connect(cbAutoLoadClipboard, &QCheckBox::clicked, this, &Measure::cbAutoLoadClipboard_Click);
    connect(verify, &QPushButton::clicked, this, &Measure::verify_Click);
    connect(Set_grid, &QPushButton::clicked, this, &Measure::Set_grid_Click);
    connect(Show_grid, &QPushButton::clicked, this, &Measure::Show_grid_Click);
    connect(Unfreeze, &QPushButton::clicked, this, &Measure::Unfreeze_Click);
    connect(Record, &QPushButton::clicked, this, &Measure::Record_Click);
    connect(Fall, &QRadioButton::clicked, this, &Measure::Fall_Click);
    connect(Pass, &QRadioButton::clicked, this, &Measure::Pass_Click);
    connect(Other_Grid, &QRadioButton::clicked, this, &Measure::Other_Grid_Click);
    connect(optJumpOK, &QRadioButton::clicked, this, &Measure::optJumpOK_Click);
    connect(M_Reride, &QRadioButton::clicked, this, &Measure::M_Reride_Click);
    connect(O_reride, &QRadioButton::clicked, this, &Measure::O_reride_Click);
    connect(Make_comment, &QRadioButton::clicked, this, &Measure::Make_comment_Click);
    connect(Skier_name, &QComboBox::activated, this, [this] {
        Skier_name_Change();
        warnAboutUnstorableName();
    });
    connect(Skier_name->lineEdit(), &QLineEdit::textEdited, this, &Measure::Skier_name_Change);
    // A typed name is checked once it is entered, not at every key.
    connect(Skier_name->lineEdit(), &QLineEdit::editingFinished, this,
            &Measure::warnAboutUnstorableName);
    connect(ClipSnapShot, &QToolButton::clicked, this, &Measure::ClipSnapShot_Click);
    connect(ImgSnapShot, &QToolButton::clicked, this, &Measure::ImgSnapShot_Click);
    connect(btnNextJump, &QPushButton::clicked, this, &Measure::btnNextJump_Click);
    connect(SavePict, &QAction::triggered, this, &Measure::SavePict_Click);
    connect(LoadPict, &QAction::triggered, this, &Measure::LoadPict_Click);
    connect(mnuPaste, &QAction::triggered, this, &Measure::mnuPaste_Click);
    connect(mnuResults, &QAction::triggered, this, &Measure::mnuResults_Click);
    connect(mnuCalibrate, &QAction::triggered, this, &Measure::mnuCalibrate_Click);
    connect(mnuCapture, &QAction::triggered, this, &Measure::mnuCapture_Click);
    connect(mnuViewLog, &QAction::triggered, this, &Measure::mnuViewLog_Click);
    connect(Exit, &QAction::triggered, this, &Measure::Exit_Click);
    connect(CrossSize, &QScrollBar::valueChanged, this, [this] { scheduleRedraw(); });
    // The bound belongs to the figure it was computed for and goes with it.
    connect(distance, &QLineEdit::textChanged, this, [this](const QString& meters) {
        if (meters != m_measuredMeters)
            distanceUncertainty->clear();
    });
    connect(Skier_name->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { DrawImpactMark(); });

    // Screens this build does not have yet.
    const bool capture = m_station.hasScreen(Screen::Capture);
    btnNextJump->setEnabled(capture);
    mnuCapture->setEnabled(capture);
    mnuCalibrate->setEnabled(m_station.hasCalibration());

    // Arrow keys move the impact marker (the key timer reads them) and nothing else: the outcome
    // options, the skier list and the picture's scroll bars would otherwise take them too.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

bool Measure::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Text boxes keep Left and Right for their cursor.
        const auto* combo = qobject_cast<QComboBox*>(watched);
        const bool textBox = qobject_cast<QLineEdit*>(watched) || (combo && combo->isEditable());
        const bool cursorKey = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right;
        if (isArrowKey(key->key()) && !(textBox && cursorKey))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

Measure::~Measure() = default;

void Measure::Form_Load()
{
    Set_grid->setVisible(m_station.settings.GridCount > 1);
    optJumpOK->setChecked(true);
    Comment->clear();
    lastDrawn = {};
    splashPoint = {};
    grid_description->hide();
    for (QLineEdit* e : {xtwips, ytwips, xposition, yposition, VerifyDistance})
        e->hide();
    for (QLabel* l : verifyLabels)
        l->hide();
    verifyUncertainty->hide();
    FrozenSign->hide();
    applySettings();
}

void Measure::applySettings()
{
    const StationSettings& s = m_station.settings;
    const QString colorName = s.LabelColor;
    const std::pair<QWidget*, const char*> labelled[] = {{optJumpOK, "optJumpOK"},
                                                         {Pass, "Pass"},
                                                         {Fall, "Fall"},
                                                         {O_reride, "O_reride"},
                                                         {M_Reride, "M_Reride"},
                                                         {Other_Grid, "Other_Grid"},
                                                         {Make_comment, "Make_comment"},
                                                         {FrozenSign, "FrozenSign"},
                                                         {AdjustmentLabel, "AdjustmentLabel"},
                                                         {CrossLabel, "CrossLabel"},
                                                         {IWSFlabel, "IWSFlabel"},
                                                         {AWSAlabel, "AWSAlabel"}};
    for (const auto& [widget, name] : labelled)
        setTextColor(widget, measureLabelColor(colorName, QLatin1String(name)));
    const std::pair<PictureView::ItemId, const char*> buoyLabels[] = {
        {maxbuoy, "maxbuoy"}, {maxbuoym, "maxbuoym"}, {minbuoy, "minbuoy"}, {minbuoym, "minbuoym"}};
    for (const auto& [id, name] : buoyLabels)
        picture->setItemColor(id, measureLabelColor(colorName, QLatin1String(name)));
    // The label colours mix black, red, yellow and white: a mid-grey panel keeps every one of
    // them readable.
    QPalette panel = m_sidePanel->palette();
    panel.setColor(QPalette::Window, QColor(128, 138, 150));
    m_sidePanel->setPalette(panel);

    if (s.BarefootOn || s.SitSkiOn) {
        barefoot_indicator->setText(s.BarefootOn ? QStringLiteral("Barefoot Jump")
                                                 : QStringLiteral("Sit Ski Jump"));
        barefoot_indicator->show();
    } else {
        barefoot_indicator->hide();
    }
    UnofficialJump->setVisible(verify->text() == QLatin1String("Verify off"));
    Set_grid->setVisible(s.GridCount > 1);
    picture->setMagnifierEnabled(m_station.ownMagnifierOn);

    {
        // The configured list as it now is: a names file that holds no names empties it.
        const QString current = Skier_name->currentText();
        const QSignalBlocker block(Skier_name);
        Skier_name->clear();
        Skier_name->addItems(m_station.skierNameList);
        Skier_name->setEditText(current);
    }
    const MeasurementGrid& grid = m_station.grids.slot(m_station.grids.currentGrid);
    grid_description->setText(grid.description2);
    grid_description->adjustSize();
}

void Measure::Form_Activate()
{
    if (m_station.ArrivedFrom == QLatin1String("SelectFrame")) {
        const QString path = m_station.paths().inStation(QStringLiteral("currentcapture.bmp"));
        const Result<LoadedPicture> loaded = readPicture(path);
        if (loaded) {
            pictureArrived();
            picture->setPicture(loaded.value());
            pictureWidth = pictureSizeText(loaded->width_twips);
            pictureHeight = pictureSizeText(loaded->height_twips);
        } else {
            m_station.dialogs().message(loaded.message(), QString(), DialogIcon::Exclamation);
        }
    }
    DrawImpactMark();
    keyTimer->start();
    // A name that came with the capture is checked here, where a question holds nothing up.
    warnAboutUnstorableName();
    if (cbAutoLoadClipboard->isChecked())
        loadTimer->start(1000);
}

void Measure::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    applySettings();
    Form_Activate();
}

void Measure::hideEvent(QHideEvent* event)
{
    keyTimer->stop();
    // No hand-over is taken while the screen is not there to show it.
    loadTimer->stop();
    QMainWindow::hideEvent(event);
}

void Measure::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            DrawImpactMark();
            keyTimer->start();
        } else {
            keyTimer->stop();
        }
    }
    QMainWindow::changeEvent(event);
}

void Measure::closeEvent(QCloseEvent* event)
{
    // The close box leaves the screen the way Exit does.
    event->ignore();
    if (isVisible() && !m_station.quitRequested())
        Exit_Click();
}

void Measure::scheduleRedraw()
{
    // The marker follows at the next repaint, as after any change on the screen; steps taken
    // before it all start from the last drawn point.
    if (m_redrawPending)
        return;
    m_redrawPending = true;
    QTimer::singleShot(0, this, [this] {
        m_redrawPending = false;
        DrawImpactMark();
    });
}

void Measure::DrawImpactMark()
{
    const StationSettings& s = m_station.settings;
    const Rgb color = s.ImpactColorRgb;
    const double size = CrossSize->value();
    const double x = impact.x;
    const double y = impact.y;
    lastDrawn = impact;
    // No marker until the impact point is clicked on the picture shown.
    if (!impactClicked) {
        setMarkerVisible(false);
        return;
    }
    for (PictureView::ItemId id : {lineHorizontalImpact, lineVerticalImpact}) {
        picture->setItemVisible(id, true);
        picture->setItemColor(id, color);
    }
    const double armEnd = s.RightToLeft ? x + size : x - size;
    picture->setLine(lineHorizontalImpact, {x, y}, {armEnd, y});
    picture->setLine(lineVerticalImpact, {x, y - size}, {x, y + size});
    // One picture pixel either side of each arm, a pixel longer at both ends.
    const double edge = kStep_twips;
    const double left = std::min(x, armEnd) - edge;
    const double right = std::max(x, armEnd) + edge;
    picture->setLine(crossOutline[0], {left, y - edge}, {right, y - edge});
    picture->setLine(crossOutline[1], {left, y + edge}, {right, y + edge});
    picture->setLine(crossOutline[2], {x - edge, y - size - edge}, {x - edge, y + size + edge});
    picture->setLine(crossOutline[3], {x + edge, y - size - edge}, {x + edge, y + size + edge});
    for (PictureView::ItemId id : crossOutline) {
        picture->setItemColor(id, outlineColor(color));
        picture->setItemVisible(id, true);
    }

    // The splash indicator: where the ramp's end would be, one ramp offset along the survey
    // X axis from the impact point.
    // Through the grid, so that a point beyond the horizon maps to nothing.
    const MeasurementGrid& grid = m_station.grids.working;
    impactSurvey = PictureToSurvey(grid, impact);
    std::optional<ScreenPoint> splash;
    if (impactSurvey) {
        m_lastSurvey = *impactSurvey;
        SurveyPoint shifted = *impactSurvey;
        const Tournament t = Tournament::of(s);
        if (!t.barefoot) {
            const double offset = rampOffset_m(t) * m_station.grids.xOrientation;
            shifted.X += s.RightToLeft ? offset : -offset;
        }
        splash = SurveyToPicture(grid, shifted);
    }
    if (splash) {
        splashPoint = *splash;
        picture->setLine(lineSplashIndicator, {splash->x, splash->y},
                         {splash->x, splash->y - kSplashLine_twips});
        picture->setItemColor(lineSplashIndicator, color);
        picture->setItemVisible(lineSplashIndicator, true);
    } else {
        picture->setItemVisible(lineSplashIndicator, false);
    }
}

void Measure::setMarkerVisible(bool visible)
{
    for (PictureView::ItemId id : {lineHorizontalImpact, lineVerticalImpact, lineSplashIndicator})
        picture->setItemVisible(id, visible);
    for (PictureView::ItemId id : crossOutline)
        picture->setItemVisible(id, visible);
}

void Measure::pictureArrived()
{
    // A new picture is a new jump: the point and the figures of the last one do not carry over.
    impactClicked = false;
    impactSurvey.reset();
    distance->clear();
    distance_ft->clear();
    setMarkerVisible(false);
    for (QWidget* w : {static_cast<QWidget*>(AdjustmentLabel), static_cast<QWidget*>(AdjustLeft),
                       static_cast<QWidget*>(AdjustRight), static_cast<QWidget*>(AdjustUp),
                       static_cast<QWidget*>(AdjustDown)})
        w->hide();
}

void Measure::Form_MouseDown(QPointF twips)
{
    impact = {twips.x(), twips.y()};
    impactClicked = true;
    distance->setText(QStringLiteral("m"));
    distance_ft->setText(QStringLiteral("ft"));
    for (QWidget* w : {static_cast<QWidget*>(AdjustmentLabel), static_cast<QWidget*>(AdjustLeft),
                       static_cast<QWidget*>(AdjustRight), static_cast<QWidget*>(AdjustUp),
                       static_cast<QWidget*>(AdjustDown)})
        w->show();
    scheduleRedraw();
}

void Measure::Form_MouseMove(QPointF twips)
{
    xtwips->setText(twipsReadout(twips.x()));
    ytwips->setText(twipsReadout(twips.y()));
    const Tournament t = Tournament::of(m_station.settings);
    const std::optional<JumpDistance> jump =
        distance_calculation(m_station.grids.working, {twips.x(), twips.y()}, t);
    if (!jump) {
        xposition->clear();
        yposition->clear();
        VerifyDistance->clear();
        verifyUncertainty->clear();
        return;
    }
    m_lastSurvey = jump->point;
    xposition->setText(surveyReadout(jump->point.X));
    yposition->setText(surveyReadout(jump->point.Y));
    VerifyDistance->setText(verifyDistanceReadout(jump->distance_m));
    verifyUncertainty->setText(uncertaintyReadout(
        distanceUncertainty_m(m_station.grids.working, {twips.x(), twips.y()}, t)));
}

void Measure::AdjustLeft_Click()
{
    impact.x = lastDrawn.x - kStep_twips;
    scheduleRedraw();
}

void Measure::AdjustRight_Click()
{
    impact.x = lastDrawn.x + kStep_twips;
    scheduleRedraw();
}

void Measure::AdjustUp_Click()
{
    impact.y = lastDrawn.y - kStep_twips;
    scheduleRedraw();
}

void Measure::AdjustDown_Click()
{
    impact.y = lastDrawn.y + kStep_twips;
    scheduleRedraw();
}

void Measure::keyTimer_Timer()
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

void Measure::cbAutoLoadClipboard_Click()
{
    if (cbAutoLoadClipboard->isChecked())
        loadTimer->start(1000);
    else
        loadTimer->stop();
}

void Measure::loadTimer_Timer()
{
    const QString flag = m_station.paths().inExchange(QStringLiteral("clipflag.txt"));
    const Result<QString> text = readTextFile(flag);
    if (!text)
        return;
    FieldReader reader(text.value());
    if (reader.nextField().value_or(QString()) != QLatin1String("Ready"))
        return;
    const QImage image = QApplication::clipboard()->image();
    // The flag may come a moment before the picture: it stays until the picture is there.
    if (image.isNull())
        return;
    pictureArrived();
    picture->setPicture(image);
    DrawImpactMark();
    // Each hand-over is taken once.
    replaceFileLines(flag, {QStringLiteral("  ")});
}

void Measure::verify_Click()
{
    const bool turningOn = verify->text() == QLatin1String("Verify");
    for (QWidget* w :
         {static_cast<QWidget*>(xtwips), static_cast<QWidget*>(ytwips),
          static_cast<QWidget*>(xposition), static_cast<QWidget*>(yposition),
          static_cast<QWidget*>(VerifyDistance), static_cast<QWidget*>(UnofficialJump)})
        w->setVisible(turningOn);
    for (QLabel* l : verifyLabels)
        l->setVisible(turningOn);
    verifyUncertainty->setVisible(turningOn);
    verify->setText(turningOn ? QStringLiteral("Verify off") : QStringLiteral("Verify"));
}

void Measure::Set_grid_Click()
{
    const int next = nextGridNumber(m_station.grids.currentGrid, m_station.settings.GridCount);
    Set_grid->setText(QStringLiteral("&Grid %1").arg(next));
    emptyBuoyLabels();
    m_station.grids.selectGrid(next, m_station.settings.GridCount);
    grid_description->setText(m_station.grids.slot(next).description2);
    grid_description->adjustSize();
    DrawImpactMark();
}

void Measure::emptyBuoyLabels()
{
    for (PictureView::ItemId id : {maxbuoy, minbuoy, maxbuoym, minbuoym})
        picture->setLabelText(id, QString());
}

void Measure::Show_grid_Click()
{
    DrawImpactMark();
}

void Measure::clearOption(QRadioButton* option)
{
    // An option group may end with none selected, as after Clear.
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

void Measure::setComment(const QString& text)
{
    Comment->setText(text);
    Comment->show();
}

void Measure::Unfreeze_Click()
{
    impactClicked = false;
    setMarkerVisible(false);
    distance->setText(QStringLiteral("m"));
    distance_ft->setText(QStringLiteral("ft"));
    Jump_no->setText(nextJumpNumber(Jump_no->text()));
    optJumpOK->setChecked(true);
    for (QRadioButton* o : {Fall, Pass, O_reride, M_Reride, Other_Grid, Make_comment})
        clearOption(o);
    Comment->clear();
    pictureHeld = false;
    for (QWidget* w : {static_cast<QWidget*>(FrozenSign), static_cast<QWidget*>(gif_file_name),
                       static_cast<QWidget*>(AdjustmentLabel), static_cast<QWidget*>(AdjustLeft),
                       static_cast<QWidget*>(AdjustRight), static_cast<QWidget*>(AdjustUp),
                       static_cast<QWidget*>(AdjustDown)})
        w->hide();
    picture->clearPicture();
    DrawImpactMark();
    deleteExchangePictures(m_station.paths().exchangeFolder());
}

void Measure::Fall_Click()
{
    setComment(jumptexts::Fall);
}

void Measure::Pass_Click()
{
    setComment(jumptexts::Pass);
}

void Measure::Other_Grid_Click()
{
    setComment(jumptexts::OtherGrid);
}

void Measure::optJumpOK_Click()
{
}

void Measure::writeNote(const QString& comment)
{
    const QDateTime now = m_station.clock().now();
    m_station.results().append(m_station.settings.ResultsFilePath,
                               noteLine(dateText(now), timeText(now), comment));
}

void Measure::M_Reride_Click()
{
    setComment(jumptexts::MandatoryReride);
    writeNote(Comment->text());
    Comment->clear();
    if (!pictureHeld)
        clearOption(M_Reride);
    distance->clear();
    distance_ft->clear();
}

void Measure::O_reride_Click()
{
    setComment(jumptexts::OptionalReride);
    writeNote(Comment->text());
    Comment->clear();
    if (!pictureHeld)
        clearOption(O_reride);
}

void Measure::Make_comment_Click()
{
    const std::optional<QString> answer =
        m_station.dialogs().input(jumptexts::CommentPrompt, jumptexts::CommentTitle, QString());
    // A cancelled question adds no comment line.
    if (answer) {
        setComment(*answer);
        writeNote(Comment->text());
        Comment->clear();
    }
    clearOption(Make_comment);
}

void Measure::Skier_name_Change()
{
    Jump_no->setText(QStringLiteral("1"));
    distance->clear();
    distance_ft->clear();
}

void Measure::warnAboutUnstorableName()
{
    const QString name = Skier_name->currentText();
    if (name == m_nameWarnedAbout)
        return;
    const QString message = unstorableNameMessage(name);
    if (message.isEmpty())
        return;
    m_nameWarnedAbout = name;
    m_station.dialogs().message(message, QString(), DialogIcon::Exclamation);
}

bool Measure::recordMeasuredDistance(JumpResult& jump)
{
    const Tournament t = Tournament::of(m_station.settings);
    const std::optional<JumpDistance> measured =
        distance_calculation(m_station.grids.working, impact, t);
    if (!measured) {
        m_station.dialogs().message(
            QStringLiteral("The impact point lies beyond the horizon of grid %1: no distance can "
                           "be measured there. Nothing was recorded.")
                .arg(m_station.grids.currentGrid),
            QString(), DialogIcon::Exclamation);
        return false;
    }
    const Result<DistanceFigures> figures =
        distanceFigures(measured->distance_m, barefoot_indicator->isVisibleTo(this));
    if (!figures) {
        m_station.dialogs().message(figures.message(), QString(), DialogIcon::Exclamation);
        return false;
    }
    m_lastSurvey = measured->point;
    impactSurvey = measured->point;
    m_lastPrecise = figures->preciseMeters;
    m_measuredMeters = figures->metersText;
    distance->setText(figures->metersText);
    distance_ft->setText(figures->feetText);
    distanceUncertainty->setText(
        uncertaintyReadout(distanceUncertainty_m(m_station.grids.working, impact, t)));
    jump.metersValue = figures->metersValue;
    jump.feetValue = figures->feetValue;
    return true;
}

void Measure::Record_Click()
{
    Dialogs& dialogs = m_station.dialogs();
    const Outcome numberOk = checkJumpNumber(Jump_no->text());
    if (!numberOk) {
        dialogs.message(numberOk.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    if (!impactClicked && !Pass->isChecked() && !Fall->isChecked() && !Other_Grid->isChecked()) {
        dialogs.message(
            QStringLiteral("No impact point has been clicked on this picture. Click the "
                           "point where the skier first touches the water, then "
                           "record the jump. Nothing was recorded."),
            QString(), DialogIcon::Exclamation);
        return;
    }
    bool advance = false;
    const bool passOrFall = Pass->isChecked() || Fall->isChecked();
    JumpResult jump;

    if (passOrFall) {
        distance->clear();
        distance_ft->clear();
        if (!pictureHeld) {
            advance = true;
            clearOption(Fall);
            clearOption(Pass);
        }
    }
    if (Other_Grid->isChecked()) {
        const OtherGridEntry entry = askOtherGridDistance(m_station.dialogs());
        if (entry.kind == OtherGridEntry::Kind::Abandoned)
            return; // nothing written, nothing sent, options as they were
        if (entry.kind == OtherGridEntry::Kind::Distance) {
            distance->setText(entry.metersText);
            distance_ft->setText(entry.feetText);
            jump.metersValue = entry.metersValue;
            jump.feetValue = entry.feetValue;
        } else {
            setComment(jumptexts::OtherGridNoDistance);
            distance->clear();
            distance_ft->clear();
        }
        if (!pictureHeld) {
            advance = true;
            clearOption(Fall);
            clearOption(Pass);
        }
    } else if (!passOrFall) {
        if (!recordMeasuredDistance(jump))
            return;
    }

    const QDateTime now = m_station.clock().now();
    jump.date = dateText(now);
    jump.time = timeText(now);
    jump.skier = Skier_name->currentText();
    jump.jumpNumber = Jump_no->text();
    jump.metersText = distance->text();
    jump.feetText = distance_ft->text();
    jump.comment = Comment->text();
    jump.status = statusForComment(jump.comment);
    jump.barefoot = m_station.settings.BarefootOn;
    jump.unofficial = verify->text() == QLatin1String("Verify off");
    jump.otherGrid = Other_Grid->isChecked();
    jump.surveyX_m = m_lastSurvey.X;
    jump.surveyY_m = m_lastSurvey.Y;
    jump.pictureX_twips = impact.x;
    jump.pictureY_twips = impact.y;
    jump.preciseMeters = m_lastPrecise;

    m_station.results().append(m_station.settings.ResultsFilePath, resultsLine(jump));
    if (m_station.settings.WstimsOn) {
        const Outcome sent = writeWstimsResult(m_station.paths().exchangeFolder(), jump);
        if (!sent)
            m_station.dialogs().message(sent.message());
    }
    Comment->hide();
    if (advance)
        Jump_no->setText(nextJumpNumber(Jump_no->text()));
    if (Other_Grid->isChecked())
        clearOption(Other_Grid);
    Comment->clear();
    deleteExchangePictures(m_station.paths().exchangeFolder());
}

void Measure::holdPicture(const QString& shownName)
{
    pictureArrived();
    pictureHeld = true;
    FrozenSign->show();
    FrozenSign->raise();
    distance->clear();
    distance_ft->clear();
    Show_grid->setFocus();
    gif_file_name->setText(shownName);
    gif_file_name->adjustSize();
    gif_file_name->show();
}

void Measure::takeClipboardPicture()
{
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) {
        m_station.dialogs().message(QStringLiteral("There is no picture on the clipboard."),
                                    QString(), DialogIcon::Exclamation);
        return;
    }
    holdPicture(QStringLiteral("Picture from Clipboard"));
    picture->setPicture(image);
    DrawImpactMark();
}

void Measure::mnuPaste_Click()
{
    takeClipboardPicture();
}

void Measure::ClipSnapShot_Click()
{
    takeClipboardPicture();
}

void Measure::ImgSnapShot_Click()
{
    const QString path = m_station.paths().inExchange(QStringLiteral("snapshot.bmp"));
    const Result<LoadedPicture> loaded = readPicture(path);
    if (!loaded) {
        m_station.dialogs().message(loaded.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    holdPicture(QStringLiteral("snapshot.bmp"));
    picture->setPicture(loaded.value());
    DrawImpactMark();
}

bool Measure::showPictureFile(const QString& path, const QString& shownName)
{
    const Result<LoadedPicture> loaded = readPicture(path);
    if (!loaded) {
        m_station.dialogs().message(loaded.message(), QString(), DialogIcon::Exclamation);
        return false;
    }
    pictureArrived();
    picture->setPicture(loaded.value());
    pictureWidth = pictureSizeText(loaded->width_twips);
    pictureHeight = pictureSizeText(loaded->height_twips);
    gif_file_name->setText(shownName);
    gif_file_name->adjustSize();
    gif_file_name->move(grid_description->x(), grid_description->y() + grid_description->height());
    gif_file_name->show();
    DrawImpactMark();
    return true;
}

void Measure::LoadPict_Click()
{
    FileDialogRequest request;
    request.folder = m_station.settings.PicturesFolder;
    request.filter = QStringLiteral(
        "All Files (*.*)|*.*|Text Files (*.txt)|*.txt|Jump Picture Files (*.gif)|*.gif|Jump "
        "Picture Files (*.bmp)|*.bmp|Jump Picture Files (*.jpg)|*.jpg|");
    request.filterIndex = 4;
    const std::optional<QString> chosen = m_station.dialogs().openFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    if (!showPictureFile(*chosen, *chosen))
        return;
    const QDateTime now = m_station.clock().now();
    m_station.results().append(m_station.settings.ResultsFilePath,
                               loadedPictureLine(dateText(now), timeText(now), *chosen));
    m_station.ArrivedFrom = QStringLiteral("PictureLoadMenu");
}

bool Measure::pictureSaved()
{
    Dialogs& dialogs = m_station.dialogs();
    if (!picture->hasPicture()) {
        dialogs.message(QStringLiteral("There is no picture on the screen to save."), QString(),
                        DialogIcon::Exclamation);
        return false;
    }
    const StationSettings& s = m_station.settings;
    const QString name = pictureFileName(Skier_name->currentText(), Jump_no->text());
    // An earlier picture of that name (another skier's, before a name change restarted the
    // jump number) is kept: this one takes the next free name.
    const QString path = unusedPicturePath(picturePath(s.PicturesFolder, name));
    if (path.isEmpty()) {
        dialogs.message(QStringLiteral("The picture was not saved: every name for %1 in %2 is "
                                       "taken. Move the older pictures elsewhere and save again.")
                            .arg(name, s.PicturesFolder),
                        QString(), DialogIcon::Exclamation);
        return false;
    }
    dialogs.message(path);
    const Outcome saved = picture->saveBitmap(path, true);
    if (!saved) {
        dialogs.message(saved.message(), QString(), DialogIcon::Critical);
        return false;
    }
    const QDateTime now = m_station.clock().now();
    m_station.results().append(s.ResultsFilePath,
                               savedPictureLine(dateText(now), timeText(now), path));
    const Outcome info = writePictureInfo(path, m_station.captureSkier, m_station.capturePass);
    if (!info)
        dialogs.message(info.message(), QString(), DialogIcon::Exclamation);
    if (!s.VideoFolder.isEmpty())
        m_station.sessionLog.append(s.VideoFolder,
                                    pictureLogItems(dateText(now), timeText(now),
                                                    m_station.captureSkier, m_station.capturePass,
                                                    distance->text(), path),
                                    dialogs);
    statusBar()->showMessage(
        QStringLiteral("Picture saved as %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

void Measure::SavePict_Click()
{
    pictureSaved();
}

void Measure::applyPictureSavePolicy()
{
    const QString& policy = m_station.settings.PictureSavePolicy;
    if (policy == QLatin1String("Save"))
        pictureSaved();
    else if (policy == QLatin1String("Ask") &&
             m_station.dialogs().message(QStringLiteral("Do you want to save this picture?"),
                                         QString(), DialogIcon::None,
                                         DialogButtons::YesNo) == DialogAnswer::Yes)
        pictureSaved();
}

void Measure::mnuResults_Click()
{
    m_station.openResults(this);
}

void Measure::mnuCalibrate_Click()
{
    m_station.openCalibration(this);
}

void Measure::mnuViewLog_Click()
{
    m_station.openPictureLog(this);
}

void Measure::mnuCapture_Click()
{
    btnNextJump_Click();
}

void Measure::btnNextJump_Click()
{
    if (!m_station.hasScreen(Screen::Capture))
        return;
    Dialogs& dialogs = m_station.dialogs();
    if (m_station.ArrivedFrom != QLatin1String("SelectFrame")) {
        if (dialogs.message(QStringLiteral("Do you want to save this picture?"), QString(),
                            DialogIcon::None, DialogButtons::YesNo) == DialogAnswer::Yes)
            pictureSaved();
        if (dialogs.message(QStringLiteral("Do you want to remain on this form?"), QString(),
                            DialogIcon::None, DialogButtons::YesNo) == DialogAnswer::Yes)
            return;
    } else {
        applyPictureSavePolicy();
    }
    m_station.ArrivedFrom = QStringLiteral("Measure");
    Unfreeze_Click();
    keyTimer->stop();
    m_station.show(Screen::Capture, this);
}

void Measure::Exit_Click()
{
    if (m_station.ArrivedFrom == QLatin1String("SelectFrame"))
        applyPictureSavePolicy();
    m_station.ArrivedFrom.clear();
    Unfreeze_Click();
    emptyBuoyLabels();
    grid_description->hide();
    keyTimer->stop();
    m_station.show(Screen::Main, this);
}

} // namespace fw
