#include "screens/MeasurementScreenForm.h"

#include "widgets/MicroAdjustPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace fw {

namespace {

void showNone(std::initializer_list<QWidget*> widgets)
{
    for (QWidget* w : widgets)
        w->hide();
}

} // namespace

void MeasurementScreenForm::setTextColor(QWidget* widget, Rgb rgb)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colorFromRgb(rgb));
    p.setColor(QPalette::ButtonText, colorFromRgb(rgb));
    p.setColor(QPalette::Text, colorFromRgb(rgb));
    widget->setPalette(p);
}

std::array<QWidget*, 5> MeasurementScreenForm::adjustPanel() const
{
    return {adjustLabel, adjustLeftButton, adjustRightButton, adjustUpButton, adjustDownButton};
}

void MeasurementScreenForm::build(QMainWindow& window)
{
    window.setWindowTitle(QStringLiteral("Measure Jump"));
    auto* central = new QWidget(&window);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(4, 4, 4, 4);

    picture = new PictureView(central);
    picture->setGrowsWindow(true);
    picture->setMinimumSize(640, 480);
    columns->addWidget(picture, 1);

    sidePanel = new QWidget(central);
    sidePanel->setAutoFillBackground(true);
    sidePanel->setFixedWidth(300);
    auto* side = new QVBoxLayout(sidePanel);
    columns->addWidget(sidePanel);
    buildFigures(sidePanel, side);
    buildOutcome(sidePanel, side);
    buildCommands(sidePanel, side);
    buildReadouts(sidePanel, side);
    side->addStretch();
    window.setCentralWidget(central);

    buildOverlays();
    buildMarks();
    buildMenu(window);
    nameControls();
}

void MeasurementScreenForm::buildFigures(QWidget* panel, QVBoxLayout* side)
{
    auto* values = new QFormLayout;
    skierNameBox = new QComboBox(panel);
    skierNameBox->setEditable(true);
    skierNameBox->setInsertPolicy(QComboBox::NoInsert);
    skierNameBox->setEditText(QStringLiteral("Skier Name"));
    jumpNumberEdit = new QLineEdit(QStringLiteral("1"), panel);
    metersEdit = new QLineEdit(QStringLiteral("m"), panel);
    metersEdit->setReadOnly(true);
    feetEdit = new QLineEdit(QStringLiteral("ft"), panel);
    feetEdit->setReadOnly(true);
    QFont big = metersEdit->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    metersEdit->setFont(big);
    feetEdit->setFont(big);
    iwsfDistanceLabel = new QLabel(QStringLiteral("IWSF Official Distance"), panel);
    awsaDistanceLabel = new QLabel(QStringLiteral("AWSA Official Distance"), panel);
    values->addRow(QStringLiteral("Skier"), skierNameBox);
    values->addRow(QStringLiteral("Jump"), jumpNumberEdit);
    values->addRow(iwsfDistanceLabel);
    distanceUncertaintyLabel = new QLabel(panel);
    distanceUncertaintyLabel->setFont(big);
    distanceUncertaintyLabel->setToolTip(
        QStringLiteral("How far the distance can be off from the picture's pixels alone"));
    auto* metersRow = new QHBoxLayout;
    metersRow->addWidget(metersEdit, 1);
    metersRow->addWidget(distanceUncertaintyLabel);
    values->addRow(metersRow);
    values->addRow(awsaDistanceLabel);
    values->addRow(feetEdit);
    side->addLayout(values);

    tournamentTypeLabel = new QLabel(panel);
    tournamentTypeLabel->hide();
    side->addWidget(tournamentTypeLabel);
}

void MeasurementScreenForm::buildOutcome(QWidget* panel, QVBoxLayout* side)
{
    auto* outcome = new QGroupBox(panel);
    auto* outcomeLayout = new QGridLayout(outcome);
    auto option = [&](QRadioButton*& b, const char* caption, int row, int column) {
        b = new QRadioButton(QLatin1String(caption), outcome);
        outcomeLayout->addWidget(b, row, column);
    };
    option(jumpOkOption, "Jump OK", 0, 0);
    option(passOption, "Pass", 0, 1);
    option(fallOption, "Fall", 1, 0);
    option(otherGridOption, "Other Grid", 1, 1);
    option(optionalRerideOption, "Opt. reride", 2, 0);
    option(mandatoryRerideOption, "Man. Reride", 2, 1);
    option(commentOption, "Comment", 3, 0);
    jumpOkOption->setChecked(true);
    side->addWidget(outcome);
    commentEdit = new QLineEdit(panel);
    commentEdit->setPlaceholderText(QStringLiteral("comment"));
    // The comment comes and goes; Record Jump below it must not move under a habitual click.
    QSizePolicy keepRoom = commentEdit->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    commentEdit->setSizePolicy(keepRoom);
    side->addWidget(commentEdit);
}

void MeasurementScreenForm::buildCommands(QWidget* panel, QVBoxLayout* side)
{
    recordButton = new QPushButton(QStringLiteral("Record &Jump"), panel);
    recordButton->setFont(metersEdit->font());
    clearButton = new QPushButton(QStringLiteral("Clear"), panel);
    showGridButton = new QPushButton(QStringLiteral("Show Grid"), panel);
    verifyButton = new QPushButton(QStringLiteral("Verify"), panel);
    nextGridButton = new QPushButton(QStringLiteral("&Grid 1"), panel);
    captureNextJumpButton = new QPushButton(QStringLiteral("Capture Next Jump"), panel);
    autoLoadCheck = new QCheckBox(QStringLiteral("Auto Load"), panel);
    side->addWidget(recordButton);
    auto* commands = new QGridLayout;
    commands->addWidget(clearButton, 0, 0);
    commands->addWidget(showGridButton, 0, 1);
    commands->addWidget(verifyButton, 1, 0);
    commands->addWidget(nextGridButton, 1, 1);
    commands->addWidget(captureNextJumpButton, 2, 0, 1, 2);
    side->addLayout(commands);

    auto* sources = new QHBoxLayout;
    clipboardButton = new QToolButton(panel);
    clipboardButton->setText(QStringLiteral("Clipboard"));
    clipboardButton->setToolTip(QStringLiteral("Take the picture on the clipboard"));
    snapshotButton = new QToolButton(panel);
    snapshotButton->setText(QStringLiteral("snapshot.bmp"));
    snapshotButton->setToolTip(QStringLiteral("Take snapshot.bmp from the exchange folder"));
    sources->addWidget(clipboardButton);
    sources->addWidget(snapshotButton);
    sources->addWidget(autoLoadCheck);
    side->addLayout(sources);
}

void MeasurementScreenForm::buildReadouts(QWidget* panel, QVBoxLayout* side)
{
    auto* readouts = new QFormLayout;
    pictureXEdit = new QLineEdit(panel);
    pictureYEdit = new QLineEdit(panel);
    waterXEdit = new QLineEdit(panel);
    waterYEdit = new QLineEdit(panel);
    verifyDistanceEdit = new QLineEdit(panel);
    verifyUncertaintyLabel = new QLabel(panel);
    verifyUncertaintyLabel->hide();
    const std::pair<QLineEdit*, const char*> rows[] = {{pictureXEdit, "Picture x (twips)"},
                                                       {pictureYEdit, "Picture y (twips)"},
                                                       {waterXEdit, "Water X (m)"},
                                                       {waterYEdit, "Water Y (m)"},
                                                       {verifyDistanceEdit, "Distance"}};
    for (std::size_t i = 0; i < verifyCaptions.size(); ++i) {
        QLineEdit* e = rows[i].first;
        e->setReadOnly(true);
        e->hide();
        verifyCaptions[i] = new QLabel(QLatin1String(rows[i].second), panel);
        verifyCaptions[i]->setBuddy(e);
        verifyCaptions[i]->hide();
        if (e == verifyDistanceEdit) {
            auto* distanceRow = new QHBoxLayout;
            distanceRow->addWidget(e, 1);
            distanceRow->addWidget(verifyUncertaintyLabel);
            readouts->addRow(verifyCaptions[i], distanceRow);
        } else {
            readouts->addRow(verifyCaptions[i], e);
        }
    }
    side->addLayout(readouts);
    unofficialLabel = new QLabel(QStringLiteral("UNOFFICIAL JUMP"), panel);
    unofficialLabel->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    unofficialLabel->hide();
    side->addWidget(unofficialLabel);
}

void MeasurementScreenForm::buildOverlays()
{
    QWidget* over = picture->panelParent();
    const MicroAdjustPanel adjust = addMicroAdjustPanel(*picture);
    adjustLabel = adjust.label;
    adjustUpButton = adjust.up;
    adjustLeftButton = adjust.left;
    adjustRightButton = adjust.right;
    adjustDownButton = adjust.down;
    crossSizeLabel = new QLabel(QStringLiteral("Adjust Cross Size (drag-it)"), over);
    crossSizeBar = new QScrollBar(Qt::Horizontal, over);
    crossSizeBar->setRange(15, 1500);
    crossSizeBar->setSingleStep(15);
    crossSizeBar->setPageStep(150);
    crossSizeBar->setValue(300);
    crossSizeBar->setFixedWidth(160);
    crossSizeLabel->move(10, 110);
    crossSizeBar->move(10, 128);
    gridDescriptionCaption = new QLabel(QStringLiteral("Grid Description (drag-it)"), over);
    setTextColor(gridDescriptionCaption, kWhite);
    gridDescriptionLabel = new QLabel(over);
    pictureNameLabel = new QLabel(over);
    gridDescriptionCaption->move(200, 10);
    gridDescriptionLabel->move(200, 28);
    pictureNameLabel->move(200, 46);
    setTextColor(gridDescriptionLabel, kWhite);
    setTextColor(pictureNameLabel, kWhite);
    frozenLabel = new QLabel(QStringLiteral("FROZEN"), over);
    QFont frozen = frozenLabel->font();
    frozen.setPointSizeF(frozen.pointSizeF() * 2);
    frozen.setBold(true);
    frozenLabel->setFont(frozen);
    frozenLabel->move(480, 10);
    for (QWidget* w :
         {static_cast<QWidget*>(adjustLabel), static_cast<QWidget*>(crossSizeLabel),
          static_cast<QWidget*>(gridDescriptionCaption), static_cast<QWidget*>(frozenLabel),
          static_cast<QWidget*>(gridDescriptionLabel), static_cast<QWidget*>(pictureNameLabel)})
        w->adjustSize();
    picture->makeMovable(crossSizeLabel, {crossSizeBar});
    picture->makeMovable(gridDescriptionCaption, {gridDescriptionLabel, pictureNameLabel});
    picture->makeMovable(frozenLabel);
    showNone({gridDescriptionLabel, pictureNameLabel, frozenLabel});
    for (QWidget* w : adjustPanel())
        w->hide();
}

void MeasurementScreenForm::buildMarks()
{
    for (PictureView::ItemId& id : crossOutline) {
        id = picture->addLine({0, 0}, {0, 0}, kBlack);
        picture->setItemVisible(id, false);
    }
    crossHorizontalLine = picture->addLine({0, 0}, {0, 0}, kWhite);
    crossVerticalLine = picture->addLine({0, 0}, {0, 0}, kWhite);
    splashLine = picture->addLine({0, 0}, {0, 0}, kWhite);
    for (PictureView::ItemId id : {crossHorizontalLine, crossVerticalLine, splashLine})
        picture->setItemVisible(id, false);
    upperLeftBuoyFeet = picture->addLabel({0, 0}, QString(), kWhite);
    upperLeftBuoyMeters = picture->addLabel({0, 0}, QString(), kWhite);
    upperRightBuoyFeet = picture->addLabel({0, 0}, QString(), kWhite);
    upperRightBuoyMeters = picture->addLabel({0, 0}, QString(), kWhite);
}

void MeasurementScreenForm::buildMenu(QMainWindow& window)
{
    QMenuBar* menu = window.menuBar();
    savePictureAction = menu->addAction(QStringLiteral("&Save Picture"));
    loadPictureAction = menu->addAction(QStringLiteral("&Load Picture"));
    pasteAction = menu->addAction(QStringLiteral("&Paste"));
    resultsAction = menu->addAction(QStringLiteral("&Results"));
    calibrateAction = menu->addAction(QStringLiteral("&Calibrate"));
    captureNextJumpAction = menu->addAction(QStringLiteral("C&apture Next Jump"));
    viewLogAction = menu->addAction(QStringLiteral("&View Log"));
    exitAction = menu->addAction(QStringLiteral("E&xit"));
}

void MeasurementScreenForm::nameControls()
{
    const std::pair<QObject*, const char*> names[] = {
        {picture, "picture"},
        {jumpOkOption, "jumpOkOption"},
        {passOption, "passOption"},
        {fallOption, "fallOption"},
        {optionalRerideOption, "optionalRerideOption"},
        {mandatoryRerideOption, "mandatoryRerideOption"},
        {otherGridOption, "otherGridOption"},
        {commentOption, "commentOption"},
        {skierNameBox, "skierNameBox"},
        {jumpNumberEdit, "jumpNumberEdit"},
        {metersEdit, "metersEdit"},
        {feetEdit, "feetEdit"},
        {distanceUncertaintyLabel, "distanceUncertaintyLabel"},
        {commentEdit, "commentEdit"},
        {iwsfDistanceLabel, "iwsfDistanceLabel"},
        {awsaDistanceLabel, "awsaDistanceLabel"},
        {tournamentTypeLabel, "tournamentTypeLabel"},
        {pictureXEdit, "pictureXEdit"},
        {pictureYEdit, "pictureYEdit"},
        {waterXEdit, "waterXEdit"},
        {waterYEdit, "waterYEdit"},
        {verifyDistanceEdit, "verifyDistanceEdit"},
        {verifyUncertaintyLabel, "verifyUncertaintyLabel"},
        {unofficialLabel, "unofficialLabel"},
        {recordButton, "recordButton"},
        {clearButton, "clearButton"},
        {showGridButton, "showGridButton"},
        {verifyButton, "verifyButton"},
        {nextGridButton, "nextGridButton"},
        {captureNextJumpButton, "captureNextJumpButton"},
        {clipboardButton, "clipboardButton"},
        {snapshotButton, "snapshotButton"},
        {autoLoadCheck, "autoLoadCheck"},
        {adjustLabel, "adjustLabel"},
        {adjustLeftButton, "adjustLeftButton"},
        {adjustRightButton, "adjustRightButton"},
        {adjustUpButton, "adjustUpButton"},
        {adjustDownButton, "adjustDownButton"},
        {crossSizeLabel, "crossSizeLabel"},
        {crossSizeBar, "crossSizeBar"},
        {gridDescriptionCaption, "gridDescriptionCaption"},
        {gridDescriptionLabel, "gridDescriptionLabel"},
        {pictureNameLabel, "pictureNameLabel"},
        {frozenLabel, "frozenLabel"},
        {savePictureAction, "savePictureAction"},
        {loadPictureAction, "loadPictureAction"},
        {pasteAction, "pasteAction"},
        {resultsAction, "resultsAction"},
        {calibrateAction, "calibrateAction"},
        {captureNextJumpAction, "captureNextJumpAction"},
        {viewLogAction, "viewLogAction"},
        {exitAction, "exitAction"},
    };
    for (const auto& [control, name] : names)
        control->setObjectName(QLatin1String(name));
}

} // namespace fw
