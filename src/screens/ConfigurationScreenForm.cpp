#include "screens/ConfigurationScreenForm.h"

#include "screens/named.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace fw {

namespace {

struct Option {
    QRadioButton** button;
    const char* name;
    const char* caption;
};

QGroupBox* optionGroup(QWidget* parent, const char* name, const char* title,
                       std::initializer_list<Option> options)
{
    auto* box = named(new QGroupBox(QLatin1String(title), parent), name);
    auto* layout = new QVBoxLayout(box);
    for (const Option& option : options) {
        *option.button = named(new QRadioButton(QLatin1String(option.caption), box), option.name);
        layout->addWidget(*option.button);
    }
    return box;
}

QGroupBox* buildFileBoxes(ConfigurationScreenForm& f, QWidget* parent)
{
    auto* files = new QGroupBox(parent);
    auto* layout = new QGridLayout(files);
    auto row = [&](int r, const char* caption, QLineEdit*& box, const char* name,
                   QPushButton** find = nullptr, const char* findName = nullptr) {
        box = named(new QLineEdit(files), name);
        layout->addWidget(new QLabel(QLatin1String(caption), files), r, 0);
        layout->addWidget(box, r, 1);
        if (find) {
            *find = named(new QPushButton(QStringLiteral("find"), files), findName);
            layout->addWidget(*find, r, 2);
        }
    };
    row(0, "Tournament", f.tournamentEdit, "tournamentEdit");
    row(1, "Results file", f.resultsFileEdit, "resultsFileEdit", &f.findResultsFileButton,
        "findResultsFileButton");
    row(2, "Captures path", f.picturesFolderEdit, "picturesFolderEdit");
    row(3, "Setup files path", f.setupFilesFolderEdit, "setupFilesFolderEdit");
    row(4, "Skier name file", f.skierNameFileEdit, "skierNameFileEdit", &f.findSkierNameFileButton,
        "findSkierNameFileButton");
    f.tournamentEdit->setText(QStringLiteral("Default"));
    f.resultsFileEdit->setText(QStringLiteral("Default.txt"));
    return files;
}

QGroupBox* buildTournamentBoxes(ConfigurationScreenForm& f, QWidget* parent)
{
    auto* type = new QGroupBox(parent);
    auto* layout = new QVBoxLayout(type);
    f.barefootCheck =
        named(new QCheckBox(QStringLiteral("Check if barefoot jumping"), type), "barefootCheck");
    f.sitSkiCheck = named(new QCheckBox(QStringLiteral("Check if Sit Ski"), type), "sitSkiCheck");
    f.lineControlCheck =
        named(new QCheckBox(QStringLiteral("Check for line control on"), type), "lineControlCheck");
    f.wstimsCheck = named(new QCheckBox(QStringLiteral("WSTIMS Interface"), type), "wstimsCheck");
    f.exchangeFolderCautionLabel =
        named(new QLabel(QStringLiteral("Caution, WSTIMS requires QXIO directory to exist"), type),
              "exchangeFolderCautionLabel");
    f.exchangeFolderCautionLabel->hide();
    f.magnifierCheck =
        named(new QCheckBox(QStringLiteral("Use Screen Loupe"), type), "magnifierCheck");
    f.restartMagnifierButton =
        named(new QPushButton(QStringLiteral("Restart Screen Loupe if you exited it"), type),
              "restartMagnifierButton");
    for (QWidget* w :
         {static_cast<QWidget*>(f.barefootCheck), static_cast<QWidget*>(f.sitSkiCheck),
          static_cast<QWidget*>(f.lineControlCheck), static_cast<QWidget*>(f.wstimsCheck),
          static_cast<QWidget*>(f.exchangeFolderCautionLabel),
          static_cast<QWidget*>(f.magnifierCheck), static_cast<QWidget*>(f.restartMagnifierButton)})
        layout->addWidget(w);
    return type;
}

} // namespace

void ConfigurationScreenForm::build(QMainWindow& window)
{
    window.setWindowTitle(QStringLiteral("System Configuration Parameters"));
    auto* central = new QWidget(&window);
    auto* grid = new QGridLayout(central);
    grid->addWidget(buildFileBoxes(*this, central), 0, 0, 1, 3);

    gridCountBox = optionGroup(central, "gridCountBox", "Number of Grids",
                               {{&oneGridOption, "oneGridOption", "1"},
                                {&twoGridsOption, "twoGridsOption", "2"},
                                {&threeGridsOption, "threeGridsOption", "3"}});
    grid->addWidget(gridCountBox, 1, 0);
    grid->addWidget(buildTournamentBoxes(*this, central), 1, 1);
    jumpDirectionBox =
        optionGroup(central, "jumpDirectionBox", "Jump Direction",
                    {{&rightToLeftOption, "rightToLeftOption", "Jump Right to Left"},
                     {&leftToRightOption, "leftToRightOption", "Jump Left to Right"}});
    grid->addWidget(jumpDirectionBox, 1, 2);

    markerStyleBox = optionGroup(central, "markerStyleBox", "Marker Style",
                                 {{&crossMarkerOption, "crossMarkerOption", "Cross"},
                                  {&circleMarkerOption, "circleMarkerOption", "Circle"}});
    grid->addWidget(markerStyleBox, 2, 0);
    messageColorBox = optionGroup(central, "messageColorBox", "Select Message Color",
                                  {{&whiteMessageOption, "whiteMessageOption", "White"},
                                   {&blackMessageOption, "blackMessageOption", "Black"},
                                   {&yellowMessageOption, "yellowMessageOption", "Yellow"},
                                   {&defaultMessageOption, "defaultMessageOption", "Default"}});
    grid->addWidget(messageColorBox, 2, 1);
    impactColorBox = optionGroup(central, "impactColorBox", "Impact Marker Color",
                                 {{&whiteImpactOption, "whiteImpactOption", "White"},
                                  {&blackImpactOption, "blackImpactOption", "Black"},
                                  {&yellowImpactOption, "yellowImpactOption", "Yellow"},
                                  {&redImpactOption, "redImpactOption", "Red"}});
    grid->addWidget(impactColorBox, 2, 2);

    pictureSaveBox = optionGroup(
        central, "pictureSaveBox", "How to deal with individual contact point pictures",
        {{&askPictureOption, "askPictureOption", "Ask if you want to save each time"},
         {&neverSavePictureOption, "neverSavePictureOption", "Never Save"},
         {&alwaysSavePictureOption, "alwaysSavePictureOption", "Always Save without asking"}});
    grid->addWidget(pictureSaveBox, 3, 0, 1, 2);
    videoSaveBox = optionGroup(
        central, "videoSaveBox", "How  to deal  with captured video files",
        {{&askVideoOption, "askVideoOption", "Ask if you want to save each time"},
         {&neverSaveVideoOption, "neverSaveVideoOption", "Never Save "},
         {&alwaysSaveVideoOption, "alwaysSaveVideoOption", "Always Save without asking"}});
    grid->addWidget(videoSaveBox, 3, 2);
    window.setCentralWidget(central);

    exitAndSaveAction = window.menuBar()->addAction(QStringLiteral("E&xit and Save Parameters"));
    exitAndSaveAction->setObjectName(QStringLiteral("exitAndSaveAction"));
}

} // namespace fw
