// How pictures reach the measurement screen (frame selection, clipboard, snapshot, file, picture
// log, the clipboard hand-over) and how a measured picture is kept as a contact picture.

#include "screens/MeasurementScreen.h"

#include "grid/GridCompletion.h"
#include "measure/JumpResult.h"
#include "measure/PictureLog.h"
#include "measure/ResultsFile.h"
#include "station/Station.h"
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

void MeasurementScreen::arrive()
{
    if (m_station.arrivedFrom == ArrivedFrom::MarkedFrame) {
        const QString path = m_station.paths().inStation(QStringLiteral("currentcapture.bmp"));
        const Result<LoadedPicture> loaded = readPicture(path);
        if (loaded) {
            pictureArrived();
            m_form.picture->setPicture(loaded.value());
        } else {
            // A new jump came but its frame cannot be shown: the last jump's picture and point
            // must not be measured or recorded in its place.
            pictureArrived();
            m_form.picture->clearPicture();
            m_station.dialogs().message(loaded.message(), QString(), DialogIcon::Exclamation);
        }
    }
    drawImpactMarker();
    m_arrowKeyTimer->start();
    // A name that came with the capture is checked here, where a question holds nothing up.
    warnAboutUnstorableName();
    if (m_form.autoLoadCheck->isChecked())
        m_handOverTimer->start(1000);
}

void MeasurementScreen::onAutoLoadClicked()
{
    if (m_form.autoLoadCheck->isChecked())
        m_handOverTimer->start(1000);
    else
        m_handOverTimer->stop();
}

void MeasurementScreen::takeHandedOverPicture()
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
    m_form.picture->setPicture(image);
    drawImpactMarker();
    // Each hand-over is taken once.
    const Outcome taken = replaceFileLines(flag, {QStringLiteral("  ")});
    if (!taken) {
        // The flag would hand this picture over again every second and wipe each click on it.
        m_handOverTimer->stop();
        m_form.autoLoadCheck->setChecked(false);
        m_station.dialogs().message(
            taken.message() +
                QStringLiteral("\n\nThe picture is on the screen, but the hand-over flag could "
                               "not be set back, so Auto Load is switched off. Switch it on "
                               "again once the flag file can be written."),
            QString(), DialogIcon::Exclamation);
    }
}

void MeasurementScreen::pictureArrived()
{
    // A new picture is a new jump: the point and the figures of the last one do not carry over.
    m_impactClicked = false;
    clearDistance();
    setMarkerVisible(false);
    setAdjustPanelVisible(false);
}

void MeasurementScreen::holdPicture(const QString& shownName)
{
    pictureArrived();
    m_pictureHeld = true;
    m_form.frozenLabel->show();
    m_form.frozenLabel->raise();
    clearDistance();
    m_form.showGridButton->setFocus();
    m_form.pictureNameLabel->setText(shownName);
    m_form.pictureNameLabel->adjustSize();
    m_form.pictureNameLabel->show();
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
    m_form.picture->setPicture(image);
    drawImpactMarker();
}

void MeasurementScreen::takeSnapshotPicture()
{
    const QString path = m_station.paths().inExchange(QStringLiteral("snapshot.bmp"));
    const Result<LoadedPicture> loaded = readPicture(path);
    if (!loaded) {
        m_station.dialogs().message(loaded.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    holdPicture(QStringLiteral("snapshot.bmp"));
    m_form.picture->setPicture(loaded.value());
    drawImpactMarker();
}

bool MeasurementScreen::showPictureFile(const QString& path, const QString& shownName)
{
    const Result<LoadedPicture> loaded = readPicture(path);
    if (!loaded) {
        m_station.dialogs().message(loaded.message(), QString(), DialogIcon::Exclamation);
        return false;
    }
    pictureArrived();
    m_form.picture->setPicture(loaded.value());
    QLabel* name = m_form.pictureNameLabel;
    const QLabel* description = m_form.gridDescriptionLabel;
    name->setText(shownName);
    name->adjustSize();
    name->move(description->x(), description->y() + description->height());
    name->show();
    drawImpactMarker();
    return true;
}

void MeasurementScreen::loadPicture()
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

bool MeasurementScreen::savePicture()
{
    Dialogs& dialogs = m_station.dialogs();
    if (!m_form.picture->hasPicture()) {
        dialogs.message(QStringLiteral("There is no picture on the screen to save."), QString(),
                        DialogIcon::Exclamation);
        return false;
    }
    const StationSettings& s = m_station.settings;
    const QString name =
        pictureFileName(m_form.skierNameBox->currentText(), m_form.jumpNumberEdit->text());
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
    const Outcome saved = m_form.picture->saveBitmap(path, true);
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
                                                    m_form.metersEdit->text(), path),
                                    dialogs);
    statusBar()->showMessage(
        QStringLiteral("Picture saved as %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

void MeasurementScreen::applyPictureSavePolicy()
{
    const QString& policy = m_station.settings.PictureSavePolicy;
    if (policy == QLatin1String("Save"))
        savePicture();
    else if (policy == QLatin1String("Ask") &&
             m_station.dialogs().message(QStringLiteral("Do you want to save this picture?"),
                                         QString(), DialogIcon::None,
                                         DialogButtons::YesNo) == DialogAnswer::Yes)
        savePicture();
}

void MeasurementScreen::showBuoyDistanceLabels()
{
    const MeasurementGrid& grid = m_station.grids.slot(1);
    const BuoyDistanceLabels back = buoyDistanceLabels(grid, BuoyIndex::UpperLeft);
    const BuoyDistanceLabels other = buoyDistanceLabels(grid, BuoyIndex::UpperRight);
    const std::pair<PictureView::ItemId, std::pair<QString, ScreenPoint>> labels[] = {
        {m_form.upperLeftBuoyFeet, {back.feet, back.feetAt}},
        {m_form.upperLeftBuoyMeters, {back.meters, back.metersAt}},
        {m_form.upperRightBuoyFeet, {other.feet, other.feetAt}},
        {m_form.upperRightBuoyMeters, {other.meters, other.metersAt}}};
    for (const auto& [id, label] : labels) {
        m_form.picture->setLabelText(id, label.first);
        m_form.picture->moveItem(id, QPointF(label.second.x, label.second.y));
    }
    m_form.gridDescriptionLabel->setText(grid.description2);
    m_form.gridDescriptionLabel->adjustSize();
    m_form.gridDescriptionLabel->show();
}

void MeasurementScreen::takeSkier(const QString& name, const QString& pass)
{
    m_form.skierNameBox->setEditText(name);
    startNewSkier();
    if (!pass.isNull())
        m_form.jumpNumberEdit->setText(pass);
}

void MeasurementScreen::showGridDescription(const QString& description)
{
    m_form.gridDescriptionLabel->setText(description);
}

} // namespace fw
