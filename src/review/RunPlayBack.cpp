#include "review/RunPlayBack.h"

namespace fw {

void RunPlayBack::beginBeforeStart(const PlayStretch& stretch, int plays)
{
    m_playsLeft = plays;
    m_startInterval_ms = stretch.interval_ms;
    m_beforeStart = true;
}

PlayStretch RunPlayBack::beginBeforeEnd(int end, double seconds, double fps, int plays)
{
    m_playsLeft = plays;
    m_runEnd = end;
    m_beforeEnd = true;
    m_afterEnd = false;
    return playBeforeEnd(end, seconds, fps);
}

RunPlayBack::Tick RunPlayBack::tick(double secondsBeforeEnd, double fps, bool continueAfterEnd)
{
    // The play before the start comes first: it was asked for last if both run.
    if (m_beforeStart) {
        if (--m_playsLeft > 0)
            return {Next::PlayAgain, {}};
        stop();
        return {Next::EndedBeforeStart, {}};
    }
    if (!m_beforeEnd)
        return {};
    const PlayStretch beforeEnd = playBeforeEnd(m_runEnd, secondsBeforeEnd, fps);
    if (m_afterEnd) {
        m_afterEnd = false;
        if (--m_playsLeft <= 0) {
            stop();
            return {Next::EndedAfterEnd, beforeEnd};
        }
        // After the two seconds the stretch is played again without the first play's extra time.
        return {Next::Play, {beforeEnd.from, beforeEnd.to, playTime_ms(secondsBeforeEnd)}};
    }
    if (continueAfterEnd) {
        m_afterEnd = true;
        return {Next::PlayAfterEnd, playAfterEnd(m_runEnd, fps)};
    }
    if (--m_playsLeft <= 0) {
        stop();
        return {Next::EndedBeforeEnd, {}};
    }
    return {Next::Play, beforeEnd};
}

void RunPlayBack::stop()
{
    m_beforeStart = false;
    m_beforeEnd = false;
    m_afterEnd = false;
}

} // namespace fw
