#include "screens/ConfigurationScreen.h"

#include "measure/ResultsFile.h"
#include "screens/CaptureScreen.h"
#include "screens/MainScreen.h"
#include "screens/setByProgram.h"
#include "settings/SettingsStore.h"
#include "settings/StationSettings.h"
#include "station/Station.h"
#include "support/FieldReader.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>

namespace fw {

namespace {
const QString kRightToLeft = QStringLiteral("right");
const QString kLeftToRight = QStringLiteral("left");
} // namespace

ConfigurationScreen::ConfigurationScreen(Station& station, QWidget* parent)
    : QMainWindow(parent), m_station(station)
{
    m_form.build(*this);
    const ConfigurationScreenForm& f = m_form;
    const auto values = [](std::initializer_list<std::pair<QRadioButton*, const char*>> pairs) {
        QList<OptionValue> list;
        for (const auto& [option, value] : pairs)
            list.append({option, QLatin1String(value)});
        return list;
    };
    m_messageColors = {values({{f.whiteMessageOption, "white"},
                               {f.blackMessageOption, "black"},
                               {f.yellowMessageOption, "yellow"},
                               {f.defaultMessageOption, "default"}}),
                       &ConfigurationScreen::setMessageColor};
    m_impactColors = {values({{f.whiteImpactOption, "white"},
                              {f.blackImpactOption, "black"},
                              {f.yellowImpactOption, "yellow"},
                              {f.redImpactOption, "red"}}),
                      &ConfigurationScreen::setImpactColor};
    m_gridCounts = {
        values({{f.oneGridOption, "1"}, {f.twoGridsOption, "2"}, {f.threeGridsOption, "3"}}),
        &ConfigurationScreen::setGridCount};
    m_directions = {{{f.rightToLeftOption, kRightToLeft}, {f.leftToRightOption, kLeftToRight}},
                    &ConfigurationScreen::setJumpDirection};
    m_markers = {values({{f.crossMarkerOption, "cross"}, {f.circleMarkerOption, "circle"}}),
                 &ConfigurationScreen::setBuoyMarker};
    m_pictureSave = {values({{f.askPictureOption, "Ask"},
                             {f.neverSavePictureOption, "NoSave"},
                             {f.alwaysSavePictureOption, "Save"}}),
                     &ConfigurationScreen::setPictureSave};
    m_videoSave = {values({{f.askVideoOption, "Ask"},
                           {f.neverSaveVideoOption, "NoSave"},
                           {f.alwaysSaveVideoOption, "Save"}}),
                   &ConfigurationScreen::setVideoSave};
    connectControls();
}

void ConfigurationScreen::connectControls()
{
    const ConfigurationScreenForm& f = m_form;
    connect(f.exitAndSaveAction, &QAction::triggered, this, &ConfigurationScreen::exitAndSave);
    for (const OptionGroup* group : {&m_messageColors, &m_impactColors, &m_gridCounts,
                                     &m_directions, &m_markers, &m_pictureSave, &m_videoSave})
        connectGroup(*group);
    connect(f.lineControlCheck, &QCheckBox::clicked, this,
            &ConfigurationScreen::lineControlClicked);
    connect(f.barefootCheck, &QCheckBox::clicked, this, &ConfigurationScreen::barefootClicked);
    connect(f.sitSkiCheck, &QCheckBox::clicked, this, &ConfigurationScreen::sitSkiClicked);
    connect(f.wstimsCheck, &QCheckBox::clicked, this, &ConfigurationScreen::wstimsClicked);
    connect(f.magnifierCheck, &QCheckBox::clicked, this, &ConfigurationScreen::magnifierClicked);
    connect(f.restartMagnifierButton, &QPushButton::clicked, this,
            &ConfigurationScreen::startMagnifier);
    connect(f.tournamentEdit, &QLineEdit::textEdited, this, &ConfigurationScreen::tournamentEdited);
    connect(f.resultsFileEdit, &QLineEdit::textEdited, this,
            &ConfigurationScreen::resultsFileEdited);
    connect(f.picturesFolderEdit, &QLineEdit::textEdited, this,
            &ConfigurationScreen::picturesFolderEdited);
    connect(f.setupFilesFolderEdit, &QLineEdit::textEdited, this,
            &ConfigurationScreen::setupFilesFolderEdited);
    connect(f.skierNameFileEdit, &QLineEdit::textEdited, this,
            &ConfigurationScreen::skierNameFileEdited);
    connect(f.findSkierNameFileButton, &QPushButton::clicked, this,
            &ConfigurationScreen::findSkierNameFile);
    connect(f.findResultsFileButton, &QPushButton::clicked, this,
            &ConfigurationScreen::findResultsFile);
}

void ConfigurationScreen::connectGroup(const OptionGroup& group)
{
    for (const OptionValue& choice : group.options) {
        const QString value = choice.value;
        const ApplyValue apply = group.apply;
        connect(choice.option, &QRadioButton::clicked, this,
                [this, apply, value] { (this->*apply)(value); });
    }
}

void ConfigurationScreen::checkOption(const OptionGroup& group, const QString& value)
{
    for (const OptionValue& choice : group.options) {
        if (choice.value == value) {
            setByProgram(*choice.option, true, [&] { (this->*group.apply)(value); });
            return;
        }
    }
}

void ConfigurationScreen::loadSettings()
{
    StationSettings stored;
    stored.loadFrom(m_station.store());
    loadPaths(stored);
    m_pictureExtension = QStringLiteral(".bmp");
    checkOption(m_messageColors, stored.LabelColor);
    checkOption(m_impactColors, stored.ImpactColor);
    checkOption(m_gridCounts, QString::number(stored.GridCount));
    loadGrids(stored);
    loadTournamentChoices(stored);
    // The save policies take effect from this load; the options only write their keys.
    StationSettings& s = m_station.settings;
    checkOption(m_pictureSave, stored.PictureSavePolicy);
    s.PictureSavePolicy = stored.PictureSavePolicy;
    checkOption(m_videoSave, stored.VideoSavePolicy);
    s.VideoSavePolicy = stored.VideoSavePolicy;
    s.deriveValues();
}

void ConfigurationScreen::loadPaths(const StationSettings& stored)
{
    const ConfigurationScreenForm& f = m_form;
    setByProgram(*f.tournamentEdit, stored.TournamentName, [this] { tournamentEdited(); });
    // The results file, named after the start day, in the video folder.
    const QString resultsName = QStringLiteral("JumpMeasurementResults") +
                                monthDayYear(m_station.clock().now().date()) +
                                QStringLiteral(".txt");
    setByProgram(*f.resultsFileEdit,
                 joinPath(m_station.mainScreen().videoFolderText().trimmed(), resultsName),
                 [this] { resultsFileEdited(); });
    setByProgram(*f.picturesFolderEdit, m_station.settings.VideoFolder,
                 [this] { picturesFolderEdited(); });
    setByProgram(*f.setupFilesFolderEdit, stored.SetupFilesFolder,
                 [this] { setupFilesFolderEdited(); });
}

void ConfigurationScreen::loadGrids(const StationSettings& stored)
{
    StationSettings& s = m_station.settings;
    MainScreen& main = m_station.mainScreen();
    // Grid rows are not ready until their stored grid is loaded and proves itself.
    for (int g = 1; g <= 3; ++g) {
        s.GridFile[g - 1] = stored.GridFile[g - 1];
        main.setGridReady(g, false);
    }
    main.showGridRows(s.GridCount);
    // Grid 3 first, so that grid 1 ends up current.
    m_station.loadingStoredGrids = true;
    for (int g = 3; g >= 1; --g) {
        if (QFileInfo(s.GridFile[g - 1]).isFile())
            m_station.loadGridAtStartup(g, s.GridFile[g - 1]);
    }
    m_station.loadingStoredGrids = false;
}

void ConfigurationScreen::loadTournamentChoices(const StationSettings& stored)
{
    const ConfigurationScreenForm& f = m_form;
    checkOption(m_directions, stored.RightToLeft ? kRightToLeft : kLeftToRight);
    setByProgram(*f.lineControlCheck, !stored.LineOff, [this] { lineControlClicked(); });
    setByProgram(*f.barefootCheck, stored.BarefootOn, [this] { barefootClicked(); });
    setByProgram(*f.sitSkiCheck, stored.SitSkiOn, [this] { sitSkiClicked(); });
    setByProgram(*f.wstimsCheck, stored.WstimsOn != 0, [this] { wstimsClicked(); });
    // The magnifier is only switched on here, never off: an unchecked box writes nothing.
    if (stored.LoupeOn == 1)
        setByProgram(*f.magnifierCheck, true, [this] { magnifierClicked(); });
    checkOption(m_markers, stored.BuoyMarker);
}

void ConfigurationScreen::exitAndSave()
{
    SettingsStore& store = m_station.store();
    StationSettings& s = m_station.settings;
    const ConfigurationScreenForm& f = m_form;
    store.write(QStringLiteral("TournamentName"), f.tournamentEdit->text());
    store.write(QStringLiteral("labelcolor"), s.LabelColor);
    // The pictures folder ends in a separator.
    QString pictures = f.picturesFolderEdit->text();
    while (pictures.endsWith(QLatin1Char(' ')))
        pictures.chop(1);
    if (!pictures.endsWith(QLatin1Char('\\')) && !pictures.endsWith(QLatin1Char('/')))
        pictures += QDir::separator();
    setByProgram(*f.picturesFolderEdit, pictures, [this] { picturesFolderEdited(); });
    hide();
    const QDateTime now = m_station.clock().now();
    if (!s.ResultsFilePath.isEmpty())
        m_station.results().append(s.ResultsFilePath, QStringLiteral("New Configuration: ") +
                                                          dateText(now) + QStringLiteral("  ") +
                                                          timeText(now) + QLatin1Char(' ') +
                                                          f.tournamentEdit->text());
    loadSkierNames();
    if (m_station.created(Screen::Capture))
        m_station.capture().offerWstimsName(s.WstimsOn != 0);
    m_station.show(Screen::Main, this);
}

void ConfigurationScreen::loadSkierNames()
{
    // The skier names of the measurement screen's list.
    const QString file = m_form.skierNameFileEdit->text();
    if (file.isEmpty())
        return;
    QStringList names;
    const Result<QString> text = readTextFile(file);
    if (text) {
        m_station.skierNames.clear();
        FieldReader reader(text.value());
        while (const std::optional<QString> field = reader.nextField()) {
            if (!field->isEmpty())
                names << *field;
        }
        m_station.skierNames = names;
    }
    if (names.isEmpty())
        m_station.dialogs().message(QStringLiteral("Names not loaded, check file name and path"));
}

void ConfigurationScreen::closeEvent(QCloseEvent* event)
{
    // The window's close box leaves the screen the same way as its menu.
    event->ignore();
    if (isVisible() && !m_station.quitRequested())
        exitAndSave();
}

void ConfigurationScreen::setMessageColor(const QString& name)
{
    m_station.settings.LabelColor = name;
    m_station.settings.deriveValues();
    m_station.store().write(QStringLiteral("labelcolor"), name);
}

void ConfigurationScreen::setImpactColor(const QString& name)
{
    m_station.settings.ImpactColor = name;
    m_station.settings.deriveValues();
    m_station.store().write(QStringLiteral("impactcolor"), name);
}

void ConfigurationScreen::setGridCount(const QString& count)
{
    const int grids = count.toInt();
    m_station.settings.GridCount = grids;
    m_station.grids.gridCountChanged(grids);
    m_station.store().write(QStringLiteral("grids"), count);
    m_station.mainScreen().showGridRows(grids);
}

void ConfigurationScreen::setJumpDirection(const QString& direction)
{
    const bool rightToLeft = direction == kRightToLeft;
    m_station.settings.RightToLeft = rightToLeft;
    m_station.settings.deriveValues();
    m_station.store().write(QStringLiteral("right2left"), boolText(rightToLeft));
}

void ConfigurationScreen::lineControlClicked()
{
    m_station.settings.LineOff = !m_form.lineControlCheck->isChecked();
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

void ConfigurationScreen::barefootClicked()
{
    StationSettings& s = m_station.settings;
    if (m_form.barefootCheck->isChecked()) {
        s.BarefootOn = true;
        s.SitSkiOn = false;
        updateTournamentType();
        setByProgram(*m_form.sitSkiCheck, false, [this] { sitSkiClicked(); });
    } else {
        s.BarefootOn = false;
        if (!s.SitSkiOn)
            updateTournamentType();
    }
}

void ConfigurationScreen::sitSkiClicked()
{
    StationSettings& s = m_station.settings;
    if (m_form.sitSkiCheck->isChecked()) {
        s.SitSkiOn = true;
        s.BarefootOn = false;
        updateTournamentType();
        setByProgram(*m_form.barefootCheck, false, [this] { barefootClicked(); });
    } else {
        s.SitSkiOn = false;
        if (!s.BarefootOn)
            updateTournamentType();
    }
}

void ConfigurationScreen::wstimsClicked()
{
    const bool on = m_form.wstimsCheck->isChecked();
    m_station.settings.WstimsOn = on ? 1 : 0;
    m_station.settings.deriveValues();
    m_form.exchangeFolderCautionLabel->setVisible(on);
    m_station.store().write(QStringLiteral("WSTIMS"),
                            on ? QStringLiteral("1") : QStringLiteral("0"));
}

void ConfigurationScreen::magnifierClicked()
{
    const bool on = m_form.magnifierCheck->isChecked();
    m_station.settings.LoupeOn = on ? 1 : 0;
    if (on)
        startMagnifier();
    else
        m_station.ownMagnifierOn = false;
    m_station.store().write(QStringLiteral("Loupe"),
                            on ? QStringLiteral("1") : QStringLiteral("0"));
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

void ConfigurationScreen::setBuoyMarker(const QString& marker)
{
    m_station.settings.BuoyMarker = marker;
    m_station.store().write(QStringLiteral("buoymarker"), marker);
}

void ConfigurationScreen::setPictureSave(const QString& policy)
{
    m_station.store().write(QStringLiteral("PictureSave"), policy);
}

void ConfigurationScreen::setVideoSave(const QString& policy)
{
    m_station.store().write(QStringLiteral("VideoSave"), policy);
}

void ConfigurationScreen::tournamentEdited()
{
    m_station.settings.TournamentName = m_form.tournamentEdit->text();
}

void ConfigurationScreen::resultsFileEdited()
{
    m_station.settings.ResultsFilePath = m_form.resultsFileEdit->text();
    if (m_form.resultsFileEdit->text().isEmpty())
        m_station.dialogs().message(
            QStringLiteral("Enter valid path and filename for results file"));
}

void ConfigurationScreen::picturesFolderEdited()
{
    m_station.settings.PicturesFolder = m_form.picturesFolderEdit->text();
}

void ConfigurationScreen::setupFilesFolderEdited()
{
    m_station.settings.SetupFilesFolder = m_form.setupFilesFolderEdit->text();
    m_station.store().write(QStringLiteral("SetupFiles"), m_form.setupFilesFolderEdit->text());
}

void ConfigurationScreen::skierNameFileEdited()
{
    m_station.settings.SkierNamesFile = m_form.skierNameFileEdit->text();
}

FileDialogRequest ConfigurationScreen::fileRequest() const
{
    FileDialogRequest request;
    request.folder = m_station.paths().stationFolder();
    request.filter = QStringLiteral(
        "All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Parameter Files (*.ipt)|*.ipt|");
    request.filterIndex = 2;
    return request;
}

void ConfigurationScreen::findSkierNameFile()
{
    const std::optional<QString> chosen = m_station.dialogs().openFile(fileRequest());
    if (chosen && !chosen->isEmpty())
        setByProgram(*m_form.skierNameFileEdit, *chosen, [this] { skierNameFileEdited(); });
}

void ConfigurationScreen::findResultsFile()
{
    // A new day's results file does not exist yet: the dialog takes a new name as well as an
    // existing file (lines are always added to it, never written over it).
    FileDialogRequest request = fileRequest();
    request.title = QStringLiteral("Results file (new or existing; lines are added to it)");
    const std::optional<QString> chosen = m_station.dialogs().saveFile(request);
    if (chosen && !chosen->isEmpty())
        setByProgram(*m_form.resultsFileEdit, *chosen, [this] { resultsFileEdited(); });
}

} // namespace fw
