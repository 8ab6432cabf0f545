#include "screens/GridSetupScreenForm.h"

#include "screens/named.h"

#include "grid/GridEntries.h"
#include "settings/StationSettings.h"
#include "widgets/MicroAdjustPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace fw {

namespace {

QLineEdit* newEdit(QWidget* parent, QLatin1String text, const char* name)
{
    auto* e = named(new QLineEdit(text, parent), name);
    e->setMinimumWidth(60);
    return e;
}

} // namespace

void GridSetupScreenForm::build(QMainWindow& window)
{
    window.setWindowTitle(QStringLiteral("Grid Setup"));
    auto* central = new QWidget(&window);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(4, 4, 4, 4);
    picture = named(new PictureView(central), "picture");
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
    gridChoiceButton = named(new QPushButton(QStringLiteral("Grid 1"), side), "gridChoiceButton");
    gridStateIcon = named(new QLabel(side), "gridStateIcon");
    gridStateIcon->setFixedSize(32, 32);
    top->addWidget(gridChoiceButton);
    top->addWidget(gridStateIcon);
    top->addStretch();
    panel->addLayout(top);

    pointChoiceBox =
        named(new QGroupBox(QStringLiteral("Grid Point Selection"), side), "pointChoiceBox");
    auto* options = new QGridLayout(pointChoiceBox);
    const auto makeOption = [&](QRadioButton*& b, const char* caption, const char* name, int row,
                                int column) {
        b = named(new QRadioButton(QLatin1String(caption), pointChoiceBox), name);
        options->addWidget(b, row, column);
    };
    makeOption(upperLeftOption, "upper left", "upperLeftOption", 0, 0);
    makeOption(upperRightOption, "upper right", "upperRightOption", 0, 1);
    makeOption(lowerLeftOption, "lower left", "lowerLeftOption", 1, 0);
    makeOption(lowerRightOption, "lower right", "lowerRightOption", 1, 1);
    makeOption(checkBuoyOption, "Check Buoy", "checkBuoyOption", 2, 0);
    panel->addWidget(pointChoiceBox);

    buildFields(side, panel);
    buildCommands(side, panel);

    auto* size = new QGridLayout;
    pictureWidthEdit = newEdit(side, QLatin1String(""), "pictureWidthEdit");
    pictureHeightEdit = newEdit(side, QLatin1String(""), "pictureHeightEdit");
    size->addWidget(new QLabel(QStringLiteral("picture width, height (twips)"), side), 0, 0, 1, 2);
    size->addWidget(pictureWidthEdit, 1, 0);
    size->addWidget(pictureHeightEdit, 1, 1);
    panel->addLayout(size);
    panel->addStretch();
    window.setCentralWidget(central);

    buildPanelsOverPicture();
    buildPictureLabels();
    buildMenu(window);
}

void GridSetupScreenForm::buildFields(QWidget* side, QVBoxLayout* panel)
{
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("screen x,y"), side), 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("survey x,y"), side), 0, 3, 1, 2);
    const auto buoyRow = [&](int r, const char* caption, const char* name, QLineEdit*& px,
                             QLineEdit*& py, QLineEdit*& sx, QLineEdit*& sy) {
        const QString prefix = QLatin1String(name);
        const auto edit = [&](QLatin1String text, const char* part) {
            return newEdit(side, text, qPrintable(prefix + QLatin1String(part)));
        };
        px = edit(kPictureUnset, "PictureXEdit");
        py = edit(kPictureUnset, "PictureYEdit");
        sx = edit(kSurveyUnset, "SurveyXEdit");
        sy = edit(kSurveyUnset, "SurveyYEdit");
        fields->addWidget(new QLabel(QLatin1String(caption), side), r, 0);
        fields->addWidget(px, r, 1);
        fields->addWidget(py, r, 2);
        fields->addWidget(sx, r, 3);
        fields->addWidget(sy, r, 4);
    };
    buoyRow(1, "upper left", "upperLeft", upperLeftPictureXEdit, upperLeftPictureYEdit,
            upperLeftSurveyXEdit, upperLeftSurveyYEdit);
    buoyRow(2, "upper right", "upperRight", upperRightPictureXEdit, upperRightPictureYEdit,
            upperRightSurveyXEdit, upperRightSurveyYEdit);
    buoyRow(3, "lower left", "lowerLeft", lowerLeftPictureXEdit, lowerLeftPictureYEdit,
            lowerLeftSurveyXEdit, lowerLeftSurveyYEdit);
    buoyRow(4, "lower right", "lowerRight", lowerRightPictureXEdit, lowerRightPictureYEdit,
            lowerRightSurveyXEdit, lowerRightSurveyYEdit);
    checkBuoyLabel = named(new QLabel(QStringLiteral("Check Buoy x,y"), side), "checkBuoyLabel");
    checkBuoyPictureXEdit = newEdit(side, QLatin1String(""), "checkBuoyPictureXEdit");
    checkBuoyPictureYEdit = newEdit(side, QLatin1String(""), "checkBuoyPictureYEdit");
    checkBuoySurveyXEdit = newEdit(side, kCheckXUnset, "checkBuoySurveyXEdit");
    checkBuoySurveyYEdit = newEdit(side, kCheckYUnset, "checkBuoySurveyYEdit");
    fields->addWidget(checkBuoyLabel, 5, 0);
    fields->addWidget(checkBuoyPictureXEdit, 5, 1);
    fields->addWidget(checkBuoyPictureYEdit, 5, 2);
    fields->addWidget(checkBuoySurveyXEdit, 5, 3);
    fields->addWidget(checkBuoySurveyYEdit, 5, 4);
    jumpXEdit = newEdit(side, kJumpXUnset, "jumpXEdit");
    jumpYEdit = newEdit(side, kJumpYUnset, "jumpYEdit");
    fields->addWidget(new QLabel(QStringLiteral("jump x,y"), side), 6, 0);
    fields->addWidget(jumpXEdit, 6, 3);
    fields->addWidget(jumpYEdit, 6, 4);
    panel->addLayout(fields);

    descriptionEdit = newEdit(side, kNoFile, "descriptionEdit");
    description2Edit = newEdit(side, QLatin1String(""), "description2Edit");
    panel->addWidget(descriptionEdit);
    panel->addWidget(description2Edit);
}

void GridSetupScreenForm::buildCommands(QWidget* side, QVBoxLayout* panel)
{
    auto* commands = new QGridLayout;
    completeButton = named(new QPushButton(QStringLiteral("Complete"), side), "completeButton");
    drawBuoysButton = named(new QPushButton(QStringLiteral("Draw Buoys"), side), "drawBuoysButton");
    gridLockBox = named(new QCheckBox(QStringLiteral("Lock Grid Buoys"), side), "gridLockBox");
    accuracyButton = named(new QPushButton(QStringLiteral("Accuracy"), side), "accuracyButton");
    commands->addWidget(completeButton, 0, 0);
    commands->addWidget(drawBuoysButton, 0, 1);
    commands->addWidget(gridLockBox, 1, 0);
    commands->addWidget(accuracyButton, 1, 1);
    panel->addLayout(commands);

    accuracyKindBox = named(new QGroupBox(QStringLiteral("Accuracy "), side), "accuracyKindBox");
    auto* kind = new QHBoxLayout(accuracyKindBox);
    standardAccuracyOption = named(new QRadioButton(QStringLiteral("Standard"), accuracyKindBox),
                                   "standardAccuracyOption");
    advancedAccuracyOption = named(new QRadioButton(QStringLiteral("Advanced"), accuracyKindBox),
                                   "advancedAccuracyOption");
    kind->addWidget(standardAccuracyOption);
    kind->addWidget(advancedAccuracyOption);
    panel->addWidget(accuracyKindBox);
    accuracyShowBox = named(new QGroupBox(QStringLiteral("Display"), side), "accuracyShowBox");
    auto* show = new QHBoxLayout(accuracyShowBox);
    showDistanceOption =
        named(new QRadioButton(QStringLiteral("Distance"), accuracyShowBox), "showDistanceOption");
    showDetailOption =
        named(new QRadioButton(QStringLiteral("Detail "), accuracyShowBox), "showDetailOption");
    showHomologationLevelOption =
        named(new QRadioButton(QStringLiteral("Hom.Lvl"), accuracyShowBox),
              "showHomologationLevelOption");
    show->addWidget(showDistanceOption);
    show->addWidget(showDetailOption);
    show->addWidget(showHomologationLevelOption);
    panel->addWidget(accuracyShowBox);
}

void GridSetupScreenForm::buildPanelsOverPicture()
{
    QWidget* over = picture->panelParent();
    const MicroAdjustPanel adjust = addMicroAdjustPanel(*picture);
    microAdjustLabel = named(adjust.label, "microAdjustLabel");
    adjustUpButton = named(adjust.up, "adjustUpButton");
    adjustLeftButton = named(adjust.left, "adjustLeftButton");
    adjustRightButton = named(adjust.right, "adjustRightButton");
    adjustDownButton = named(adjust.down, "adjustDownButton");
    markerSizeLabel =
        named(new QLabel(QStringLiteral("Marker Icon Size (drag-it)"), over), "markerSizeLabel");
    markerSizeBar = named(new QScrollBar(Qt::Horizontal, over), "markerSizeBar");
    markerSizeBar->setRange(15, 600);
    markerSizeBar->setSingleStep(15);
    markerSizeBar->setPageStep(75);
    markerSizeBar->setValue(150);
    markerSizeBar->setFixedWidth(160);
    markerSizeLabel->move(10, 110);
    markerSizeBar->move(10, 128);
    gridLockedLabel = named(new QLabel(QStringLiteral("GRID LOCKED!"), over), "gridLockedLabel");
    gridLockedDragLabel =
        named(new QLabel(QStringLiteral("(drag-it)"), over), "gridLockedDragLabel");
    QFont locked = gridLockedLabel->font();
    locked.setBold(true);
    locked.setPointSizeF(locked.pointSizeF() * 1.5);
    gridLockedLabel->setFont(locked);
    gridLockedLabel->setStyleSheet(QStringLiteral("color: red;"));
    gridLockedLabel->move(220, 10);
    for (QLabel* l : {microAdjustLabel, markerSizeLabel, gridLockedLabel, gridLockedDragLabel})
        l->adjustSize();
    gridLockedDragLabel->move(220, 10 + gridLockedLabel->height());
    picture->makeMovable(markerSizeLabel, {markerSizeBar});
    picture->makeMovable(gridLockedLabel, {gridLockedDragLabel});
    picture->makeMovable(gridLockedDragLabel, {gridLockedLabel});
}

void GridSetupScreenForm::buildPictureLabels()
{
    const auto hidden = [this](PictureView::ItemId id) {
        picture->setItemVisible(id, false);
        return id;
    };
    for (PictureView::ItemId& id : accuracyLabels)
        id = hidden(picture->addLabel({0, 0}, QString(), kWhite));
    for (int i = 0; i < kSkierPathLabelCount; ++i)
        skierPathLabels[std::size_t(i)] =
            hidden(picture->addLabel({0, 0}, QString::number(i + 1), kWhite));
    predictedCheckBuoyDot = hidden(picture->addDot({0, 0}, kWhite, 5));
    predictedCheckBuoyCircle = hidden(picture->addCircle({0, 0}, 0, kWhite));
    predictedCheckBuoyLine = hidden(picture->addLine({0, 0}, {0, 0}, kWhite));
    predictedCheckBuoyLabel =
        hidden(picture->addLabel({0, 0}, QStringLiteral("<-Check Buoy Should Be Here"), kWhite));
}

void GridSetupScreenForm::buildMenu(QMainWindow& window)
{
    QMenuBar* bar = window.menuBar();
    loadGridAction = named(bar->addAction(QStringLiteral("&Load File")), "loadGridAction");
    saveGridAction = named(bar->addAction(QStringLiteral("&Save")), "saveGridAction");
    // The menu is found by its entry in the menu bar.
    pictureMenu = bar->addMenu(QStringLiteral("Setup &Picture"));
    named(pictureMenu->menuAction(), "pictureMenu");
    loadPictureAction =
        named(pictureMenu->addAction(QStringLiteral("Load &Picture")), "loadPictureAction");
    clearPictureAction =
        named(pictureMenu->addAction(QStringLiteral("&Clear Picture")), "clearPictureAction");
    pastePictureAction =
        named(pictureMenu->addAction(QStringLiteral("P&aste")), "pastePictureAction");
    calibrateAction = named(bar->addAction(QStringLiteral("&Calibrate")), "calibrateAction");
    exitAction = named(bar->addAction(QStringLiteral("E&xit")), "exitAction");
}

} // namespace fw
