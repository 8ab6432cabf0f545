// The measurement screen's controls, their layout and connections, and the settings they show.

#include "screens/MeasurementScreen.h"

#include "station/Station.h"
#include "measure/JumpResult.h"
#include "measure/SkierNames.h"
#include "support/dialogs.h"
#include "support/textforms.h"
#include "widgets/MicroAdjustPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
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
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace fw {

namespace {

void setTextColor(QWidget* w, Rgb rgb)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colorFromRgb(rgb));
    p.setColor(QPalette::ButtonText, colorFromRgb(rgb));
    p.setColor(QPalette::Text, colorFromRgb(rgb));
    w->setPalette(p);
}

bool isArrowKey(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

MeasurementScreen::MeasurementScreen(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station)
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
    connect(AdjustLeft, &QToolButton::clicked, this, &MeasurementScreen::AdjustLeft_Click);
    connect(AdjustRight, &QToolButton::clicked, this, &MeasurementScreen::AdjustRight_Click);
    connect(AdjustUp, &QToolButton::clicked, this, &MeasurementScreen::AdjustUp_Click);
    connect(AdjustDown, &QToolButton::clicked, this, &MeasurementScreen::AdjustDown_Click);
    connect(keyTimer, &QTimer::timeout, this, &MeasurementScreen::keyTimer_Timer);
    connect(loadTimer, &QTimer::timeout, this, &MeasurementScreen::loadTimer_Timer);
    connect(cbAutoLoadClipboard, &QCheckBox::clicked, this, &MeasurementScreen::cbAutoLoadClipboard_Click);
    connect(verify, &QPushButton::clicked, this, &MeasurementScreen::verify_Click);
    connect(Set_grid, &QPushButton::clicked, this, &MeasurementScreen::Set_grid_Click);
    connect(Show_grid, &QPushButton::clicked, this, &MeasurementScreen::Show_grid_Click);
    connect(Unfreeze, &QPushButton::clicked, this, &MeasurementScreen::Unfreeze_Click);
    connect(Record, &QPushButton::clicked, this, &MeasurementScreen::Record_Click);
    connect(Fall, &QRadioButton::clicked, this, &MeasurementScreen::Fall_Click);
    connect(Pass, &QRadioButton::clicked, this, &MeasurementScreen::Pass_Click);
    connect(Other_Grid, &QRadioButton::clicked, this, &MeasurementScreen::Other_Grid_Click);
    connect(optJumpOK, &QRadioButton::clicked, this, &MeasurementScreen::optJumpOK_Click);
    connect(M_Reride, &QRadioButton::clicked, this, &MeasurementScreen::M_Reride_Click);
    connect(O_reride, &QRadioButton::clicked, this, &MeasurementScreen::O_reride_Click);
    connect(Make_comment, &QRadioButton::clicked, this, &MeasurementScreen::Make_comment_Click);
    connect(Skier_name, &QComboBox::activated, this, [this] {
        Skier_name_Change();
        warnAboutUnstorableName();
    });
    connect(Skier_name->lineEdit(), &QLineEdit::textEdited, this, &MeasurementScreen::Skier_name_Change);
    // A typed name is checked once it is entered, not at every key.
    connect(Skier_name->lineEdit(), &QLineEdit::editingFinished, this,
            &MeasurementScreen::warnAboutUnstorableName);
    connect(ClipSnapShot, &QToolButton::clicked, this, &MeasurementScreen::ClipSnapShot_Click);
    connect(ImgSnapShot, &QToolButton::clicked, this, &MeasurementScreen::ImgSnapShot_Click);
    connect(btnNextJump, &QPushButton::clicked, this, &MeasurementScreen::btnNextJump_Click);
    connect(SavePict, &QAction::triggered, this, &MeasurementScreen::SavePict_Click);
    connect(LoadPict, &QAction::triggered, this, &MeasurementScreen::LoadPict_Click);
    connect(mnuPaste, &QAction::triggered, this, &MeasurementScreen::mnuPaste_Click);
    connect(mnuResults, &QAction::triggered, this, &MeasurementScreen::mnuResults_Click);
    connect(mnuCalibrate, &QAction::triggered, this, &MeasurementScreen::mnuCalibrate_Click);
    connect(mnuCapture, &QAction::triggered, this, &MeasurementScreen::mnuCapture_Click);
    connect(mnuViewLog, &QAction::triggered, this, &MeasurementScreen::mnuViewLog_Click);
    connect(Exit, &QAction::triggered, this, &MeasurementScreen::Exit_Click);
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

bool MeasurementScreen::eventFilter(QObject* watched, QEvent* event)
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

void MeasurementScreen::Form_Load()
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

void MeasurementScreen::applySettings()
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

} // namespace fw
