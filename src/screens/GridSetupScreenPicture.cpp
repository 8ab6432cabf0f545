// The grid setup screen's picture: the point markers and the points' moves, the predicted check
// buoy, the accuracy check's labels and skier paths, and the picture itself (load, paste, clear).

#include "screens/GridSetupScreen.h"

#include "grid/Accuracy.h"
#include "platform/KeyboardState.h"
#include "screens/setByProgram.h"
#include "station/Station.h"
#include "support/dialogs.h"
#include "support/textforms.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace fw {

namespace {

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

PictureView::ItemId GridSetupScreen::draw(PictureView::ItemId id)
{
    m_drawing.push_back(id);
    return id;
}

void GridSetupScreen::clearDrawing()
{
    for (PictureView::ItemId id : m_drawing)
        m_form.picture->removeItem(id);
    m_drawing.clear();
}

void GridSetupScreen::movePoints(std::optional<ScreenPoint> target, ScreenPoint step)
{
    PictureView& picture = *m_form.picture;
    const QScrollBar& size = *m_form.markerSizeBar;
    for (const PointMove& move : movedPoints(m_station.grids.working, chosenPoint(), target, step,
                                             m_form.gridLockBox->isChecked())) {
        draw(picture.addCircle(at(move.from), m_previousMarkerSize_twips, kMagenta));
        draw(picture.addCross(at(move.from), size.maximum(), kMagenta));
        setByProgram(*pictureXEdit(move.point), fieldText(move.to.x), [this] { onEntryEdited(); });
        setByProgram(*pictureYEdit(move.point), fieldText(move.to.y), [this] { onEntryEdited(); });
        draw(picture.addCross(at(move.to), size.value(), kWhite));
    }
}

void GridSetupScreen::placeChosenPoint(QPointF twips)
{
    movePoints(ScreenPoint{twips.x(), twips.y()}, {});
}

void GridSetupScreen::nudge(ScreenPoint step)
{
    movePoints(std::nullopt, step);
    drawMarkers();
}

void GridSetupScreen::drawMarkers()
{
    clearDrawing();
    const StationSettings& s = m_station.settings;
    const bool cross = s.BuoyMarker == QLatin1String("cross");
    const Rgb color = s.LabelColor == QLatin1String("default") ? kWhite : s.LabelColorRgb;
    const double size = m_form.markerSizeBar->value();
    const GridEntries shown = shownEntries();
    PictureView& picture = *m_form.picture;
    for (int i = 0; i < kGridPointCount; ++i) {
        const auto point = GridPoint(i);
        if (!pointPlaced(shown, point))
            continue;
        const QPointF where = at(position(point));
        draw(cross ? picture.addCross(where, size, kWhite) : picture.addCircle(where, size, color));
    }
}

void GridSetupScreen::hideAccuracyLabels()
{
    for (PictureView::ItemId id : m_form.accuracyLabels)
        m_form.picture->setItemVisible(id, false);
}

void GridSetupScreen::hidePredictedCheckBuoy()
{
    for (PictureView::ItemId id : {m_form.predictedCheckBuoyLabel, m_form.predictedCheckBuoyDot,
                                   m_form.predictedCheckBuoyCircle, m_form.predictedCheckBuoyLine})
        m_form.picture->setItemVisible(id, false);
}

void GridSetupScreen::markPredictedCheckBuoy(ScreenPoint predicted, ScreenPoint marked)
{
    const PredictedCheckBuoyMark mark = predictedCheckBuoyMark(
        predicted, marked, fieldNumber(m_form.pictureWidthEdit->text()),
        fieldNumber(m_form.pictureHeightEdit->text()), m_form.markerSizeBar->value());
    PictureView& picture = *m_form.picture;
    const GridSetupScreenForm& f = m_form;
    picture.setLabelText(f.predictedCheckBuoyLabel, mark.label);
    picture.moveItem(f.predictedCheckBuoyDot, at(mark.dot));
    picture.setLine(f.predictedCheckBuoyLine, at(mark.lineFrom), at(mark.lineTo));
    picture.moveItem(f.predictedCheckBuoyLabel, at(mark.labelAt));
    if (mark.onPicture) {
        picture.moveItem(f.predictedCheckBuoyCircle, at(mark.dot));
        picture.setItemSize(f.predictedCheckBuoyCircle, mark.circleSize_twips);
    }
    picture.setItemVisible(f.predictedCheckBuoyCircle, mark.onPicture);
    for (PictureView::ItemId id :
         {f.predictedCheckBuoyLabel, f.predictedCheckBuoyDot, f.predictedCheckBuoyLine})
        picture.setItemVisible(id, true);
}

void GridSetupScreen::onStandardAccuracyChosen()
{
    m_form.accuracyShowBox->setVisible(false);
}

void GridSetupScreen::onAdvancedAccuracyChosen()
{
    m_form.accuracyShowBox->setVisible(!m_form.accuracyButton->isHidden());
}

void GridSetupScreen::checkAccuracy()
{
    readEntries();
    const GridSetupScreenForm& f = m_form;
    const bool standard = f.standardAccuracyOption->isChecked();
    if (standard)
        f.showHomologationLevelOption->setChecked(true);
    const AccuracyContent content = f.showDistanceOption->isChecked() ? AccuracyContent::Distance
                                    : f.showDetailOption->isChecked() ? AccuracyContent::Detail
                                                                      : AccuracyContent::Grade;
    const std::optional<AccuracyCheck> check = RunAccuracyCheck(
        m_station.gridEntries, m_station.grids, m_station.settings, m_station.pictureWidth_twips,
        content, m_station.dialogs(), m_station.clock());
    if (!check)
        return;
    showAccuracyLabels(*check, standard);
    if (standard)
        offerSkierPaths(*check);
    drawMarkers();
}

void GridSetupScreen::showAccuracyLabels(const AccuracyCheck& check, bool standard)
{
    hideAccuracyLabels();
    PictureView& picture = *m_form.picture;
    const Rgb color = m_station.settings.LabelColorRgb;
    for (const auto& column : check.samples) {
        for (const AccuracySample& s : column) {
            const PictureView::ItemId id = m_form.accuracyLabels[std::size_t(s.indicator)];
            picture.setLabelText(id, s.label);
            picture.moveItem(id, at(s.labelAt));
            picture.setItemColor(id, color);
            // The standard check shows only the row of the skier's path, once chosen.
            picture.setItemVisible(id, !standard);
        }
    }
}

void GridSetupScreen::offerSkierPaths(const AccuracyCheck& check)
{
    clearDrawing();
    PictureView& picture = *m_form.picture;
    const Rgb color = m_station.settings.LabelColorRgb;
    for (int j = 0; j < kMeshSize; ++j) {
        const AccuracyRow& row = check.rows[std::size_t(j)];
        draw(picture.addLine(at(row.right), at(row.left), color));
        const PictureView::ItemId label = m_form.skierPathLabels[std::size_t(j)];
        picture.setLabelText(label, row.caption);
        picture.moveItem(label, at(row.labelAt));
        picture.setItemColor(label, color);
        picture.setItemVisible(label, true);
    }
    // Only the numbers on the labels are answers; Cancel ends the question (the report is
    // written already) with no row shown.
    std::optional<int> chosen;
    while (!chosen) {
        const std::optional<QString> answer =
            m_station.dialogs().input(kSkierPathPrompt, kSkierPathTitle);
        if (!answer)
            break;
        chosen = skierPathRow(*answer);
    }
    for (PictureView::ItemId label : m_form.skierPathLabels)
        picture.setItemVisible(label, false);
    if (chosen) {
        for (const auto& column : check.samples)
            picture.setItemVisible(
                m_form.accuracyLabels[std::size_t(column[std::size_t(*chosen)].indicator)], true);
    }
}

void GridSetupScreen::setPictureSize(double width_twips, double height_twips)
{
    m_form.pictureWidthEdit->setText(numberText(intPart(width_twips)));
    m_form.pictureHeightEdit->setText(numberText(intPart(height_twips)));
    onPictureWidthEdited();
}

void GridSetupScreen::onPictureWidthEdited()
{
    // The front and back ratios take the width as the field shows it.
    m_station.pictureWidth_twips = fieldNumber(m_form.pictureWidthEdit->text());
}

void GridSetupScreen::takePicture(const LoadedPicture& loaded)
{
    m_form.picture->setPicture(loaded);
    setPictureSize(loaded.width_twips, loaded.height_twips);
}

void GridSetupScreen::loadPicture()
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

void GridSetupScreen::clearPicture()
{
    m_form.picture->clearPicture();
}

void GridSetupScreen::pastePicture()
{
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) {
        m_station.dialogs().message(QStringLiteral("There is no picture on the clipboard."),
                                    QString(), DialogIcon::Exclamation);
        return;
    }
    takePicture(pictureFromImage(image));
}

} // namespace fw
