#pragma once

#include "review/FrameSelection.h"

namespace fw {

// The repeated play-backs of the frame selection screen: the stretch before the start frame, and
// the stretch before the end of the timed run, optionally followed once by the two seconds after
// it. Each play is ended by a tick of the screen's timer; the tick says what the player does
// next. The screen carries the player, the timer and the focus; this carries the counting.
class RunPlayBack {
public:
    // What a tick asks of the player.
    enum class Next {
        Nothing,          // no play-back is running
        PlayAgain,        // the stretch before the start once more, for startInterval_ms()
        Play,             // the tick's stretch
        PlayAfterEnd,     // the two seconds after the end (the "continue" choice is used up)
        EndedBeforeStart, // the play before the start is over
        EndedAfterEnd,    // over after the two seconds: the tick's stretch is selected again
        EndedBeforeEnd,   // the play before the end is over
    };
    struct Tick {
        Next next = Next::Nothing;
        PlayStretch stretch;
    };

    // The stretch before the start, played `plays` times.
    void beginBeforeStart(const PlayStretch& stretch, int plays);
    // The stretch of `seconds` before the run's end at `end`, played `plays` times.
    PlayStretch beginBeforeEnd(int end, double seconds, double fps, int plays);

    // The timer's tick. The seconds before the end are read afresh at each tick, as the operator
    // may change them while it plays.
    Tick tick(double secondsBeforeEnd, double fps, bool continueAfterEnd);

    // Every play-back over, as when the screen is left.
    void stop();
    // A new start frame was given: the play before the old one is no longer followed.
    void forgetStart() { m_beforeStart = false; }

    bool playingBeforeStart() const { return m_beforeStart; }
    bool playingBeforeEnd() const { return m_beforeEnd; }
    bool playingAfterEnd() const { return m_afterEnd; }
    int startInterval_ms() const { return m_startInterval_ms; }

private:
    int m_playsLeft = 0;
    bool m_beforeStart = false;
    bool m_beforeEnd = false;
    bool m_afterEnd = false;
    int m_runEnd = 0;
    int m_startInterval_ms = 0;
};

} // namespace fw
