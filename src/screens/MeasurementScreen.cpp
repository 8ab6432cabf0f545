#include "screens/MeasurementScreen.h"

#include "station/Station.h"
#include "measure/JumpResult.h"
#include "measure/ResultsFile.h"
#include "measure/SkierNames.h"
#include "measure/WstimsExchange.h"
#include "platform/KeyboardState.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

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

MeasurementScreen::~MeasurementScreen()
{
    // Closing the window moves the focus out of the skier box, whose handlers belong to this
    // screen; by then the screen is half destroyed, so no control's signal may reach it.
    for (QObject* child : findChildren<QObject*>())
        child->blockSignals(true);
}

void MeasurementScreen::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    applySettings();
    Form_Activate();
}

void MeasurementScreen::hideEvent(QHideEvent* event)
{
    keyTimer->stop();
    // No hand-over is taken while the screen is not there to show it.
    loadTimer->stop();
    QMainWindow::hideEvent(event);
}

void MeasurementScreen::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            DrawImpactMark();
            keyTimer->start();
        } else {
            keyTimer->stop();
        }
    }
    QMainWindow::changeEvent(event);
}

void MeasurementScreen::closeEvent(QCloseEvent* event)
{
    // The close box leaves the screen the way Exit does.
    event->ignore();
    if (isVisible() && !m_station.quitRequested())
        Exit_Click();
}

void MeasurementScreen::scheduleRedraw()
{
    // The marker follows at the next repaint, as after any change on the screen; steps taken
    // before it all start from the last drawn point.
    if (m_redrawPending)
        return;
    m_redrawPending = true;
    QTimer::singleShot(0, this, [this] {
        m_redrawPending = false;
        DrawImpactMark();
    });
}

void MeasurementScreen::DrawImpactMark()
{
    const StationSettings& s = m_station.settings;
    const Rgb color = s.ImpactColorRgb;
    const double size = CrossSize->value();
    const double x = impact.x;
    const double y = impact.y;
    lastDrawn = impact;
    // No marker until the impact point is clicked on the picture shown.
    if (!impactClicked) {
        setMarkerVisible(false);
        return;
    }
    for (PictureView::ItemId id : {lineHorizontalImpact, lineVerticalImpact}) {
        picture->setItemVisible(id, true);
        picture->setItemColor(id, color);
    }
    const double armEnd = s.RightToLeft ? x + size : x - size;
    picture->setLine(lineHorizontalImpact, {x, y}, {armEnd, y});
    picture->setLine(lineVerticalImpact, {x, y - size}, {x, y + size});
    // One picture pixel either side of each arm, a pixel longer at both ends.
    const double edge = kStep_twips;
    const double left = std::min(x, armEnd) - edge;
    const double right = std::max(x, armEnd) + edge;
    picture->setLine(crossOutline[0], {left, y - edge}, {right, y - edge});
    picture->setLine(crossOutline[1], {left, y + edge}, {right, y + edge});
    picture->setLine(crossOutline[2], {x - edge, y - size - edge}, {x - edge, y + size + edge});
    picture->setLine(crossOutline[3], {x + edge, y - size - edge}, {x + edge, y + size + edge});
    for (PictureView::ItemId id : crossOutline) {
        picture->setItemColor(id, outlineColor(color));
        picture->setItemVisible(id, true);
    }

    // The splash indicator: where the ramp's end would be, one ramp offset along the survey
    // X axis from the impact point.
    // Through the grid, so that a point beyond the horizon maps to nothing.
    const MeasurementGrid& grid = m_station.grids.working;
    impactSurvey = PictureToSurvey(grid, impact);
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
    if (splash) {
        splashPoint = *splash;
        picture->setLine(lineSplashIndicator, {splash->x, splash->y},
                         {splash->x, splash->y - kSplashLine_twips});
        picture->setItemColor(lineSplashIndicator, color);
        picture->setItemVisible(lineSplashIndicator, true);
    } else {
        picture->setItemVisible(lineSplashIndicator, false);
    }
}

void MeasurementScreen::setMarkerVisible(bool visible)
{
    for (PictureView::ItemId id : {lineHorizontalImpact, lineVerticalImpact, lineSplashIndicator})
        picture->setItemVisible(id, visible);
    for (PictureView::ItemId id : crossOutline)
        picture->setItemVisible(id, visible);
}

void MeasurementScreen::pictureArrived()
{
    // A new picture is a new jump: the point and the figures of the last one do not carry over.
    impactClicked = false;
    impactSurvey.reset();
    distance->clear();
    distance_ft->clear();
    setMarkerVisible(false);
    for (QWidget* w : {static_cast<QWidget*>(AdjustmentLabel), static_cast<QWidget*>(AdjustLeft),
                       static_cast<QWidget*>(AdjustRight), static_cast<QWidget*>(AdjustUp),
                       static_cast<QWidget*>(AdjustDown)})
        w->hide();
}

void MeasurementScreen::Form_MouseDown(QPointF twips)
{
    impact = {twips.x(), twips.y()};
    impactClicked = true;
    distance->setText(QStringLiteral("m"));
    distance_ft->setText(QStringLiteral("ft"));
    for (QWidget* w : {static_cast<QWidget*>(AdjustmentLabel), static_cast<QWidget*>(AdjustLeft),
                       static_cast<QWidget*>(AdjustRight), static_cast<QWidget*>(AdjustUp),
                       static_cast<QWidget*>(AdjustDown)})
        w->show();
    scheduleRedraw();
}

void MeasurementScreen::Form_MouseMove(QPointF twips)
{
    xtwips->setText(twipsReadout(twips.x()));
    ytwips->setText(twipsReadout(twips.y()));
    const Tournament t = Tournament::of(m_station.settings);
    const std::optional<JumpDistance> jump =
        distance_calculation(m_station.grids.working, {twips.x(), twips.y()}, t);
    if (!jump) {
        xposition->clear();
        yposition->clear();
        VerifyDistance->clear();
        verifyUncertainty->clear();
        return;
    }
    m_lastSurvey = jump->point;
    xposition->setText(surveyReadout(jump->point.X));
    yposition->setText(surveyReadout(jump->point.Y));
    VerifyDistance->setText(verifyDistanceReadout(jump->distance_m));
    verifyUncertainty->setText(uncertaintyReadout(
        distanceUncertainty_m(m_station.grids.working, {twips.x(), twips.y()}, t)));
}

void MeasurementScreen::AdjustLeft_Click()
{
    impact.x = lastDrawn.x - kStep_twips;
    scheduleRedraw();
}

void MeasurementScreen::AdjustRight_Click()
{
    impact.x = lastDrawn.x + kStep_twips;
    scheduleRedraw();
}

void MeasurementScreen::AdjustUp_Click()
{
    impact.y = lastDrawn.y - kStep_twips;
    scheduleRedraw();
}

void MeasurementScreen::AdjustDown_Click()
{
    impact.y = lastDrawn.y + kStep_twips;
    scheduleRedraw();
}

void MeasurementScreen::keyTimer_Timer()
{
    const KeyboardState& keys = m_station.keyboard();
    if (keys.isDown(Qt::Key_Left))
        AdjustLeft_Click();
    if (keys.isDown(Qt::Key_Up))
        AdjustUp_Click();
    if (keys.isDown(Qt::Key_Right))
        AdjustRight_Click();
    if (keys.isDown(Qt::Key_Down))
        AdjustDown_Click();
}

void MeasurementScreen::verify_Click()
{
    const bool turningOn = verify->text() == QLatin1String("Verify");
    for (QWidget* w :
         {static_cast<QWidget*>(xtwips), static_cast<QWidget*>(ytwips),
          static_cast<QWidget*>(xposition), static_cast<QWidget*>(yposition),
          static_cast<QWidget*>(VerifyDistance), static_cast<QWidget*>(UnofficialJump)})
        w->setVisible(turningOn);
    for (QLabel* l : verifyLabels)
        l->setVisible(turningOn);
    verifyUncertainty->setVisible(turningOn);
    verify->setText(turningOn ? QStringLiteral("Verify off") : QStringLiteral("Verify"));
}

void MeasurementScreen::Set_grid_Click()
{
    const int next = nextGridNumber(m_station.grids.currentGrid, m_station.settings.GridCount);
    Set_grid->setText(QStringLiteral("&Grid %1").arg(next));
    emptyBuoyLabels();
    m_station.grids.selectGrid(next, m_station.settings.GridCount);
    grid_description->setText(m_station.grids.slot(next).description2);
    grid_description->adjustSize();
    DrawImpactMark();
}

void MeasurementScreen::emptyBuoyLabels()
{
    for (PictureView::ItemId id : {maxbuoy, minbuoy, maxbuoym, minbuoym})
        picture->setLabelText(id, QString());
}

void MeasurementScreen::Show_grid_Click()
{
    DrawImpactMark();
}

void MeasurementScreen::clearOption(QRadioButton* option)
{
    // An option group may end with none selected, as after Clear.
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

void MeasurementScreen::setComment(const QString& text)
{
    Comment->setText(text);
    Comment->show();
}

void MeasurementScreen::Unfreeze_Click()
{
    impactClicked = false;
    setMarkerVisible(false);
    distance->setText(QStringLiteral("m"));
    distance_ft->setText(QStringLiteral("ft"));
    Jump_no->setText(nextJumpNumber(Jump_no->text()));
    optJumpOK->setChecked(true);
    for (QRadioButton* o : {Fall, Pass, O_reride, M_Reride, Other_Grid, Make_comment})
        clearOption(o);
    Comment->clear();
    pictureHeld = false;
    for (QWidget* w : {static_cast<QWidget*>(FrozenSign), static_cast<QWidget*>(gif_file_name),
                       static_cast<QWidget*>(AdjustmentLabel), static_cast<QWidget*>(AdjustLeft),
                       static_cast<QWidget*>(AdjustRight), static_cast<QWidget*>(AdjustUp),
                       static_cast<QWidget*>(AdjustDown)})
        w->hide();
    picture->clearPicture();
    DrawImpactMark();
    deleteExchangePictures(m_station.paths().exchangeFolder());
}

void MeasurementScreen::Fall_Click()
{
    setComment(jumptexts::Fall);
}

void MeasurementScreen::Pass_Click()
{
    setComment(jumptexts::Pass);
}

void MeasurementScreen::Other_Grid_Click()
{
    setComment(jumptexts::OtherGrid);
}

void MeasurementScreen::optJumpOK_Click()
{
}

void MeasurementScreen::writeNote(const QString& comment)
{
    const QDateTime now = m_station.clock().now();
    m_station.results().append(m_station.settings.ResultsFilePath,
                               noteLine(dateText(now), timeText(now), comment));
}

void MeasurementScreen::M_Reride_Click()
{
    setComment(jumptexts::MandatoryReride);
    writeNote(Comment->text());
    Comment->clear();
    if (!pictureHeld)
        clearOption(M_Reride);
    distance->clear();
    distance_ft->clear();
}

void MeasurementScreen::O_reride_Click()
{
    setComment(jumptexts::OptionalReride);
    writeNote(Comment->text());
    Comment->clear();
    if (!pictureHeld)
        clearOption(O_reride);
}

void MeasurementScreen::Make_comment_Click()
{
    const std::optional<QString> answer =
        m_station.dialogs().input(jumptexts::CommentPrompt, jumptexts::CommentTitle, QString());
    // A cancelled question adds no comment line.
    if (answer) {
        setComment(*answer);
        writeNote(Comment->text());
        Comment->clear();
    }
    clearOption(Make_comment);
}

void MeasurementScreen::Skier_name_Change()
{
    Jump_no->setText(QStringLiteral("1"));
    distance->clear();
    distance_ft->clear();
}

void MeasurementScreen::warnAboutUnstorableName()
{
    const QString name = Skier_name->currentText();
    if (name == m_nameWarnedAbout)
        return;
    const QString message = unstorableNameMessage(name);
    if (message.isEmpty())
        return;
    m_nameWarnedAbout = name;
    m_station.dialogs().message(message, QString(), DialogIcon::Exclamation);
}

bool MeasurementScreen::recordMeasuredDistance(JumpResult& jump)
{
    const Tournament t = Tournament::of(m_station.settings);
    const std::optional<JumpDistance> measured =
        distance_calculation(m_station.grids.working, impact, t);
    if (!measured) {
        m_station.dialogs().message(
            QStringLiteral("The impact point lies beyond the horizon of grid %1: no distance can "
                           "be measured there. Nothing was recorded.")
                .arg(m_station.grids.currentGrid),
            QString(), DialogIcon::Exclamation);
        return false;
    }
    const Result<DistanceFigures> figures =
        distanceFigures(measured->distance_m, barefoot_indicator->isVisibleTo(this));
    if (!figures) {
        m_station.dialogs().message(figures.message(), QString(), DialogIcon::Exclamation);
        return false;
    }
    m_lastSurvey = measured->point;
    impactSurvey = measured->point;
    m_lastPrecise = figures->preciseMeters;
    m_measuredMeters = figures->metersText;
    distance->setText(figures->metersText);
    distance_ft->setText(figures->feetText);
    distanceUncertainty->setText(
        uncertaintyReadout(distanceUncertainty_m(m_station.grids.working, impact, t)));
    jump.metersValue = figures->metersValue;
    jump.feetValue = figures->feetValue;
    return true;
}

void MeasurementScreen::Record_Click()
{
    Dialogs& dialogs = m_station.dialogs();
    const Outcome numberOk = checkJumpNumber(Jump_no->text());
    if (!numberOk) {
        dialogs.message(numberOk.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    if (!impactClicked && !Pass->isChecked() && !Fall->isChecked() && !Other_Grid->isChecked()) {
        dialogs.message(
            QStringLiteral("No impact point has been clicked on this picture. Click the "
                           "point where the skier first touches the water, then "
                           "record the jump. Nothing was recorded."),
            QString(), DialogIcon::Exclamation);
        return;
    }
    bool advance = false;
    const bool passOrFall = Pass->isChecked() || Fall->isChecked();
    JumpResult jump;

    if (passOrFall) {
        distance->clear();
        distance_ft->clear();
        if (!pictureHeld) {
            advance = true;
            clearOption(Fall);
            clearOption(Pass);
        }
    }
    if (Other_Grid->isChecked()) {
        const OtherGridEntry entry = askOtherGridDistance(m_station.dialogs());
        if (entry.kind == OtherGridEntry::Kind::Abandoned)
            return; // nothing written, nothing sent, options as they were
        if (entry.kind == OtherGridEntry::Kind::Distance) {
            distance->setText(entry.metersText);
            distance_ft->setText(entry.feetText);
            jump.metersValue = entry.metersValue;
            jump.feetValue = entry.feetValue;
        } else {
            setComment(jumptexts::OtherGridNoDistance);
            distance->clear();
            distance_ft->clear();
        }
        if (!pictureHeld) {
            advance = true;
            clearOption(Fall);
            clearOption(Pass);
        }
    } else if (!passOrFall) {
        if (!recordMeasuredDistance(jump))
            return;
    }

    const QDateTime now = m_station.clock().now();
    jump.date = dateText(now);
    jump.time = timeText(now);
    jump.skier = Skier_name->currentText();
    jump.jumpNumber = Jump_no->text();
    jump.metersText = distance->text();
    jump.feetText = distance_ft->text();
    jump.comment = Comment->text();
    jump.status = statusForComment(jump.comment);
    jump.barefoot = m_station.settings.BarefootOn;
    jump.unofficial = verify->text() == QLatin1String("Verify off");
    jump.otherGrid = Other_Grid->isChecked();
    jump.surveyX_m = m_lastSurvey.X;
    jump.surveyY_m = m_lastSurvey.Y;
    jump.pictureX_twips = impact.x;
    jump.pictureY_twips = impact.y;
    jump.preciseMeters = m_lastPrecise;

    m_station.results().append(m_station.settings.ResultsFilePath, resultsLine(jump));
    if (m_station.settings.WstimsOn) {
        const Outcome sent = writeWstimsResult(m_station.paths().exchangeFolder(), jump);
        if (!sent)
            m_station.dialogs().message(sent.message());
    }
    Comment->hide();
    if (advance)
        Jump_no->setText(nextJumpNumber(Jump_no->text()));
    if (Other_Grid->isChecked())
        clearOption(Other_Grid);
    Comment->clear();
    deleteExchangePictures(m_station.paths().exchangeFolder());
}

void MeasurementScreen::mnuResults_Click()
{
    m_station.openResults(this);
}

void MeasurementScreen::mnuCalibrate_Click()
{
    m_station.openCalibration(this);
}

void MeasurementScreen::mnuViewLog_Click()
{
    m_station.openPictureLog(this);
}

void MeasurementScreen::mnuCapture_Click()
{
    btnNextJump_Click();
}

void MeasurementScreen::btnNextJump_Click()
{
    if (!m_station.hasScreen(Screen::Capture))
        return;
    Dialogs& dialogs = m_station.dialogs();
    if (m_station.arrivedFrom != ArrivedFrom::MarkedFrame) {
        if (dialogs.message(QStringLiteral("Do you want to save this picture?"), QString(),
                            DialogIcon::None, DialogButtons::YesNo) == DialogAnswer::Yes)
            pictureSaved();
        if (dialogs.message(QStringLiteral("Do you want to remain on this form?"), QString(),
                            DialogIcon::None, DialogButtons::YesNo) == DialogAnswer::Yes)
            return;
    } else {
        applyPictureSavePolicy();
    }
    m_station.arrivedFrom = ArrivedFrom::Elsewhere;
    Unfreeze_Click();
    keyTimer->stop();
    m_station.show(Screen::Capture, this);
}

void MeasurementScreen::Exit_Click()
{
    if (m_station.arrivedFrom == ArrivedFrom::MarkedFrame)
        applyPictureSavePolicy();
    m_station.arrivedFrom = ArrivedFrom::Elsewhere;
    Unfreeze_Click();
    emptyBuoyLabels();
    grid_description->hide();
    keyTimer->stop();
    m_station.show(Screen::Main, this);
}

} // namespace fw
