#pragma once

// The rules of choosing the contact frame of a jump video: the timed run window, the stretches
// played before the start and before the end, the name of a captured video, the session log line
// of a marked frame and the ".info" file beside the video.

#include "support/result.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace fw {

// Frames in the timed run window: 599 at exactly 30 fps, otherwise 20 seconds' worth rounded;
// 15 seconds' worth with Barefoot timing.
int runFrames(double fps, bool barefootTiming);

// A stretch to play: frames from..to and the time the play-back is given before it is ended.
struct PlayStretch {
    int from = 0;
    int to = 0;
    int interval_ms = 0;
};

// The stretch of `seconds` ending at the start frame. Near the file's start it begins at frame 0
// and the time given shrinks to what is left. A start at frame 0 ends the stretch at frame 1.
PlayStretch playBeforeStart(int startFrame, double seconds, double fps);

// The stretch of `seconds` ending at `end`; the first play of it is given 1.5 s more.
PlayStretch playBeforeEnd(int end, double seconds, double fps);

// The two seconds after the end.
PlayStretch playAfterEnd(int end, double fps);

// Told when the run window would end beyond the file.
QString tooShortMessage(int frameCount, int end, bool barefootTiming);

// A video's frame rate and length.
struct VideoFigures {
    double fps = 0;
    int frameCount = 0;
};

// The figures of a video just captured: the capture knows its own best; the file's header stands
// in for each one the capture did not give.
VideoFigures capturedVideoFigures(const VideoFigures& capture, const VideoFigures& header);

// The frame a run of `runFrames` starting at `start` ends at, and whether the video holds it.
// The frame is kept within 32 bits for the message that the run does not fit.
struct RunEnd {
    int frame = 0;
    bool inVideo = false;
};
RunEnd runEnd(int start, int runFrames, int frameCount);

// The time a play of `seconds` is given before it is ended: 300 ms more than the stretch lasts.
int playTime_ms(double seconds);

// The number of plays the operator asked for in a repeat box: its whole number, 0 for nothing
// usable, kept within 32 bits.
int playCount(QStringView text);

// A seconds box holds 1 to `most` seconds: the text that replaces an entry out of that range,
// none for an entry within it.
std::optional<QString> secondsWithinRange(QStringView text, int most);

// Whether two paths name the same file, whatever their separators (letter case too on Windows).
bool samePath(const QString& a, const QString& b);

// The video of a skier's pass, where it is recorded and where it goes when its skier is renamed:
// <video folder>/<skier>jump<pass>.avi in the platform's separators: the folder without one
// trailing separator, the name made fit for a file name, the pass without blanks.
QString captureFilePath(const QString& videoFolder, const QString& skier, const QString& pass);

// Skier and jump cut from a captured video's name (<skier>jump<pass>.avi); none when the name
// does not follow it ("jump" is looked for from seven characters before ".avi").
struct CaptureName {
    QString skier;
    QString jump;
};
std::optional<CaptureName> splitCaptureName(const QString& path);

// The session log items of a marked frame.
QStringList frameSelectionLogItems(const QDateTime& when, const CaptureName& name, int frame,
                                   const QString& path);

// The ".info" file beside a marked video: one line, the video's path, a comma and the marked
// frame in leading-space form.
QString infoFilePath(const QString& video);
QString infoLine(const QString& video, int frame);
Outcome writeInfoFile(const QString& video, int frame);
// The frame stored for a video. The number is what follows the last comma, so a path that holds
// a comma reads back right. Failure: "could not read <file>: <reason>".
Result<int> readInfoFile(const QString& video);

} // namespace fw
