#include "screens/MeasurementScreen.h"

#include "measure/JumpRecording.h"
#include "measure/ResultsFile.h"
#include "measure/SkierNames.h"
#include "measure/WstimsExchange.h"
#include "station/Station.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textforms.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

namespace fw {

namespace {

bool isArrowKey(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

MeasurementScreen::MeasurementScreen(Station& station, QWidget* parent)
    : QMainWindow(parent), m_station(station)
{
    m_form.build(*this);
    m_arrowKeyTimer = new QTimer(this);
    m_arrowKeyTimer->setInterval(100);
    m_handOverTimer = new QTimer(this);
    m_handOverTimer->setInterval(1000);
    connectControls();
    connectOutcomeOptions();

    // Screens this build does not have yet.
    const bool capture = m_station.hasScreen(Screen::Capture);
    m_form.captureNextJumpButton->setEnabled(capture);
    m_form.captureNextJumpAction->setEnabled(capture);
    m_form.calibrateAction->setEnabled(m_station.hasCalibration());

    // Arrow keys move the impact marker (the key timer reads them) and nothing else: the outcome
    // options, the skier list and the picture's scroll bars would otherwise take them too.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

MeasurementScreen::~MeasurementScreen()
{
    // Closing the window moves the focus out of the skier box, whose handlers belong to this
    // screen; by then the screen is half destroyed, so no control's signal may reach it.
    for (QObject* child : findChildren<QObject*>())
        child->blockSignals(true);
}

void MeasurementScreen::connectControls()
{
    const MeasurementScreenForm& f = m_form;
    connect(f.picture, &PictureView::mousePressed, this,
            [this](QPointF twips, Qt::MouseButton button, Qt::KeyboardModifiers) {
                if (button == Qt::LeftButton)
                    placeImpactPoint(twips);
            });
    connect(
        f.picture, &PictureView::mouseMoved, this,
        [this](QPointF twips, Qt::MouseButtons, Qt::KeyboardModifiers) { showReadoutsAt(twips); });
    connect(f.adjustLeftButton, &QToolButton::clicked, this, &MeasurementScreen::nudgeLeft);
    connect(f.adjustRightButton, &QToolButton::clicked, this, &MeasurementScreen::nudgeRight);
    connect(f.adjustUpButton, &QToolButton::clicked, this, &MeasurementScreen::nudgeUp);
    connect(f.adjustDownButton, &QToolButton::clicked, this, &MeasurementScreen::nudgeDown);
    connect(m_arrowKeyTimer, &QTimer::timeout, this, &MeasurementScreen::nudgeByHeldArrowKeys);
    connect(m_handOverTimer, &QTimer::timeout, this, &MeasurementScreen::takeHandedOverPicture);
    connect(f.autoLoadCheck, &QCheckBox::clicked, this, &MeasurementScreen::onAutoLoadClicked);
    connect(f.verifyButton, &QPushButton::clicked, this, &MeasurementScreen::toggleVerifyMode);
    connect(f.nextGridButton, &QPushButton::clicked, this, &MeasurementScreen::selectNextGrid);
    connect(f.showGridButton, &QPushButton::clicked, this, &MeasurementScreen::drawImpactMarker);
    connect(f.clearButton, &QPushButton::clicked, this, &MeasurementScreen::clearJump);
    connect(f.recordButton, &QPushButton::clicked, this, &MeasurementScreen::recordJump);
    connect(f.clipboardButton, &QToolButton::clicked, this,
            &MeasurementScreen::takeClipboardPicture);
    connect(f.snapshotButton, &QToolButton::clicked, this, &MeasurementScreen::takeSnapshotPicture);
    connect(f.captureNextJumpButton, &QPushButton::clicked, this,
            &MeasurementScreen::captureNextJump);
    connect(f.savePictureAction, &QAction::triggered, this, &MeasurementScreen::savePicture);
    connect(f.loadPictureAction, &QAction::triggered, this, &MeasurementScreen::loadPicture);
    connect(f.pasteAction, &QAction::triggered, this, &MeasurementScreen::takeClipboardPicture);
    connect(f.resultsAction, &QAction::triggered, this, &MeasurementScreen::openResults);
    connect(f.calibrateAction, &QAction::triggered, this, &MeasurementScreen::openCalibration);
    connect(f.captureNextJumpAction, &QAction::triggered, this,
            &MeasurementScreen::captureNextJump);
    connect(f.viewLogAction, &QAction::triggered, this, &MeasurementScreen::openPictureLog);
    connect(f.exitAction, &QAction::triggered, this, &MeasurementScreen::exitToMainScreen);
    connect(f.crossSizeBar, &QScrollBar::valueChanged, this, [this] { scheduleRedraw(); });
    // The bound belongs to the figure it was computed for and goes with it.
    connect(f.metersEdit, &QLineEdit::textChanged, this, [this](const QString& meters) {
        if (meters != m_measuredMeters)
            m_form.distanceUncertaintyLabel->clear();
    });
}

void MeasurementScreen::connectOutcomeOptions()
{
    const MeasurementScreenForm& f = m_form;
    connect(f.fallOption, &QRadioButton::clicked, this, &MeasurementScreen::onFallChosen);
    connect(f.passOption, &QRadioButton::clicked, this, &MeasurementScreen::onPassChosen);
    connect(f.otherGridOption, &QRadioButton::clicked, this, &MeasurementScreen::onOtherGridChosen);
    connect(f.mandatoryRerideOption, &QRadioButton::clicked, this,
            &MeasurementScreen::recordMandatoryReride);
    connect(f.optionalRerideOption, &QRadioButton::clicked, this,
            &MeasurementScreen::recordOptionalReride);
    connect(f.commentOption, &QRadioButton::clicked, this, &MeasurementScreen::addComment);
    connect(f.skierNameBox, &QComboBox::activated, this, [this] {
        startNewSkier();
        warnAboutUnstorableName();
    });
    QLineEdit* typedName = f.skierNameBox->lineEdit();
    connect(typedName, &QLineEdit::textEdited, this, &MeasurementScreen::startNewSkier);
    // A typed name is checked once it is entered, not at every key.
    connect(typedName, &QLineEdit::editingFinished, this,
            &MeasurementScreen::warnAboutUnstorableName);
    connect(typedName, &QLineEdit::editingFinished, this, [this] { drawImpactMarker(); });
}

bool MeasurementScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Text boxes keep Left and Right for their cursor.
        const auto* combo = qobject_cast<QComboBox*>(watched);
        const bool textBox = qobject_cast<QLineEdit*>(watched) || (combo && combo->isEditable());
        const bool cursorKey = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right;
        if (isArrowKey(key->key()) && !(textBox && cursorKey))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MeasurementScreen::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    applySettings();
    arrive();
}

void MeasurementScreen::hideEvent(QHideEvent* event)
{
    m_arrowKeyTimer->stop();
    // No hand-over is taken while the screen is not there to show it.
    m_handOverTimer->stop();
    QMainWindow::hideEvent(event);
}

void MeasurementScreen::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            drawImpactMarker();
            m_arrowKeyTimer->start();
        } else {
            m_arrowKeyTimer->stop();
        }
    }
    QMainWindow::changeEvent(event);
}

void MeasurementScreen::closeEvent(QCloseEvent* event)
{
    // The close box leaves the screen the way Exit does.
    event->ignore();
    if (isVisible() && !m_station.quitRequested())
        exitToMainScreen();
}

bool MeasurementScreen::isWatchingHandOver() const
{
    return m_handOverTimer->isActive();
}

void MeasurementScreen::prepare()
{
    m_form.nextGridButton->setVisible(m_station.settings.GridCount > 1);
    m_form.jumpOkOption->setChecked(true);
    m_form.commentEdit->clear();
    m_lastDrawn = {};
    m_form.gridDescriptionLabel->hide();
    for (QLineEdit* e : {m_form.pictureXEdit, m_form.pictureYEdit, m_form.waterXEdit,
                         m_form.waterYEdit, m_form.verifyDistanceEdit})
        e->hide();
    for (QLabel* l : m_form.verifyCaptions)
        l->hide();
    m_form.verifyUncertaintyLabel->hide();
    m_form.frozenLabel->hide();
    applySettings();
}

void MeasurementScreen::applySettings()
{
    const StationSettings& s = m_station.settings;
    const MeasurementScreenForm& f = m_form;
    const std::pair<QWidget*, MeasureLabel> labelled[] = {
        {f.jumpOkOption, MeasureLabel::Outcome},
        {f.passOption, MeasureLabel::Outcome},
        {f.fallOption, MeasureLabel::Outcome},
        {f.optionalRerideOption, MeasureLabel::OptionalReride},
        {f.mandatoryRerideOption, MeasureLabel::MandatoryReride},
        {f.otherGridOption, MeasureLabel::Outcome},
        {f.commentOption, MeasureLabel::Outcome},
        {f.frozenLabel, MeasureLabel::OverPicture},
        {f.adjustLabel, MeasureLabel::OverPicture},
        {f.crossSizeLabel, MeasureLabel::OverPicture},
        {f.iwsfDistanceLabel, MeasureLabel::DistanceCaption},
        {f.awsaDistanceLabel, MeasureLabel::DistanceCaption}};
    for (const auto& [widget, kind] : labelled)
        MeasurementScreenForm::setTextColor(widget, measureLabelColor(s.LabelColor, kind));
    for (const PictureView::ItemId id :
         {f.upperLeftBuoyFeet, f.upperLeftBuoyMeters, f.upperRightBuoyFeet, f.upperRightBuoyMeters})
        f.picture->setItemColor(id, measureLabelColor(s.LabelColor, MeasureLabel::OverPicture));
    // The label colours mix black, red, yellow and white: a mid-grey panel keeps every one of
    // them readable.
    QPalette panel = f.sidePanel->palette();
    panel.setColor(QPalette::Window, QColor(128, 138, 150));
    f.sidePanel->setPalette(panel);

    if (s.BarefootOn || s.SitSkiOn) {
        f.tournamentTypeLabel->setText(s.BarefootOn ? QStringLiteral("Barefoot Jump")
                                                    : QStringLiteral("Sit Ski Jump"));
        f.tournamentTypeLabel->show();
    } else {
        f.tournamentTypeLabel->hide();
    }
    f.unofficialLabel->setVisible(m_verifyMode);
    f.nextGridButton->setVisible(s.GridCount > 1);
    f.picture->setMagnifierEnabled(m_station.ownMagnifierOn);

    {
        // The configured list as it now is: a names file that holds no names empties it.
        const QString current = f.skierNameBox->currentText();
        const QSignalBlocker block(f.skierNameBox);
        f.skierNameBox->clear();
        f.skierNameBox->addItems(m_station.skierNames);
        f.skierNameBox->setEditText(current);
    }
    const MeasurementGrid& grid = m_station.grids.slot(m_station.grids.currentGrid);
    f.gridDescriptionLabel->setText(grid.description2);
    f.gridDescriptionLabel->adjustSize();
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
    m_form.commentEdit->setText(text);
    m_form.commentEdit->show();
}

void MeasurementScreen::clearDistance()
{
    m_form.metersEdit->clear();
    m_form.feetEdit->clear();
}

void MeasurementScreen::clearJump()
{
    MeasurementScreenForm& f = m_form;
    m_impactClicked = false;
    setMarkerVisible(false);
    f.metersEdit->setText(QStringLiteral("m"));
    f.feetEdit->setText(QStringLiteral("ft"));
    f.jumpNumberEdit->setText(nextJumpNumber(f.jumpNumberEdit->text()));
    f.jumpOkOption->setChecked(true);
    for (QRadioButton* o : {f.fallOption, f.passOption, f.optionalRerideOption,
                            f.mandatoryRerideOption, f.otherGridOption, f.commentOption})
        clearOption(o);
    f.commentEdit->clear();
    m_pictureHeld = false;
    f.frozenLabel->hide();
    f.pictureNameLabel->hide();
    setAdjustPanelVisible(false);
    f.picture->clearPicture();
    drawImpactMarker();
    deleteExchangePictures(m_station.paths().exchangeFolder());
}

void MeasurementScreen::onFallChosen()
{
    setComment(jumptexts::Fall);
}

void MeasurementScreen::onPassChosen()
{
    setComment(jumptexts::Pass);
}

void MeasurementScreen::onOtherGridChosen()
{
    setComment(jumptexts::OtherGrid);
}

void MeasurementScreen::writeNote(const QString& comment)
{
    const QDateTime now = m_station.clock().now();
    m_station.results().append(m_station.settings.ResultsFilePath,
                               noteLine(dateText(now), timeText(now), comment));
}

void MeasurementScreen::recordMandatoryReride()
{
    setComment(jumptexts::MandatoryReride);
    writeNote(m_form.commentEdit->text());
    m_form.commentEdit->clear();
    if (!m_pictureHeld)
        clearOption(m_form.mandatoryRerideOption);
    clearDistance();
}

void MeasurementScreen::recordOptionalReride()
{
    setComment(jumptexts::OptionalReride);
    writeNote(m_form.commentEdit->text());
    m_form.commentEdit->clear();
    if (!m_pictureHeld)
        clearOption(m_form.optionalRerideOption);
}

void MeasurementScreen::addComment()
{
    const std::optional<QString> answer =
        m_station.dialogs().input(jumptexts::CommentPrompt, jumptexts::CommentTitle, QString());
    // A cancelled question adds no comment line.
    if (answer) {
        setComment(*answer);
        writeNote(m_form.commentEdit->text());
        m_form.commentEdit->clear();
    }
    clearOption(m_form.commentOption);
}

void MeasurementScreen::startNewSkier()
{
    m_form.jumpNumberEdit->setText(QStringLiteral("1"));
    clearDistance();
}

void MeasurementScreen::warnAboutUnstorableName()
{
    const QString name = m_form.skierNameBox->currentText();
    if (name == m_nameWarnedAbout)
        return;
    const QString message = unstorableNameMessage(name);
    if (message.isEmpty())
        return;
    m_nameWarnedAbout = name;
    m_station.dialogs().message(message, QString(), DialogIcon::Exclamation);
}

JumpEntries MeasurementScreen::jumpEntries() const
{
    const MeasurementScreenForm& f = m_form;
    JumpEntries entries;
    entries.tournament = Tournament::of(m_station.settings);
    entries.verifyMode = m_verifyMode;
    if (f.passOption->isChecked())
        entries.outcome = JumpOutcome::Pass;
    else if (f.fallOption->isChecked())
        entries.outcome = JumpOutcome::Fall;
    else if (f.otherGridOption->isChecked())
        entries.outcome = JumpOutcome::OtherGrid;
    entries.at = m_station.clock().now();
    entries.skier = f.skierNameBox->currentText();
    entries.jumpNumber = f.jumpNumberEdit->text();
    entries.comment = f.commentEdit->text();
    entries.pictureHeld = m_pictureHeld;
    entries.impactClicked = m_impactClicked;
    entries.impact = m_impact;
    entries.gridNumber = m_station.grids.currentGrid;
    entries.lastSurvey = m_lastSurvey;
    entries.lastPreciseMeters = m_lastPrecise;
    return entries;
}

void MeasurementScreen::recordJump()
{
    Dialogs& dialogs = m_station.dialogs();
    JumpEntries entries = jumpEntries();
    if (const Outcome ready = checkReadyToRecord(entries); !ready) {
        dialogs.message(ready.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    if (entries.outcome == JumpOutcome::OtherGrid)
        entries.otherGrid = askOtherGridDistance(dialogs);
    const Result<RecordedJump> recorded = jumpRecord(entries, m_station.grids.working);
    if (!recorded) {
        // An abandoned other-grid entry: nothing written, nothing sent, options as they were.
        if (!recorded.message().isEmpty())
            dialogs.message(recorded.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    showRecordedFigures(*recorded);
    const JumpResult& jump = recorded->jump;
    m_station.results().append(m_station.settings.ResultsFilePath, recorded->resultsLine);
    if (m_station.settings.WstimsOn) {
        const Outcome sent = writeWstimsResult(m_station.paths().exchangeFolder(), jump);
        if (!sent)
            dialogs.message(sent.message());
    }
    MeasurementScreenForm& f = m_form;
    f.commentEdit->hide();
    if (recorded->advanceJumpNumber) {
        clearOption(f.fallOption);
        clearOption(f.passOption);
        f.jumpNumberEdit->setText(nextJumpNumber(f.jumpNumberEdit->text()));
    }
    if (f.otherGridOption->isChecked())
        clearOption(f.otherGridOption);
    f.commentEdit->clear();
    deleteExchangePictures(m_station.paths().exchangeFolder());
}

void MeasurementScreen::showRecordedFigures(const RecordedJump& recorded)
{
    const JumpResult& jump = recorded.jump;
    if (recorded.measured) {
        m_lastSurvey = {jump.surveyX_m, jump.surveyY_m};
        m_lastPrecise = jump.preciseMeters;
        m_measuredMeters = jump.metersText;
    }
    m_form.metersEdit->setText(jump.metersText);
    m_form.feetEdit->setText(jump.feetText);
    if (recorded.measured) {
        const Tournament t = Tournament::of(m_station.settings);
        m_form.distanceUncertaintyLabel->setText(
            uncertaintyReadout(distanceUncertainty_m(m_station.grids.working, m_impact, t)));
    }
}

void MeasurementScreen::openResults()
{
    m_station.openResults(this);
}

void MeasurementScreen::openCalibration()
{
    m_station.openCalibration(this);
}

void MeasurementScreen::openPictureLog()
{
    m_station.openPictureLog(this);
}

void MeasurementScreen::captureNextJump()
{
    if (!m_station.hasScreen(Screen::Capture))
        return;
    Dialogs& dialogs = m_station.dialogs();
    if (m_station.arrivedFrom != ArrivedFrom::MarkedFrame) {
        if (dialogs.message(QStringLiteral("Do you want to save this picture?"), QString(),
                            DialogIcon::None, DialogButtons::YesNo) == DialogAnswer::Yes)
            savePicture();
        if (dialogs.message(QStringLiteral("Do you want to remain on this form?"), QString(),
                            DialogIcon::None, DialogButtons::YesNo) == DialogAnswer::Yes)
            return;
    } else {
        applyPictureSavePolicy();
    }
    m_station.arrivedFrom = ArrivedFrom::Elsewhere;
    clearJump();
    m_arrowKeyTimer->stop();
    m_station.show(Screen::Capture, this);
}

void MeasurementScreen::exitToMainScreen()
{
    if (m_station.arrivedFrom == ArrivedFrom::MarkedFrame)
        applyPictureSavePolicy();
    m_station.arrivedFrom = ArrivedFrom::Elsewhere;
    clearJump();
    emptyBuoyLabels();
    m_form.gridDescriptionLabel->hide();
    m_arrowKeyTimer->stop();
    m_station.show(Screen::Main, this);
}

} // namespace fw
