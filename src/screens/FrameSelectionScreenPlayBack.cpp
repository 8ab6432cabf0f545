// The frame selection screen's stepping and play-backs: the step buttons and keys, and the plays
// before the start and before the end of the run, each ended by a tick of the play-back timer.

#include "screens/FrameSelectionScreen.h"

#include "platform/KeyboardState.h"
#include "screens/setByProgram.h"
#include "station/Station.h"
#include "support/dialogs.h"
#include "support/textforms.h"
#include "widgets/FramePlayer.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cmath>

namespace fw {

bool FrameSelectionScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* edit = qobject_cast<QLineEdit*>(watched);
        if (!(edit && !edit->isReadOnly()) && stepKey(*static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool FrameSelectionScreen::stepKey(const QKeyEvent& key)
{
    const bool keypad = key.modifiers() & Qt::KeypadModifier;
    if (keypad && (key.key() == Qt::Key_4 || key.key() == Qt::Key_6)) {
        onPlayerKeyDown(key.key() == Qt::Key_4 ? 100 : 102);
        return true;
    }
    if (key.key() != Qt::Key_Left && key.key() != Qt::Key_Right)
        return false;
    // A tap steps once at once; a held key is stepped by the timer, from its next tick but one.
    if (!key.isAutoRepeat()) {
        const bool back = key.key() == Qt::Key_Left;
        QPushButton* step = back ? m_form.stepBackButton : m_form.stepForwardButton;
        if (step->isEnabled()) {
            m_arrowTapped = true;
            back ? onStepBackClicked() : onStepForwardClicked();
        }
    }
    return true;
}

void FrameSelectionScreen::onStepForwardClicked()
{
    m_form.player->setCurrentPosition(m_form.player->currentPosition() + 1);
    showPosition();
}

void FrameSelectionScreen::onStepBackClicked()
{
    const int position = m_form.player->currentPosition();
    if (position > 1)
        m_form.player->setCurrentPosition(position - 1);
    showPosition();
}

void FrameSelectionScreen::onArrowKeyTimer()
{
    if (m_arrowTapped) {
        // The press itself stepped.
        m_arrowTapped = false;
        return;
    }
    const KeyboardState& keys = m_station.keyboard();
    if (keys.isDown(Qt::Key_Left) && m_form.stepBackButton->isEnabled())
        onStepBackClicked();
    if (keys.isDown(Qt::Key_Right) && m_form.stepForwardButton->isEnabled())
        onStepForwardClicked();
}

void FrameSelectionScreen::onPlayerKeyDown(int keyCode)
{
    m_form.lastKeyEdit->setText(QString::number(keyCode));
    if (keyCode == 100 && m_form.stepBackButton->isEnabled())
        onStepBackClicked();
    else if (keyCode == 102 && m_form.stepForwardButton->isEnabled())
        onStepForwardClicked();
}

double FrameSelectionScreen::seconds(const QLineEdit* box) const
{
    return entryNumber(box->text());
}

void FrameSelectionScreen::onSecondsBeforeStartEdited()
{
    if (const auto within = secondsWithinRange(m_form.secondsBeforeStartEdit->text(), 5))
        setByProgram(*m_form.secondsBeforeStartEdit, *within, [] {});
}

void FrameSelectionScreen::onSecondsBeforeEndEdited()
{
    if (const auto within = secondsWithinRange(m_form.secondsBeforeEndEdit->text(), 22))
        setByProgram(*m_form.secondsBeforeEndEdit, *within, [] {});
}

void FrameSelectionScreen::onFullScreenClicked()
{
    m_form.player->giveFocus();
}

void FrameSelectionScreen::onContinueAfterEndClicked()
{
    if (!m_form.fullScreenCheck->isChecked())
        m_form.player->giveFocus();
}

void FrameSelectionScreen::playStretch(const PlayStretch& stretch)
{
    m_form.player->setSelectionStart(stretch.from);
    m_form.player->setSelectionEnd(stretch.to);
    m_playBackTimer->setInterval(stretch.interval_ms);
    m_playBackTimer->start();
    m_form.player->play();
    if (!m_form.fullScreenCheck->isChecked())
        m_form.player->giveFocus();
}

void FrameSelectionScreen::onPlayBeforeStartClicked()
{
    if (m_playBack.playingBeforeStart())
        return;
    if (m_form.fullScreenCheck->isChecked())
        m_form.player->setDisplaySize(FramePlayer::kFullScreen);
    const double before = seconds(m_form.secondsBeforeStartEdit);
    m_form.startPlayTimeEdit->setText(leadingSpace(std::floor(before * 1000 + 300)));
    if (!m_startFixed)
        m_selectedFrame = m_form.player->currentPosition();
    const PlayStretch stretch = playBeforeStart(m_selectedFrame, before, m_fps);
    m_playBack.beginBeforeStart(stretch, playCount(m_form.startPlaysEdit->text()));
    m_startRead = true;
    playStretch(stretch);
}

void FrameSelectionScreen::onPlayBeforeEndClicked()
{
    if (m_playBack.playingBeforeEnd())
        return;
    const bool barefoot = m_station.settings.BarefootTiming15s != 0;
    m_runFrames = fw::runFrames(m_fps, barefoot);
    if (!m_startRead) {
        m_selectedFrame = m_form.player->currentPosition();
        m_startRead = true;
    }
    m_startFixed = true;
    m_form.measureFrameButton->setEnabled(false);
    const RunEnd end = runEnd(m_selectedFrame, m_runFrames, m_frameCount);
    if (!end.inVideo) {
        m_station.dialogs().message(tooShortMessage(m_frameCount, end.frame, barefoot),
                                    QStringLiteral("Captured File too short Warning"));
        return;
    }
    if (m_form.fullScreenCheck->isChecked())
        m_form.player->setDisplaySize(FramePlayer::kFullScreen);
    playStretch(m_playBack.beginBeforeEnd(end.frame, seconds(m_form.secondsBeforeEndEdit), m_fps,
                                          playCount(m_form.endPlaysEdit->text())));
}

void FrameSelectionScreen::onPlayToEndClicked()
{
    setByProgram(*m_form.continueAfterEndCheck, true, [this] { onContinueAfterEndClicked(); });
    onPlayBeforeEndClicked();
}

// A play-back is over: the player stops at the size given and the focus goes back to the button
// that began it.
void FrameSelectionScreen::endPlayBack(int displaySize, QWidget* focus)
{
    m_form.player->stop();
    m_form.player->setDisplaySize(displaySize);
    if (displaySize == FramePlayer::kDefaultSize)
        setPlayerSize();
    focus->setFocus();
}

void FrameSelectionScreen::onPlayBackTimer()
{
    m_playBackTimer->stop();
    FramePlayer& player = *m_form.player;
    const RunPlayBack::Tick tick = m_playBack.tick(seconds(m_form.secondsBeforeEndEdit), m_fps,
                                                   m_form.continueAfterEndCheck->isChecked());
    switch (tick.next) {
    case RunPlayBack::Next::Nothing:
        break;
    case RunPlayBack::Next::PlayAgain:
        m_playBackTimer->setInterval(m_playBack.startInterval_ms());
        m_playBackTimer->start();
        player.play();
        break;
    case RunPlayBack::Next::PlayAfterEnd:
        m_form.continueAfterEndCheck->setChecked(false);
        playStretch(tick.stretch);
        break;
    case RunPlayBack::Next::Play:
        playStretch(tick.stretch);
        break;
    case RunPlayBack::Next::EndedBeforeStart:
        endPlayBack(FramePlayer::kDefaultSize, m_form.playBeforeStartButton);
        break;
    case RunPlayBack::Next::EndedAfterEnd:
        // The stretch before the end stays selected for the next play.
        player.setSelectionStart(tick.stretch.from);
        player.setSelectionEnd(tick.stretch.to);
        endPlayBack(FramePlayer::kDefaultSize, m_form.playToEndButton);
        break;
    case RunPlayBack::Next::EndedBeforeEnd:
        endPlayBack(FramePlayer::kFitToSize, m_form.playBeforeEndButton);
        break;
    }
}

} // namespace fw
