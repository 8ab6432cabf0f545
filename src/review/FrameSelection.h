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
