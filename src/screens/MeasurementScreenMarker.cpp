// The impact point on the measurement screen: placing and nudging it, the marker and splash
// indicator drawn through the current grid, the verify read-outs under the mouse, and the choice
// of grid.

#include "screens/MeasurementScreen.h"

#include "measure/JumpResult.h"
#include "platform/KeyboardState.h"
#include "station/Station.h"
#include "support/textforms.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace fw {

namespace {

constexpr double kStep_twips = 15;
constexpr double kSplashLine_twips = 1000;

// The outline around the cross: dark around a light colour, light around a dark one.
Rgb outlineColor(Rgb rgb)
{
    const int red = int(rgb & 0xFF);
    const int green = int((rgb >> 8) & 0xFF);
    const int blue = int((rgb >> 16) & 0xFF);
    return red * 299 + green * 587 + blue * 114 < 64000 ? kWhite : kBlack;
}

} // namespace

void MeasurementScreen::scheduleRedraw()
{
    // The marker follows at the next repaint, as after any change on the screen; steps taken
    // before it all start from the last drawn point.
    if (m_redrawPending)
        return;
    m_redrawPending = true;
    QTimer::singleShot(0, this, [this] {
        m_redrawPending = false;
        drawImpactMarker();
    });
}

void MeasurementScreen::drawImpactMarker()
{
    const Rgb color = m_station.settings.ImpactColorRgb;
    m_lastDrawn = m_impact;
    // No marker until the impact point is clicked on the picture shown.
    if (!m_impactClicked) {
        setMarkerVisible(false);
        return;
    }
    drawCross(color);
    drawSplashIndicator(color);
}

void MeasurementScreen::drawCross(Rgb color)
{
    PictureView& picture = *m_form.picture;
    const double size = m_form.crossSizeBar->value();
    const double x = m_impact.x;
    const double y = m_impact.y;
    for (PictureView::ItemId id : {m_form.crossHorizontalLine, m_form.crossVerticalLine}) {
        picture.setItemVisible(id, true);
        picture.setItemColor(id, color);
    }
    const double armEnd = m_station.settings.RightToLeft ? x + size : x - size;
    picture.setLine(m_form.crossHorizontalLine, {x, y}, {armEnd, y});
    picture.setLine(m_form.crossVerticalLine, {x, y - size}, {x, y + size});
    // One picture pixel either side of each arm, a pixel longer at both ends.
    const double edge = kStep_twips;
    const double left = std::min(x, armEnd) - edge;
    const double right = std::max(x, armEnd) + edge;
    const auto& outline = m_form.crossOutline;
    picture.setLine(outline[0], {left, y - edge}, {right, y - edge});
    picture.setLine(outline[1], {left, y + edge}, {right, y + edge});
    picture.setLine(outline[2], {x - edge, y - size - edge}, {x - edge, y + size + edge});
    picture.setLine(outline[3], {x + edge, y - size - edge}, {x + edge, y + size + edge});
    for (PictureView::ItemId id : outline) {
        picture.setItemColor(id, outlineColor(color));
        picture.setItemVisible(id, true);
    }
}

void MeasurementScreen::drawSplashIndicator(Rgb color)
{
    // Where the ramp's end would be, one ramp offset along the survey X axis from the impact
    // point; through the grid, so that a point beyond the horizon maps to nothing.
    const StationSettings& s = m_station.settings;
    const MeasurementGrid& grid = m_station.grids.working;
    const std::optional<SurveyPoint> impactSurvey = PictureToSurvey(grid, m_impact);
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
    PictureView& picture = *m_form.picture;
    if (splash) {
        picture.setLine(m_form.splashLine, {splash->x, splash->y},
                        {splash->x, splash->y - kSplashLine_twips});
        picture.setItemColor(m_form.splashLine, color);
        picture.setItemVisible(m_form.splashLine, true);
    } else {
        picture.setItemVisible(m_form.splashLine, false);
    }
}

void MeasurementScreen::setMarkerVisible(bool visible)
{
    PictureView& picture = *m_form.picture;
    for (PictureView::ItemId id :
         {m_form.crossHorizontalLine, m_form.crossVerticalLine, m_form.splashLine})
        picture.setItemVisible(id, visible);
    for (PictureView::ItemId id : m_form.crossOutline)
        picture.setItemVisible(id, visible);
}

void MeasurementScreen::setAdjustPanelVisible(bool visible)
{
    for (QWidget* w : m_form.adjustPanel())
        w->setVisible(visible);
}

void MeasurementScreen::placeImpactPoint(QPointF twips)
{
    m_impact = {twips.x(), twips.y()};
    m_impactClicked = true;
    m_form.metersEdit->setText(QStringLiteral("m"));
    m_form.feetEdit->setText(QStringLiteral("ft"));
    setAdjustPanelVisible(true);
    scheduleRedraw();
}

void MeasurementScreen::showReadoutsAt(QPointF twips)
{
    m_form.pictureXEdit->setText(twipsReadout(twips.x()));
    m_form.pictureYEdit->setText(twipsReadout(twips.y()));
    const Tournament t = Tournament::of(m_station.settings);
    const ScreenPoint at{twips.x(), twips.y()};
    const std::optional<JumpDistance> jump = distance_calculation(m_station.grids.working, at, t);
    if (!jump) {
        m_form.waterXEdit->clear();
        m_form.waterYEdit->clear();
        m_form.verifyDistanceEdit->clear();
        m_form.verifyUncertaintyLabel->clear();
        return;
    }
    m_lastSurvey = jump->point;
    m_form.waterXEdit->setText(surveyReadout(jump->point.X));
    m_form.waterYEdit->setText(surveyReadout(jump->point.Y));
    m_form.verifyDistanceEdit->setText(verifyDistanceReadout(jump->distance_m));
    m_form.verifyUncertaintyLabel->setText(
        uncertaintyReadout(distanceUncertainty_m(m_station.grids.working, at, t)));
}

void MeasurementScreen::nudgeLeft()
{
    m_impact.x = m_lastDrawn.x - kStep_twips;
    scheduleRedraw();
}

void MeasurementScreen::nudgeRight()
{
    m_impact.x = m_lastDrawn.x + kStep_twips;
    scheduleRedraw();
}

void MeasurementScreen::nudgeUp()
{
    m_impact.y = m_lastDrawn.y - kStep_twips;
    scheduleRedraw();
}

void MeasurementScreen::nudgeDown()
{
    m_impact.y = m_lastDrawn.y + kStep_twips;
    scheduleRedraw();
}

void MeasurementScreen::nudgeByHeldArrowKeys()
{
    const KeyboardState& keys = m_station.keyboard();
    if (keys.isDown(Qt::Key_Left))
        nudgeLeft();
    if (keys.isDown(Qt::Key_Up))
        nudgeUp();
    if (keys.isDown(Qt::Key_Right))
        nudgeRight();
    if (keys.isDown(Qt::Key_Down))
        nudgeDown();
}

void MeasurementScreen::toggleVerifyMode()
{
    m_verifyMode = !m_verifyMode;
    for (QWidget* w :
         {static_cast<QWidget*>(m_form.pictureXEdit), static_cast<QWidget*>(m_form.pictureYEdit),
          static_cast<QWidget*>(m_form.waterXEdit), static_cast<QWidget*>(m_form.waterYEdit),
          static_cast<QWidget*>(m_form.verifyDistanceEdit),
          static_cast<QWidget*>(m_form.unofficialLabel),
          static_cast<QWidget*>(m_form.verifyUncertaintyLabel)})
        w->setVisible(m_verifyMode);
    for (QLabel* l : m_form.verifyCaptions)
        l->setVisible(m_verifyMode);
    m_form.verifyButton->setText(m_verifyMode ? QStringLiteral("Verify off")
                                              : QStringLiteral("Verify"));
}

void MeasurementScreen::selectNextGrid()
{
    const int next = nextGridNumber(m_station.grids.currentGrid, m_station.settings.GridCount);
    m_form.nextGridButton->setText(QStringLiteral("&Grid %1").arg(next));
    emptyBuoyLabels();
    m_station.grids.selectGrid(next, m_station.settings.GridCount);
    m_form.gridDescriptionLabel->setText(m_station.grids.slot(next).description2);
    m_form.gridDescriptionLabel->adjustSize();
    drawImpactMarker();
}

void MeasurementScreen::emptyBuoyLabels()
{
    for (PictureView::ItemId id : {m_form.upperLeftBuoyFeet, m_form.upperRightBuoyFeet,
                                   m_form.upperLeftBuoyMeters, m_form.upperRightBuoyMeters})
        m_form.picture->setLabelText(id, QString());
}

} // namespace fw
