#include "screens/ConfigurationScreen.h"

#include "station/Station.h"
#include "measure/ResultsFile.h"
#include "screens/MainScreen.h"
#include "screens/CaptureScreen.h"
#include "screens/setByProgram.h"
#include "settings/SettingsStore.h"
#include "support/FieldReader.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace fw {

namespace {

QGroupBox* optionGroup(QWidget* parent, const char* title,
                       std::initializer_list<std::pair<QRadioButton**, const char*>> options)
{
    auto* box = new QGroupBox(QLatin1String(title), parent);
    auto* layout = new QVBoxLayout(box);
    for (const auto& [button, caption] : options) {
        *button = new QRadioButton(QLatin1String(caption), box);
        layout->addWidget(*button);
    }
    return box;
}

} // namespace

ConfigurationScreen::ConfigurationScreen(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("System Configuration Parameters"));
    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);

    auto* files = new QGroupBox(central);
    auto* fileLayout = new QGridLayout(files);
    auto row = [&](int r, QLabel*& label, const char* caption, QLineEdit*& box,
                   QPushButton** find) {
        label = new QLabel(QLatin1String(caption), files);
        box = new QLineEdit(files);
        fileLayout->addWidget(label, r, 0);
        fileLayout->addWidget(box, r, 1);
        if (find) {
            *find = new QPushButton(QStringLiteral("find"), files);
            fileLayout->addWidget(*find, r, 2);
        }
    };
    row(0, Label1, "Tournament", TournamentName, nullptr);
    row(1, Label2, "Results file", ResultsPathName, &btnFindResults);
    row(2, Label3, "Captures path", CapturesPathName, nullptr);
    row(3, Label4, "Setup files path", SetupFilesPathName, nullptr);
    row(4, Label5, "Skier name file", SkierNameFile, &btnFindNames);
    TournamentName->setText(QStringLiteral("Default"));
    ResultsPathName->setText(QStringLiteral("Default.txt"));
    grid->addWidget(files, 0, 0, 1, 3);

    gridframe = optionGroup(central, "Number of Grids",
                            {{&Opt1Grid, "1"}, {&Opt2grid, "2"}, {&Opt3grid, "3"}});
    grid->addWidget(gridframe, 1, 0);

    auto* type = new QGroupBox(central);
    auto* typeLayout = new QVBoxLayout(type);
    Barefoot_box = new QCheckBox(QStringLiteral("Check if barefoot jumping"), type);
    SitSki_box = new QCheckBox(QStringLiteral("Check if Sit Ski"), type);
    line_control_check = new QCheckBox(QStringLiteral("Check for line control on"), type);
    WSTIMS = new QCheckBox(QStringLiteral("WSTIMS Interface"), type);
    QXIOLabel =
        new QLabel(QStringLiteral("Caution, WSTIMS requires QXIO directory to exist"), type);
    QXIOLabel->hide();
    chkLoupe = new QCheckBox(QStringLiteral("Use Screen Loupe"), type);
    cmdLoupe = new QPushButton(QStringLiteral("Restart Screen Loupe if you exited it"), type);
    for (QWidget* w : {static_cast<QWidget*>(Barefoot_box), static_cast<QWidget*>(SitSki_box),
                       static_cast<QWidget*>(line_control_check), static_cast<QWidget*>(WSTIMS),
                       static_cast<QWidget*>(QXIOLabel), static_cast<QWidget*>(chkLoupe),
                       static_cast<QWidget*>(cmdLoupe)})
        typeLayout->addWidget(w);
    grid->addWidget(type, 1, 1);

    Jump_direction = optionGroup(central, "Jump Direction",
                                 {{&right_to_left_button, "Jump Right to Left"},
                                  {&left_to_right_button, "Jump Left to Right"}});
    grid->addWidget(Jump_direction, 1, 2);
    Frame1 = optionGroup(central, "Marker Style", {{&OptCross, "Cross"}, {&OptCircle, "Circle"}});
    grid->addWidget(Frame1, 2, 0);
    message_colors = optionGroup(central, "Select Message Color",
                                 {{&white_color, "White"},
                                  {&black_color, "Black"},
                                  {&yellow_color, "Yellow"},
                                  {&default_color, "Default"}});
    grid->addWidget(message_colors, 2, 1);
    Frame4 = optionGroup(central, "Impact Marker Color",
                         {{&OptImpactWhite, "White"},
                          {&OptImpactBlack, "Black"},
                          {&OptImpactYellow, "Yellow"},
                          {&OptImpactRed, "Red"}});
    grid->addWidget(Frame4, 2, 2);
    Frame3 = optionGroup(central, "How to deal with individual contact point pictures",
                         {{&OptPictureAsk, "Ask if you want to save each time"},
                          {&OptPictureNoSave, "Never Save"},
                          {&OptPictureSave, "Always Save without asking"}});
    grid->addWidget(Frame3, 3, 0, 1, 2);
    Frame2 = optionGroup(central, "How  to deal  with captured video files",
                         {{&OptVideoAsk, "Ask if you want to save each time"},
                          {&OptVideoNoSave, "Never Save "},
                          {&OptVideoSave, "Always Save without asking"}});
    grid->addWidget(Frame2, 3, 2);
    setCentralWidget(central);

    mnuExit = menuBar()->addAction(QStringLiteral("E&xit and Save Parameters"));
    connect(mnuExit, &QAction::triggered, this, &ConfigurationScreen::mnuExit_Click);

    connect(white_color, &QRadioButton::clicked, this, &ConfigurationScreen::white_color_Click);
    connect(black_color, &QRadioButton::clicked, this, &ConfigurationScreen::black_color_Click);
    connect(yellow_color, &QRadioButton::clicked, this, &ConfigurationScreen::yellow_color_Click);
    connect(default_color, &QRadioButton::clicked, this, &ConfigurationScreen::default_color_Click);
    connect(OptImpactWhite, &QRadioButton::clicked, this, &ConfigurationScreen::OptImpactWhite_Click);
    connect(OptImpactBlack, &QRadioButton::clicked, this, &ConfigurationScreen::OptImpactBlack_Click);
    connect(OptImpactYellow, &QRadioButton::clicked, this, &ConfigurationScreen::OptImpactYellow_Click);
    connect(OptImpactRed, &QRadioButton::clicked, this, &ConfigurationScreen::OptImpactRed_Click);
    connect(Opt1Grid, &QRadioButton::clicked, this, &ConfigurationScreen::Opt1Grid_Click);
    connect(Opt2grid, &QRadioButton::clicked, this, &ConfigurationScreen::Opt2grid_Click);
    connect(Opt3grid, &QRadioButton::clicked, this, &ConfigurationScreen::Opt3grid_Click);
    connect(left_to_right_button, &QRadioButton::clicked, this,
            &ConfigurationScreen::left_to_right_button_Click);
    connect(right_to_left_button, &QRadioButton::clicked, this,
            &ConfigurationScreen::right_to_left_button_Click);
    connect(line_control_check, &QCheckBox::clicked, this, &ConfigurationScreen::line_control_check_Click);
    connect(Barefoot_box, &QCheckBox::clicked, this, &ConfigurationScreen::Barefoot_box_Click);
    connect(SitSki_box, &QCheckBox::clicked, this, &ConfigurationScreen::SitSki_box_Click);
    connect(WSTIMS, &QCheckBox::clicked, this, &ConfigurationScreen::WSTIMS_Click);
    connect(chkLoupe, &QCheckBox::clicked, this, &ConfigurationScreen::chkLoupe_Click);
    connect(cmdLoupe, &QPushButton::clicked, this, &ConfigurationScreen::cmdLoupe_Click);
    connect(OptCircle, &QRadioButton::clicked, this, &ConfigurationScreen::OptCircle_Click);
    connect(OptCross, &QRadioButton::clicked, this, &ConfigurationScreen::OptCross_Click);
    connect(OptPictureAsk, &QRadioButton::clicked, this, &ConfigurationScreen::OptPictureAsk_Click);
    connect(OptPictureNoSave, &QRadioButton::clicked, this, &ConfigurationScreen::OptPictureNoSave_Click);
    connect(OptPictureSave, &QRadioButton::clicked, this, &ConfigurationScreen::OptPictureSave_Click);
    connect(OptVideoAsk, &QRadioButton::clicked, this, &ConfigurationScreen::OptVideoAsk_Click);
    connect(OptVideoNoSave, &QRadioButton::clicked, this, &ConfigurationScreen::OptVideoNoSave_Click);
    connect(OptVideoSave, &QRadioButton::clicked, this, &ConfigurationScreen::OptVideoSave_Click);
    connect(TournamentName, &QLineEdit::textEdited, this, &ConfigurationScreen::TournamentName_Change);
    connect(ResultsPathName, &QLineEdit::textEdited, this, &ConfigurationScreen::ResultsPathName_Change);
    connect(CapturesPathName, &QLineEdit::textEdited, this, &ConfigurationScreen::CapturesPathName_Change);
    connect(SetupFilesPathName, &QLineEdit::textEdited, this, &ConfigurationScreen::SetupFilesPathName_Change);
    connect(SkierNameFile, &QLineEdit::textEdited, this, &ConfigurationScreen::SkierNameFile_Change);
    connect(btnFindNames, &QPushButton::clicked, this, &ConfigurationScreen::btnFindNames_Click);
    connect(btnFindResults, &QPushButton::clicked, this, &ConfigurationScreen::btnFindResults_Click);
}

void ConfigurationScreen::Form_Load()
{
    SettingsStore& store = m_station.store();
    StationSettings& s = m_station.settings;
    MainScreen& main = m_station.mainScreen();

    // 1.
    setByProgram(*TournamentName, store.read(QStringLiteral("TournamentName"), QString()),
                 [this] { TournamentName_Change(); });
    // 2. The results file, named after the start day.
    const QString resultsName = QStringLiteral("JumpMeasurementResults") +
                                monthDayYear(m_station.clock().now().date()) +
                                QStringLiteral(".txt");
    setByProgram(*ResultsPathName, joinPath(main.videoFolderText().trimmed(), resultsName),
                 [this] { ResultsPathName_Change(); });
    // 3.
    setByProgram(*CapturesPathName, s.VideoFolder, [this] { CapturesPathName_Change(); });
    // 4.
    setByProgram(*SetupFilesPathName, store.read(QStringLiteral("SetupFiles"), QString()),
                 [this] { SetupFilesPathName_Change(); });
    // 5.
    m_pictureExtension = QStringLiteral(".bmp");
    // 6.
    const QString label = store.read(QStringLiteral("labelcolor"), QString());
    if (label == QLatin1String("white"))
        setByProgram(*white_color, true, [this] { white_color_Click(); });
    else if (label == QLatin1String("black"))
        setByProgram(*black_color, true, [this] { black_color_Click(); });
    else if (label == QLatin1String("yellow"))
        setByProgram(*yellow_color, true, [this] { yellow_color_Click(); });
    else
        setByProgram(*default_color, true, [this] { default_color_Click(); });
    // 7.
    const QString impact = store.read(QStringLiteral("impactcolor"), QString());
    if (impact == QLatin1String("black"))
        setByProgram(*OptImpactBlack, true, [this] { OptImpactBlack_Click(); });
    else if (impact == QLatin1String("yellow"))
        setByProgram(*OptImpactYellow, true, [this] { OptImpactYellow_Click(); });
    else if (impact == QLatin1String("red"))
        setByProgram(*OptImpactRed, true, [this] { OptImpactRed_Click(); });
    else
        setByProgram(*OptImpactWhite, true, [this] { OptImpactWhite_Click(); });
    // 8. A value that is not a number counts as absent (0).
    const int grids = store.readInt(QStringLiteral("grids"), 0);
    if (grids == 2)
        setByProgram(*Opt2grid, true, [this] { Opt2grid_Click(); });
    else if (grids == 3)
        setByProgram(*Opt3grid, true, [this] { Opt3grid_Click(); });
    else
        setByProgram(*Opt1Grid, true, [this] { Opt1Grid_Click(); });
    // 10. Grid rows: not ready until their stored grid is loaded and proves itself.
    for (int g = 1; g <= 3; ++g) {
        s.GridFile[g - 1] = store.read(StationSettings::gridFileKey(g), QString());
        main.setGridReady(g, false);
    }
    main.showGridRows(s.GridCount);
    // 11. The stored grids, 3 first so that grid 1 ends up current.
    m_station.configLoading = true;
    for (int g = 3; g >= 1; --g) {
        if (QFileInfo(s.GridFile[g - 1]).isFile())
            m_station.loadGridAtStartup(g, s.GridFile[g - 1]);
    }
    m_station.configLoading = false;
    // 12.
    if (store.readBool(QStringLiteral("right2left"), false))
        setByProgram(*right_to_left_button, true, [this] { right_to_left_button_Click(); });
    else
        setByProgram(*left_to_right_button, true, [this] { left_to_right_button_Click(); });
    // 13.
    setByProgram(*line_control_check, !store.readBool(QStringLiteral("boxlineoff"), false),
                 [this] { line_control_check_Click(); });
    // 14.
    const QString type = store.read(QStringLiteral("tournamentType"), QString());
    setByProgram(*Barefoot_box, type == QLatin1String("barefoot"),
                 [this] { Barefoot_box_Click(); });
    setByProgram(*SitSki_box, type == QLatin1String("sitski"), [this] { SitSki_box_Click(); });
    // 15.
    setByProgram(*WSTIMS, store.readInt(QStringLiteral("WSTIMS"), 0) != 0,
                 [this] { WSTIMS_Click(); });
    // 16.
    if (store.readInt(QStringLiteral("Loupe"), 0) == 1)
        setByProgram(*chkLoupe, true, [this] { chkLoupe_Click(); });
    // 18.
    if (store.read(QStringLiteral("buoymarker"), QString()) == QLatin1String("cross"))
        setByProgram(*OptCross, true, [this] { OptCross_Click(); });
    else
        setByProgram(*OptCircle, true, [this] { OptCircle_Click(); });
    // 20. The policies take effect from this load; the options only write their keys.
    const QString picture = store.read(QStringLiteral("PictureSave"), QString());
    if (picture == QLatin1String("Save"))
        setByProgram(*OptPictureSave, true, [this] { OptPictureSave_Click(); });
    else if (picture == QLatin1String("NoSave"))
        setByProgram(*OptPictureNoSave, true, [this] { OptPictureNoSave_Click(); });
    else
        setByProgram(*OptPictureAsk, true, [this] { OptPictureAsk_Click(); });
    s.PictureSavePolicy = picture == QLatin1String("Save") || picture == QLatin1String("NoSave")
                              ? picture
                              : QStringLiteral("Ask");
    const QString video = store.read(QStringLiteral("VideoSave"), QString());
    if (video == QLatin1String("Save"))
        setByProgram(*OptVideoSave, true, [this] { OptVideoSave_Click(); });
    else if (video == QLatin1String("NoSave"))
        setByProgram(*OptVideoNoSave, true, [this] { OptVideoNoSave_Click(); });
    else
        setByProgram(*OptVideoAsk, true, [this] { OptVideoAsk_Click(); });
    s.VideoSavePolicy = video == QLatin1String("Save") || video == QLatin1String("NoSave")
                            ? video
                            : QStringLiteral("Ask");
    s.deriveValues();
}

void ConfigurationScreen::mnuExit_Click()
{
    SettingsStore& store = m_station.store();
    StationSettings& s = m_station.settings;
    // 1.
    store.write(QStringLiteral("TournamentName"), TournamentName->text());
    store.write(QStringLiteral("labelcolor"), s.LabelColor);
    // 2. The pictures folder ends in a separator.
    QString pictures = CapturesPathName->text();
    while (pictures.endsWith(QLatin1Char(' ')))
        pictures.chop(1);
    if (!pictures.endsWith(QLatin1Char('\\')) && !pictures.endsWith(QLatin1Char('/')))
        pictures += QDir::separator();
    setByProgram(*CapturesPathName, pictures, [this] { CapturesPathName_Change(); });
    // 3.
    hide();
    // 5.
    const QDateTime now = m_station.clock().now();
    if (!s.ResultsFilePath.isEmpty())
        m_station.results().append(s.ResultsFilePath, QStringLiteral("New Configuration: ") +
                                                          dateText(now) + QStringLiteral("  ") +
                                                          timeText(now) + QLatin1Char(' ') +
                                                          TournamentName->text());
    // 6. Skier names for the measurement screen.
    if (!SkierNameFile->text().isEmpty()) {
        QStringList names;
        const Result<QString> text = readTextFile(SkierNameFile->text());
        if (text) {
            m_station.skierNameList.clear();
            FieldReader reader(text.value());
            while (const std::optional<QString> field = reader.nextField()) {
                if (!field->isEmpty())
                    names << *field;
            }
            m_station.skierNameList = names;
        }
        if (names.isEmpty())
            m_station.dialogs().message(
                QStringLiteral("Names not loaded, check file name and path"));
    }
    // 7. The capture screen's WSTIMS name button follows the WSTIMS box.
    if (m_station.created(Screen::Capture))
        m_station.capture().btnGetName->setVisible(WSTIMS->isChecked());
    // 8.
    m_station.show(Screen::Main, this);
}

void ConfigurationScreen::closeEvent(QCloseEvent* event)
{
    // The window's close box leaves the screen the same way as its menu.
    event->ignore();
    if (isVisible() && !m_station.quitRequested())
        mnuExit_Click();
}

void ConfigurationScreen::setLabelColor(const QString& name)
{
    m_station.settings.LabelColor = name;
    m_station.settings.deriveValues();
    m_station.store().write(QStringLiteral("labelcolor"), name);
}

void ConfigurationScreen::white_color_Click()
{
    setLabelColor(QStringLiteral("white"));
}
void ConfigurationScreen::black_color_Click()
{
    setLabelColor(QStringLiteral("black"));
}
void ConfigurationScreen::yellow_color_Click()
{
    setLabelColor(QStringLiteral("yellow"));
}
void ConfigurationScreen::default_color_Click()
{
    setLabelColor(QStringLiteral("default"));
}

void ConfigurationScreen::setImpactColor(const QString& name)
{
    m_station.settings.ImpactColor = name;
    m_station.settings.deriveValues();
    m_station.store().write(QStringLiteral("impactcolor"), name);
}

void ConfigurationScreen::OptImpactWhite_Click()
{
    setImpactColor(QStringLiteral("white"));
}
void ConfigurationScreen::OptImpactBlack_Click()
{
    setImpactColor(QStringLiteral("black"));
}
void ConfigurationScreen::OptImpactYellow_Click()
{
    setImpactColor(QStringLiteral("yellow"));
}
void ConfigurationScreen::OptImpactRed_Click()
{
    setImpactColor(QStringLiteral("red"));
}

void ConfigurationScreen::setGridCount(int count)
{
    m_station.settings.GridCount = count;
    m_station.grids.gridCountChanged(count);
    m_station.store().write(QStringLiteral("grids"), QString::number(count));
    m_station.mainScreen().showGridRows(count);
}

void ConfigurationScreen::Opt1Grid_Click()
{
    setGridCount(1);
}
void ConfigurationScreen::Opt2grid_Click()
{
    setGridCount(2);
}
void ConfigurationScreen::Opt3grid_Click()
{
    setGridCount(3);
}

void ConfigurationScreen::left_to_right_button_Click()
{
    m_station.settings.RightToLeft = false;
    m_station.settings.deriveValues();
    m_station.store().write(QStringLiteral("right2left"), boolText(false));
}

void ConfigurationScreen::right_to_left_button_Click()
{
    m_station.settings.RightToLeft = true;
    m_station.settings.deriveValues();
    m_station.store().write(QStringLiteral("right2left"), boolText(true));
}

void ConfigurationScreen::line_control_check_Click()
{
    m_station.settings.LineOff = !line_control_check->isChecked();
    m_station.settings.deriveValues();
    m_station.store().write(QStringLiteral("boxlineoff"), boolText(m_station.settings.LineOff));
}

void ConfigurationScreen::updateTournamentType()
{
    StationSettings& s = m_station.settings;
    s.TournamentType = s.BarefootOn ? QStringLiteral("barefoot")
                       : s.SitSkiOn ? QStringLiteral("sitski")
                                    : QStringLiteral("normal");
    m_station.store().write(QStringLiteral("tournamentType"), s.TournamentType);
    s.deriveValues();
}

void ConfigurationScreen::Barefoot_box_Click()
{
    StationSettings& s = m_station.settings;
    if (Barefoot_box->isChecked()) {
        s.BarefootOn = true;
        s.SitSkiOn = false;
        updateTournamentType();
        setByProgram(*SitSki_box, false, [this] { SitSki_box_Click(); });
    } else {
        s.BarefootOn = false;
        if (!s.SitSkiOn)
            updateTournamentType();
    }
}

void ConfigurationScreen::SitSki_box_Click()
{
    StationSettings& s = m_station.settings;
    if (SitSki_box->isChecked()) {
        s.SitSkiOn = true;
        s.BarefootOn = false;
        updateTournamentType();
        setByProgram(*Barefoot_box, false, [this] { Barefoot_box_Click(); });
    } else {
        s.SitSkiOn = false;
        if (!s.BarefootOn)
            updateTournamentType();
    }
}

void ConfigurationScreen::WSTIMS_Click()
{
    const bool on = WSTIMS->isChecked();
    m_station.settings.WstimsOn = on ? 1 : 0;
    m_station.settings.deriveValues();
    QXIOLabel->setVisible(on);
    m_station.store().write(QStringLiteral("WSTIMS"),
                            on ? QStringLiteral("1") : QStringLiteral("0"));
}

void ConfigurationScreen::chkLoupe_Click()
{
    const bool on = chkLoupe->isChecked();
    m_station.settings.LoupeOn = on ? 1 : 0;
    if (on)
        startMagnifier();
    else
        m_station.ownMagnifierOn = false;
    m_station.store().write(QStringLiteral("Loupe"),
                            on ? QStringLiteral("1") : QStringLiteral("0"));
}

void ConfigurationScreen::cmdLoupe_Click()
{
    startMagnifier();
}

void ConfigurationScreen::startMagnifier()
{
    const QString program = m_station.paths().magnifierProgram();
    if (!QFileInfo(program).isFile()) {
        // No outside magnifier here: the picture views magnify themselves.
        m_station.ownMagnifierOn = true;
        if (!m_ownMagnifierTold) {
            m_ownMagnifierTold = true;
            m_station.dialogs().message(
                QStringLiteral("No screen loupe program is installed (%1). The station's own "
                               "magnifier is switched on in the picture views.")
                    .arg(program));
        }
        return;
    }
    QProcess process;
    process.setProgram(program);
    process.setWorkingDirectory(QFileInfo(program).absolutePath());
    if (!process.startDetached())
        m_station.dialogs().message(QStringLiteral("Could not start the screen loupe %1: %2")
                                        .arg(program, process.errorString()),
                                    QString(), DialogIcon::Exclamation);
}

void ConfigurationScreen::OptCircle_Click()
{
    m_station.settings.BuoyMarker = QStringLiteral("circle");
    m_station.store().write(QStringLiteral("buoymarker"), QStringLiteral("circle"));
}

void ConfigurationScreen::OptCross_Click()
{
    m_station.settings.BuoyMarker = QStringLiteral("cross");
    m_station.store().write(QStringLiteral("buoymarker"), QStringLiteral("cross"));
}

void ConfigurationScreen::OptPictureAsk_Click()
{
    m_station.store().write(QStringLiteral("PictureSave"), QStringLiteral("Ask"));
}
void ConfigurationScreen::OptPictureNoSave_Click()
{
    m_station.store().write(QStringLiteral("PictureSave"), QStringLiteral("NoSave"));
}
void ConfigurationScreen::OptPictureSave_Click()
{
    m_station.store().write(QStringLiteral("PictureSave"), QStringLiteral("Save"));
}
void ConfigurationScreen::OptVideoAsk_Click()
{
    m_station.store().write(QStringLiteral("VideoSave"), QStringLiteral("Ask"));
}
void ConfigurationScreen::OptVideoNoSave_Click()
{
    m_station.store().write(QStringLiteral("VideoSave"), QStringLiteral("NoSave"));
}
void ConfigurationScreen::OptVideoSave_Click()
{
    m_station.store().write(QStringLiteral("VideoSave"), QStringLiteral("Save"));
}

void ConfigurationScreen::TournamentName_Change()
{
    m_station.settings.TournamentName = TournamentName->text();
}

void ConfigurationScreen::ResultsPathName_Change()
{
    m_station.settings.ResultsFilePath = ResultsPathName->text();
    if (ResultsPathName->text().isEmpty())
        m_station.dialogs().message(
            QStringLiteral("Enter valid path and filename for results file"));
}

void ConfigurationScreen::CapturesPathName_Change()
{
    m_station.settings.PicturesFolder = CapturesPathName->text();
}

void ConfigurationScreen::SetupFilesPathName_Change()
{
    m_station.settings.SetupFilesFolder = SetupFilesPathName->text();
    m_station.store().write(QStringLiteral("SetupFiles"), SetupFilesPathName->text());
}

void ConfigurationScreen::SkierNameFile_Change()
{
    m_station.settings.SkierNamesFile = SkierNameFile->text();
}

std::optional<QString> ConfigurationScreen::findFile()
{
    FileDialogRequest request;
    request.folder = m_station.paths().stationFolder();
    request.filter = QStringLiteral(
        "All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Parameter Files (*.ipt)|*.ipt|");
    request.filterIndex = 2;
    const std::optional<QString> chosen = m_station.dialogs().openFile(request);
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    return chosen;
}

void ConfigurationScreen::btnFindNames_Click()
{
    if (const auto chosen = findFile())
        setByProgram(*SkierNameFile, *chosen, [this] { SkierNameFile_Change(); });
}

void ConfigurationScreen::btnFindResults_Click()
{
    // A new day's results file does not exist yet: the dialog takes a new name as well as an
    // existing file (lines are always added to it, never written over it).
    FileDialogRequest request;
    request.title = QStringLiteral("Results file (new or existing; lines are added to it)");
    request.folder = m_station.paths().stationFolder();
    request.filter = QStringLiteral(
        "All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Parameter Files (*.ipt)|*.ipt|");
    request.filterIndex = 2;
    const std::optional<QString> chosen = m_station.dialogs().saveFile(request);
    if (chosen && !chosen->isEmpty())
        setByProgram(*ResultsPathName, *chosen, [this] { ResultsPathName_Change(); });
}

} // namespace fw
