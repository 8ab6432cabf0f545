#pragma once

// The rules of one recorded pass that need no screen: the video file a skier's pass goes to,
// the pass numbers, the renaming that keeps an existing video from being written over, the
// frame noted when nobody pressed Contact, and the countdown of the recording's seconds.

#include "review/FrameSelection.h" // captureFilePath: the video of a skier's pass

#include <QString>

namespace fw {

// The pass after this one, in the leading-space form the pass box shows (" 2" after "1").
QString nextPass(const QString& pass);

// The first pass from `pass` on whose video does not exist yet; `pass` itself when its video is
// new. A pass whose number no longer grows stops the search where it is.
QString firstFreePass(const QString& videoFolder, const QString& skier, const QString& pass);

// The skier name a recording is made under: the name given, or, while a video of that name and
// pass exists, the name with an "X" added until the video is new.
struct RecordingName {
    QString skier;
    QString path;
    bool renamed = false;
};
RecordingName uniqueRecordingName(const QString& videoFolder, const QString& skier,
                                  const QString& pass);

// The frame noted for a recording ended without Contact: the middle one of `seconds` at `rate`
// frames a second; 0 when that is no number.
int middleFrame(double rate, double seconds);

// A recording's length in whole seconds: the capture time rounded up.
int wholeSeconds(double seconds);

// The countdown of a recording in whole seconds: it starts at the capture time rounded up and
// runs out one tick past zero.
class CaptureCountdown {
public:
    void start(double seconds);
    // One second gone; false once the countdown has run out.
    bool tick();
    int secondsLeft() const { return m_secondsLeft; }

private:
    int m_secondsLeft = 0;
};

// The time left as the capture screen shows it (" 5").
QString countdownText(double seconds);

} // namespace fw
