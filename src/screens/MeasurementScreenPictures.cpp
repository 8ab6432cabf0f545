// How pictures reach the measurement screen (frame selection, clipboard, snapshot, file, picture
// log, the clipboard hand-over) and how a measured picture is kept as a contact picture.

#include "screens/MeasurementScreen.h"

#include "station/Station.h"
#include "grid/GridCompletion.h"
#include "measure/JumpResult.h"
#include "measure/PictureLog.h"
#include "measure/ResultsFile.h"
#include "support/FieldReader.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

namespace fw {

namespace {

QString pictureSizeText(double twips)
{
    return numberText(intPart(twips));
}

} // namespace

void MeasurementScreen::Form_Activate()
{
    if (m_station.arrivedFrom == ArrivedFrom::MarkedFrame) {
        const QString path = m_station.paths().inStation(QStringLiteral("currentcapture.bmp"));
        const Result<LoadedPicture> loaded = readPicture(path);
        if (loaded) {
            pictureArrived();
            picture->setPicture(loaded.value());
            pictureWidth = pictureSizeText(loaded->width_twips);
            pictureHeight = pictureSizeText(loaded->height_twips);
        } else {
            // A new jump came but its frame cannot be shown: the last jump's picture and point
            // must not be measured or recorded in its place.
            pictureArrived();
            picture->clearPicture();
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

void MeasurementScreen::cbAutoLoadClipboard_Click()
{
    if (cbAutoLoadClipboard->isChecked())
        loadTimer->start(1000);
    else
        loadTimer->stop();
}

void MeasurementScreen::loadTimer_Timer()
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
    const Outcome taken = replaceFileLines(flag, {QStringLiteral("  ")});
    if (!taken) {
        // The flag would hand this picture over again every second and wipe each click on it.
        loadTimer->stop();
        cbAutoLoadClipboard->setChecked(false);
        m_station.dialogs().message(
            taken.message() +
                QStringLiteral("\n\nThe picture is on the screen, but the hand-over flag could "
                               "not be set back, so Auto Load is switched off. Switch it on "
                               "again once the flag file can be written."),
            QString(), DialogIcon::Exclamation);
    }
}

void MeasurementScreen::holdPicture(const QString& shownName)
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

void MeasurementScreen::takeClipboardPicture()
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

void MeasurementScreen::mnuPaste_Click()
{
    takeClipboardPicture();
}

void MeasurementScreen::ClipSnapShot_Click()
{
    takeClipboardPicture();
}

void MeasurementScreen::ImgSnapShot_Click()
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

bool MeasurementScreen::showPictureFile(const QString& path, const QString& shownName)
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

void MeasurementScreen::LoadPict_Click()
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
    m_station.arrivedFrom = ArrivedFrom::Elsewhere;
}

bool MeasurementScreen::pictureSaved()
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

void MeasurementScreen::SavePict_Click()
{
    pictureSaved();
}

void MeasurementScreen::applyPictureSavePolicy()
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

void MeasurementScreen::showBuoyDistanceLabels()
{
    const MeasurementGrid& grid = m_station.grids.slot(1);
    const BuoyDistanceLabels back = buoyDistanceLabels(grid, BuoyIndex::UpperLeft);
    const BuoyDistanceLabels other = buoyDistanceLabels(grid, BuoyIndex::UpperRight);
    const std::pair<PictureView::ItemId, std::pair<QString, ScreenPoint>> labels[] = {
        {maxbuoy, {back.feet, back.feetAt}},
        {maxbuoym, {back.meters, back.metersAt}},
        {minbuoy, {other.feet, other.feetAt}},
        {minbuoym, {other.meters, other.metersAt}}};
    for (const auto& [id, label] : labels) {
        picture->setLabelText(id, label.first);
        picture->moveItem(id, QPointF(label.second.x, label.second.y));
    }
    grid_description->setText(grid.description2);
    grid_description->adjustSize();
    grid_description->show();
}

void MeasurementScreen::takeSkier(const QString& name, const QString& pass)
{
    Skier_name->setEditText(name);
    Skier_name_Change();
    if (!pass.isNull())
        Jump_no->setText(pass);
}

void MeasurementScreen::showGridDescription(const QString& description)
{
    grid_description->setText(description);
}

} // namespace fw
